#pragma once

#include "fire/fire_console.h"

#include <QObject>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QTabWidget;
class QWidget;

namespace vz {

class HotkeyTable;
class Prompts;
class TApdComPort;
class Tfrm_gui_firelog;
struct Settings;

class ComFirePort;
class ProgramDocument;

// Puts the fire console into the main window: the fire menu with its two routes, the entry
// that saves the hotkeys, pages 9 and 10 of the page control and the switch between the
// program pages and the fire page. The main window creates it, lets it add its entries and,
// after the transfer's dialogs (whose serial port the console shares), the console.
class FireWiring : public QObject {
    Q_OBJECT
public:
    FireWiring(QWidget* window, vz::ProgramDocument& document, HotkeyTable& hotkeys,
               Prompts& prompts);

    // menu_settings_save_hotkeys.
    void addSettingsEntries(QMenu* settings);
    // menu_fire with menu_fire_mastermodul, menu_fire_rk40, menu_fire_rehearsal and
    // menu_fire_log. The rehearsal arms only once the window has given the console its line.
    void addFireMenu(QMenuBar* bar);

    // Creates the console on the program's serial port (it creates the hotkey capture
    // window, the macro pause and the macro sequence dialogs, in that order). hooks names
    // what the window does for it; the switch of the pages is done here.
    void createConsole(TApdComPort& port, QTabWidget* pageControl, QLabel* warning,
                       Settings& settings, const QString& settingsPath, vz::FireWindowHooks hooks);

    vz::FireConsole* console() const { return m_console; }
    Tfrm_gui_firelog* fireLogWindow() const { return m_fireLogWindow; }

private:
    void setFirePagesShown(bool fireMode);

    QWidget* m_window;
    vz::ProgramDocument& m_document;
    HotkeyTable& m_hotkeys;
    Prompts& m_prompts;
    QTabWidget* m_pageControl = nullptr;
    QAction* m_menuSaveHotkeys = nullptr;
    QAction* m_menuFireMaster = nullptr;
    QAction* m_menuFireRk40 = nullptr;
    QAction* m_menuFireRehearsal = nullptr;
    QAction* m_menuFireLog = nullptr;
    Tfrm_gui_firelog* m_fireLogWindow = nullptr;
    vz::ComFirePort* m_firePort = nullptr;
    vz::FireConsole* m_console = nullptr;
};

} // namespace vz
