#include "transfer/hex_log.h"

#include <QtTest>

using vz::HexLog;

class TstHexLog : public QObject {
    Q_OBJECT
private slots:
    void appends_data();
    void appends();
    void defaultLimitHoldsWholeEntries();
};

void TstHexLog::appends_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<QList<QByteArray>>("parts");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("dropped");

    QTest::newRow("idle byte") << 300 << QList<QByteArray>{"_"} << "5F " << QList<int>{0};
    QTest::newRow("every digit, upper case")
        << 300 << QList<QByteArray>{QByteArray::fromHex("00abff57")} << "00 AB FF 57 "
        << QList<int>{0};
    QTest::newRow("exactly full") << 9 << QList<QByteArray>{"ab", "c"} << "61 62 63 "
                                  << QList<int>{0, 0};
    QTest::newRow("oldest entry dropped")
        << 9 << QList<QByteArray>{"abc", "d"} << "62 63 64 " << QList<int>{0, 3};
    QTest::newRow("limit rounded down to whole entries")
        << 10 << QList<QByteArray>{"abcd"} << "62 63 64 " << QList<int>{3};
    QTest::newRow("dropped text cut off after a whole limit")
        << 6 << QList<QByteArray>{"a", "b", "c", "d", "e"} << "64 65 " << QList<int>{0, 0, 3, 3, 3};
    QTest::newRow("one part larger than the limit keeps its tail")
        << 6 << QList<QByteArray>{"x", "abcde"} << "64 65 " << QList<int>{0, 12};
}

void TstHexLog::appends() {
    QFETCH(int, limit);
    QFETCH(QList<QByteArray>, parts);
    QFETCH(QString, text);
    QFETCH(QList<int>, dropped);
    HexLog log(limit);
    QList<int> got;
    for (const QByteArray& part : parts)
        got << log.append(part);
    QCOMPARE(log.text(), text);
    QCOMPARE(got, dropped);
    QVERIFY(log.text().size() <= limit);
}

void TstHexLog::defaultLimitHoldsWholeEntries() {
    HexLog log;
    // Longer than the limit: an hour of idle stream would be 144000 bytes.
    for (int i = 0; i < 30000; ++i)
        log.append(QByteArray(1, static_cast<char>(i & 0xFF)));
    QVERIFY(log.text().size() <= 64 * 1024);
    QVERIFY(log.text().size() > 64 * 1024 - HexLog::kEntryChars);
    QCOMPARE(log.text().size() % HexLog::kEntryChars, 0);
    QVERIFY(log.text().endsWith(HexLog::hex(QByteArray(1, static_cast<char>(29999 & 0xFF)))));
    QVERIFY(log.text().startsWith(
        HexLog::hex(QByteArray(1, static_cast<char>((30000 - log.text().size() / 3) & 0xFF)))));
}

QTEST_GUILESS_MAIN(TstHexLog)
#include "tst_hex_log.moc"
