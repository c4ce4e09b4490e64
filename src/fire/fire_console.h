#pragma once

#include "fire/fire_engine.h"
#include "fire/fire_keys.h"
#include "fire/fire_mode.h"
#include "fire/macro_runner.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QLabel;
class QWidget;

namespace vz {

class HotkeyTable;
class Prompts;
class Tfrm_firebtn_hotkey;
class Tfrm_gui_macropause;
class Tfrm_gui_macroseq;

class FireLog;
class FireModePage;
class FireSetupConsole;
class FireSetupPage;
class MacroConsole;
class ProgramDocument;

// What the main window does for the console: the parts of the switching that concern its
// own controls.
struct FireWindowHooks {
    // The transfer command, as from menu_transmit_caption.
    std::function<void()> runTransfer;
    // true: tabs of pages 0..8 and 10 hidden, tab 9 shown and made current.
    // false: tabs 0..8 and 10 shown, tab 9 hidden, page 0 current.
    std::function<void(bool)> setFirePagesShown;
    // true: hide box_nr_cblbl, show box_nr_cb. false: in box mode 0 hide box_nr_cb and show
    // box_nr_cblbl with the derived number (the document has already reset boxNr).
    std::function<void(bool)> setRk40BoxList;
};

// The live firing console: the fire page, the fire set-up page, the warning label, the
// dialogs, fire mode on both routes, hotkeys and macros. The main window embeds the two
// pages and the label, hands in its menu entries and keys, and provides the hooks.
// Macro runs are MacroConsole's, the set-up page FireSetupConsole's; this class holds fire
// mode, the fire page's buttons and the keys.
class FireConsole : public QObject, private FireModeHost {
    Q_OBJECT
public:
    FireConsole(ProgramDocument& document, HotkeyTable& hotkeys, FirePort& port, Prompts& prompts,
                QWidget* window);
    ~FireConsole() override;

    FireModePage* firePage() const { return m_firePage; }
    FireSetupPage* setupPage() const;
    QLabel* warningLabel() const { return m_warning; }
    Tfrm_firebtn_hotkey* hotkeyWindow() const { return m_hotkeyWindow; }
    Tfrm_gui_macroseq* sequenceDialog() const;
    Tfrm_gui_macropause* pauseDialog() const;
    FireModeController& controller() { return m_controller; }
    // The fire thread.
    FireEngine& engine() { return m_engine; }
    const MacroRunner& runner() const;
    const KeyLatch& keyLatch() const { return m_latch; }

    void setHooks(FireWindowHooks hooks) { m_hooks = std::move(hooks); }
    // menu_fire_mastermodul, menu_fire_rk40, menu_fire_rehearsal: the console sets their
    // pictures and enabled state; the window connects their triggered signals to the Click
    // slots.
    void setRouteActions(QAction* masterModule, QAction* rk40, QAction* rehearsal = nullptr);
    // The line the rehearsal writes to, made by the window when it arms.
    void setRehearsalLine(FireModeController::RehearsalLineMaker maker) {
        m_controller.setRehearsalLine(std::move(maker));
    }
    // The rehearsal's box, on the fire page: calls it played and frames it rejected.
    void showRehearsalCounts(int calls, int rejected);
    // settings.ini in the data folder, for [com] port.
    void setSettingsPath(const QString& path) { m_settingsPath = path; }
    void setHotkeyPath(const QString& path) { m_hotkeyPath = path; }
    // The fire log of the show (nullptr: none); the set-up page shows where it writes.
    void setFireLog(FireLog* log);
    void setConfiguredBox(int box) { m_controller.setConfiguredBox(box); }
    void setSavedPort(int port) { m_controller.setSavedPort(port); }
    int savedPort() const { return m_controller.savedPort(); }
    // The window's own [com] port variable becomes the one fire mode reads and writes.
    void bindSavedPort(int& storage) { m_controller.bindSavedPort(&storage); }
    // The window already has a label lbl_firemode_warning where it belongs: the console
    // drives that one and drops its own, so there is never a second widget of that name.
    void useWarningLabel(QLabel* label);

    // Items get_text("macro") + " " + n; the first selected. On the main window's show.
    void fillMacroList();
    // Captions and the macro list's items from the language table (after a language change
    // too, keeping the chosen macro).
    void applyTexts();

    // Keys as the main window sees them before its controls. True when the console took
    // the key (the fire page is on show); the window then does nothing else with it.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    void FormKeyUp(int key, bool autoRepeat);
    // The window lost focus: a release may never come.
    void resetKeyLatch() { m_latch.reset(); }

    // Base hint of button (family 0..9, number) as the last show of the fire page stored it.
    QString baseHint(int family, int number) const;

signals:
    // Fire mode went on or off. Every wiring object follows it in one place: while armed,
    // nothing that changes what a button or hotkey fires takes input.
    void armedChanged(bool armed);

public slots:
    void menu_fire_mastermodulClick();
    void menu_fire_rk40Click();
    void menu_fire_rehearsalClick();
    void menu_settings_save_hotkeysClick();

    void tab_fire_modeShow();
    void btn_firemode_sgl1Click();
    void btn_firemode_macroClick();
    void btn_firemode_stopClick();
    void btn_firemode_seqX5MouseDown(int family, int number);
    void firebtn_popup_hotkeyClick();
    // After a change of the module count.
    void firemode_panelResize();

    void tab_fire_setupShow();

    // A write was refused, or the port reported an error on its own (device gone).
    void portFailed();
    // Escape, Stop, fire mode off, the close request, New and Open: ends a running macro
    // and drops every frame that has not started.
    void stopMacro() override;
    // A modal window is about to open, or the help takes the keys away: a running macro stops
    // first (with "macro abort") rather than run on out of the operator's reach.
    void stopRunningMacro();

private:
    // FireModeHost
    Answer askFireMode(FireRoute route) override;
    void runTransfer() override;
    void setRouteActive(FireRoute route, bool active) override;
    void setRouteEnabled(FireRoute route, bool enabled) override;
    void setArmedState(bool armed) override;
    void setFirePagesShown(bool fireMode) override;
    void setFirePortText(const QString& text) override;
    void setSetupPortText(const QString& text) override;
    void setRk40BoxList(bool rk40On) override;
    void showError(const QString& text) override;
    void savePortSetting(int port) override;

    bool firePageOnShow() const;
    // What is armed, at the top of the fire page.
    void showArmed();
    // Tags, captions, visibility and hints of the fire buttons from the document now.
    void refreshButtons();
    // The document changed while the fire page is on show: refresh once the change is
    // complete (a project load is hundreds of changes), or before the next click.
    void markButtonsStale();
    void refreshIfStale();
    // A fire button pressed by mouse or key: fires, starts its macro, or refuses (fire log).
    void pressFireButton(int family, int number, const QString& source);
    // Says on the page, in the operator's language, that the log is off and why.
    void fireLogStopped();
    void frameWritten(const QByteArray& frame);
    QAction* routeAction(FireRoute route) const;

    ProgramDocument& m_doc;
    HotkeyTable& m_hotkeys;
    FirePort& m_port;
    Prompts& m_prompts;
    QWidget* m_window;
    FireEngine m_engine;
    FireModeController m_controller;
    KeyLatch m_latch;
    FireWindowHooks m_hooks;

    FireModePage* m_firePage = nullptr;
    QLabel* m_warning = nullptr;
    Tfrm_firebtn_hotkey* m_hotkeyWindow = nullptr;
    MacroConsole* m_macros = nullptr;
    FireSetupConsole* m_setup = nullptr;
    QAction* m_masterAction = nullptr;
    QAction* m_rk40Action = nullptr;
    QAction* m_rehearsalAction = nullptr;
    bool m_buttonsStale = false;
    QString m_settingsPath;
    QString m_hotkeyPath;
    FireLog* m_log = nullptr;
    std::array<std::array<QString, 17>, 10> m_baseHints;
};

} // namespace vz
