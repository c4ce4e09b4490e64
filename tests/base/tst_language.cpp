#include "base/unit_service.h"
#include "core/file_fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace vz;

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
        QTest::newRow("second = cuts, no = is empty")
            << QByteArray("a=OK=x\r\nb\r\nc=3") << QStringList{"a|OK", "b|", "c|3"};
        QTest::newRow("empty line ends the table")
            << QByteArray("a=1\n\nb=2\n") << QStringList{"a|1", "b|<b>"};
        QTest::newRow("first wins, case matters, nothing trimmed")
            << QByteArray("a=1\r\na=2\r\n B = b \r\n") << QStringList{"a|1", "B|<B>", " B | b "};
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xef\xbb\xbft=\xc3\x9c"
                                                      "bertragung\r\n")
                                        << QStringList{"t|Übertragung"};
        QTest::newRow("Latin-1") << QByteArray("t=\xdc"
                                               "bertragung \xdf\r\n")
                                 << QStringList{"t|Übertragung ß"};
        QByteArray many;
        for (int i = 1; i <= 600; ++i)
            many += QStringLiteral("k%1=t%1\n").arg(i).toLatin1();
        QTest::newRow("511 lines read") << many << QStringList{"k511|t511", "k512|<k512>"};
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

    // Loading replaces the whole shared table; a failed load leaves it as it was.
    void load() {
        QVERIFY(writeLanguage("long", "a=1\r\nb=2\r\nonly_long=4\r\n"));
        QVERIFY(writeLanguage("short", "a=eins\r\n"));
        QCOMPARE(get_text("a"), QStringLiteral("<a>"));
        QVERIFY(languageTable().load(m_dir.path(), "long"));
        QVERIFY(languageTable().load(m_dir.path(), "short"));
        QCOMPARE(get_text("a"), QStringLiteral("eins"));
        QCOMPARE(get_text("only_long"), QStringLiteral("<only_long>"));
        QCOMPARE(find_text("b"), QString());
        QVERIFY(!languageTable().load(m_dir.path(), "gone"));
        // Opened, a FIFO would wait for a writer.
        QCOMPARE(::mkfifo(qPrintable(LanguageTable::filePath(m_dir.path(), "pipe")), 0600), 0);
        QVERIFY(!languageTable().load(m_dir.path(), "pipe"));
        QCOMPARE(get_text("a"), QStringLiteral("eins"));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
