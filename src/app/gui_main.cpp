#include "app/gui_main.h"

#include "app/rehearsal_wiring.h"
#include "app/unit_language.h"
#include "base/prompts.h"
#include "base/ui_style.h"
#include "base/unit_service.h"
#include "base/unit_service_gui.h"
#include "fire/fire_console.h"
#include "fire/fire_log.h"
#include "fire/fire_wiring.h"
#include "fire/macro_checks.h"
#include "output/output_wiring.h"
#include "preview/preview_area.h"
#include "preview/preview_wiring.h"
#include "program/box_header.h"
#include "program/edit_wiring.h"
#include "program/program_document.h"
#include "program/program_pages.h"
#include "program/project_file.h"
#include "serial/com_port.h"
#include "transfer/backend_transmit.h"
#include "transfer/transfer_wiring.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

namespace vz {

namespace {

const QString kAppTitle = QStringLiteral("Vestro Zandor");
const QString kProjectFilter = QStringLiteral("Kalvex-Projekt (*.kvx)");
const QString kProjectSuffix = QStringLiteral("kvx");
const QString kLineBreak = QStringLiteral("\n\r");

// The client area is the one of a 761 x 467 window with the usual frame and title bar; the
// menu bar comes on top of it.
constexpr int kMinClientWidth = 744;
constexpr int kPageControlTop = 70;
constexpr int kPreviewX = 184;
constexpr int kCtrlStep = 5;

bool isProjectFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && hasProjectExtension(path);
}

} // namespace

Tfrm_gui_main::Tfrm_gui_main(const QString& programDir, const QStringList& arguments,
                             Prompts& prompts, QWidget* parent)
    : Tfrm_gui_main(DataFolder::forProgram(programDir), arguments, prompts, parent) {}

Tfrm_gui_main::Tfrm_gui_main(const DataFolder& dataFolder, const QStringList& arguments,
                             Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_programDir(dataFolder.programDir()), m_data(dataFolder),
      m_arguments(arguments), m_prompts(prompts), m_settingsPath(dataFolder.settingsPath()) {
    setObjectName(QStringLiteral("frm_gui_main"));
    setWindowTitle(kAppTitle);
    setFont(ui::windowFont());

    // The record starts with its start values and empty macros.
    m_document = new ProgramDocument(this);
    m_output = new OutputWiring(this, *m_document, m_prompts, m_programDir);
    m_transfer =
        // The transmit dialog's ports/ links are the data folder's.
        new TransferWiring(this, *m_document, m_settings, m_settingsPath, m_prompts, m_data.path());
    m_fireWiring = new FireWiring(this, *m_document, m_hotkeys, m_prompts);
    m_edit = new EditWiring(this, *m_document);

    SettingsFile::setWriteObserver(
        this, [this](const QString& path, bool written) { settingsWritten(path, written); });
    buildMenus();
    buildClientArea();
    readSettings();
    setupControls();
    m_hotkeys.load(m_data.hotkeysPath());
    openStartProject();
    createWindows();

    // Keys reach the window before its controls.
    qApp->installEventFilter(this);
}

Tfrm_gui_main::~Tfrm_gui_main() {
    SettingsFile::removeWriteObserver(this);
    qApp->removeEventFilter(this);
}

Tfrm_gui_transmit* Tfrm_gui_main::transmitDialog() const {
    return m_transfer->transmitDialog();
}

Tfrm_gui_adv_settings* Tfrm_gui_main::advSettingsDialog() const {
    return m_transfer->advSettingsDialog();
}

FireConsole* Tfrm_gui_main::fireConsole() const {
    return m_fire;
}

// --- construction ---

void Tfrm_gui_main::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    auto addMenu = [this, bar](const QString& name) {
        auto* menu = new QMenu(name, this);
        menu->setObjectName(name);
        bar->addMenu(menu);
        return menu;
    };
    auto addEntry = [this](QMenu* menu, const QString& name, void (Tfrm_gui_main::*slot)()) {
        QAction* action = ui::addMenuEntry(menu, name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto addBar = [this, bar]() {
        auto* action = new QAction(QStringLiteral("|"), this);
        action->setEnabled(false);
        bar->addAction(action);
    };

    QMenu* file = addMenu(QStringLiteral("menu_file"));
    addEntry(file, QStringLiteral("menu_file_new"), &Tfrm_gui_main::menu_file_newClick);
    addEntry(file, QStringLiteral("menu_file_open"), &Tfrm_gui_main::menu_file_openClick);
    m_menuFileSave =
        addEntry(file, QStringLiteral("menu_file_save"), &Tfrm_gui_main::menu_file_saveClick);
    m_menuFileSave->setEnabled(false);
    addEntry(file, QStringLiteral("menu_file_saveas"), &Tfrm_gui_main::menu_file_saveasClick);
    file->addSeparator();
    m_output->addFileEntries(file);
    file->addSeparator();
    addEntry(file, QStringLiteral("menu_file_exitprog"), &Tfrm_gui_main::menu_file_exitprogClick);

    m_edit->addEditMenu(bar);

    QMenu* settings = addMenu(QStringLiteral("menu_settings"));
    addEntry(settings, QStringLiteral("menu_settings_language"),
             &Tfrm_gui_main::menu_settings_languageClick);
    m_transfer->addSettingsEntries(settings);
    m_fireWiring->addSettingsEntries(settings);

    m_output->addHelpEntries(addMenu(QStringLiteral("menu_help")));

    addBar();
    m_transfer->addTransmitEntry(bar);
    addBar();

    m_fireWiring->addFireMenu(bar);
}

void Tfrm_gui_main::buildClientArea() {
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);

    m_header = new BoxHeader(m_client, *m_document);

    m_preview = new PreviewArea(m_client);
    m_preview->setGeometry(kPreviewX, 0, PreviewArea::kWidth, PreviewArea::kHeight);

    m_pageControl = new QTabWidget(m_client);
    m_pageControl->setObjectName(QStringLiteral("PageControl"));
    m_pageControl->setIconSize(QSize(20, 20));
    m_pageControl->setUsesScrollButtons(true);
    m_pageControl->tabBar()->setStyle(ui::compactTabStyle(m_pageControl->tabBar()));

    m_programPages = new ProgramPages(m_pageControl, *m_document, this);
    m_previewWiring =
        new PreviewWiring(m_preview, m_pageControl, m_programPages, *m_document, m_settings, this);
    // Pages 9 and 10 belong to the fire console, which needs the serial port of the
    // transmit dialog: they are added when the other windows are created.

    connect(m_pageControl, &QTabWidget::currentChanged, this, &Tfrm_gui_main::pageChanged);

    connect(m_document, &ProgramDocument::moduleCountChanged, this,
            [this](int, int) { m_preview->placeFlames(m_document->program().moduleCount()); });
    connect(m_document, &ProgramDocument::activeTabChanged, this, &Tfrm_gui_main::showActiveTab);
    connect(m_document, &ProgramDocument::modifiedChanged, m_menuFileSave, &QAction::setEnabled);
    connect(m_document, &ProgramDocument::opened, this, [this](const QString& path) {
        setProjectCaption(path);
        // Also when the page ActiveTab names was the last program page on show and the
        // set-up page is on show now: the document sees no change then.
        showActiveTab(m_document->program().activeTab);
    });
    const auto showError = [this](const QString& message) { m_prompts.error(this, message); };
    connect(m_document, &ProgramDocument::readFailed, this, showError);
    connect(m_document, &ProgramDocument::readProblems, this, showError);
    connect(m_document, &ProgramDocument::saveFailed, this, showError);
    // Learnt at the desk, not at the show.
    m_document->setReadCheck([](const BoxProgram& program) {
        return macroProblemsMessage(macroProblems(program), get_text);
    });

    m_client->installEventFilter(this);
    // Window size without the frame: the client area plus the menu bar.
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(kMinClientWidth, kClientHeight + menuHeight);
    resize(kClientWidth, kClientHeight + menuHeight);
    layoutClientArea();
}

void Tfrm_gui_main::layoutClientArea() {
    const int w = m_client->width();
    const int h = m_client->height();
    // The preview keeps its distance to the right edge; the pages take all the rest.
    m_preview->move(w - (kClientWidth - kPreviewX), 0);
    m_pageControl->setGeometry(0, kPageControlTop, w, qMax(0, h - kPageControlTop));
}

void Tfrm_gui_main::readSettings() {
    QString folderError;
    bool newFolder = false;
    if (!m_data.ensure(&folderError, &newFolder)) {
        // Nothing can be kept: one message, then the defaults as without a settings file.
        m_settingsFailTold = true;
        m_prompts.error(this, folderError.replace(QLatin1Char('\n'), kLineBreak));
        load_languagefile(QStringLiteral("english"));
        m_settings = Settings();
        return;
    }
    const SettingsFile::LoadResult loaded = SettingsFile::load(m_settingsPath);
    if (!loaded.fileFound) {
        // A data folder made just now never held settings: its first start writes the
        // defaults. One that was there before had them and lost them (or holds a file that
        // cannot be read): the operator learns that the defaults are in force.
        const bool firstStart = newFolder && !QFileInfo::exists(m_settingsPath);
        if (!firstStart)
            m_prompts.error(this, QStringLiteral("Ini-File not found.") + kLineBreak +
                                      QStringLiteral("Using default settings."));
        load_languagefile(QStringLiteral("english"));
        m_settings = Settings();
        if (firstStart)
            SettingsFile::writeDefaults(m_settingsPath);
        return;
    }
    m_settings = loaded.settings;

    const QString name = m_settings.language;
    if (QFileInfo(m_data.languageFile(name)).isFile()) {
        load_languagefile(name);
    } else if (QFileInfo(m_data.languageFile(QStringLiteral("english"))).isFile()) {
        m_prompts.error(this, QStringLiteral("Languagefile not found at given location:") +
                                  kLineBreak + name + kLineBreak +
                                  QStringLiteral("Using default. (english)"));
        load_languagefile(QStringLiteral("english"));
    } else {
        m_prompts.error(this, QStringLiteral("Languagefile or default Languagefile not found.") +
                                  kLineBreak + QStringLiteral("Loading of languagefile aborted."));
    }
    if (!loaded.refused.isEmpty())
        m_prompts.error(this, get_text(QStringLiteral("msg_settings_refused")) + kLineBreak +
                                  loaded.refused.join(kLineBreak));
}

void Tfrm_gui_main::setupControls() {
    m_document->setBoxMode(m_settings.newBoxmode);
    m_document->setMaxBox(m_settings.maxbox);
    m_header->fillLists();

    m_document->setBoxNr(0);
    m_document->applyModuleCountPosition(kStartCountPosition);
    m_programPages->showAll();
    m_document->applyBoxMode();
    m_document->setModified(false);

    m_header->showModuleCount();
    m_preview->placeFlames(m_document->program().moduleCount());
    m_pageControl->setCurrentIndex(kPageSingle);
    apply_boxmode();
    // The fire page's tab starts hidden; it is added with the console (FireWiring).
}

void Tfrm_gui_main::openStartProject() {
    // The remembered project is the current path until a project is opened or saved, also
    // when it is gone or cannot be read: the next close writes it back.
    m_document->setPath(m_settings.lastProject);
    // An argument that cannot be read is reported and then treated as no argument.
    if (m_arguments.size() == 1 && isProjectFile(m_arguments.constFirst()) &&
        read_project(m_arguments.constFirst()))
        return;
    if (!m_settings.lastProject.isEmpty() && QFileInfo(m_settings.lastProject).isFile()) {
        if (m_prompts.confirm(this, get_text(QStringLiteral("open_last_qry")) + kLineBreak +
                                        m_settings.lastProject) == Prompts::Answer::Yes)
            read_project(m_settings.lastProject);
        else
            m_document->setPath(QString());
    }
}

void Tfrm_gui_main::createWindows() {
    // Created once, in this order, and kept until the program ends.
    m_frmLanguage = new Tfrm_language(
        m_data, [this](const QString& name) { load_languagefile(name); }, this);
    m_output->createWindows();
    m_transfer->createWindows();
    connect(m_transfer, &TransferWiring::boxModeApplied, this, &Tfrm_gui_main::apply_boxmode);

    // The fire console shares the transmit dialog's serial port.
    FireWindowHooks hooks;
    hooks.runTransfer = [this] { m_transfer->menu_transmit_captionClick(); };
    // The document has already taken the RK40 state and the derived box number.
    hooks.setRk40BoxList = [this](bool rk40On) { setBoxListForced(rk40On); };
    m_fireWiring->createConsole(m_transfer->transmitDialog()->com_port(), m_pageControl,
                                m_preview->firemodeWarning(), m_settings, m_settingsPath,
                                std::move(hooks));
    m_fire = m_fireWiring->console();
    // The help document opens in a program of its own, which takes the keys (Escape) away.
    if (auto* help = findChild<QAction*>(QStringLiteral("menu_help_intro")))
        connect(help, &QAction::triggered, m_fire, &FireConsole::stopRunningMacro);
    m_fire->setHotkeyPath(m_data.hotkeysPath());
    m_fire->setFireLog(new FireLog(m_data.logDir(), this));
    // One armed state: each part of the window that could change a frame follows it.
    connect(m_fire, &FireConsole::armedChanged, m_edit, &EditWiring::setArmed);
    connect(m_fire, &FireConsole::armedChanged, m_transfer, &TransferWiring::setArmed);
    connect(m_fire, &FireConsole::armedChanged, m_header, &BoxHeader::setArmed);
    m_rehearsal = new RehearsalWiring(*m_fire, *m_document, m_settings, *m_preview, this);
}

// --- show, close, keys ---

void Tfrm_gui_main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_centred) {
        // Left to itself the window lands wherever the window manager puts it (at 0,0
        // without one). The frame is known once the window exists, which it does now.
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    FormShow();
}

void Tfrm_gui_main::FormShow() {
    applyLanguage();
    m_fire->fillMacroList();
    m_pageControl->setCurrentIndex(kPageSingle);
    transmitDialog()->com_port().setComNumber(quint16(qBound(0, m_settings.port, 0xFFFF)));
    // The set-up page's port label shows that number from the start (and again on every
    // show of the page).
    m_fire->tab_fire_setupShow();
}

void Tfrm_gui_main::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void Tfrm_gui_main::FormCloseQuery(bool& canClose) {
    // Nothing fires while the operator answers the question, nor after the window is gone.
    if (m_fire)
        m_fire->stopMacro();
    if (m_document->isModified()) {
        switch (m_prompts.warningYesNoCancel(this, get_text(QStringLiteral("msg_saveproject")))) {
        case Prompts::Answer::Yes:
            menu_file_saveClick();
            // A save that did not go through (dialog cancelled, overwrite declined, write
            // failed) must not lose the changes: the window stays open.
            canClose = !m_document->isModified();
            break;
        case Prompts::Answer::No:
            break;
        default: // Cancel, or the box closed without an answer
            canClose = false;
            break;
        }
    }
    SettingsFile::writeLastProject(m_settingsPath, m_document->path());
    // Closing while armed is fire mode off: the copy on the line still goes, the port closes
    // and the fire log ends with it.
    if (canClose && m_fire)
        m_fire->controller().switchOff();
}

void Tfrm_gui_main::settingsWritten(const QString& path, bool written) {
    // One message while the writes keep failing: a full disk would otherwise bring one at
    // every port choice. A write that goes through again re-arms it.
    if (written)
        m_settingsFailTold = false;
    if (written || m_settingsFailTold)
        return;
    m_settingsFailTold = true;
    m_prompts.error(this, get_text(QStringLiteral("msg_settings_notsaved"))
                              .replace(QLatin1String("%1"), QDir::toNativeSeparators(path)));
}

bool Tfrm_gui_main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize) {
        layoutClientArea();
        return false;
    }
    const QEvent::Type type = event->type();
    if (type == QEvent::Show && m_fire) {
        // Every modal window passes here before it is on screen, whoever opens it: a running
        // macro must not go on behind it, out of the operator's reach.
        auto* shown = qobject_cast<QWidget*>(watched);
        if (shown && shown->isWindow() && shown->isModal())
            m_fire->stopRunningMacro();
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    // A key no control takes travels up the parents and passes this filter at each of them;
    // the window acts on it once.
    auto* key = static_cast<QKeyEvent*>(event);
    if (event == m_lastKeyEvent && type == m_lastKeyType && m_lastKeyReceiver &&
        widget != m_lastKeyReceiver && widget->isAncestorOf(m_lastKeyReceiver))
        return false;
    m_lastKeyEvent = event;
    m_lastKeyType = type;
    m_lastKeyReceiver = widget;
    if (type == QEvent::KeyPress)
        return FormKeyDown(key);
    FormKeyUp(key);
    return false;
}

bool Tfrm_gui_main::event(QEvent* event) {
    // Ctrl, or a hotkey, released in another window never reaches this one.
    if (event->type() == QEvent::WindowDeactivate) {
        m_programPages->setStep(1);
        if (m_fire)
            m_fire->resetKeyLatch();
    }
    return QMainWindow::event(event);
}

bool Tfrm_gui_main::FormKeyDown(QKeyEvent* event) {
    // On the fire page a key is a hotkey and nothing else: typed into a list that happens
    // to have the focus (module count, the RK40's box list) it would change the program
    // under the armed console.
    if (m_fire && m_fire->FormKeyDown(event->key(), event->modifiers(), event->isAutoRepeat()))
        return true;
    if (event->key() == Qt::Key_Control)
        m_programPages->setStep(kCtrlStep);
    return false;
}

void Tfrm_gui_main::FormKeyUp(QKeyEvent* event) {
    if (m_fire)
        m_fire->FormKeyUp(event->key(), event->isAutoRepeat());
    if (event->key() == Qt::Key_Control)
        m_programPages->setStep(1);
}

// --- language ---

bool Tfrm_gui_main::load_languagefile(const QString& name) {
    if (!languageTable().loadFile(m_data.languageFile(name))) {
        m_prompts.error(this, QStringLiteral("Language-File not found.") + kLineBreak);
        return false;
    }
    // A settings file that cannot be written does not undo the load.
    SettingsFile::writeLanguage(m_settingsPath, name);
    m_settings.language = name;
    m_output->updateHelpEntry();
    return true;
}

void Tfrm_gui_main::menu_settings_languageClick() {
    m_frmLanguage->exec();
    applyLanguage();
}

void Tfrm_gui_main::applyLanguage() {
    apply_texts(this);
    m_edit->updateEntries(); // the entries name their step in the language just applied
    restoreCaption();
    // Texts that no caption pass reaches: the hints and the macro list's items.
    m_programPages->setHints(get_text(QStringLiteral("hint_ud")),
                             get_text(QStringLiteral("hint_preview_btn")));
    m_fire->applyTexts();
    m_rehearsal->applyTexts();
}

// --- project file ---

void Tfrm_gui_main::setProjectCaption(const QString& path) {
    m_captionFile = QFileInfo(path).fileName();
    setWindowTitle(kAppTitle + QStringLiteral(" - ") + m_captionFile);
}

void Tfrm_gui_main::restoreCaption() {
    // The caption of an open project names its file whatever language is applied.
    if (!m_captionFile.isEmpty())
        setWindowTitle(kAppTitle + QStringLiteral(" - ") + m_captionFile);
}

bool Tfrm_gui_main::write_project(const QString& path) {
    m_document->setPath(path);
    setProjectCaption(path);
    if (QFileInfo::exists(path) &&
        m_prompts.confirm(this, get_text(QStringLiteral("msg_overwrite"))) !=
            Prompts::Answer::Yes) {
        m_prompts.information(this, get_text(QStringLiteral("msg_abortsave")));
        return false;
    }
    return m_document->save();
}

bool Tfrm_gui_main::read_project(const QString& path) {
    return m_document->open(path) == ProjectReadStatus::Read;
}

void Tfrm_gui_main::menu_file_newClick() {
    if (m_prompts.warningYesNo(this, get_text(QStringLiteral("msg_discardproject"))) !=
        Prompts::Answer::Yes)
        return;
    m_document->resetToNew();
    m_captionFile.clear();
    const QString caption = find_text(objectName());
    setWindowTitle(caption.isEmpty() ? kAppTitle : caption);
}

void Tfrm_gui_main::menu_file_openClick() {
    if (m_document->isModified() &&
        m_prompts.confirm(this, get_text(QStringLiteral("msg_discardproject"))) !=
            Prompts::Answer::Yes)
        return;
    const QString path = m_prompts.openFileName(this, kProjectFilter, kProjectSuffix);
    if (path.isEmpty()) {
        m_prompts.information(this, get_text(QStringLiteral("msg_abortopen")));
        return;
    }
    read_project(path);
}

void Tfrm_gui_main::menu_file_saveClick() {
    const QString path = m_document->path();
    if (!path.isEmpty() && QFileInfo(path).isFile())
        write_project(path);
    else
        menu_file_saveasClick();
}

void Tfrm_gui_main::menu_file_saveasClick() {
    const QString path = m_prompts.saveFileName(this, kProjectFilter, kProjectSuffix);
    if (path.isEmpty()) {
        m_prompts.information(this, get_text(QStringLiteral("msg_abortsave")));
        return;
    }
    write_project(withProjectExtension(path));
}

void Tfrm_gui_main::menu_file_exitprogClick() {
    close();
}

// --- fixed areas ---

void Tfrm_gui_main::apply_boxmode() {
    m_header->apply_boxmode();
}

void Tfrm_gui_main::setBoxListForced(bool forced) {
    m_header->setBoxListForced(forced);
}

void Tfrm_gui_main::showActiveTab(int page) {
    // In fire mode the program pages are hidden and the fire page stays on show.
    if (page >= 0 && page < kProgramPages && m_pageControl->isTabVisible(page))
        m_pageControl->setCurrentIndex(page);
}

void Tfrm_gui_main::pageChanged(int index) {
    if (index >= 0 && index < kProgramPages)
        m_document->setActiveTab(index);
}

} // namespace vz
