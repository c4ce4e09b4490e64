#include "base/data_folder.h"
#include "base/settings.h"
#include "base/unit_service.h"
#include "device/virtual_master.h"
#include "fire/hotkeys.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Root may write everywhere, so "not writable" is the answer of an injected test.
const DataFolder::WritableTest kReadOnly = [](const QString&) { return false; };
const DataFolder::WritableTest kWritable = [](const QString&) { return true; };

bool writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QStringList tree(const QString& dir) {
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(dir).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

} // namespace

class TstDataFolder : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void readOnlyProgramFolder();
    void folderCannotBeMade();
};

void TstDataFolder::choice_data() {
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("configHome"); // below the temporary folder, or absolute
    QTest::addColumn<QString>("expected");   // below the temporary folder
    QTest::newRow("writable program folder") << true << "xdg"
                                             << "program";
    QTest::newRow("installed, XDG_CONFIG_HOME") << false << "xdg"
                                                << "xdg/vestro-zandor";
    QTest::newRow("installed, no XDG_CONFIG_HOME") << false << ""
                                                   << "home/.config/vestro-zandor";
    QTest::newRow("installed, relative XDG_CONFIG_HOME ignored") << false << "relative"
                                                                 << "home/.config/vestro-zandor";
}

void TstDataFolder::choice() {
    QFETCH(bool, writable);
    QFETCH(QString, configHome);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    const QString xdg = configHome.isEmpty()                 ? QString()
                        : configHome == QLatin1String("xdg") ? tmp.filePath(configHome)
                                                             : configHome;
    const DataFolder data(tmp.filePath("program"), xdg, tmp.filePath("home"),
                          writable ? kWritable : kReadOnly);
    QCOMPARE(data.path(), tmp.filePath(expected));
    QCOMPARE(data.isProgramDir(), writable);
    QCOMPARE(data.settingsPath(), tmp.filePath(expected + "/settings.ini"));
    // The program folder's own hotkey file stays where it always was: the working folder.
    QCOMPARE(data.hotkeysPath(),
             writable ? QStringLiteral("./hotkeys.ini") : tmp.filePath(expected + "/hotkeys.ini"));
    QCOMPARE(data.logDir(), tmp.filePath(expected + "/logs"));
}

void TstDataFolder::readOnlyProgramFolder() {
    QTemporaryDir tmp;
    const QString program = tmp.filePath("usr/lib/vestro-zandor");
    QVERIFY(writeFile(program + "/language/english.lng", "k=program english\n"));
    QVERIFY(writeFile(program + "/language/deutsch.lng", "k=program deutsch\n"));
    const QStringList before = tree(program);

    const DataFolder data(program, tmp.filePath("config"), tmp.filePath("home"), kReadOnly);
    QVERIFY(!QFileInfo::exists(data.path()));
    QVERIFY(data.ensure());
    QVERIFY(QFileInfo(tmp.filePath("config/vestro-zandor")).isDir());

    // A language the user adds, and one of the same name as a shipped one: the user's wins.
    QVERIFY(writeFile(data.path() + "/language/english.lng", "k=user english\n"));
    QVERIFY(writeFile(data.path() + "/language/klingon.lng", "k=user klingon\n"));
    QCOMPARE(data.languageNames(), (QStringList{"deutsch", "english", "klingon"}));
    LanguageTable texts;
    for (const auto& [name, text] : {std::pair{"english", "user english"},
                                     {"deutsch", "program deutsch"},
                                     {"klingon", "user klingon"}}) {
        QVERIFY(texts.loadFile(data.languageFile(name)));
        QCOMPARE(texts.findText("k"), QString::fromLatin1(text));
    }

    // Every writer asked for its place writes into the data folder.
    QVERIFY(SettingsFile::writePort(data.settingsPath(), 7));
    HotkeyTable hotkeys;
    hotkeys.bind('a', 0, 1);
    QVERIFY(hotkeys.save(data.hotkeysPath()));
    vz::VirtualMasterModule sim(data.portsBase());
    QVERIFY2(sim.start(0), qPrintable(sim.errorString()));
    QCOMPARE(QFileInfo(sim.linkPath()).dir().path(), data.path() + "/ports");

    QCOMPARE(SettingsFile::load(tmp.filePath("config/vestro-zandor/settings.ini")).settings.port,
             7);
    HotkeyTable read;
    read.load(tmp.filePath("config/vestro-zandor/hotkeys.ini"));
    QCOMPARE(read.keyOf(0, 1), int('a'));
    QCOMPARE(tree(program), before);
}

void TstDataFolder::folderCannotBeMade() {
    // Below a regular file nothing can be made, whoever asks.
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath("file"), "x"));
    const DataFolder data(tmp.filePath("program"), tmp.filePath("file/config"),
                          tmp.filePath("home"), kReadOnly);
    QString error;
    QVERIFY(!data.ensure(&error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(tmp.filePath("file/config/vestro-zandor"))),
             qPrintable(error));
}

QTEST_GUILESS_MAIN(TstDataFolder)
#include "tst_data_folder.moc"
