#include "fire/gui_firebtn_hotkey.h"

#include "base/unit_service.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace vz {

Tfrm_firebtn_hotkey::Tfrm_firebtn_hotkey(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_firebtn_hotkey"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(273, 22);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* bevel = new QFrame(this);
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setLineWidth(1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(bevel);

    m_label = new QLabel(bevel);
    m_label->setObjectName(QStringLiteral("lbl_enter_hotkey"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont f = m_label->font();
    f.setBold(true);
    m_label->setFont(f);
    m_label->setPalette(pal);
    auto* inner = new QVBoxLayout(bevel);
    inner->setContentsMargins(2, 0, 2, 0);
    inner->addWidget(m_label);
    // Keys reach the window before its label.
    m_label->installEventFilter(this);
    bevel->installEventFilter(this);
}

int Tfrm_firebtn_hotkey::capture(int currentKey) {
    m_key = currentKey;
    exec();
    // Closed without a key typed: nothing to bind.
    return m_done ? m_key : -1;
}

void Tfrm_firebtn_hotkey::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void Tfrm_firebtn_hotkey::FormShow() {
    m_done = false;
    QString text = get_text(QStringLiteral("lbl_enter_hotkey"));
    if (m_key > -1)
        text += QStringLiteral(" [") + QChar(m_key) + QLatin1Char(']');
    m_label->setText(text);
    activateWindow();
    setFocus();
}

void Tfrm_firebtn_hotkey::keyPressEvent(QKeyEvent* event) {
    // Only keys that type a character count; Shift or Caps Lock alone type nothing.
    if (!event->text().isEmpty())
        FormKeyPress(event->text());
}

bool Tfrm_firebtn_hotkey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_firebtn_hotkey::FormKeyPress(const QString& text) {
    if (m_done)
        return; // the result is on show; further keys change nothing
    m_done = true;
    const QChar ch = text.at(0);
    const ushort c = ch.unicode();
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) {
        m_key = c;
        m_label->setText(QStringLiteral("Hotkey: ") + ch);
    } else {
        m_key = -1;
        m_label->setText(QStringLiteral("Abgebrochen"));
    }
    m_label->repaint();
    // The result stays readable for a moment; the window is modal, so nothing else
    // happens meanwhile.
    QTimer::singleShot(m_holdMs, this, &QDialog::accept);
}

} // namespace vz
