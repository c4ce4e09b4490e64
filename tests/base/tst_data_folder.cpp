#include "base/data_folder.h"
#include "base/unit_service.h"
#include "core/file_fixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace vz;

namespace {

// Root may write everywhere, so "not writable" is the answer of an injected test.
const DataFolder::WritableTest kReadOnly = [](const QString&) { return false; };
const DataFolder::WritableTest kWritable = [](const QString&) { return true; };

bool writeFile(const QString& path, const QByteArray& content) {
    return QDir().mkpath(QFileInfo(path).path()) && vztest::writeBytes(path, content);
}

} // namespace

class TstDataFolder : public QObject {
    Q_OBJECT
private slots:
    void choice_data() {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("configHome"); // "xdg": below the temporary folder
        QTest::addColumn<QString>("expected");   // below the temporary folder
        QTest::newRow("writable program folder") << true << "xdg"
                                                 << "program";
        QTest::newRow("installed, XDG_CONFIG_HOME") << false << "xdg"
                                                    << "xdg/vestro-zandor";
        QTest::newRow("installed, relative XDG_CONFIG_HOME ignored")
            << false << "relative"
            << "home/.config/vestro-zandor";
    }
    void choice() {
        QFETCH(bool, writable);
        QFETCH(QString, configHome);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        const DataFolder data(tmp.filePath("program"),
                              configHome == "xdg" ? tmp.filePath(configHome) : configHome,
                              tmp.filePath("home"), writable ? kWritable : kReadOnly);
        QCOMPARE(data.path(), tmp.filePath(expected));
        QCOMPARE(data.settingsPath(), tmp.filePath(expected + "/settings.ini"));
        // The program folder's own hotkey file stays where it always was: the working folder.
        QCOMPARE(data.hotkeysPath(), writable ? QStringLiteral("./hotkeys.ini")
                                              : tmp.filePath(expected + "/hotkeys.ini"));
        QCOMPARE(data.logDir(), tmp.filePath(expected + "/logs"));
    }

    // The data folder is made on demand; a language the user adds, or one named like a
    // shipped one, is found there first.
    void readOnlyProgramFolder() {
        QTemporaryDir tmp;
        const QString program = tmp.filePath("program");
        QVERIFY(writeFile(program + "/language/english.lng", "k=program english\n"));
        QVERIFY(writeFile(program + "/language/deutsch.lng", "k=program deutsch\n"));
        const DataFolder data(program, tmp.filePath("config"), tmp.filePath("home"), kReadOnly);
        QVERIFY(data.ensure());
        QVERIFY(writeFile(data.path() + "/language/english.lng", "k=user english\n"));
        QVERIFY(writeFile(data.path() + "/language/klingon.lng", "k=user klingon\n"));
        QCOMPARE(data.languageNames(), (QStringList{"deutsch", "english", "klingon"}));
        // Root may write a package's folder; it is still nobody's data folder.
        for (const char* packaged : {"/usr/lib/vestro-zandor", "/opt/vz"})
            QCOMPARE(DataFolder(packaged, tmp.filePath("config"), {}, kWritable).path(),
                     data.path());
        LanguageTable texts;
        for (const char* name : {"english", "deutsch", "klingon"}) {
            QVERIFY(texts.loadFile(data.languageFile(name)));
            QVERIFY(texts.findText("k").endsWith(name));
            QCOMPARE(texts.findText("k").startsWith("user"), QByteArray(name) != "deutsch");
        }

        // Below a regular file nothing can be made: the message names the folder.
        const DataFolder below(program, tmp.filePath("program/language/english.lng"), {},
                               kReadOnly);
        QString error;
        QVERIFY(!below.ensure(&error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(below.path())), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TstDataFolder)
#include "tst_data_folder.moc"
