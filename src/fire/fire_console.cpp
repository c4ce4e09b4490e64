#include "fire/fire_console.h"

#include "base/prompts.h"
#include "base/settings.h"
#include "base/unit_service.h"
#include "fire/fire_buttons.h"
#include "fire/fire_panel.h"
#include "fire/fire_setup.h"
#include "fire/fire_texts.h"
#include "fire/gui_firebtn_hotkey.h"
#include "fire/gui_macropause.h"
#include "fire/gui_macroseq.h"
#include "fire/hotkeys.h"
#include "fire/macro_texts.h"
#include "program/program_document.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

namespace vz {

namespace {

// The two pictures of a route entry: image 0 inactive, image 1 active.
QIcon routeIcon(bool active) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(active ? QColor(0x80, 0, 0) : QColor(0x70, 0x70, 0x70), 1));
    p.setBrush(active ? QColor(0xe0, 0x10, 0x10) : QColor(0xc8, 0xc8, 0xc8));
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    return QIcon(pm);
}

bool isMacroCallFrame(const QByteArray& f) {
    return f.size() == 9 && quint8(f.at(2)) == 0x73 && quint8(f.at(3)) == 0xC8;
}

} // namespace

FireConsole::FireConsole(ProgramDocument& document, HotkeyTable& hotkeys, FirePort& port,
                         Prompts& prompts, QWidget* window)
    : QObject(window), m_doc(document), m_hotkeys(hotkeys), m_port(port), m_prompts(prompts),
      m_window(window), m_controller(*this, port, m_sender),
      m_hotkeyPath(HotkeyTable::defaultPath()) {
    m_sender.setWriter([this](const QByteArray& bytes) { return m_port.writeString(bytes); });
    connect(&m_sender, &FireFrameSender::writeFailed, this, &FireConsole::portFailed);
    connect(&m_sender, &FireFrameSender::frameWritten, this, &FireConsole::frameWritten);

    m_firePage = new FireModePage(window);
    m_setupPage = new FireSetupPage(window);
    m_warning = new QLabel(window);
    m_warning->setObjectName(QStringLiteral("lbl_firemode_warning"));
    m_warning->setText(QStringLiteral("FIRE MODE"));
    QFont wf = m_warning->font();
    wf.setBold(true);
    m_warning->setFont(wf);
    QPalette wp = m_warning->palette();
    wp.setColor(QPalette::WindowText, Qt::red);
    m_warning->setPalette(wp);
    m_warning->setAlignment(Qt::AlignCenter);
    m_warning->setWordWrap(true);
    m_warning->hide();

    m_hotkeyWindow = new Tfrm_firebtn_hotkey(window);
    m_pauseDialog = new Tfrm_gui_macropause(window);
    m_seqDialog = new Tfrm_gui_macroseq(window);

    m_macroTimer = new QTimer(this);
    m_macroTimer->setObjectName(QStringLiteral("firemode_macro_timer"));
    m_macroTimer->setSingleShot(true);
    m_macroTimer->setTimerType(Qt::PreciseTimer);
    m_macroTimer->setInterval(MacroRunner::kStartDelayMs);
    connect(m_macroTimer, &QTimer::timeout, this, &FireConsole::firemode_macro_timerTimer);

    connect(m_firePage, &FireModePage::shown, this, &FireConsole::tab_fire_modeShow);
    connect(m_firePage, &FireModePage::buttonPressed, this,
            &FireConsole::btn_firemode_seqX5MouseDown);
    connect(m_firePage->popupHotkey(), &QAction::triggered, this,
            &FireConsole::firebtn_popup_hotkeyClick);
    connect(m_firePage->stopButton(), &QPushButton::clicked, this,
            &FireConsole::btn_firemode_stopClick);
    for (QPushButton* b : m_firePage->fireButtons()) {
        if (b->objectName().startsWith(QLatin1String("btn_firemode_macro")))
            connect(b, &QPushButton::clicked, this, &FireConsole::btn_firemode_macroClick);
        else
            connect(b, &QPushButton::clicked, this, &FireConsole::btn_firemode_sgl1Click);
    }

    connect(m_setupPage, &FireSetupPage::shown, this, &FireConsole::tab_fire_setupShow);
    connect(m_setupPage->portButton(), &QPushButton::clicked, this,
            &FireConsole::firesetup_comport_btnClick);
    connect(m_setupPage->macroSelect(), qOverload<int>(&QComboBox::currentIndexChanged), this,
            &FireConsole::firesetup_macro_select_cbChange);
    connect(m_setupPage->macroActive(), &QCheckBox::clicked, this,
            &FireConsole::firesetup_macro_active_cbClick);
    connect(m_setupPage->addButton(), &QPushButton::clicked, this,
            &FireConsole::firesetup_macro_addClick);
    connect(m_setupPage->addPauseButton(), &QPushButton::clicked, this,
            &FireConsole::firesetup_macro_addpauseClick);
    connect(m_setupPage->deleteButton(), &QPushButton::clicked, this,
            &FireConsole::firesetup_macro_delClick);
    connect(&m_doc, &ProgramDocument::macrosChanged, this, [this](int index) {
        if (index == selectedMacro())
            macroeditor_load_macro(index);
    });
    connect(&m_doc, &ProgramDocument::moduleCountChanged, this, [this](int, int count) {
        // The count decides which single buttons are shown; then the panel is laid out.
        for (int n = 1; n <= kModules; ++n)
            m_firePage->fireButton(0, n)->setVisible(n <= count);
        firemode_panelResize();
        markButtonsStale();
    });
    // A button on show must fire what the document says now, also after New or Open in
    // fire mode: its tag is the channel that goes on the line.
    connect(&m_doc, &ProgramDocument::channelChanged, this, &FireConsole::markButtonsStale);
    connect(&m_doc, &ProgramDocument::singleChanged, this, &FireConsole::markButtonsStale);
    connect(&m_doc, &ProgramDocument::groupChanged, this, &FireConsole::markButtonsStale);
    connect(&m_doc, &ProgramDocument::seqChanged, this, &FireConsole::markButtonsStale);
    connect(&m_doc, &ProgramDocument::macrosChanged, this, &FireConsole::markButtonsStale);

    fillMacroList();
    applyTexts();
}

FireConsole::~FireConsole() {
    m_macroTimer->stop();
    m_sender.drop();
}

void FireConsole::useWarningLabel(QLabel* label) {
    if (!label || label == m_warning)
        return;
    delete m_warning;
    m_warning = label;
    const QString warning = find_text(m_warning->objectName());
    if (!warning.isEmpty())
        m_warning->setText(warning);
    m_warning->setVisible(m_controller.isArmed());
}

void FireConsole::setRouteActions(QAction* masterModule, QAction* rk40) {
    m_masterAction = masterModule;
    m_rk40Action = rk40;
    for (QAction* a : {m_masterAction, m_rk40Action}) {
        if (!a)
            continue;
        a->setIcon(routeIcon(false));
        a->setProperty("imageIndex", 0);
        a->setEnabled(true);
    }
}

void FireConsole::fillMacroList() {
    QComboBox* cb = m_setupPage->macroSelect();
    const QSignalBlocker block(cb);
    cb->clear();
    for (int n = 1; n <= kMacros; ++n)
        cb->addItem(macroItemText(n));
    cb->setCurrentIndex(0);
    macroeditor_load_macro(0);
}

void FireConsole::applyTexts() {
    applyFireTexts(m_firePage);
    applyFireTexts(m_setupPage);
    const QString warning = find_text(m_warning->objectName());
    if (!warning.isEmpty())
        m_warning->setText(warning);
    const QString hotkey = find_text(QStringLiteral("firebtn_popup_hotkey"));
    if (!hotkey.isEmpty())
        m_firePage->popupHotkey()->setText(hotkey);
    // The items in the new language; the macro being edited stays chosen.
    QComboBox* macros = m_setupPage->macroSelect();
    for (int i = 0; i < macros->count(); ++i)
        macros->setItemText(i, macroItemText(i + 1));
}

QString FireConsole::macroItemText(int number) {
    return get_text(QStringLiteral("macro")) + QLatin1Char(' ') + QString::number(number);
}

QString FireConsole::baseHint(int family, int number) const {
    if (family < 0 || family > 9 || number < 0 || number > 16)
        return QString();
    return m_baseHints[family][number];
}

// ---------------------------------------------------------------- fire mode

void FireConsole::menu_fire_mastermodulClick() {
    m_controller.toggle(FireRoute::MasterModule);
}

void FireConsole::menu_fire_rk40Click() {
    m_controller.toggle(FireRoute::Rk40);
}

void FireConsole::menu_settings_save_hotkeysClick() {
    // The bindings live only in memory until this write: a write that did not happen must
    // not pass for one that did.
    if (!m_hotkeys.save(m_hotkeyPath))
        showError(get_text(QStringLiteral("msg_hotkeys_notsaved")));
}

FireModeHost::Answer FireConsole::askFireMode() {
    switch (m_prompts.confirm(m_window, get_text(QStringLiteral("msg_firemode")))) {
    case Prompts::Answer::Yes:
        return Answer::Yes;
    case Prompts::Answer::No:
        return Answer::No;
    default:
        return Answer::Closed;
    }
}

void FireConsole::runTransfer() {
    if (m_hooks.runTransfer)
        m_hooks.runTransfer();
}

QAction* FireConsole::routeAction(FireRoute route) const {
    return route == FireRoute::MasterModule ? m_masterAction
           : route == FireRoute::Rk40       ? m_rk40Action
                                            : nullptr;
}

void FireConsole::setRouteActive(FireRoute route, bool active) {
    if (QAction* a = routeAction(route)) {
        a->setIcon(routeIcon(active));
        a->setProperty("imageIndex", active ? 1 : 0);
    }
}

void FireConsole::setRouteEnabled(FireRoute route, bool enabled) {
    if (QAction* a = routeAction(route))
        a->setEnabled(enabled);
}

void FireConsole::setTransferEnabled(bool enabled) {
    if (m_hooks.setTransferEnabled)
        m_hooks.setTransferEnabled(enabled);
}

void FireConsole::setFirePagesShown(bool fireMode) {
    m_firePage->setArmed(fireMode);
    m_latch.reset();
    if (m_hooks.setFirePagesShown)
        m_hooks.setFirePagesShown(fireMode);
    m_warning->setVisible(fireMode);
}

void FireConsole::setFirePortText(const QString& text) {
    m_firePage->portLabel()->setText(text);
}

void FireConsole::setSetupPortText(const QString& text) {
    m_setupPage->portLabel()->setText(text);
}

void FireConsole::setRk40BoxList(bool rk40On) {
    m_doc.setRk40Active(rk40On);
    if (!rk40On)
        m_doc.applyBoxMode(); // box mode 0: the derived number comes back
    if (m_hooks.setRk40BoxList)
        m_hooks.setRk40BoxList(rk40On);
}

void FireConsole::showError(const QString& text) {
    m_prompts.error(m_window, text);
}

void FireConsole::savePortSetting(int port) {
    if (!m_settingsPath.isEmpty())
        SettingsFile::writePort(m_settingsPath, port);
}

void FireConsole::portFailed() {
    m_controller.portFailed();
}

void FireConsole::frameWritten(const QByteArray& frame) {
    if (frame.size() > 5)
        m_firePage->showSent(quint8(frame.at(5)), isMacroCallFrame(frame));
}

// ---------------------------------------------------------------- fire page

void FireConsole::tab_fire_modeShow() {
    m_firePage->portLabel()->setText(m_setupPage->portLabel()->text());
    refreshButtons();
}

void FireConsole::markButtonsStale() {
    if (!firePageOnShow() || m_buttonsStale)
        return;
    m_buttonsStale = true;
    QTimer::singleShot(0, this, &FireConsole::refreshIfStale);
}

void FireConsole::refreshIfStale() {
    if (m_buttonsStale)
        refreshButtons();
}

void FireConsole::refreshButtons() {
    m_buttonsStale = false;
    const BoxProgram& p = m_doc.program();
    for (int f = 0; f <= 8; ++f) {
        const int count = f == 0 ? kModules : f <= 3 ? kGroupVariants : kSeqVariants;
        for (int n = 1; n <= count; ++n) {
            QPushButton* b = m_firePage->fireButton(f, n);
            const int channel = fireButtonTag(p, f, n);
            b->setProperty("tag", channel);
            b->setText(QString::number(channel));
            if (f == 0 || f >= 4)
                b->setVisible(fireButtonShown(p, f, n));
            m_baseHints[f][n] = fireBaseHint(p, f, n);
            b->setToolTip(fireHint(m_baseHints[f][n], m_hotkeys, f, n));
        }
    }
    for (int m = 1; m <= kMacros; ++m) {
        QPushButton* b = m_firePage->fireButton(9, m);
        b->setVisible(fireButtonShown(p, 9, m));
        b->setToolTip(m_hotkeys.hotkeyLines(9, m));
    }
    // Buttons that became visible since the last layout get their place now.
    m_firePage->firemode_panelResize();
}

void FireConsole::firemode_panelResize() {
    m_firePage->firemode_panelResize();
}

void FireConsole::btn_firemode_sgl1Click() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (!b)
        return;
    refreshIfStale();
    m_controller.fire(b->property("tag").toInt());
}

void FireConsole::btn_firemode_seqX5MouseDown(int family, int number) {
    m_firePage->popup()->setProperty("tag", family);
    m_firePage->popupHotkey()->setProperty("tag", number);
}

void FireConsole::firebtn_popup_hotkeyClick() {
    const int f = m_firePage->popup()->property("tag").toInt();
    const int n = m_firePage->popupHotkey()->property("tag").toInt();
    if (!isFireButton(f, n))
        return;
    const int k = m_hotkeyWindow->capture(m_hotkeys.keyOf(f, n));
    if (k < 0)
        return;
    const HotkeyTable::Entry old = m_hotkeys.entry(k);
    if (!old.isFree()) {
        if (QPushButton* ob = m_firePage->fireButton(old.family, old.number))
            ob->setToolTip(baseHint(old.family, old.number));
    }
    m_hotkeys.bind(k, f, n);
    if (QPushButton* b = m_firePage->fireButton(f, n))
        b->setToolTip(baseHint(f, n) + QStringLiteral("\n\rHotkey: ") + QChar(k));
}

// ---------------------------------------------------------------- keys

bool FireConsole::firePageOnShow() const {
    return m_firePage->isVisible();
}

bool FireConsole::FormKeyDown(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    if (!firePageOnShow())
        return false;
    const bool mayFire = m_latch.press(autoRepeat);
    if (key == Qt::Key_Escape) {
        stopMacro();
        return true;
    }
    if (!mayFire)
        return true;
    const int code = fireKeyCode(key, modifiers);
    if (code < 0)
        return true;
    const HotkeyTable::Entry e = m_hotkeys.entry(code);
    if (!e.isFree())
        clickButton(e.family, e.number);
    return true;
}

void FireConsole::FormKeyUp(int /*key*/, bool autoRepeat) {
    m_latch.release(autoRepeat);
}

void FireConsole::clickButton(int family, int number) {
    // Exactly what a mouse click does, also for a hidden button.
    if (QPushButton* b = m_firePage->fireButton(family, number))
        b->click();
}

// ---------------------------------------------------------------- macros

void FireConsole::btn_firemode_macroClick() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (!b)
        return;
    startMacro(b->property("tag").toInt());
}

void FireConsole::startMacro(int macroNumber) {
    if (!m_controller.isArmed() || macroNumber < 1 || macroNumber > kMacros)
        return;
    m_firePage->macroNrLabel()->setText(get_text(QStringLiteral("firemode_macro_nr")) +
                                        QLatin1Char(' ') + QString::number(macroNumber));
    m_firePage->setMacroRunning(true);
    m_macroInterval = m_runner.start(macroNumber);
    // Deadlines count from the click, so the steps do not drift by the timer's latency.
    m_macroClock.start();
    m_macroDue = 0;
    scheduleMacroTick(m_macroInterval);
}

void FireConsole::scheduleMacroTick(int intervalMs) {
    m_macroDue += intervalMs;
    m_macroTimer->setInterval(intervalMs);
    m_macroTimer->start(int(std::max<qint64>(0, m_macroDue - m_macroClock.elapsed())));
}

void FireConsole::firemode_macro_timerTimer() {
    if (!m_runner.isRunning())
        return;
    const MacroRunner::Action a = m_runner.tick(m_doc.program().macros[m_runner.macroIndex()]);
    switch (a.kind) {
    case MacroRunner::Action::End:
        m_macroTimer->stop();
        m_firePage->setMacroRunning(false);
        return;
    case MacroRunner::Action::Call: {
        QLabel* nr = m_firePage->macroNrLabel();
        nr->setText(nr->text() + QLatin1Char('.'));
        m_controller.callMacroChannel(m_doc.program().boxNumber(), a.channel);
        break;
    }
    case MacroRunner::Action::Pause:
    case MacroRunner::Action::Skip:
        break;
    }
    if (!m_runner.isRunning())
        return; // the call failed and fire mode went off
    if (a.intervalMs >= 0)
        m_macroInterval = a.intervalMs;
    scheduleMacroTick(m_macroInterval);
}

void FireConsole::stopMacro() {
    m_runner.stop();
    m_macroTimer->stop();
    m_firePage->setMacroRunning(false);
}

void FireConsole::btn_firemode_stopClick() {
    stopMacro();
}

// ---------------------------------------------------------------- fire set-up page

void FireConsole::tab_fire_setupShow() {
    m_setupPage->portLabel()->setText(m_controller.portLabel());
    macroeditor_load_macro(selectedMacro());
}

void FireConsole::firesetup_comport_btnClick() {
    m_controller.choosePort();
}

int FireConsole::selectedMacro() const {
    return std::clamp(m_setupPage->macroSelect()->currentIndex(), 0, kMacros - 1);
}

void FireConsole::firesetup_macro_select_cbChange(int index) {
    macroeditor_load_macro(std::clamp(index, 0, kMacros - 1));
}

void FireConsole::firesetup_macro_active_cbClick() {
    const int m = selectedMacro();
    m_doc.setMacroActive(m, m_setupPage->macroActive()->isChecked());
    macroeditor_load_macro(m);
}

void FireConsole::addMacroStep(int type, int value) {
    const int m = selectedMacro();
    if (!m_doc.appendMacroStep(m, type, value))
        showError(get_text(QStringLiteral("msg_macro_full")));
    macroeditor_load_macro(m);
}

void FireConsole::firesetup_macro_addClick() {
    const int m = selectedMacro();
    if (m_doc.program().macros[m].stepCount() >= kMacroMaxSteps) {
        showError(get_text(QStringLiteral("msg_macro_full")));
        return;
    }
    const int channel = m_seqDialog->choose(m_doc.program());
    if (channel > 0)
        addMacroStep(MacroCall, channel);
}

void FireConsole::firesetup_macro_addpauseClick() {
    const int m = selectedMacro();
    if (m_doc.program().macros[m].stepCount() >= kMacroMaxSteps) {
        showError(get_text(QStringLiteral("msg_macro_full")));
        return;
    }
    const int pause = m_pauseDialog->choose();
    if (pause > 0)
        addMacroStep(MacroPause, pause);
}

void FireConsole::firesetup_macro_delClick() {
    const int m = selectedMacro();
    m_doc.removeLastMacroStep(m);
    macroeditor_load_macro(m);
}

void FireConsole::macroeditor_load_macro(int index) {
    if (index < 0 || index >= kMacros)
        return;
    QTableWidget* grid = m_setupPage->editor();
    const QVector<MacroStepCells> cells = macroEditorCells(m_doc.program(), index);
    grid->clearContents();
    // One empty column follows the last step.
    grid->setColumnCount(cells.size() + 1);
    for (int i = 0; i < cells.size(); ++i) {
        grid->setItem(0, i, new QTableWidgetItem(cells[i].time));
        grid->setItem(1, i, new QTableWidgetItem(cells[i].action));
    }
    const bool active = m_doc.program().macros[index].active;
    m_setupPage->macroActive()->setChecked(active);
    grid->setEnabled(active);
    m_setupPage->addButton()->setEnabled(active);
    m_setupPage->addPauseButton()->setEnabled(active);
    m_setupPage->deleteButton()->setEnabled(active);
}

} // namespace vz
