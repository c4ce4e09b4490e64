#include "transfer/hex_log.h"

#include <QtTest>

using namespace vz;

using vz::HexLog;

class TstHexLog : public QObject {
    Q_OBJECT
private slots:
    void appends_data() {
        QTest::addColumn<int>("limit");
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("dropped");
        QTest::newRow("every digit, upper case")
            << 300 << QList<QByteArray>{QByteArray::fromHex("00abff57"), "_"} << "00 AB FF 57 5F "
            << QList<int>{0, 0};
        QTest::newRow("oldest entries dropped, the memory too")
            << 9 << QList<QByteArray>{"abc", "d", "ef", "gh"} << "66 67 68 "
            << QList<int>{0, 3, 6, 6};
        QTest::newRow("limit rounded down to whole entries")
            << 10 << QList<QByteArray>{"abcd"} << "62 63 64 " << QList<int>{3};
        QTest::newRow("one part larger than the limit keeps its tail")
            << 6 << QList<QByteArray>{"x", "abcde"} << "64 65 " << QList<int>{0, 12};
    }
    void appends() {
        QFETCH(int, limit);
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QString, text);
        QFETCH(QList<int>, dropped);
        HexLog log(limit);
        QList<int> got;
        for (const QByteArray& part : parts) {
            got << log.append(part);
            QVERIFY(log.heldChars() < 2 * log.limit());
        }
        QCOMPARE(log.text(), text);
        QCOMPARE(got, dropped);
    }
};

QTEST_GUILESS_MAIN(TstHexLog)
#include "tst_hex_log.moc"
