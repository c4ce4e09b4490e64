#include "base/ini_file.h"
#include "core/file_fixtures.h"

#include <QDir>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using vztest::readBytes;
using vztest::writeBytes;

class TestIniFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void readInt_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("42") << 42;
        QTest::newRow("spaces") << QByteArray("  42  ") << 42;
        QTest::newRow("negative") << QByteArray("-7") << -7;
        QTest::newRow("hex upper X") << QByteArray("0XfF") << 255;
        QTest::newRow("negative hex") << QByteArray("-0x10") << -16;
        QTest::newRow("digits then junk") << QByteArray("12abc") << 12;
        QTest::newRow("int min") << QByteArray("-2147483648") << int(0x80000000);
        QTest::newRow("above int max") << QByteArray("2147483648") << -99;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << -99;
        QTest::newRow("huge hex") << QByteArray("0x100000000") << -99;
        QTest::newRow("text") << QByteArray("abc") << -99;
        QTest::newRow("bare 0x") << QByteArray("0x") << -99;
        QTest::newRow("sign only") << QByteArray("-") << -99;
        QTest::newRow("arabic-indic digits") << QByteArray("\xd9\xa3") << -99;
    }
    void readInt() {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        QVERIFY(writeBytes(path("int.ini"), "[Sec]\r\nKey=" + value + "\r\n"));
        IniFile ini(path("int.ini"));
        QVERIFY(ini.load());
        QCOMPARE(ini.readInt("sec", "key", -99), expected);
        QCOMPARE(ini.readInt("SEC", "KEY", -99), expected);
        QCOMPARE(ini.readInt("sec", "missing", -99), -99);
        QCOMPARE(ini.readBool("sec", "key", false), expected != -99 && expected != 0);
    }

    void lookups_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QByteArray& content, const char* section,
                      const char* key, const QString& expected) {
            QTest::newRow(name) << content << section << key << expected;
        };
        row("case of section and key", "[CoM]\nPoRt=3\n", "com", "PORT", "3");
        row("duplicate key: first", "[a]\nk=1\nk=2\n", "a", "k", "1");
        row("duplicate section: first", "[a]\nx=1\n[a]\nk=2\n", "a", "k", "-");
        row("key of next section", "[a]\n[b]\nk=2\n", "a", "k", "-");
        row("CR LF", "[a]\r\nk=1\r\nj=2\r\n", "a", "j", "2");
        row("LF, no final end", "[a]\nk=1\nj=2", "a", "j", "2");
        row("quotes dropped", "[a]\nk=\"x y\"\n", "a", "k", "x y");
        row("value with =", "[a]\nk=x=y\n", "a", "k", "x=y");
        row("UTF-8", "[a]\nk=Gr\xc3\xbc\xc3\x9f\n", "a", "k", "Grüß");
        row("Latin-1", "[a]\nk=Gr\xfc\xdf\n", "a", "k", "Grüß");
        // A byte-order mark in front of a file that is not valid UTF-8 must not hide the
        // first section.
        row("BOM, Latin-1 body", "\xef\xbb\xbf[a]\nk=\xfc\n", "a", "k", "ü");
        row("BOM, UTF-8 body", "\xef\xbb\xbf[a]\nk=1\n", "a", "k", "1");
    }
    void lookups() {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(writeBytes(path("l.ini"), content));
        IniFile ini(path("l.ini"));
        QVERIFY(ini.load());
        QCOMPARE(ini.readString(section, key, "-"), expected);
    }

    void writeKey_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        auto row = [](const char* name, const QByteArray& before, const char* section,
                      const char* key, const QByteArray& after) {
            QTest::newRow(name) << before << section << key << after;
        };
        const QByteArray head = "; note\r\n[com]\r\n", adv = "\r\n[adv]\r\nball=5\r\n";
        const QByteArray file = head + "port=1\r\nblock=4\r\n" + adv;
        row("in place", file, "com", "port", head + "port=9\r\nblock=4\r\n" + adv);
        row("in place, other case", file, "COM", "Block", head + "port=1\r\nBlock=9\r\n" + adv);
        row("new key ends its section", file, "com", "new",
            head + "port=1\r\nblock=4\r\nnew=9\r\n" + adv);
        row("new section at the end", file, "df", "box", file + "[df]\r\nbox=9\r\n");
        row("duplicate: first replaced", "[a]\nk=1\nk=2\n", "a", "k", "[a]\r\nk=9\r\nk=2\r\n");
        row("LF file", "[a]\nk=1\n[b]\nj=2\n", "a", "m", "[a]\r\nk=1\r\nm=9\r\n[b]\r\nj=2\r\n");
        row("no file", QByteArray(), "a", "k", "[a]\r\nk=9\r\n");
    }
    void writeKey() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        const QString p = path("w.ini");
        QFile::remove(p);
        if (!before.isEmpty())
            QVERIFY(writeBytes(p, before));
        QVERIFY(IniFile::writeKey(p, section, key, 9));
        QCOMPARE(readBytes(p), after);
    }

    // Writes in random order into a file that already has content, checked against a plain
    // map after every step and after a reload: the lookup index must follow every insertion.
    void manyWritesMatchModel() {
        QRandomGenerator rng(7);
        IniFile ini(path("model.ini"));
        QMap<QString, int> model;
        const QStringList sections = {"misc", "SGL", "macro0", "macro1", "x"};
        for (int i = 0; i < 3000; ++i) {
            const QString s = sections.at(rng.bounded(sections.size()));
            const QString k = QStringLiteral("k%1").arg(rng.bounded(300));
            const int v = rng.bounded(-1000, 1000);
            ini.writeInt(rng.bounded(2) ? s : s.toUpper(), k, v);
            model[s.toLower() + "/" + k] = v;
            const QString probe = model.keys().at(rng.bounded(model.size()));
            QCOMPARE(ini.readInt(probe.section('/', 0, 0), probe.section('/', 1), -5000),
                     model.value(probe));
        }
        QVERIFY(ini.save());
        IniFile again(path("model.ini"));
        QVERIFY(again.load());
        QCOMPARE(again.lines(), ini.lines());
        for (auto it = model.cbegin(); it != model.cend(); ++it)
            QCOMPARE(again.readInt(it.key().section('/', 0, 0), it.key().section('/', 1), -5000),
                     it.value());
    }

    void newKeysKeepTheirOrder() {
        QVERIFY(writeBytes(path("o.ini"), "[a]\nx=1\n\n[b]\ny=2\n"));
        IniFile ini(path("o.ini"));
        QVERIFY(ini.load());
        for (const char* k : {"k1", "k2", "k3"}) {
            ini.writeInt("a", k, 0);
            ini.writeInt("b", k, 1);
        }
        QCOMPARE(ini.lines(), QStringList({"[a]", "x=1", "k1=0", "k2=0", "k3=0", "", "[b]", "y=2",
                                           "k1=1", "k2=1", "k3=1"}));
    }

    void lineBreakInValueStaysOneLine() {
        IniFile ini(path("nl.ini"));
        ini.writeString("last_project", "filename", "/tmp/a\n[com]\r\nport=7");
        QVERIFY(ini.save());
        IniFile again(path("nl.ini"));
        QVERIFY(again.load());
        QCOMPARE(again.lines().size(), 2);
        QVERIFY(!again.hasSection("com"));
    }

    void unwritableKeepsOldFile_data() {
        QTest::addColumn<QString>("name");
        // Root may write any file; a name at the length limit leaves no room for the
        // temporary file beside it, so the save fails with the old file in place.
        QTest::newRow("no room for the temporary file") << QString(250, QLatin1Char('n'));
        QTest::newRow("folder missing") << QStringLiteral("missing/dir/s.ini");
        QTest::newRow("a folder, not a file") << QStringLiteral("isdir");
    }
    void unwritableKeepsOldFile() {
        QFETCH(QString, name);
        const QString p = path(name);
        const QByteArray old = "[com]\r\nport=1\r\n";
        if (name == "isdir")
            QVERIFY(QDir(m_dir.path()).mkpath(name));
        else if (!name.contains('/'))
            QVERIFY(writeBytes(p, old));
        QVERIFY(!IniFile::writeKey(p, "com", "port", 2));
        if (!name.contains('/') && name != "isdir")
            QCOMPARE(readBytes(p), old);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
