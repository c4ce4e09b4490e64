#include "base/unit_service.h"
#include "core/file_fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using vztest::writeBytes;

class TestLanguage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir; // the program folder
    bool writeLanguage(const QString& name, const QByteArray& content) {
        return QDir(m_dir.path()).mkpath("language") &&
               writeBytes(LanguageTable::filePath(m_dir.path(), name), content);
    }

private slots:
    // Each row: file content, then "key|expected get_text" probes.
    void lookups_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("probes");
        QTest::newRow("second = cuts the text")
            << QByteArray("btn_ok=OK=more=x\r\n") << QStringList{"btn_ok|OK"};
        QTest::newRow("key without =")
            << QByteArray("btn_ok\r\nb=2\r\n") << QStringList{"btn_ok|", "b|2"};
        QTest::newRow("empty text") << QByteArray("a=\r\n") << QStringList{"a|"};
        QTest::newRow("empty line hides the rest")
            << QByteArray("a=1\r\n\r\nb=2\r\n") << QStringList{"a|1", "b|<b>"};
        QTest::newRow("line starting with = hides the rest")
            << QByteArray("a=1\r\n=x\r\nb=2\r\n") << QStringList{"a|1", "b|<b>", "|<>"};
        QTest::newRow("first of two wins") << QByteArray("a=1\r\na=2\r\n") << QStringList{"a|1"};
        QTest::newRow("case matters")
            << QByteArray("Btn_OK=OK\r\n") << QStringList{"btn_ok|<btn_ok>", "Btn_OK|OK"};
        QTest::newRow("nothing trimmed")
            << QByteArray(" a = b \r\n") << QStringList{"a|<a>", " a | b "};
        QTest::newRow("LF ends") << QByteArray("a=1\nb=2\n") << QStringList{"a|1", "b|2"};
        QTest::newRow("lone CR at the end")
            << QByteArray("a=1\r\nb=2\r") << QStringList{"a|1", "b|2"};
        QTest::newRow("UTF-8 BOM dropped") << QByteArray("\xef\xbb\xbf"
                                                         "a=1\r\n")
                                           << QStringList{"a|1"};
        QTest::newRow("UTF-8 umlauts") << QByteArray("t=\xc3\x9c"
                                                     "bertragung l\xc3\xa4uft\r\n")
                                       << QStringList{"t|Übertragung läuft"};
        QTest::newRow("Latin-1 umlauts") << QByteArray("t=\xdc"
                                                       "bertragung l\xe4uft \xdf\r\n")
                                         << QStringList{"t|Übertragung läuft ß"};
        QTest::newRow("empty file") << QByteArray() << QStringList{"a|<a>"};
    }
    void lookups() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, probes);
        LanguageTable table;
        table.setEntries(LanguageTable::parse(content));
        for (const QString& probe : probes) {
            const QString key = probe.section('|', 0, 0), text = probe.section('|', 1);
            QCOMPARE(table.getText(key), text);
            QCOMPARE(table.findText(key), text.startsWith('<') ? QString() : text);
        }
    }

    void onlyTheFirst511LinesAreRead() {
        QByteArray content;
        for (int i = 1; i <= 600; ++i)
            content += QStringLiteral("k%1=t%1\r\n").arg(i).toLatin1();
        LanguageTable table;
        table.setEntries(LanguageTable::parse(content));
        QCOMPARE(table.getText("k511"), QStringLiteral("t511"));
        QCOMPARE(table.getText("k512"), QStringLiteral("<k512>"));
        QCOMPARE(table.entries().size(), LanguageTable::kEntries);
        QVERIFY(table.entries().constLast().key.isEmpty());
    }

    void noLanguageGivesKeysInBrackets() {
        LanguageTable table;
        QCOMPARE(table.getText("msg_firemode"), QStringLiteral("<msg_firemode>"));
        QCOMPARE(table.findText("msg_firemode"), QString());
        QCOMPARE(get_text("msg_firemode"), QStringLiteral("<msg_firemode>")); // shared, unloaded
    }

    void loadUsesTheSharedTable() {
        QVERIFY(writeLanguage("deutsch", "btn_ok=Übernehmen\n"));
        QVERIFY(languageTable().load(m_dir.path(), "deutsch"));
        QCOMPARE(get_text("btn_ok"), QStringLiteral("Übernehmen"));
        QCOMPARE(find_text("btn_cancel"), QString());
    }

    void failedLoadChangesNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("deleted file") << "gone";
        QTest::newRow("a folder named like a file") << "folder";
    }
    void failedLoadChangesNothing() {
        QFETCH(QString, name);
        QVERIFY(writeLanguage("english", "btn_ok=OK\r\n"));
        QVERIFY(writeLanguage("gone", "btn_ok=weg\r\n"));
        QVERIFY(QFile::remove(LanguageTable::filePath(m_dir.path(), "gone")));
        QVERIFY(QDir().mkpath(LanguageTable::filePath(m_dir.path(), "folder")));
        LanguageTable table;
        QVERIFY(table.load(m_dir.path(), "english"));

        QVERIFY(!table.load(m_dir.path(), name));
        QCOMPARE(table.getText("btn_ok"), QStringLiteral("OK"));
    }

    // A shorter file replaces the whole table: nothing of the earlier language shows through.
    void shorterFileLeavesNoOldTexts() {
        QVERIFY(writeLanguage("long", "a=1\r\nb=2\r\nc=3\r\nonly_long=4\r\n"));
        QVERIFY(writeLanguage("short", "a=eins\r\n"));
        LanguageTable table;
        QVERIFY(table.load(m_dir.path(), "long"));
        QVERIFY(table.load(m_dir.path(), "short"));
        QCOMPARE(table.getText("a"), QStringLiteral("eins"));
        QCOMPARE(table.getText("only_long"), QStringLiteral("<only_long>"));
        for (int i = 1; i < table.entries().size(); ++i)
            QVERIFY(table.entries().at(i).key.isEmpty() && table.entries().at(i).text.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
