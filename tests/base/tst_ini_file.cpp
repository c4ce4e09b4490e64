#include "base/ini_file.h"
#include "core/file_fixtures.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vz;

using vztest::readBytes;
using vztest::writeBytes;

class TestIniFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // Each row: file content, section, key, then what readString and readInt (default -99)
    // give; section and key are asked in another letter case.
    void read_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        auto row = [](const char* name, const QByteArray& value, const QString& text, int n) {
            QTest::newRow(name) << "; x\r\n[Sec]\r\nKey=" + value + "\r\n[b]\r\nk=2\r\n"
                                << text << n;
        };
        row("decimal, spaces", "  42 ", "42", 42);
        row("negative", "-7", "-7", -7);
        row("hex", "0XfF", "0XfF", 255);
        row("negative hex", "-0x10", "-0x10", -16);
        row("digits then junk", "12abc", "12abc", 12);
        row("above int max", "2147483648", "2147483648", -99);
        row("text, bare 0x", "0x", "0x", -99);
        row("quotes dropped", "\"x y\"", "x y", -99);
        row("value with =", "x=y", "x=y", -99);
        row("UTF-8", "Gr\xc3\xbc\xc3\x9f", "Grüß", -99);
        row("Latin-1", "Gr\xfc\xdf", "Grüß", -99);
        QTest::newRow("BOM, Latin-1, LF")
            << QByteArray("\xef\xbb\xbf[sec]\nkey=\xfc") << "ü" << -99;
        QTest::newRow("duplicate key: first") << QByteArray("[sec]\nkey=1\nkey=2\n") << "1" << 1;
        QTest::newRow("key of the next section") << QByteArray("[sec]\n[b]\nkey=2\n") << "-" << -99;
    }
    void read() {
        QFETCH(QByteArray, content);
        QFETCH(QString, text);
        QFETCH(int, number);
        QVERIFY(writeBytes(m_dir.filePath("r.ini"), content));
        IniFile ini(m_dir.filePath("r.ini"));
        QVERIFY(ini.load());
        QCOMPARE(ini.readString("SEC", "key", "-"), text);
        QCOMPARE(ini.readInt("sec", "KEY", -99), number);
        QCOMPARE(ini.readInt("sec", "missing", -99), -99);
    }

    void writeKey_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        const QByteArray head = "; note\r\n[com]\r\n", adv = "\r\n[adv]\r\nball=5\r\n";
        const QByteArray file = head + "port=1\r\nblock=4\r\n" + adv;
        QTest::newRow("in place, other case") << file << "COM"
                                              << "Block" << head + "port=1\r\nBlock=9\r\n" + adv;
        QTest::newRow("new key ends its section")
            << file << "com"
            << "new" << head + "port=1\r\nblock=4\r\nnew=9\r\n" + adv;
        QTest::newRow("new section at the end") << file << "df"
                                                << "box" << file + "[df]\r\nbox=9\r\n";
        QTest::newRow("no file") << QByteArray() << "a"
                                 << "k" << QByteArray("[a]\r\nk=9\r\n");
    }
    void writeKey() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        const QString p = m_dir.filePath("w.ini");
        QFile::remove(p);
        if (!before.isEmpty())
            QVERIFY(writeBytes(p, before));
        QVERIFY(IniFile::writeKey(p, section, key, 9));
        QCOMPARE(readBytes(p), after);
    }

    // The lookup index follows every insertion; a line break in a value stays in its line.
    void insertions() {
        QVERIFY(writeBytes(m_dir.filePath("o.ini"), "[a]\nx=1\n\n[b]\ny=2\n"));
        IniFile ini(m_dir.filePath("o.ini"));
        QVERIFY(ini.load());
        for (const char* k : {"k1", "k2"}) {
            ini.writeInt("a", k, 0);
            ini.writeInt("B", k, 1);
        }
        ini.writeString("a", "file", "/tmp/a\n[c]\r\nport=7");
        QCOMPARE(ini.readInt("b", "y", -1), 2);
        QCOMPARE(ini.readInt("b", "k2", -1), 1);
        QCOMPARE(ini.lines().mid(0, 4), QStringList({"[a]", "x=1", "k1=0", "k2=0"}));
        QCOMPARE(ini.lines().size(), 10);
        QVERIFY(!ini.hasSection("c"));
    }

    // Root may write any file; a name at the length limit leaves no room for the temporary
    // file beside it, so the save fails with the old file in place.
    void failedSaveKeepsOldFile() {
        const QString p = m_dir.filePath(QString(250, QLatin1Char('n')));
        QVERIFY(writeBytes(p, "[com]\r\nport=1\r\n"));
        QVERIFY(!IniFile::writeKey(p, "com", "port", 2));
        QCOMPARE(readBytes(p), QByteArray("[com]\r\nport=1\r\n"));
        QVERIFY(!IniFile::writeKey(m_dir.filePath("missing/s.ini"), "com", "port", 2));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
