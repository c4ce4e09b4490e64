#include "base/settings.h"
#include "core/file_fixtures.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace vz;

using vztest::readBytes;
using vztest::writeBytes;

namespace {

// Every field, so one comparison covers the whole record; the block as a transfer takes it.
QString dump(const Settings& s) {
    return QStringLiteral("port=%1 block=%2 ball=%3 maxbox=%4 mode=%5 box=%6 last=%7 lang=%8")
        .arg(s.port)
        .arg(s.effectiveBlock())
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
const QString kFullRead = "port=3 block=8 ball=7 maxbox=60 mode=1 box=12 "
                          "last=/home/op/Schlussbild 2.kvx lang=deutsch";
const QString kDefaults = "port=0 block=4 ball=5 maxbox=50 mode=0 box=1 last= lang=english";

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void load_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QString>("expected");
        QTest::newRow("no file") << QByteArray() << kDefaults;
        QTest::newRow("every key") << kFull << kFullRead;
        QTest::newRow("upper case, LF, maxbox 300, block -3")
            << QByteArray("[COM]\nPORT=5\nblock=-3\n[DF]\nBox=9\n[adv]\nmaxbox=300\n")
            << QString(kDefaults)
                   .replace("port=0", "port=5")
                   .replace("box=1", "box=9")
                   .replace("maxbox=50", "maxbox=255");
        QTest::newRow("maxbox 0, non-numeric port, block 0")
            << QByteArray("[adv]\nmaxbox=0\n[com]\nport=COM4\nblock=0\n")
            << QString(kDefaults).replace("maxbox=50", "maxbox=1");
        QTest::newRow("box and box mode out of range: refused, never wrapped")
            << QByteArray("[df]\nbox=300\n[misc]\nnew_boxmode=7\n")
            << kDefaults + "|[df] box=300 (1..255)|[misc] new_boxmode=7 (0..1)";
    }
    void load() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString p = m_dir.filePath("settings.ini");
        QFile::remove(p);
        if (!content.isNull())
            QVERIFY(writeBytes(p, content));
        const auto r = SettingsFile::load(p);
        QCOMPARE(r.fileFound, !content.isNull());
        QCOMPARE(QStringList(dump(r.settings)) + r.refused, expected.split('|'));
    }

    // Each writer changes its own key and nothing else in the file.
    void writer_data() {
        QTest::addColumn<int>("writer");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("port") << 0 << "port=3"
                              << "port=9";
        QTest::newRow("ball") << 1 << "ball=7"
                              << "ball=9";
        QTest::newRow("boxmode") << 2 << "mode=1"
                                 << "mode=0";
        QTest::newRow("last project") << 3 << "/home/op/Schlussbild 2.kvx"
                                      << "/tmp/Größe.kvx";
        QTest::newRow("language") << 4 << "deutsch"
                                  << "english";
    }
    void writer() {
        QFETCH(int, writer);
        QFETCH(QString, from);
        QFETCH(QString, to);
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
        QCOMPARE(dump(SettingsFile::load(p).settings), QString(kFullRead).replace(from, to));
        QVERIFY(readBytes(p).endsWith("[other]\r\nkeep=me\r\n"));
    }

    // Nothing in the corpus may crash or hang; what cannot be read is its default.
    void brokenFiles() {
        QTemporaryDir out;
        const QStringList files = vztest::brokenCorpus(VZ_TEST_DATA_DIR, out.path());
        QVERIFY(files.size() >= 10);
        for (const QString& f : files) {
            const QString name = QFileInfo(f).fileName();
            QString expected = kDefaults;
            if (name == "duplicate_keys.ini")
                expected.replace("port=0", "port=3");
            QCOMPARE(dump(SettingsFile::load(f).settings) + " " + name, expected + " " + name);
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
