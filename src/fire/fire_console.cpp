#include "fire/fire_console.h"

#include "base/prompts.h"
#include "base/settings.h"
#include "base/ui_style.h"
#include "base/unit_service.h"
#include "fire/fire_buttons.h"
#include "fire/fire_frames.h"
#include "fire/fire_log.h"
#include "fire/fire_panel.h"
#include "fire/fire_setup.h"
#include "fire/fire_setup_console.h"
#include "fire/fire_texts.h"
#include "fire/gui_firebtn_hotkey.h"
#include "fire/hotkeys.h"
#include "fire/macro_console.h"
#include "program/program_document.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

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

} // namespace

FireConsole::FireConsole(ProgramDocument& document, HotkeyTable& hotkeys, FirePort& port,
                         Prompts& prompts, QWidget* window)
    : QObject(window), m_doc(document), m_hotkeys(hotkeys), m_port(port), m_prompts(prompts),
      m_window(window), m_controller(*this, port, m_engine),
      m_hotkeyPath(HotkeyTable::defaultPath()) {
    connect(&m_engine, &FireEngine::writeFailed, this, &FireConsole::portFailed);
    connect(&m_engine, &FireEngine::lineFailed, this, &FireConsole::portFailed);
    connect(&m_engine, &FireEngine::frameWritten, this, &FireConsole::frameWritten);

    m_firePage = new FireModePage(window);
    m_warning = ui::makeLabel(window, QStringLiteral("lbl_firemode_warning"),
                              QStringLiteral("FIRE MODE"), 0, true, Qt::red);
    m_warning->setAlignment(Qt::AlignCenter);
    m_warning->setWordWrap(true);
    m_warning->hide();

    m_hotkeyWindow = new Tfrm_firebtn_hotkey(window);
    m_setup = new FireSetupConsole(
        m_doc, m_controller, m_engine.priority(), [this](const QString& text) { showError(text); },
        window);
    m_macros = new MacroConsole(m_doc, m_controller, m_engine, *m_firePage, this);

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
    // A macro belongs to its document: New or Open ends it before the first value changes.
    connect(&m_doc, &ProgramDocument::replacing, this, &FireConsole::stopMacro);

    fillMacroList();
    applyTexts();
}

FireConsole::~FireConsole() {
    // The pages may already be gone with the page control, the log too: frames still queued
    // now are not written to it, and the run's news goes nowhere.
    m_controller.setLog(nullptr);
    m_engine.disconnect();
    m_engine.drop();
}

FireSetupPage* FireConsole::setupPage() const {
    return m_setup->page();
}

Tfrm_gui_macroseq* FireConsole::sequenceDialog() const {
    return m_setup->sequenceDialog();
}

Tfrm_gui_macropause* FireConsole::pauseDialog() const {
    return m_setup->pauseDialog();
}

const MacroRunner& FireConsole::runner() const {
    return m_macros->runner();
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

void FireConsole::setFireLog(FireLog* log) {
    if (m_log)
        disconnect(m_log, nullptr, this, nullptr);
    m_log = log;
    m_controller.setLog(log);
    if (m_log)
        connect(m_log, &FireLog::stopped, this, &FireConsole::fireLogStopped);
    m_setup->showLogPath();
}

void FireConsole::fireLogStopped() {
    // On the page, not in a message box: nothing may stand between the operator and the
    // next click.
    QLabel* label = m_firePage->logOffLabel();
    label->setText(get_text(QStringLiteral("firemode_log_off")) + QLatin1Char(' ') +
                   FireLog::stopText(m_log->stopInfo()));
    label->setToolTip(label->text());
    label->show();
}

void FireConsole::setRouteActions(QAction* masterModule, QAction* rk40, QAction* rehearsal) {
    m_masterAction = masterModule;
    m_rk40Action = rk40;
    m_rehearsalAction = rehearsal;
    for (QAction* a : {m_masterAction, m_rk40Action, m_rehearsalAction}) {
        if (!a)
            continue;
        a->setIcon(routeIcon(false));
        a->setProperty("imageIndex", 0);
        a->setEnabled(true);
    }
}

void FireConsole::fillMacroList() {
    m_setup->fillMacroList();
}

void FireConsole::applyTexts() {
    applyFireTexts(m_firePage);
    applyFireTexts(m_setup->page());
    m_setup->showPriority();
    const QString warning = find_text(m_warning->objectName());
    if (!warning.isEmpty())
        m_warning->setText(warning);
    const QString hotkey = find_text(QStringLiteral("firebtn_popup_hotkey"));
    if (!hotkey.isEmpty())
        m_firePage->popupHotkey()->setText(hotkey);
    m_setup->applyMacroListTexts();
    m_firePage->applyMacroCaptions();
    showArmed();
    if (m_log && m_log->isStopped())
        fireLogStopped();
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

void FireConsole::menu_fire_rehearsalClick() {
    m_controller.toggle(FireRoute::Rehearsal);
}

void FireConsole::showRehearsalCounts(int calls, int rejected) {
    m_firePage->rehearsalLabel()->setText(
        get_text(QStringLiteral("firemode_rehearsal_counts"))
            .replace(QLatin1String("%1"), QString::number(calls))
            .replace(QLatin1String("%2"), QString::number(rejected)));
}

void FireConsole::menu_settings_save_hotkeysClick() {
    // The bindings live only in memory until this write: a write that did not happen must
    // not pass for one that did.
    if (!m_hotkeys.save(m_hotkeyPath))
        showError(get_text(QStringLiteral("msg_hotkeys_notsaved")));
}

FireModeHost::Answer FireConsole::askFireMode(FireRoute route) {
    const QString target = armedTargetText(
        route, m_controller.savedPort(), m_controller.configuredBox(), m_doc.program().boxNumber());
    // Arming takes a deliberate Yes: Enter, Escape and the close box leave the console as it is.
    // A rehearsal is asked alike, in words that do not say the box will fire.
    const QString question = route == FireRoute::Rehearsal
                                 ? QStringLiteral("msg_firemode_rehearsal")
                                 : QStringLiteral("msg_firemode");
    switch (m_prompts.confirm(m_window, get_text(question).replace(QLatin1String("%1"), target),
                              Prompts::Answer::No)) {
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
           : route == FireRoute::Rehearsal  ? m_rehearsalAction
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

void FireConsole::setArmedState(bool armed) {
    emit armedChanged(armed);
}

void FireConsole::setFirePagesShown(bool fireMode) {
    showArmed();
    m_latch.reset();
    if (m_hooks.setFirePagesShown)
        m_hooks.setFirePagesShown(fireMode);
    // A rehearsal plays on the flame row, which the warning would cover; the page and the
    // preview's title say what it is.
    m_warning->setVisible(fireMode && m_controller.route() != FireRoute::Rehearsal);
}

void FireConsole::setFirePortText(const QString& text) {
    m_firePage->portLabel()->setText(text);
    showArmed();
}

void FireConsole::setSetupPortText(const QString& text) {
    m_setup->page()->portLabel()->setText(text);
}

void FireConsole::showArmed() {
    // The same words as the question that armed it. Buttons and hotkeys fire the configured
    // box, macros the program's (on the RK40 the box list beside): the page names both.
    m_firePage->setArmed(m_controller.isArmed(),
                         armedTargetText(m_controller.route(), m_port.comNumber(),
                                         m_controller.configuredBox(), m_doc.program().boxNumber()),
                         m_controller.route() == FireRoute::Rehearsal);
}

void FireConsole::setRk40BoxList(bool rk40On) {
    m_doc.setRk40Active(rk40On);
    if (!rk40On)
        m_doc.applyBoxMode(); // box mode 0: the derived number comes back
    if (m_hooks.setRk40BoxList)
        m_hooks.setRk40BoxList(rk40On);
    showArmed();
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
    m_firePage->portLabel()->setText(m_setup->page()->portLabel()->text());
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
    showArmed(); // an Open in fire mode brings the box of another program
}

void FireConsole::firemode_panelResize() {
    m_firePage->firemode_panelResize();
}

void FireConsole::btn_firemode_sgl1Click() {
    int family = -1;
    int number = -1;
    if (sender() && parseFireButtonName(sender()->objectName(), &family, &number))
        pressFireButton(family, number, QStringLiteral("button"));
}

void FireConsole::pressFireButton(int family, int number, const QString& source) {
    refreshIfStale();
    // Decided on the document as it is now, not on what a button happens to show.
    const BoxProgram& p = m_doc.program();
    const MacroRunner& runner = m_macros->runner();
    const QString refusal =
        fireRefusal(p, family, number, runner.isRunning() ? runner.macroIndex() + 1 : 0);
    const int channel = family == 9 ? -1 : fireButtonTag(p, family, number);
    if (!refusal.isEmpty()) {
        m_controller.logRefused(channel, source, refusal);
    } else if (family != 9) {
        m_controller.fire(channel, source);
    } else if (const QVector<MacroProblem> problems = macroProblems(p, number - 1);
               !problems.isEmpty()) {
        // Never run shorter, longer or otherwise than written.
        m_controller.logRefused(-1, source,
                                QStringLiteral("macro %1 does not run as written").arg(number));
        m_prompts.error(m_window, macroProblemsMessage(
                                      problems, [](const QString& key) { return get_text(key); },
                                      QLocale(), QStringLiteral("msg_macro_not_started")));
    } else {
        m_macros->start(number);
    }
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
        pressFireButton(e.family, e.number, QStringLiteral("hotkey ") + QChar(code));
    return true;
}

void FireConsole::FormKeyUp(int /*key*/, bool autoRepeat) {
    m_latch.release(autoRepeat);
}

// ---------------------------------------------------------------- macros

void FireConsole::btn_firemode_macroClick() {
    btn_firemode_sgl1Click(); // the button's name says which macro
}

void FireConsole::stopMacro() {
    m_macros->stop();
    m_engine.abort();
}

void FireConsole::stopRunningMacro() {
    if (m_macros->runner().isRunning())
        stopMacro();
}

void FireConsole::btn_firemode_stopClick() {
    stopMacro();
}

// ---------------------------------------------------------------- fire set-up page

void FireConsole::tab_fire_setupShow() {
    m_setup->tab_fire_setupShow();
}

} // namespace vz
