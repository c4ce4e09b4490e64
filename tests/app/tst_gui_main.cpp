// The main window as an operator meets it: start-up, closing, languages, the file menu and
// the fixed areas.

#include "gui/main_window_fixture.h"

#include "app/unit_language.h"
#include "base/ini_file.h"
#include "fire/fire_console.h"
#include "fire/fire_setup.h"
#include "preview/preview_area.h"
#include "program/program_document.h"
#include "program/program_pages.h"
#include "program/project_file.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

using namespace vz;
using Answer = Prompts::Answer;

namespace {

const QString kIniMissing = QStringLiteral("Ini-File not found.\n\rUsing default settings.");
const QString kLanguageFileMissing = QStringLiteral("Language-File not found.\n\r");
const QString kNoLanguage = QStringLiteral(
    "Languagefile or default Languagefile not found.\n\rLoading of languagefile aborted.");
const QString kFilter = QStringLiteral("Kalvex-Projekt (*.kvx)");

QString fallbackMessage(const QString& name) {
    return QStringLiteral("Languagefile not found at given location:\n\r") + name +
           QStringLiteral("\n\rUsing default. (english)");
}

// A project whose single 3 has the given time, so a test can tell which file was read.
void writeProject(const QString& path, int single3) {
    BoxProgram p = BoxProgram::startValues();
    p.singleAt(3).fire = single3;
    QVERIFY(ProjectFile::write(path, p));
}

QByteArray lastProjectSettings(const QString& last) {
    return "[languagefiles]\nactive=english\n[last_project]\nfilename=" + last.toUtf8() + "\n";
}

QString menuTitle(Tfrm_gui_main& w, const QString& name) {
    auto* menu = w.findChild<QMenu*>(name);
    return menu ? menu->title() : QString();
}

QString settingValue(const ProgramFolder& folder, const char* section, const char* key) {
    IniFile ini(folder.settingsPath());
    ini.load();
    return ini.readString(QString::fromLatin1(section), QString::fromLatin1(key),
                          QStringLiteral("<none>"));
}

int savedInt(const QString& path, const char* section, const char* key) {
    IniFile ini(path);
    return ini.load() ? ini.readInt(QString::fromLatin1(section), QString::fromLatin1(key), -1)
                      : -2;
}

void trigger(Tfrm_gui_main& w, const char* action) {
    w.findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

// Runs fn on the language dialog as soon as it is shown modally.
void onLanguageDialog(const std::function<void(Tfrm_language*)>& fn) {
    QTimer::singleShot(0, [fn] {
        auto* dialog = qobject_cast<Tfrm_language*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        fn(dialog);
        // A failed check inside fn must not leave the modal dialog waiting.
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

class TestGuiMain : public QObject {
    Q_OBJECT
private slots:
    void startUpLanguage_data();
    void startUpLanguage();
    void startUpDataFolderCannotBeMade();
    void startUpBoxList_data();
    void startUpBoxList();
    void startUpArgument_data();
    void startUpArgument();
    void startUpLastProject_data();
    void startUpLastProject();
    void closeRequest_data();
    void closeRequest();
    void languageDialog_data();
    void languageDialog();
    void fileNew();
    void fileOpen_data();
    void fileOpen();
    void unreadableProjectNotOpened_data();
    void unreadableProjectNotOpened();
    void fileSaveFlows();
    void fileSaveError();
    void layout();
    void textsFit_data();
    void textsFit();
    void menus();
    void editMenu();
};

void TestGuiMain::startUpLanguage_data() {
    QTest::addColumn<QByteArray>("settings");   // null: no settings file
    QTest::addColumn<QStringList>("languages"); // files left in language/
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<QString>("fileMenu"); // caption of menu_file once shown
    QTest::addColumn<QString>("active");   // [languagefiles] active afterwards

    const QStringList both{"english", "deutsch"};
    const QByteArray klingon("[languagefiles]\nactive=klingon\n");
    QTest::newRow("no settings file") << QByteArray() << both << QStringList{kIniMissing} << "File"
                                      << "english";
    QTest::newRow("no settings file, no english")
        << QByteArray() << QStringList{"deutsch"} << QStringList{kIniMissing, kLanguageFileMissing}
        << "menu_file"
        << "<none>";
    QTest::newRow("german") << QByteArray("[languagefiles]\nactive=deutsch\n") << both
                            << QStringList() << "Datei"
                            << "deutsch";
    QTest::newRow("no language key")
        << QByteArray("[df]\nbox=3\n") << both << QStringList() << "File"
        << "english";
    QTest::newRow("language file missing")
        << klingon << both << QStringList{fallbackMessage("klingon")} << "File"
        << "english";
    QTest::newRow("language and english missing")
        << klingon << QStringList{"deutsch"} << QStringList{kNoLanguage} << "menu_file"
        << "klingon";
    QTest::newRow("name differs in case") << QByteArray("[languagefiles]\nactive=Deutsch\n") << both
                                          << QStringList{fallbackMessage("Deutsch")} << "File"
                                          << "english";
}

void TestGuiMain::startUpLanguage() {
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, languages);
    QFETCH(QStringList, errors);
    QFETCH(QString, fileMenu);
    QFETCH(QString, active);

    MainWindowFixture f(settings);
    for (const QString& name : {QStringLiteral("english"), QStringLiteral("deutsch")})
        if (!languages.contains(name))
            f.folder.removeLanguage(name);
    Tfrm_gui_main& w = f.start();

    QCOMPARE(f.prompts.kinds(), QStringList(errors.size(), QStringLiteral("error")));
    QCOMPARE(f.prompts.texts(), errors);
    QCOMPARE(menuTitle(w, "menu_file"), fileMenu);
    QCOMPARE(settingValue(f.folder, "languagefiles", "active"), active);
    // Without a language every caption is the control's own name, every hint its key.
    if (fileMenu == QLatin1String("menu_file")) {
        QCOMPARE(w.findChild<QLabel*>("box_nr_lbl")->text(), QStringLiteral("box_nr_lbl"));
        QCOMPARE(w.pageControl()->tabText(0), QStringLiteral("tab_single"));
        QCOMPARE(w.findChild<UpDown*>("tab_single_modnr_1_ud")->toolTip(),
                 QStringLiteral("<hint_ud>"));
    }
}

void TestGuiMain::startUpDataFolderCannotBeMade() {
    // An installed program whose data folder would lie below a file: one message, then the
    // defaults and the shipped English.
    MainWindowFixture f;
    QVERIFY(f.folder.writeFile("file", "x"));
    const DataFolder data(f.folder.path(), f.folder.path() + "/file/config", f.folder.path(),
                          [](const QString&) { return false; });
    languageTable().clear();
    Tfrm_gui_main w(data, {}, f.prompts);
    w.show();
    QCoreApplication::processEvents();
    QCOMPARE(f.prompts.kinds(), QStringList{"error"});
    QCOMPARE(f.prompts.texts().constFirst(),
             "Cannot create the data folder " + f.folder.path() +
                 "/file/config/vestro-zandor.\n\rUsing default settings.");
    QCOMPARE(menuTitle(w, "menu_file"), QStringLiteral("File"));
    QCOMPARE(w.settings().box, Settings().box);
}

void TestGuiMain::startUpBoxList_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<bool>("listShown");
    QTest::addColumn<int>("boxPosition");

    QTest::newRow("no settings file") << QByteArray() << 50 << false << 35;
    QTest::newRow("maxbox 300") << QByteArray("[adv]\nmaxbox=300\n") << 255 << false << 35;
    QTest::newRow("maxbox below the fixed number")
        << QByteArray("[adv]\nmaxbox=20\n[misc]\nnew_boxmode=0\n") << 20 << false << -1;
    QTest::newRow("box mode 1") << QByteArray("[misc]\nnew_boxmode=1\n") << 50 << true << 0;
}

void TestGuiMain::startUpBoxList() {
    QFETCH(QByteArray, settings);
    QFETCH(int, boxes);
    QFETCH(bool, listShown);
    QFETCH(int, boxPosition);

    MainWindowFixture f(settings);
    Tfrm_gui_main& w = f.start();
    auto* list = f.find<QComboBox>("box_nr_cb");
    auto* label = f.find<QLabel>("box_nr_cblbl");
    QCOMPARE(list->count(), boxes);
    QCOMPARE(list->itemText(boxes - 1), QString::number(boxes));
    QCOMPARE(list->isVisible(), listShown);
    QCOMPARE(label->isVisible(), !listShown);
    QCOMPARE(list->currentIndex(), boxPosition);
    if (!listShown)
        QCOMPARE(label->text(), QStringLiteral("36"));
    QVERIFY(!w.document().isModified());
    QVERIFY(!w.findChild<QAction*>("menu_file_save")->isEnabled());
}

void TestGuiMain::startUpArgument_data() {
    QTest::addColumn<QString>("fileName");  // created in the folder; empty: none
    QTest::addColumn<int>("argumentCount"); // the file given this often
    QTest::addColumn<bool>("loaded");

    QTest::newRow(".kvx") << "show.kvx" << 1 << true;
    QTest::newRow(".KVX") << "SHOW.KVX" << 1 << true;
    QTest::newRow(".Kvx") << "show.Kvx" << 1 << true;
    QTest::newRow("other extension") << "show.txt" << 1 << false;
    QTest::newRow("no extension") << "showkvx" << 1 << false;
    QTest::newRow("two arguments") << "show.kvx" << 2 << false;
    QTest::newRow("missing file") << QString() << 1 << false;
}

void TestGuiMain::startUpArgument() {
    QFETCH(QString, fileName);
    QFETCH(int, argumentCount);
    QFETCH(bool, loaded);

    MainWindowFixture f;
    const QString last = f.folder.filePath("last.kvx");
    writeProject(last, 77);
    f.folder.writeSettings(lastProjectSettings(last));
    const QString arg = f.folder.filePath(fileName.isEmpty() ? "gone.kvx" : fileName);
    if (!fileName.isEmpty())
        writeProject(arg, 42);
    f.prompts.answers << Answer::No;
    Tfrm_gui_main& w = f.start(QStringList(argumentCount, arg));

    QVERIFY(!w.document().isModified());
    if (!loaded) { // ignored: the last project is offered as usual
        QCOMPARE(f.prompts.texts(),
                 QStringList{"Open the project of the last session?\n\r" + last});
        QCOMPARE(w.document().program().singleAt(3).fire, 5);
        return;
    }
    QVERIFY(f.prompts.records.isEmpty());
    QCOMPARE(w.document().program().singleAt(3).fire, 42);
    QCOMPARE(w.document().path(), arg);
    QCOMPARE(w.windowTitle(), "Vestro Zandor - " + QFileInfo(arg).fileName());
    QCOMPARE(f.find<QLineEdit>("tab_single_modnr_3_edit")->text(), formatTime(42));
}

void TestGuiMain::startUpLastProject_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("answer"); // Prompts::Answer
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("keepsPath"); // written back by the close

    QTest::newRow("yes") << true << int(Answer::Yes) << true << true << true;
    QTest::newRow("no") << true << int(Answer::No) << true << false << false;
    QTest::newRow("box closed") << true << int(Answer::Closed) << true << false << false;
    QTest::newRow("file gone") << false << int(Answer::Yes) << false << false << true;
}

void TestGuiMain::startUpLastProject() {
    QFETCH(bool, exists);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, loaded);
    QFETCH(bool, keepsPath);

    MainWindowFixture f;
    const QString last = f.folder.filePath("last.kvx");
    if (exists)
        writeProject(last, 77);
    f.folder.writeSettings(lastProjectSettings(last));
    f.prompts.answers << Answer(answer);
    Tfrm_gui_main& w = f.start();

    QCOMPARE(f.prompts.kinds(), asked ? QStringList{"confirm"} : QStringList());
    QCOMPARE(w.document().program().singleAt(3).fire, loaded ? 77 : 5);
    QVERIFY(!w.document().isModified());
    QCOMPARE(w.windowTitle(),
             loaded ? QStringLiteral("Vestro Zandor - last.kvx") : QStringLiteral("Vestro Zandor"));
    // Closing without edits asks nothing and writes the current path back.
    f.prompts.clear();
    QVERIFY(w.close());
    QVERIFY(f.prompts.records.isEmpty());
    QCOMPARE(settingValue(f.folder, "last_project", "filename"), keepsPath ? last : QString());
}

void TestGuiMain::closeRequest_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("hasFile"); // the project has a path with an existing file
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QString>("saveAsName");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QStringList>("kinds");

    const int yes = int(Answer::Yes), no = int(Answer::No);
    const QString ask = QStringLiteral("warningYesNoCancel");
    QTest::newRow("unmodified") << false << true << QList<int>() << QString() << true << false
                                << QStringList();
    QTest::newRow("cancel") << true << true << QList<int>{int(Answer::Cancel)} << QString() << false
                            << false << QStringList{ask};
    QTest::newRow("box closed") << true << true << QList<int>{int(Answer::Closed)} << QString()
                                << false << false << QStringList{ask};
    QTest::newRow("no") << true << true << QList<int>{no} << QString() << true << false
                        << QStringList{ask};
    QTest::newRow("yes, overwrite") << true << true << QList<int>{yes, yes} << QString() << true
                                    << true << QStringList{ask, "confirm"};
    QTest::newRow("yes, overwrite declined")
        << true << true << QList<int>{yes, no} << QString() << false << false
        << QStringList{ask, "confirm", "information"};
    QTest::newRow("yes, new project saved as") << true << false << QList<int>{yes} << "new.kvx"
                                               << true << true << QStringList{ask, "save"};
    QTest::newRow("yes, save dialog cancelled")
        << true << false << QList<int>{yes} << QString() << false << false
        << QStringList{ask, "save", "information"};
}

void TestGuiMain::closeRequest() {
    QFETCH(bool, modified);
    QFETCH(bool, hasFile);
    QFETCH(QList<int>, answers);
    QFETCH(QString, saveAsName);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    QFETCH(QStringList, kinds);

    MainWindowFixture f;
    const QString project = f.folder.filePath("p.kvx");
    if (hasFile)
        writeProject(project, 9);
    Tfrm_gui_main& w = f.start(hasFile ? QStringList{project} : QStringList());
    if (modified)
        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
    for (int a : answers)
        f.prompts.answers << Answer(a);
    if (!saveAsName.isEmpty())
        f.prompts.fileNames << f.folder.filePath(saveAsName);
    f.prompts.clear();

    QCOMPARE(w.close(), closes);
    QCOMPARE(f.prompts.kinds(), kinds);
    if (!kinds.isEmpty())
        QCOMPARE(f.prompts.texts().constFirst(),
                 QStringLiteral("The project has been changed. Save it before closing?"));
    QCOMPARE(w.isVisible(), !closes);
    // Written whatever the answer.
    const QString path = !saveAsName.isEmpty() ? f.folder.filePath(saveAsName)
                         : hasFile             ? project
                                               : QString();
    QCOMPARE(settingValue(f.folder, "last_project", "filename"), path);
    if (saved)
        QCOMPARE(savedInt(path, "sgl", "mod3"), hasFile ? 10 : 6);
    else if (hasFile)
        QCOMPARE(savedInt(project, "sgl", "mod3"), 9);
}

void TestGuiMain::languageDialog_data() {
    QTest::addColumn<QString>("how");  // "ok", "escape", "enter" (on the entry shown first)
    QTest::addColumn<bool>("deleted"); // deutsch.lng removed after start-up
    QTest::addColumn<QString>("fileMenu");
    QTest::addColumn<QStringList>("errors");

    QTest::newRow("ok") << "ok" << false << "Datei" << QStringList();
    QTest::newRow("escape") << "escape" << false << "File" << QStringList();
    QTest::newRow("enter") << "enter" << false << "Datei" << QStringList();
    QTest::newRow("file deleted") << "ok" << true << "File" << QStringList{kLanguageFileMissing};
}

void TestGuiMain::languageDialog() {
    QFETCH(QString, how);
    QFETCH(bool, deleted);
    QFETCH(QString, fileMenu);
    QFETCH(QStringList, errors);

    MainWindowFixture f;
    // Only the German help document is there: the help entry shows with German alone.
    QVERIFY(f.folder.writeFile("help/hilfe_deutsch.html", "<html></html>"));
    Tfrm_gui_main& w = f.start();
    QVERIFY(!w.findChild<QAction*>("menu_help_intro")->isVisible());
    QComboBox* macros = w.fireConsole()->setupPage()->macroSelect();
    chooseListEntry(macros, 3);
    auto* names = w.languageDialog()->findChild<QComboBox*>("language_drop");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(0), QStringLiteral("deutsch"));
    if (deleted)
        f.folder.removeLanguage("deutsch");

    onLanguageDialog([how](Tfrm_language* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Language"));
        auto* drop = d->findChild<QComboBox*>("language_drop");
        QCOMPARE(d->focusWidget(), drop);
        if (how == QLatin1String("enter")) {
            QTest::keyClick(d, Qt::Key_Return);
            return;
        }
        drop->setCurrentIndex(drop->findText("deutsch"));
        if (how == QLatin1String("escape"))
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::mouseClick(d->findChild<QPushButton*>("btn_ok"), Qt::LeftButton);
    });
    trigger(w, "menu_settings_language");

    QCOMPARE(f.prompts.texts(), errors);
    QCOMPARE(menuTitle(w, "menu_file"), fileMenu);
    QVERIFY(!w.languageDialog()->isVisible());
    const bool german = fileMenu == QLatin1String("Datei");
    QCOMPARE(settingValue(f.folder, "languagefiles", "active"),
             german ? QStringLiteral("deutsch") : QStringLiteral("english"));
    QCOMPARE(w.findChild<QAction*>("menu_help_intro")->isVisible(), german);
    // Hints and list items follow at once; the chosen macro stays.
    QCOMPARE(macros->currentIndex(), 3);
    QCOMPARE(macros->itemText(3), german ? QStringLiteral("Makro 4") : QStringLiteral("Macro 4"));
    QCOMPARE(f.find<UpDown>("tab_seqX_var_5_wait_ud")->toolTip(),
             german
                 ? QStringLiteral("Zeit ändern (mit gedrückter Strg-Taste in Schritten von 0,10 s)")
                 : QStringLiteral("Change the time (hold Ctrl for steps of 0.10 s)"));
    QCOMPARE(f.find<QPushButton>("tab_evn_preview_3_btn")->toolTip(),
             german ? QStringLiteral("Vorschau (Rechtsklick: abspielen oder in die "
                                     "Zwischenablage kopieren)")
                    : QStringLiteral("Preview (right click: play it or copy it to the clipboard)"));
    if (!german)
        return;
    QCOMPARE(w.pageControl()->tabText(kPageFireMode), QStringLiteral("Feuern"));
    QCOMPARE(w.findChild<QLabel*>("tab_seqAI_caption2_A")->text(), QStringLiteral("Wartezeit"));
    // Shown again, the dialog speaks the new language and keeps the choice.
    onLanguageDialog([](Tfrm_language* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Sprache"));
        QCOMPARE(d->findChild<QComboBox*>("language_drop")->currentText(),
                 QStringLiteral("deutsch"));
        QTest::mouseClick(d->findChild<QPushButton*>("btn_cancel"), Qt::LeftButton);
    });
    trigger(w, "menu_settings_language");
    QCOMPARE(menuTitle(w, "menu_file"), QStringLiteral("Datei"));
}

void TestGuiMain::fileNew() {
    MainWindowFixture f;
    const QString project = f.folder.filePath("p.kvx");
    writeProject(project, 30);
    Tfrm_gui_main& w = f.start({project});
    chooseListEntry(f.find<QComboBox>("gasmod_count_cb"), 11);
    w.document().setMacroActive(2, true);
    w.pageControl()->setCurrentIndex(6);

    // Anything but Yes keeps the project.
    for (Answer a : {Answer::No, Answer::Closed, Answer::Yes}) {
        f.prompts.clear();
        f.prompts.answers << a;
        trigger(w, "menu_file_new");
        QCOMPARE(f.prompts.kinds(), QStringList{"warningYesNo"});
        QCOMPARE(w.document().program().singleAt(3).fire, a == Answer::Yes ? 5 : 30);
    }
    QCOMPARE(f.prompts.texts(),
             QStringList{"Discard the current project? Changes that were not saved will be lost."});
    QCOMPARE(f.find<QLineEdit>("tab_single_modnr_3_edit")->text(), formatTime(5));
    QCOMPARE(f.find<QComboBox>("gasmod_count_cb")->currentText(), QStringLiteral("6"));
    QCOMPARE(f.find<QLabel>("box_nr_cblbl")->text(), QStringLiteral("36"));
    QCOMPARE(w.document().path(), QString());
    QVERIFY(w.document().isModified());
    QVERIFY(w.findChild<QAction*>("menu_file_save")->isEnabled());
    QVERIFY(w.document().program().macros[2].active); // the macros stay
    QCOMPARE(w.pageControl()->currentIndex(), 6);     // and so does the page on show
    QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor"));
}

void TestGuiMain::fileOpen_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QStringList>("kinds");

    const int yes = int(Answer::Yes), no = int(Answer::No);
    QTest::newRow("unmodified") << false << yes << true << QStringList{"open"};
    QTest::newRow("modified, yes") << true << yes << true << QStringList{"confirm", "open"};
    QTest::newRow("modified, no") << true << no << true << QStringList{"confirm"};
    QTest::newRow("dialog cancelled")
        << false << yes << false << QStringList{"open", "information"};
}

void TestGuiMain::fileOpen() {
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, choose);
    QFETCH(QStringList, kinds);

    MainWindowFixture f("[languagefiles]\nactive=english\n[misc]\nnew_boxmode=0\n");
    const QString project = f.folder.filePath("open me.kvx");
    BoxProgram p = BoxProgram::startValues();
    p.singleAt(3).fire = 12;
    p.gasmodCount = 9;
    p.boxNr = 3; // box mode 0 replaces it by the fixed number
    p.activeTab = 5;
    p.seqAt(0, 2).chk = false;
    QVERIFY(ProjectFile::write(project, p));
    Tfrm_gui_main& w = f.start();
    if (modified)
        clickUpArrow(f.find<UpDown>("tab_single_modnr_1_ud"));
    // The page the file names was the last program page on show; the set-up page is on show.
    w.pageControl()->setCurrentIndex(5);
    w.pageControl()->setCurrentIndex(kPageFireSetup);
    f.prompts.answers << Answer(answer);
    if (choose)
        f.prompts.fileNames << project;
    f.prompts.clear();
    trigger(w, "menu_file_open");

    QCOMPARE(f.prompts.kinds(), kinds);
    if (kinds.contains("open"))
        QCOMPARE(f.prompts.records[kinds.indexOf("open")].text, kFilter);
    if (kinds.contains("information"))
        QCOMPARE(f.prompts.texts().constLast(), QStringLiteral("No project was opened."));
    if (!kinds.contains("open") || !choose) {
        QCOMPARE(w.document().program().singleAt(3).fire, 5);
        QCOMPARE(w.document().isModified(), modified);
        QCOMPARE(w.pageControl()->currentIndex(), int(kPageFireSetup));
        return;
    }
    QCOMPARE(f.find<QLineEdit>("tab_single_modnr_3_edit")->text(), formatTime(12));
    QCOMPARE(f.find<QComboBox>("gasmod_count_cb")->currentText(), QStringLiteral("10"));
    QCOMPARE(f.find<QLabel>("box_nr_cblbl")->text(), QStringLiteral("40"));
    QVERIFY(!f.find<QCheckBox>("tab_seqLR_var_2_checkbox")->isChecked());
    QCOMPARE(w.pageControl()->currentIndex(), 5);
    QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor - open me.kvx"));
    QCOMPARE(w.document().path(), project);
    QVERIFY(!w.document().isModified());
    QVERIFY(!w.findChild<QAction*>("menu_file_save")->isEnabled());
    // Nothing changed since: closing asks nothing.
    f.prompts.clear();
    QVERIFY(w.close());
    QVERIFY(f.prompts.records.isEmpty());
}

void TestGuiMain::unreadableProjectNotOpened_data() {
    QTest::addColumn<QString>("via");  // "open", "argument", "last"
    QTest::addColumn<QString>("file"); // "random": bytes that are no project; "folder"
    QTest::addColumn<QString>("reason");
    QTest::newRow("open, random bytes") << "open"
                                        << "random"
                                        << "It is no project file.";
    QTest::newRow("open, a folder") << "open"
                                    << "folder"
                                    << "It is a folder.";
    QTest::newRow("start-up argument") << "argument"
                                       << "random"
                                       << "It is no project file.";
    QTest::newRow("last project") << "last"
                                  << "random"
                                  << "It is no project file.";
}

// Opened as a default project, the file would be replaced by the next save.
void TestGuiMain::unreadableProjectNotOpened() {
    QFETCH(QString, via);
    QFETCH(QString, file);
    QFETCH(QString, reason);
    MainWindowFixture f;
    const QString bad = f.folder.filePath("bad.kvx");
    if (file == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(bad));
    } else {
        QByteArray bytes(100 * 1024, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7919 + i / 13) & 0xFF);
        QVERIFY(f.folder.writeFile("bad.kvx", bytes));
    }
    const QString good = f.folder.filePath("good.kvx");
    writeProject(good, 30);
    f.folder.writeSettings(lastProjectSettings(via == QLatin1String("last") ? bad : good));
    f.prompts.answers << (via == QLatin1String("last") ? Answer::Yes : Answer::No);
    Tfrm_gui_main& w = f.start(via == QLatin1String("argument") ? QStringList{bad} : QStringList{});

    QString path = bad; // the remembered project stays the current path
    QString title = QStringLiteral("Vestro Zandor");
    bool modified = false;
    int single3 = 5;
    const QString error = "This file cannot be opened as a project; the current project stays "
                          "open:\n\r" +
                          bad + "\n\r" + reason;
    if (via == QLatin1String("open")) {
        // A project open and edited: all of it stays.
        QCOMPARE(f.prompts.kinds(), QStringList{"confirm"});
        f.prompts.fileNames << good;
        trigger(w, "menu_file_open");
        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
        f.prompts.clear();
        f.prompts.answers << Answer::Yes;
        f.prompts.fileNames << bad;
        trigger(w, "menu_file_open");
        QCOMPARE(f.prompts.kinds(), (QStringList{"confirm", "open", "error"}));
        QCOMPARE(f.prompts.texts().constLast(), error);
        path = good;
        title = QStringLiteral("Vestro Zandor - good.kvx");
        modified = true;
        single3 = 31;
    } else if (via == QLatin1String("argument")) {
        // Reported, then the last project is offered as without an argument.
        QCOMPARE(f.prompts.kinds(), (QStringList{"error", "confirm"}));
        QCOMPARE(f.prompts.texts().constFirst(), error);
        path.clear();
    } else {
        QCOMPARE(f.prompts.kinds(), (QStringList{"confirm", "error"}));
        QCOMPARE(f.prompts.texts().constLast(), error);
    }
    QCOMPARE(w.document().path(), path);
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(w.document().isModified(), modified);
    QCOMPARE(w.document().program().singleAt(3).fire, single3);
    QCOMPARE(f.find<QLineEdit>("tab_single_modnr_3_edit")->text(), formatTime(single3));
}

void TestGuiMain::fileSaveFlows() {
    MainWindowFixture f("[languagefiles]\nactive=english\n[misc]\nnew_boxmode=1\n");
    Tfrm_gui_main& w = f.start();
    auto* save = w.findChild<QAction*>("menu_file_save");
    auto* up2 = f.find<UpDown>("tab_single_modnr_2_ud");
    clickUpArrow(up2);
    QVERIFY(save->isEnabled());

    // Save of a project without a file asks for one; cancelling writes nothing.
    save->trigger();
    QCOMPARE(f.prompts.kinds(), (QStringList{"save", "information"}));
    QCOMPARE(f.prompts.texts(), (QStringList{kFilter, "The project was not saved."}));
    QVERIFY(w.document().isModified());

    // Save As without an extension gets ".kvx".
    f.prompts.clear();
    f.prompts.fileNames << f.folder.filePath("first");
    trigger(w, "menu_file_saveas");
    const QString first = f.folder.filePath("first.kvx");
    QCOMPARE(f.prompts.kinds(), QStringList{"save"});
    QCOMPARE(savedInt(first, "sgl", "mod2"), 6);
    QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor - first.kvx"));
    QCOMPARE(w.document().path(), first);
    QVERIFY(!w.document().isModified());
    QVERIFY(!save->isEnabled());

    // A plain Save of an existing project asks before overwriting; No writes nothing.
    clickUpArrow(up2);
    f.prompts.clear();
    f.prompts.answers << Answer::No;
    save->trigger();
    QCOMPARE(f.prompts.kinds(), (QStringList{"confirm", "information"}));
    QCOMPARE(f.prompts.texts()[0], QStringLiteral("This file already exists. Overwrite it?"));
    QCOMPARE(savedInt(first, "sgl", "mod2"), 6);
    QVERIFY(w.document().isModified());

    // Save As onto another existing file, declined: caption and path stay on the declined
    // file, and the next Save asks again.
    const QString other = f.folder.filePath("other.kvx");
    writeProject(other, 99);
    f.prompts.clear();
    f.prompts.fileNames << other;
    f.prompts.answers << Answer::No << Answer::Yes;
    trigger(w, "menu_file_saveas");
    QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor - other.kvx"));
    QCOMPARE(w.document().path(), other);
    save->trigger();
    QCOMPARE(f.prompts.kinds(), (QStringList{"save", "confirm", "information", "confirm"}));
    QCOMPARE(savedInt(other, "sgl", "mod2"), 7);
    QCOMPARE(savedInt(other, "sgl", "mod3"), 5);
    QVERIFY(!w.document().isModified());
}

void TestGuiMain::fileSaveError() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    clickUpArrow(f.find<UpDown>("tab_single_modnr_1_ud"));
    // A folder that does not exist cannot take the file.
    f.prompts.fileNames << f.folder.filePath("missing/p.kvx");
    trigger(w, "menu_file_saveas");
    QCOMPARE(f.prompts.kinds(), (QStringList{"save", "error"}));
    QCOMPARE(f.prompts.texts()[1],
             QStringLiteral("The project could not be saved. Check the folder and the free "
                            "space, then try again."));
    QVERIFY(w.document().isModified());
    QVERIFY(w.findChild<QAction*>("menu_file_save")->isEnabled());
}

void TestGuiMain::layout() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    QCOMPARE(w.centralWidget()->size(), QSize(745, 409));
    const QPoint offCentre =
        w.frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY(offCentre.manhattanLength() <= 2);

    // One of each kind of control per kind of page; the rows follow from the same code.
    const std::pair<const char*, QRect> rows[] = {
        {"box_nr_cb", QRect(120, 12, 49, 21)},
        {"box_nr_cblbl", QRect(121, 12, 48, 20)},
        {"preview_gb", QRect(184, 0, 555, 70)},
        {"PageControl", QRect(0, 70, 745, 339)},
        {"tab_single_modnr_1_cb", QRect(112, 36, 49, 21)},
        {"tab_single_modnr_1_ud", QRect(236, 36, 16, 21)},
        {"tab_single_preview_1_btn", QRect(264, 34, 25, 25)},
        {"tab_single_modnr_16_edit", QRect(552, 260, 60, 21)},
        {"tab_evn_var_3_edit", QRect(232, 100, 60, 21)},
        {"tab_seqX_var_5_checkbox", QRect(108, 166, 17, 17)},
        {"tab_seqX_var_5_fire_edit", QRect(240, 164, 60, 21)},
        {"tab_seqX_var_5_wait_ud", QRect(396, 164, 16, 21)},
        {"tab_seqX_preview_5_btn", QRect(424, 162, 25, 25)},
    };
    for (const auto& [name, geometry] : rows) {
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(widget && widget->geometry() == geometry, name);
    }
    const std::pair<const char*, QPoint> labels[] = {
        {"tab_single_modnr_9_lbl", {408, 40}}, {"tab_single_modnr_9_dur_lbl", {688, 40}},
        {"tab_odd_var_2_dur_lbl", {368, 72}},  {"tab_seqRL_var_4_lbl", {16, 136}},
        {"tab_seqRL_caption3_A", {472, 8}},
    };
    for (const auto& [name, at] : labels) {
        auto* label = w.findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label && label->pos() == at, name);
    }
    QTabWidget* tabs = w.pageControl();
    QCOMPARE(tabs->count(), 11);
    for (int p = 0; p < 11; ++p) {
        QCOMPARE(tabs->widget(p)->objectName(), pageName(p));
        QCOMPARE(tabs->tabIcon(p).availableSizes().value(0), QSize(20, 20));
    }

    // A larger window enlarges the page control and moves the preview area; rows stay.
    const QSize start = w.size();
    w.resize(start + QSize(200, 100));
    QCoreApplication::processEvents();
    QCOMPARE(tabs->geometry(), QRect(0, 70, 945, 439));
    QCOMPARE(w.findChild<QGroupBox*>("preview_gb")->geometry(), QRect(384, 0, 555, 70));
    QCOMPARE(w.findChild<QWidget*>("tab_single_modnr_1_edit")->pos(), QPoint(176, 36));
    QCOMPARE(w.findChild<QFrame*>("tab_single_separator")->height(),
             w.programPages()->page(0)->height());
    // Held to the minimum size.
    w.resize(300, 200);
    QCoreApplication::processEvents();
    QCOMPARE(w.size(), QSize(744, start.height()));
}

void TestGuiMain::textsFit_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("english") << "english";
    QTest::newRow("deutsch") << "deutsch";
}

// At the start size with 16 modules, every label of the program pages shows its whole text
// and stays clear of its neighbours and of the page's edge.
void TestGuiMain::textsFit() {
    QFETCH(QString, language);
    MainWindowFixture f("[languagefiles]\nactive=" + language.toUtf8() + "\n");
    Tfrm_gui_main& w = f.start();
    chooseListEntry(f.find<QComboBox>("gasmod_count_cb"), 15);
    for (int page = 0; page < kProgramPages; ++page) {
        w.pageControl()->setCurrentIndex(page);
        QWidget* tab = w.programPages()->page(page);
        for (QLabel* label : tab->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            QRect text = label->geometry();
            text.setWidth(std::max(text.width(), label->sizeHint().width()));
            const QByteArray where = label->objectName().toLatin1() + ": " + label->text().toUtf8();
            QVERIFY2(text.right() < tab->width(), where);
            for (QWidget* other : label->parentWidget()->findChildren<QWidget*>(
                     QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(other == label || !other->isVisible() ||
                             !text.intersects(other->geometry()),
                         where + " runs into " + other->objectName().toLatin1());
        }
    }
}

void TestGuiMain::menus() {
    MainWindowFixture f;
    Tfrm_gui_main& w = f.start();
    QStringList bar;
    for (QAction* a : w.menuBar()->actions())
        bar << (a->menu() ? a->menu()->objectName() : a->text());
    QCOMPARE(bar, (QStringList{"menu_file", "menu_edit", "menu_settings", "menu_help", "|",
                               "Transmit", "|", "menu_fire"}));
    QVERIFY(!w.menuBar()->actions()[4]->isEnabled());

    auto entries = [&](const char* menu) {
        QStringList out;
        for (QAction* a : w.findChild<QMenu*>(QString::fromLatin1(menu))->actions())
            if (!a->isSeparator())
                out << a->objectName();
        return out;
    };
    QCOMPARE(entries("menu_file"),
             (QStringList{"menu_file_new", "menu_file_open", "menu_file_save", "menu_file_saveas",
                          "menu_file_print", "menu_file_exportpdf", "menu_file_exitprog"}));
    QCOMPARE(entries("menu_edit"), (QStringList{"menu_edit_undo", "menu_edit_redo"}));
    QCOMPARE(entries("menu_settings"),
             (QStringList{"menu_settings_language", "menu_settings_advanced",
                          "menu_settings_save_hotkeys"}));
    QCOMPARE(entries("menu_help"), (QStringList{"menu_help_info", "menu_help_intro"}));
    QCOMPARE(entries("menu_fire"), (QStringList{"menu_fire_mastermodul", "menu_fire_rk40"}));

    // Exit is a close request.
    clickUpArrow(f.find<UpDown>("tab_single_modnr_1_ud"));
    f.prompts.answers << Answer::Cancel;
    trigger(w, "menu_file_exitprog");
    QCOMPARE(f.prompts.kinds(), QStringList{"warningYesNoCancel"});
    QVERIFY(w.isVisible());
}

// Undo and Redo through the window: the keys (Ctrl on a time box only changes the step), the
// entries naming their step, the pages and fixed areas mirroring an undone pass-on and count,
// the modified flag at the saved state, New and Open starting afresh.
void TestGuiMain::editMenu() {
    MainWindowFixture f;
    const QString project = f.folder.filePath("p.kvx");
    writeProject(project, 30);
    Tfrm_gui_main& w = f.start({project});
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* undo = f.find<QAction>("menu_edit_undo");
    auto* redo = f.find<QAction>("menu_edit_redo");
    auto* save = f.find<QAction>("menu_file_save");
    auto* count = f.find<QComboBox>("gasmod_count_cb");
    auto text = [&](int n) { return f.find<QLineEdit>(names::single(n, "_edit"))->text(); };
    QCOMPARE(menuTitle(w, "menu_edit"), QStringLiteral("Edit"));
    QCOMPARE(undo->text(), QStringLiteral("Undo"));
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());

    // Module 6 of 6 passes its time on; two clicks are one step.
    clickUpArrow(f.find<UpDown>("tab_single_modnr_6_ud"));
    clickUpArrow(f.find<UpDown>("tab_single_modnr_6_ud"));
    QCOMPARE(text(16), formatTime(7));
    chooseListEntry(count, 8);
    QVERIFY(w.previewArea()->flame(9)->isVisibleTo(&w));
    QCOMPARE(undo->text(), QStringLiteral("Undo module count"));
    QVERIFY(undo->isEnabled() && !redo->isEnabled());

    QLineEdit* box = f.find<QLineEdit>("tab_single_modnr_3_edit");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(count->currentText(), QStringLiteral("6"));
    QCOMPARE(f.find<QLabel>("box_nr_cblbl")->text(), QStringLiteral("36"));
    QVERIFY(!f.find<QWidget>("tab_single_modnr_7_edit")->isVisibleTo(&w));
    QVERIFY(!w.previewArea()->flame(9)->isVisibleTo(&w)); // the preview row: 6 flames
    QCOMPARE(w.programPages()->step(), 1);                // Ctrl let go
    QCOMPARE(undo->text(), QStringLiteral("Undo fire time, single 6"));
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(text(6), formatTime(5));
    QCOMPARE(text(16), formatTime(5));
    QVERIFY(!w.document().isModified() && !save->isEnabled()); // the state opened
    QCOMPARE(redo->text(), QStringLiteral("Redo fire time, single 6"));
    QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(text(16), formatTime(7));
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(count->currentText(), QStringLiteral("9"));
    QVERIFY(!redo->isEnabled());

    // Saved here: one undo is a change, the redo back is none.
    f.prompts.answers << Answer::Yes; // overwrite
    trigger(w, "menu_file_save");
    undo->trigger();
    QVERIFY(w.document().isModified() && save->isEnabled());
    redo->trigger();
    QVERIFY(!w.document().isModified() && !save->isEnabled());

    f.prompts.answers << Answer::Yes;
    trigger(w, "menu_file_new");
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("Undo"));
    clickUpArrow(f.find<UpDown>("tab_single_modnr_1_ud"));
    f.prompts.answers << Answer::Yes; // discard
    f.prompts.fileNames << project;
    trigger(w, "menu_file_open");
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(w.document().history().count(), 0);
}

QTEST_MAIN(TestGuiMain)
#include "tst_gui_main.moc"
