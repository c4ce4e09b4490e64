#include "fire/fire_panel.h"

#include "base/ui_style.h"
#include "base/unit_service.h"
#include "fire/fire_panel_layout.h"
#include "fire/macro_run_view.h"
#include "program/box_program.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace vz {

namespace {

// Gives the label's font that size; returns the height of a line.
int setPixelSize(QWidget* w, int px) {
    QFont f = w->font();
    f.setPixelSize(px);
    w->setFont(f);
    return QFontMetrics(f).height() + 2;
}

const QColor kSentColor(0x2e, 0x9d, 0x3a);
const QColor kArmedColor(0xc0, 0x10, 0x10);
// A rehearsal is never red: its frame, header and counts are in the fire log's rehearsal teal.
const QColor kRehearsalColor(0x14, 0xa5, 0xb9);
const QColor kRehearsalText(0x7f, 0xe3, 0xf0);
// Macro buttons start a chain of calls, not one: they must never pass for a channel button.
const QString kMacroButtonStyle = QStringLiteral(
    "QPushButton { background-color: #1f4fa6; color: white; border: 2px solid #9cc0ff;"
    " border-radius: 6px; }"
    " QPushButton:pressed { background-color: #143a7c; }");

} // namespace

FireModePage::FireModePage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tab_fire_mode"));
    setAutoFillBackground(true);
    m_normalColor = palette().color(QPalette::Window);

    // Behind the panel: seen only while a macro runs and the panel is hidden.
    m_runView = new MacroRunView(this);
    m_runView->hide();
    m_macroRunning = ui::makeLabel(this, QStringLiteral("firemode_macro_running"),
                                   QStringLiteral("Makro läuft"), 18, true, Qt::white);
    m_macroRunning->setAlignment(Qt::AlignCenter);
    m_macroNr =
        ui::makeLabel(this, QStringLiteral("firemode_macro_nr"), QString(), 13, true, Qt::white);
    m_macroNr->setAlignment(Qt::AlignCenter);
    m_armedLbl =
        ui::makeLabel(this, QStringLiteral("firemode_armed_lbl"), QString(), 0, true, Qt::white);
    ui::fillBackground(m_armedLbl, Qt::black);
    m_armedLbl->setAlignment(Qt::AlignCenter);
    m_armedLbl->hide();
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    m_stop->setObjectName(QStringLiteral("btn_firemode_stop"));
    m_stop->setProperty("tag", 0);
    QFont sf = m_stop->font();
    sf.setBold(true);
    sf.setPointSize(14);
    m_stop->setFont(sf);
    m_stop->hide();

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("firemode_panel"));
    ui::fillBackground(m_panel, Qt::black);
    m_panel->installEventFilter(this);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("firebtn_popup"));
    m_popup->setProperty("tag", -1);
    m_popupHotkey = m_popup->addAction(QStringLiteral("Hotkey..."));
    m_popupHotkey->setObjectName(QStringLiteral("firebtn_popup_hotkey"));
    m_popupHotkey->setProperty("tag", -1);

    QFont bf = font();
    bf.setBold(true);
    auto add = [&](int f, int n) {
        auto* b = new QPushButton(m_panel);
        b->setObjectName(names::fireButton(f, n));
        b->setFont(bf);
        b->setFocusPolicy(Qt::NoFocus); // keys belong to the hotkeys, not to a button
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        b->setProperty("tag", f == 9 ? n : 0);
        if (f == 9)
            b->setStyleSheet(kMacroButtonStyle);
        b->installEventFilter(this);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b](const QPoint& pos) { m_popup->popup(b->mapToGlobal(pos)); });
        m_buttons << b;
        m_byName.insert(b->objectName(), b);
    };
    for (int n = 1; n <= kModules; ++n)
        add(0, n);
    for (int f = 1; f <= 3; ++f)
        for (int v = 1; v <= kGroupVariants; ++v)
            add(f, v);
    for (int f = 4; f <= 8; ++f)
        for (int v = 1; v <= kSeqVariants; ++v)
            add(f, v);
    for (int m = 1; m <= kMacros; ++m)
        add(9, m);

    m_comPortLbl = ui::makeLabel(m_panel, QStringLiteral("com_port_lbl"),
                                 QStringLiteral("COM-Port:"), 0, false, Qt::white);
    m_port = ui::makeLabel(m_panel, QStringLiteral("tab_fire_mode_comport"), QString(), 0, true,
                           Qt::white);
    m_sent = ui::makeLabel(m_panel, QStringLiteral("firemode_sent_lbl"), QString(), 0, true,
                           kSentColor.lighter(140));
    m_sent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_logOff = ui::makeLabel(m_panel, QStringLiteral("firemode_log_off_lbl"), QString(), 0, true,
                             QColor(0xff, 0xc0, 0x40));
    m_logOff->hide();
    m_rehearsal = ui::makeLabel(m_panel, QStringLiteral("firemode_rehearsal_lbl"), QString(), 0,
                                true, kRehearsalText);
    m_rehearsal->hide();

    m_flashTimer = new QTimer(this);
    m_flashTimer->setSingleShot(true);
    connect(m_flashTimer, &QTimer::timeout, this, &FireModePage::clearFlash);
    applyMacroCaptions();
    setArmed(false);
}

void FireModePage::applyMacroCaptions() {
    // A language file of the operator's own may lack the key: the caption still says macro.
    QString caption = find_text(QStringLiteral("firemode_macro_caption"));
    if (!caption.contains(QLatin1String("%1")))
        caption = QStringLiteral("M%1");
    for (int m = 1; m <= kMacros; ++m)
        fireButton(9, m)->setText(
            QString(caption).replace(QLatin1String("%1"), QString::number(m)));
}

QPushButton* FireModePage::fireButton(int family, int number) const {
    return m_byName.value(names::fireButton(family, number), nullptr);
}

void FireModePage::setArmed(bool armed, const QString& what, bool rehearsal) {
    m_armed = armed;
    m_armedLbl->setText(armed ? what : QString());
    QPalette p = palette();
    p.setColor(QPalette::Window, !armed      ? m_normalColor
                                 : rehearsal ? kRehearsalColor
                                             : kArmedColor);
    setPalette(p);
    QPalette hp = m_armedLbl->palette();
    hp.setColor(QPalette::WindowText, rehearsal ? kRehearsalText : QColor(Qt::white));
    m_armedLbl->setPalette(hp);
    m_rehearsal->setVisible(armed && rehearsal);
    if (!armed) {
        m_sent->clear();
        clearFlash();
    }
    placeFixed();
}

void FireModePage::setMacroRunning(bool running) {
    m_panel->setVisible(!running);
    m_runView->setVisible(running);
    m_stop->setVisible(running);
}

void FireModePage::showSent(int channel, bool macroCall) {
    clearFlash();
    m_sent->setText(get_text(macroCall ? QStringLiteral("firemode_sent_macro")
                                       : QStringLiteral("firemode_sent")) +
                    QLatin1Char(' ') + QString::number(channel));
    if (!macroCall) {
        for (QPushButton* b : m_buttons) {
            if (b->property("tag").toInt() != channel || b->objectName().contains("macro"))
                continue;
            QPalette p = b->palette();
            p.setColor(QPalette::Button, kSentColor);
            p.setColor(QPalette::ButtonText, Qt::white);
            b->setPalette(p);
            m_flashed << b;
        }
    }
    m_flashTimer->start(kSentFlashMs);
}

void FireModePage::clearFlash() {
    for (QPushButton* b : m_flashed)
        b->setPalette(QPalette());
    m_flashed.clear();
}

void FireModePage::firemode_panelResize() {
    const int w = m_panel->width();
    const int h = m_panel->height();
    // Captions grow with the buttons, so a large window reads from further away.
    const int captionPx = std::clamp(firePanelCell(w, h).height * 2 / 5, 11, 26);
    for (QPushButton* b : m_buttons) {
        if (b->font().pixelSize() != captionPx)
            setPixelSize(b, captionPx);
        // A hidden button keeps its old place; it is placed when it is shown and the
        // layout runs again.
        if (b->isHidden())
            continue;
        int f = -1;
        int n = -1;
        if (parseFireButtonName(b->objectName(), &f, &n))
            b->setGeometry(fireButtonRect(f, n, w, h));
    }
    // Row 8 stays free for the port labels, at a fixed distance from the bottom edge.
    const int y = h - 24;
    m_comPortLbl->adjustSize();
    m_comPortLbl->move(3 * kFireGapX, y);
    m_port->setGeometry(m_comPortLbl->geometry().right() + 6, y, 160, m_comPortLbl->height());
    m_sent->setGeometry(w / 2, y, w / 2 - 3 * kFireGapX, m_comPortLbl->height());
    m_logOff->setGeometry(3 * kFireGapX, y - m_comPortLbl->height() - 2, w - 6 * kFireGapX,
                          m_comPortLbl->height());
    // Row 7 right of the singles is free of buttons.
    const QRect row7 = fireButtonRect(0, 8, w, h);
    const int left = fireButtonRect(1, 1, w, h).left();
    m_rehearsal->setGeometry(left, row7.top(), std::max(0, w - left - 3 * kFireGapX),
                             std::max(row7.height(), m_comPortLbl->height()));
}

void FireModePage::placeFixed() {
    const int border = m_armed ? kArmedBorder : 0;
    const QRect inner = rect().adjusted(border, border, -border, -border);
    // What is armed goes where the eye falls first, as large as the page allows; the red
    // frame runs between it and the panel too.
    const bool header = !m_armedLbl->text().isEmpty();
    const int headerH = header ? std::clamp(height() / 12, 28, 56) : 0;
    m_armedLbl->setVisible(header);
    if (header) {
        m_armedLbl->setGeometry(inner.left(), inner.top(), inner.width(), headerH);
        QFont f = m_armedLbl->font();
        f.setPixelSize(headerH * 6 / 10);
        const int room = inner.width() - 4 * kFireGapX;
        const int need = QFontMetrics(f).horizontalAdvance(m_armedLbl->text());
        if (need > room)
            f.setPixelSize(std::max(10, f.pixelSize() * room / need));
        m_armedLbl->setFont(f);
    }
    m_panel->setGeometry(inner.adjusted(0, header ? headerH + border : 0, 0, 0));
    const QRect panel = m_panel->geometry();
    const QRect stop = fireStopRect(panel.width(), panel.height()).translated(panel.topLeft());
    m_stop->setGeometry(stop);
    // A run shows in the panel's place: its title on top, the monitor between it and Stop.
    m_runView->setGeometry(panel);
    const int titlePx = std::clamp(panel.height() / 12, 22, 40);
    const int titleH = setPixelSize(m_macroRunning, titlePx);
    const int nrH = setPixelSize(m_macroNr, titlePx * 2 / 3);
    m_macroRunning->setGeometry(panel.left(), panel.top() + 4, panel.width(), titleH);
    m_macroNr->setGeometry(panel.left(), panel.top() + 4 + titleH, panel.width(), nrH);
    const int contentTop = 4 + titleH + nrH + kFireGapY;
    m_runView->setContentRect(
        QRect(0, contentTop, panel.width(),
              std::max(0, stop.top() - panel.top() - contentTop - kFireGapY)));
}

void FireModePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit shown();
}

void FireModePage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeFixed();
}

bool FireModePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_panel && event->type() == QEvent::Resize) {
        firemode_panelResize();
    } else if (event->type() == QEvent::MouseButtonPress) {
        int f = -1;
        int n = -1;
        if (parseFireButtonName(watched->objectName(), &f, &n))
            emit buttonPressed(f, n);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vz
