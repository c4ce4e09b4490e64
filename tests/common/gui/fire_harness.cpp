#include "fire_harness.h"

#include "app/ini_file.h"
#include "fire/fire_panel.h"
#include "fire/fire_setup.h"
#include "fire/gui_firebtn_hotkey.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>

FireHarness::FireHarness(int boxMode) : port(dir.path()), firePort(port) {
    setObjectName(QStringLiteral("frm_gui_main"));
    resize(761, 467);
    pty.linkAs(dir.path(), kCom);
    far = std::make_unique<FarEndRecorder>(pty.masterFd());
    port.setPortChooser([this]() -> std::optional<int> {
        if (chooserAnswer == 0)
            return std::nullopt;
        return chooserAnswer;
    });

    doc.setBoxMode(boxMode);
    doc.setMaxBox(50);
    doc.applyModuleCountPosition(vz::kStartCountPosition);
    doc.setModified(false);

    boxList = new QComboBox(this);
    boxList->setObjectName(QStringLiteral("box_nr_cb"));
    for (int i = 1; i <= 50; ++i)
        boxList->addItem(QString::number(i));
    boxList->setGeometry(8, 8, 60, 22);
    boxLabel = new QLabel(this);
    boxLabel->setObjectName(QStringLiteral("box_nr_cblbl"));
    boxLabel->setGeometry(8, 8, 60, 22);
    if (boxMode == 0)
        showBoxLabel();
    else
        boxLabel->hide();

    tabs = new QTabWidget(this);
    tabs->setGeometry(0, 40, 761, 427);
    for (int i = 0; i < vz::kProgramPages; ++i) {
        auto* page = new QWidget;
        page->setObjectName(vz::pageName(i));
        tabs->addTab(page, vz::pageCode(i));
    }
    master = new QAction(QStringLiteral("Master module"), this);
    master->setObjectName(QStringLiteral("menu_fire_mastermodul"));
    rk40 = new QAction(QStringLiteral("RK40"), this);
    rk40->setObjectName(QStringLiteral("menu_fire_rk40"));
    transfer = new QAction(QStringLiteral("Transmit"), this);
    transfer->setObjectName(QStringLiteral("menu_transmit_caption"));

    console = new vz::FireConsole(doc, hotkeys, firePort, prompts, this);
    tabs->addTab(console->firePage(), QStringLiteral("Fire"));
    tabs->addTab(console->setupPage(), QStringLiteral("Fire set-up"));
    tabs->setTabVisible(vz::kPageFireMode, false);
    previewGroup = new QLabel(this);
    previewGroup->setGeometry(500, 0, 261, 40);
    console->warningLabel()->setParent(previewGroup);
    console->warningLabel()->setGeometry(0, 0, 261, 40);
    console->warningLabel()->hide();

    console->setRouteActions(master, rk40);
    console->setSettingsPath(settingsPath());
    console->setHotkeyPath(dir.filePath(QStringLiteral("hotkeys.ini")));
    console->setConfiguredBox(1);
    console->setSavedPort(kCom);
    console->hotkeyWindow()->setHoldMs(10);
    connect(master, &QAction::triggered, console, &vz::FireConsole::menu_fire_mastermodulClick);
    connect(rk40, &QAction::triggered, console, &vz::FireConsole::menu_fire_rk40Click);
    connect(&firePort, &vz::ComFirePort::failed, console, &vz::FireConsole::portFailed);

    vz::FireWindowHooks hooks;
    hooks.runTransfer = [this] { ++transfers; };
    hooks.setTransferEnabled = [this](bool on) { transfer->setEnabled(on); };
    hooks.setFirePagesShown = [this](bool on) {
        if (on) {
            tabs->setTabVisible(vz::kPageFireMode, true);
            tabs->setCurrentIndex(vz::kPageFireMode);
        }
        for (int i = 0; i <= vz::kPageFireSetup; ++i)
            if (i != vz::kPageFireMode)
                tabs->setTabVisible(i, !on);
        if (!on) {
            tabs->setCurrentIndex(vz::kPageSingle);
            tabs->setTabVisible(vz::kPageFireMode, false);
        }
    };
    hooks.setRk40BoxList = [this](bool on) {
        if (on) {
            boxLabel->hide();
            boxList->setCurrentIndex(doc.program().boxNr);
            boxList->show();
        } else if (doc.boxMode() == 0) {
            showBoxLabel();
        }
    };
    console->setHooks(hooks);
    qApp->installEventFilter(this);
}

FireHarness::~FireHarness() {
    qApp->removeEventFilter(this);
    far.reset();
}

void FireHarness::showBoxLabel() {
    boxList->hide();
    boxList->setCurrentIndex(doc.program().moduleCount() + 29);
    boxLabel->setText(QString::number(doc.program().moduleCount() + 30));
    boxLabel->show();
}

QString FireHarness::settingsPath() const {
    return dir.filePath(SettingsFile::fileName());
}

int FireHarness::settingsPort() const {
    IniFile ini(settingsPath());
    if (!ini.load())
        return -1;
    return ini.readInt(QStringLiteral("com"), QStringLiteral("port"), -1);
}

bool FireHarness::arm(vz::FireRoute route) {
    prompts.answers.enqueue(Prompts::Answer::Yes);
    (route == vz::FireRoute::Rk40 ? rk40 : master)->trigger();
    return console->controller().isArmed();
}

bool FireHarness::eventFilter(QObject* watched, QEvent* event) {
    // The window sees keys before its controls: the first receiver of a key event in this
    // window is this window itself or its focus widget.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        (watched == this || watched == focusWidget())) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress)
            console->FormKeyDown(k->key(), k->modifiers(), k->isAutoRepeat());
        else
            console->FormKeyUp(k->key(), k->isAutoRepeat());
    }
    return QWidget::eventFilter(watched, event);
}
