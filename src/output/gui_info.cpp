#include "output/gui_info.h"

#include "output/emblem.h"
#include "output/program_version.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace vz {

namespace {

constexpr int kNamePixels = 32;
constexpr int kNameMinPixels = 16;

QLabel* makeLabel(QWidget* parent, const char* name, const QPoint& pos, int pixelHeight,
                  const QColor& color) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    // The labels are part of the picture: a click on them is a click on the picture.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->move(pos);
    return label;
}

} // namespace

Tfrm_gui_info::Tfrm_gui_info(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frm_gui_info"));
    setModal(true);
    setFixedSize(302, 302);
    // The one pixel around the picture.
    setStyleSheet(QStringLiteral("Tfrm_gui_info { background: #202020; }"));

    m_infoImg = new QLabel(this);
    m_infoImg->setObjectName(QStringLiteral("info_img"));
    m_infoImg->setGeometry(1, 1, 300, 300);
    m_infoImg->setPixmap(vz::aboutPicture());
    m_infoImg->installEventFilter(this);

    // Shadow first, so the name is drawn over it.
    m_nameShadow =
        makeLabel(this, "app_name_lbl_shadow", QPoint(14, 11), kNamePixels, QColor(128, 128, 128));
    m_nameMain = makeLabel(this, "app_name_lbl_main", QPoint(12, 9), kNamePixels, Qt::white);
    m_version = makeLabel(this, "app_version_lbl", QPoint(16, 44), 13, Qt::white);
}

void Tfrm_gui_info::FormShow(const QString& mainCaption) {
    // The name is drawn 32 pixels high; a caption with a long project name is made smaller,
    // and at the smallest size shortened in the middle, so that it never runs off the box.
    const int room = width() - m_nameShadow->x() - 2;
    QFont font = m_nameMain->font();
    int pixels = kNamePixels;
    font.setPixelSize(pixels);
    while (pixels > kNameMinPixels && QFontMetrics(font).horizontalAdvance(mainCaption) > room)
        font.setPixelSize(--pixels);
    const QString name = QFontMetrics(font).elidedText(mainCaption, Qt::ElideMiddle, room);
    for (QLabel* label : {m_nameMain, m_nameShadow}) {
        label->setFont(font);
        label->setText(name);
    }
    m_version->setText(vz::programVersion(QCoreApplication::applicationFilePath()).text());
    for (QLabel* label : {m_nameShadow, m_nameMain, m_version})
        label->adjustSize();
}

void Tfrm_gui_info::info_imgClick() {
    close();
}

void Tfrm_gui_info::FormKeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
}

void Tfrm_gui_info::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow(parentWidget() ? parentWidget()->window()->windowTitle() : QString());
}

void Tfrm_gui_info::keyPressEvent(QKeyEvent* event) {
    // Every key goes to the handler; only Escape closes (no default button, no Enter).
    FormKeyDown(event);
    event->accept();
}

bool Tfrm_gui_info::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_infoImg) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_imgPressed = mouse->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = m_imgPressed && mouse->button() == Qt::LeftButton &&
                               m_infoImg->rect().contains(mouse->position().toPoint());
            m_imgPressed = false;
            if (click)
                info_imgClick();
            return click;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vz
