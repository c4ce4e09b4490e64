#include "fire/fire_wiring.h"

#include "base/settings.h"
#include "base/ui_style.h"
#include "fire/com_fire_port.h"
#include "fire/fire_log.h"
#include "fire/fire_panel.h"
#include "fire/fire_setup.h"
#include "fire/gui_firelog.h"
#include "fire/hotkeys.h"
#include "program/box_program.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace vz {

FireWiring::FireWiring(QWidget* window, ProgramDocument& document, HotkeyTable& hotkeys,
                       Prompts& prompts)
    : QObject(window), m_window(window), m_document(document), m_hotkeys(hotkeys),
      m_prompts(prompts) {}

void FireWiring::addSettingsEntries(QMenu* settings) {
    m_menuSaveHotkeys = ui::addMenuEntry(settings, QStringLiteral("menu_settings_save_hotkeys"));
}

void FireWiring::addFireMenu(QMenuBar* bar) {
    auto* fire = new QMenu(QStringLiteral("menu_fire"), m_window);
    fire->setObjectName(QStringLiteral("menu_fire"));
    bar->addMenu(fire);
    m_menuFireMaster = ui::addMenuEntry(fire, QStringLiteral("menu_fire_mastermodul"));
    m_menuFireRk40 = ui::addMenuEntry(fire, QStringLiteral("menu_fire_rk40"));
    m_menuFireRehearsal = ui::addMenuEntry(fire, QStringLiteral("menu_fire_rehearsal"));
    fire->addSeparator();
    m_menuFireLog = ui::addMenuEntry(fire, QStringLiteral("menu_fire_log"));
}

void FireWiring::createConsole(TApdComPort& port, QTabWidget* pageControl, QLabel* warning,
                               Settings& settings, const QString& settingsPath,
                               FireWindowHooks hooks) {
    m_pageControl = pageControl;
    m_firePort = new ComFirePort(port, m_window);
    m_console = new FireConsole(m_document, m_hotkeys, *m_firePort, m_prompts, m_window);

    pageControl->addTab(m_console->firePage(), QIcon(ui::tabPicture(kPageFireMode)), QString());
    pageControl->addTab(m_console->setupPage(), QIcon(ui::tabPicture(kPageFireSetup)), QString());
    pageControl->setTabVisible(kPageFireMode, false);
    m_console->useWarningLabel(warning);

    // Pictures and image index of the route entries.
    m_console->setRouteActions(m_menuFireMaster, m_menuFireRk40, m_menuFireRehearsal);
    connect(m_menuFireMaster, &QAction::triggered, m_console,
            &FireConsole::menu_fire_mastermodulClick);
    connect(m_menuFireRk40, &QAction::triggered, m_console, &FireConsole::menu_fire_rk40Click);
    connect(m_menuFireRehearsal, &QAction::triggered, m_console,
            &FireConsole::menu_fire_rehearsalClick);
    connect(m_menuSaveHotkeys, &QAction::triggered, m_console,
            &FireConsole::menu_settings_save_hotkeysClick);
    // Not modal: the log can stay open beside an armed console.
    m_fireLogWindow = new Tfrm_gui_firelog(m_prompts, m_window);
    connect(m_menuFireLog, &QAction::triggered, this, [this] {
        if (const FireLog* log = m_console->controller().log())
            m_fireLogWindow->showFolder(log->folder());
    });

    m_console->setSettingsPath(settingsPath);
    m_console->setConfiguredBox(settings.box);
    // One saved port number for the transfer and fire mode alike.
    m_console->bindSavedPort(settings.port);

    hooks.setFirePagesShown = [this](bool fireMode) { setFirePagesShown(fireMode); };
    m_console->setHooks(std::move(hooks));
}

void FireWiring::setFirePagesShown(bool fireMode) {
    if (fireMode) {
        // The fire page first, so that hiding the current page never passes through a
        // program page.
        m_pageControl->setTabVisible(kPageFireMode, true);
        m_pageControl->setCurrentIndex(kPageFireMode);
        for (int page = 0; page <= kPageFireSetup; ++page)
            if (page != kPageFireMode)
                m_pageControl->setTabVisible(page, false);
    } else {
        for (int page = 0; page <= kPageFireSetup; ++page)
            if (page != kPageFireMode)
                m_pageControl->setTabVisible(page, true);
        m_pageControl->setCurrentIndex(kPageSingle);
        m_pageControl->setTabVisible(kPageFireMode, false);
    }
}

} // namespace vz
