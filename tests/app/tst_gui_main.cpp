// The main window as an operator meets it: start-up, the file menu with its questions, the
// close request, the language dialog and the edit menu.

#include "core/file_fixtures.h"
#include "gui/main_window_fixture.h"

#include "app/unit_language.h"
#include "base/ini_file.h"
#include "fire/fire_console.h"
#include "fire/fire_setup.h"
#include "program/program_document.h"
#include "program/program_pages.h"
#include "program/project_file.h"
#include "transfer/gui_adv_settings.h"
#include "transfer/transfer_image.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

using namespace vz;
using Answer = Prompts::Answer;

namespace {

// A project whose single 3 has the given time, so a test can tell which file was read.
void writeProject(const QString& path, int single3) {
    BoxProgram p = BoxProgram::startValues();
    p.singleAt(3).fire = single3;
    QVERIFY(ProjectFile::write(path, p));
}

QString settingValue(const ProgramFolder& folder, const char* section, const char* key) {
    IniFile ini(folder.settingsPath());
    ini.load();
    return ini.readString(QString::fromLatin1(section), QString::fromLatin1(key),
                          QStringLiteral("<none>"));
}

// Fire time of single 3 as written in a project file; -1 when there is none.
int savedSingle3(const QString& path) {
    IniFile ini(path);
    return ini.load() ? ini.readInt(QStringLiteral("sgl"), QStringLiteral("mod3"), -1) : -1;
}

} // namespace

class TestGuiMain : public QObject {
    Q_OBJECT
private slots:

    void startUpLanguage_data() {
        QTest::addColumn<QByteArray>("settings"); // null: no settings file
        QTest::addColumn<bool>("english");        // english.lng left in place
        QTest::addColumn<QString>("error");       // the one message, if any
        QTest::addColumn<QString>("fileMenu");    // caption of menu_file once shown

        QTest::newRow("no settings file")
            << QByteArray() << true << "Ini-File not found.\n\rUsing default settings."
            << "File";
        QTest::newRow("german, box out of range")
            << QByteArray("[languagefiles]\nactive=deutsch\n[df]\nbox=300\n") << true
            << "settings.ini enthält Werte außerhalb ihres Bereichs. Sie werden nicht verwendet; "
               "es gilt der Vorgabewert:\n\r[df] box=300 (1..255)"
            << "Datei";
        QTest::newRow("language file missing")
            << QByteArray("[languagefiles]\nactive=klingon\n") << true
            << "Languagefile not found at given location:\n\rklingon\n\rUsing default. (english)"
            << "File";
        QTest::newRow("language and english missing")
            << QByteArray("[languagefiles]\nactive=klingon\n") << false
            << "Languagefile or default Languagefile not found.\n\rLoading of languagefile aborted."
            << "menu_file";
    }

    void startUpLanguage() {
        QFETCH(QByteArray, settings);
        QFETCH(bool, english);
        QFETCH(QString, error);
        QFETCH(QString, fileMenu);
        MainWindowFixture f(settings);
        if (!english)
            f.folder.removeLanguage("english");
        f.start();
        QCOMPARE(f.prompts.texts(), error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(f.find<QMenu>("menu_file")->title(), fileMenu);
    }

    void startUpProject_data() {
        QTest::addColumn<QString>("argument"); // created in the folder with single 3 = 42
        QTest::addColumn<int>("answer");       // to "open the last project?"
        QTest::addColumn<int>("single3");
        QTest::addColumn<QString>("title");

        const int yes = int(Answer::Yes), no = int(Answer::No);
        QTest::newRow("argument") << "show.KVX" << yes << 42 << "Vestro Zandor - show.KVX";
        QTest::newRow("argument not a project")
            << "show.txt" << yes << 77 << "Vestro Zandor - last.kvx";
        QTest::newRow("last project, no") << QString() << no << 5 << "Vestro Zandor";
    }

    void startUpProject() {
        QFETCH(QString, argument);
        QFETCH(int, answer);
        QFETCH(int, single3);
        QFETCH(QString, title);
        MainWindowFixture f;
        const QString last = f.folder.filePath("last.kvx");
        writeProject(last, 77);
        f.folder.writeSettings(
            "[languagefiles]\nactive=english\n[last_project]\nfilename=" + last.toUtf8() + "\n");
        QStringList args;
        if (!argument.isEmpty()) {
            args << f.folder.filePath(argument);
            writeProject(args.constFirst(), 42);
        }
        f.prompts.answers << Answer(answer);
        Tfrm_gui_main& w = f.start(args);
        QCOMPARE(f.prompts.kinds(), single3 == 42 ? QStringList() : QStringList{"confirm"});
        QCOMPARE(w.document().program().singleAt(3).fire, single3);
        QCOMPARE(w.windowTitle(), title);
        QVERIFY(!w.document().isModified());
    }

    // Opened as a default project, the file would be replaced by the next save: the project
    // open and edited stays, with its path and caption. A value out of range reads as a new
    // project's, never as the project open before: the window sends what vzctl sends.
    void openUnreadableThenOutOfRange() {
        MainWindowFixture f;
        const QString good = f.folder.filePath("good.kvx");
        writeProject(good, 30);
        const QString bad = f.folder.filePath("bad.kvx");
        QByteArray bytes(4096, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7919 + i / 13) & 0xFF);
        QVERIFY(f.folder.writeFile("bad.kvx", bytes));
        Tfrm_gui_main& w = f.start({good});
        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
        f.prompts.answers << Answer::Yes;
        f.prompts.fileNames << bad;
        f.find<QAction>("menu_file_open")->trigger();
        QCOMPARE(f.prompts.kinds(), (QStringList{"confirm", "open", "error"}));
        QCOMPARE(f.prompts.texts().constLast(),
                 "This file cannot be opened as a project; the current project stays open:\n\r" +
                     bad + "\n\rIt is no project file.");
        QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor - good.kvx"));
        QCOMPARE(w.document().path(), good);
        QVERIFY(w.document().isModified());
        QCOMPARE(w.document().program().singleAt(3).fire, 31);

        const QString odd = f.folder.filePath("odd.kvx");
        QVERIFY(f.folder.writeFile("odd.kvx", "[sgl]\nmod3=0\n"));
        f.prompts.answers << Answer::Yes;
        f.prompts.fileNames << odd;
        f.find<QAction>("menu_file_open")->trigger();
        QCOMPARE(f.prompts.texts().constLast(),
                 get_text("msg_read_values").arg(odd) + "\n\r\n\r[sgl] mod3 holds 0: 5 is used");
        QProcess vzctl;
        vzctl.start(VZ_BIN_DIR "/vzctl", {"image", odd, "--raw", "--program-dir", f.folder.path()});
        QVERIFY(vzctl.waitForFinished(10000));
        QCOMPARE(vzctl.readAllStandardOutput(),
                 build_transfer_image(buildRecordTable(w.document().program(), 0)));
    }

    // The first start in a data folder made just now writes the defaults without a word. On a
    // full disk (16 bytes left: the file-size limit binds root too, needs no mount) the file
    // stays whole, and its failed writes are told once.
    void firstStartThenFullDisk() {
        MainWindowFixture f{QByteArray()};
        const DataFolder data(f.folder.path(), f.folder.filePath("config"), {},
                              [](const QString&) { return false; });
        languageTable().clear();
        Tfrm_gui_main w(data, {}, f.prompts);
        const QByteArray defaults = vztest::readBytes(data.settingsPath());
        QVERIFY(defaults.contains("\r\nmaxbox=50\r\n"));
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit full{16, limit.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &full);
        w.advSettingsDialog()->show(); // OK writes two settings
        QTest::mouseClick(w.advSettingsDialog()->findChild<QPushButton*>("btn_ok"), Qt::LeftButton);
        setrlimit(RLIMIT_FSIZE, &limit);
        QCOMPARE(vztest::readBytes(data.settingsPath()), defaults);
        QCOMPARE(f.prompts.texts(),
                 QStringList{get_text("msg_settings_notsaved").arg(data.settingsPath())});
    }

    void fileMenu() {
        MainWindowFixture f;
        const QString project = f.folder.filePath("open me.kvx");
        writeProject(project, 12);
        Tfrm_gui_main& w = f.start();
        auto* save = f.find<QAction>("menu_file_save");

        // Open asks before it discards changes; the dialog offers project files.
        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
        f.prompts.answers << Answer::Yes;
        f.prompts.fileNames << project;
        f.find<QAction>("menu_file_open")->trigger();
        QCOMPARE(f.prompts.kinds(), (QStringList{"confirm", "open"}));
        QCOMPARE(f.find<QLineEdit>("tab_single_modnr_3_edit")->text(), formatTime(12));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor - open me.kvx"));
        QVERIFY(!w.document().isModified() && !save->isEnabled());

        // Save of an existing file asks before overwriting.
        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
        f.prompts.clear();
        f.prompts.answers << Answer::Yes;
        save->trigger();
        QCOMPARE(f.prompts.kinds(), QStringList{"confirm"});
        QCOMPARE(savedSingle3(project), 13);
        QVERIFY(!w.document().isModified() && !save->isEnabled());

        // New asks.
        f.prompts.clear();
        f.prompts.answers << Answer::Yes;
        f.find<QAction>("menu_file_new")->trigger();
        QCOMPARE(f.prompts.kinds(), QStringList{"warningYesNo"});
        QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor"));

        // Save of a new project is Save As; a name without ".kvx" gets it, dot or not.
        f.prompts.fileNames << f.folder.filePath("Show v1.2");
        save->trigger();
        QCOMPARE(savedSingle3(f.folder.filePath("Show v1.2.kvx")), 5);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vestro Zandor - Show v1.2.kvx"));
        QVERIFY(!w.document().isModified() && !save->isEnabled());
        // A folder that cannot take the file: the error, the changes kept.
        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
        f.prompts.clear();
        f.prompts.fileNames << f.folder.filePath("missing/p.kvx");
        f.find<QAction>("menu_file_saveas")->trigger();
        QCOMPARE(f.prompts.kinds(), (QStringList{"save", "error"}));
        QVERIFY(w.document().isModified());
    }

    void closeRequest_data() {
        QTest::addColumn<bool>("hasFile"); // the project has a path with an existing file
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QString>("saveAsName");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("saved"); // single 3 in the file afterwards, -1: no file

        const int yes = int(Answer::Yes), no = int(Answer::No), cancel = int(Answer::Cancel);
        QTest::newRow("cancel") << true << QList<int>{cancel} << QString() << false << 9;
        QTest::newRow("yes, overwrite") << true << QList<int>{yes, yes} << QString() << true << 10;
        QTest::newRow("yes, overwrite declined")
            << true << QList<int>{yes, no} << QString() << false << 9;
        QTest::newRow("yes, saved as") << false << QList<int>{yes} << "New.KVX" << true << 6;
        QTest::newRow("yes, save dialog cancelled")
            << false << QList<int>{yes} << QString() << false << -1;
    }

    void closeRequest() {
        QFETCH(bool, hasFile);
        QFETCH(QList<int>, answers);
        QFETCH(QString, saveAsName);
        QFETCH(bool, closes);
        QFETCH(int, saved);
        MainWindowFixture f;
        const QString project = f.folder.filePath("p.kvx");
        if (hasFile)
            writeProject(project, 9);
        Tfrm_gui_main& w = f.start(hasFile ? QStringList{project} : QStringList());
        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
        for (int a : answers)
            f.prompts.answers << Answer(a);
        if (!saveAsName.isEmpty())
            f.prompts.fileNames << f.folder.filePath(saveAsName);
        f.find<QAction>("menu_file_exitprog")->trigger();
        QCOMPARE(w.isVisible(), !closes);
        QCOMPARE(f.prompts.kinds().value(0), QStringLiteral("warningYesNoCancel"));
        // The path is written back whatever the answer.
        const QString path = !saveAsName.isEmpty() ? f.folder.filePath(saveAsName)
                             : hasFile             ? project
                                                   : QString();
        QCOMPARE(settingValue(f.folder, "last_project", "filename"), path);
        QCOMPARE(savedSingle3(path), saved);
    }

    void languageDialog() {
        MainWindowFixture f;
        Tfrm_gui_main& w = f.start();
        QComboBox* macros = w.fireConsole()->setupPage()->macroSelect();
        chooseListEntry(macros, 3);
        QTimer::singleShot(0, &w, [] {
            auto* dialog = qobject_cast<Tfrm_language*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* drop = dialog->findChild<QComboBox*>("language_drop");
            drop->setCurrentIndex(drop->findText("deutsch"));
            QTest::mouseClick(dialog->findChild<QPushButton*>("btn_ok"), Qt::LeftButton);
            if (dialog->isVisible())
                dialog->reject();
        });
        f.find<QAction>("menu_settings_language")->trigger();
        QVERIFY(f.prompts.records.isEmpty());
        QCOMPARE(settingValue(f.folder, "languagefiles", "active"), QStringLiteral("deutsch"));
        // Captions, hints and list items follow at once; the chosen macro stays.
        QCOMPARE(f.find<QMenu>("menu_file")->title(), QStringLiteral("Datei"));
        QCOMPARE(f.find<UpDown>("tab_seqX_var_5_wait_ud")->toolTip(), get_text("hint_ud"));
        QCOMPARE(macros->currentIndex(), 3);
        QCOMPARE(macros->itemText(3), QStringLiteral("Makro 4"));
    }

    // Undo and Redo through the menu and the keys reach the pages and the fixed areas; the
    // modified flag follows the saved state; New starts afresh.
    void editMenu() {
        MainWindowFixture f;
        const QString project = f.folder.filePath("p.kvx");
        writeProject(project, 30);
        Tfrm_gui_main& w = f.start({project});
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* undo = f.find<QAction>("menu_edit_undo");
        auto* redo = f.find<QAction>("menu_edit_redo");
        auto* count = f.find<QComboBox>("gasmod_count_cb");
        QLineEdit* box = f.find<QLineEdit>("tab_single_modnr_3_edit");
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());

        clickUpArrow(f.find<UpDown>("tab_single_modnr_3_ud"));
        chooseListEntry(count, 8);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(count->currentText(), QStringLiteral("6"));
        undo->trigger();
        QCOMPARE(box->text(), formatTime(30));
        QVERIFY(!w.document().isModified()); // the state opened
        QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box->text(), formatTime(31));
        redo->trigger();
        QCOMPARE(count->currentText(), QStringLiteral("9"));
        QVERIFY(!redo->isEnabled() && w.document().isModified());

        f.prompts.answers << Answer::Yes;
        f.find<QAction>("menu_file_new")->trigger();
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    }
};

QTEST_MAIN(TestGuiMain)
#include "tst_gui_main.moc"
