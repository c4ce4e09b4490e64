#include "base/settings.h"
#include "core/file_fixtures.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using vztest::readBytes;
using vztest::writeBytes;

namespace {

// Every field, so one comparison covers the whole record.
QString dump(const Settings& s) {
    return QStringLiteral("port=%1 block=%2 ball=%3 maxbox=%4 mode=%5 box=%6 last=%7 lang=%8")
        .arg(s.port)
        .arg(s.block)
        .arg(s.ball)
        .arg(s.maxbox)
        .arg(s.newBoxmode)
        .arg(s.box)
        .arg(s.lastProject, s.language);
}

const QByteArray kFull = "[com]\r\nport=3\r\nblock=8\r\n[adv]\r\nball=7\r\nmaxbox=60\r\n"
                         "[misc]\r\nnew_boxmode=1\r\n[df]\r\nbox=12\r\n"
                         "[last_project]\r\nfilename=/home/op/Schlussbild 2.kvx\r\n"
                         "[languagefiles]\r\nactive=deutsch\r\n[other]\r\nkeep=me\r\n";

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void missingFileGivesDefaults() {
        const auto r = SettingsFile::load(SettingsFile::pathIn(m_dir.filePath("nowhere")));
        QVERIFY(!r.fileFound);
        QCOMPARE(dump(r.settings),
                 "port=0 block=4 ball=5 maxbox=50 mode=0 box=1 last= lang=english");
    }

    void load_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("every key") << kFull
                                   << "port=3 block=8 ball=7 maxbox=60 mode=1 box=12 "
                                      "last=/home/op/Schlussbild 2.kvx lang=deutsch";
        QTest::newRow("no [df]")
            << QByteArray("[com]\nport=2\n")
            << "port=2 block=4 ball=5 maxbox=50 mode=0 box=1 last= lang=english";
        QTest::newRow("maxbox 300")
            << QByteArray("[adv]\nmaxbox=300\n")
            << "port=0 block=4 ball=5 maxbox=255 mode=0 box=1 last= lang=english";
        QTest::newRow("box mode 2 is box mode 0")
            << QByteArray("[misc]\nnew_boxmode=2\n")
            << "port=0 block=4 ball=5 maxbox=50 mode=0 box=1 last= lang=english";
        QTest::newRow("maxbox 255")
            << QByteArray("[adv]\nmaxbox=255\n")
            << "port=0 block=4 ball=5 maxbox=255 mode=0 box=1 last= lang=english";
        QTest::newRow("maxbox 0")
            << QByteArray("[adv]\nmaxbox=0\n")
            << "port=0 block=4 ball=5 maxbox=1 mode=0 box=1 last= lang=english";
        QTest::newRow("maxbox negative")
            << QByteArray("[adv]\nmaxbox=-4\n")
            << "port=0 block=4 ball=5 maxbox=1 mode=0 box=1 last= lang=english";
        QTest::newRow("upper case, LF")
            << QByteArray("[COM]\nPORT=5\n[DF]\nBox=9\n")
            << "port=5 block=4 ball=5 maxbox=50 mode=0 box=9 last= lang=english";
        QTest::newRow("non-numeric")
            << QByteArray("[com]\nport=COM4\n[df]\nbox=\n")
            << "port=0 block=4 ball=5 maxbox=50 mode=0 box=1 last= lang=english";
    }
    void load() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString p = m_dir.filePath("settings.ini");
        QVERIFY(writeBytes(p, content));
        const auto r = SettingsFile::load(p);
        QVERIFY(r.fileFound);
        QCOMPARE(dump(r.settings), expected);
    }

    // Each writer changes its own key and nothing else in the file.
    void writerKeepsEverythingElse_data() {
        QTest::addColumn<int>("writer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("port") << 0
                              << "port=9 block=8 ball=7 maxbox=60 mode=1 box=12 "
                                 "last=/home/op/Schlussbild 2.kvx lang=deutsch";
        QTest::newRow("ball") << 1
                              << "port=3 block=8 ball=9 maxbox=60 mode=1 box=12 "
                                 "last=/home/op/Schlussbild 2.kvx lang=deutsch";
        QTest::newRow("boxmode") << 2
                                 << "port=3 block=8 ball=7 maxbox=60 mode=0 box=12 "
                                    "last=/home/op/Schlussbild 2.kvx lang=deutsch";
        QTest::newRow("last project")
            << 3
            << "port=3 block=8 ball=7 maxbox=60 mode=1 box=12 last=/tmp/Größe.kvx lang=deutsch";
        QTest::newRow("language") << 4
                                  << "port=3 block=8 ball=7 maxbox=60 mode=1 box=12 "
                                     "last=/home/op/Schlussbild 2.kvx lang=english";
    }
    void writerKeepsEverythingElse() {
        QFETCH(int, writer);
        QFETCH(QString, expected);
        const QString p = m_dir.filePath("settings.ini");
        QVERIFY(writeBytes(p, kFull));
        const std::function<bool()> writers[] = {
            [&] { return SettingsFile::writePort(p, 9); },
            [&] { return SettingsFile::writeBall(p, 9); },
            [&] { return SettingsFile::writeBoxmode(p, 0); },
            [&] { return SettingsFile::writeLastProject(p, QStringLiteral("/tmp/Größe.kvx")); },
            [&] { return SettingsFile::writeLanguage(p, QStringLiteral("english")); },
        };
        QVERIFY(writers[writer]());
        QCOMPARE(dump(SettingsFile::load(p).settings), expected);
        // Same lines, one changed, the foreign section still last.
        const QList<QByteArray> before = kFull.split('\n'), after = readBytes(p).split('\n');
        QCOMPARE(after.size(), before.size());
        int changed = 0;
        for (int i = 0; i < before.size(); ++i)
            changed += before.at(i) != after.at(i) ? 1 : 0;
        QCOMPARE(changed, 1);
        QVERIFY(after.at(after.size() - 2).startsWith("keep=me"));
    }

    // Nothing in the corpus may crash or hang; what cannot be read is its default.
    void brokenFiles() {
        QTemporaryDir out;
        const QStringList files = vztest::brokenCorpus(VZ_TEST_DATA_DIR, out.path());
        QVERIFY(files.size() >= 10);
        const QString defaults = dump(Settings());
        for (const QString& f : files) {
            const auto r = SettingsFile::load(f);
            QVERIFY2(r.fileFound, qPrintable(f));
            const QString name = QFileInfo(f).fileName();
            QString expected = defaults;
            if (name == "duplicate_keys.ini")
                expected.replace("port=0", "port=3");
            QVERIFY2(dump(r.settings) == expected, qPrintable(name + ": " + dump(r.settings)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
