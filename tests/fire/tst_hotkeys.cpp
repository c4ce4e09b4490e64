#include "core/file_fixtures.h"
#include "fire/hotkeys.h"

#include <QtTest>

using namespace vz;

using vztest::readBytes;
using vztest::writeBytes;
using Entry = HotkeyTable::Entry;

namespace {

// "code:family,number" for every bound code, ascending.
QString bound(const HotkeyTable& t) {
    QStringList out;
    for (int c = 0; c < 200; ++c)
        if (!t.entry(c).isFree())
            out << QStringLiteral("%1:%2,%3").arg(c).arg(t.entry(c).family).arg(t.entry(c).number);
    return out.join(' ');
}

} // namespace

class TestHotkeys : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("hotkeys.ini"); }

private slots:
    void load_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the example: a to LR 2") << QByteArray("[97]\r\n1=4\r\n2=2\r\n") << "97:4,2";
        QTest::newRow("number -1 frees") << QByteArray("[97]\n1=4\n2=-1\n") << "";
        QTest::newRow("family 10") << QByteArray("[97]\n1=10\n2=1\n") << "";
        QTest::newRow("macro 10 / 11")
            << QByteArray("[58]\n1=9\n2=10\n[59]\n1=9\n2=11\n") << "58:9,10";
        QTest::newRow("codes outside the table")
            << QByteArray("[47]\n1=0\n2=1\n[123]\n1=0\n2=1\n") << "";
        QTest::newRow("code only the file can fill") << QByteArray("[96]\n1=2\n2=1\n") << "96:2,1";
        QTest::newRow("no file") << QByteArray() << "";
        QTest::newRow("one button, several keys")
            << QByteArray("[122]\n1=4\n2=2\n[49]\n1=4\n2=2\n") << "49:4,2 122:4,2";
    }
    void load() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QFile::remove(path());
        QVERIFY(content.isNull() || writeBytes(path(), content));
        HotkeyTable t;
        t.bind(100, 0, 1); // loading starts from a free table
        t.load(path());
        QCOMPARE(bound(t), expected);
    }

    void saveWritesAllSectionsInOrder() {
        QVERIFY(writeBytes(path(), "[stale]\r\nx=1\r\n[97]\r\n1=0\r\n2=1\r\n"));
        HotkeyTable t;
        t.bind('a', 4, 2);
        QVERIFY(t.save(path()));
        QByteArray expected;
        for (int c = 48; c <= 122; ++c)
            expected += c == 'a' ? QByteArray("[97]\r\n1=4\r\n2=2\r\n")
                                 : "[" + QByteArray::number(c) + "]\r\n1=-1\r\n2=-1\r\n";
        QCOMPARE(readBytes(path()), expected);
    }

    void saveFailureKeepsOldFile() {
        const QString p = m_dir.filePath(QString(250, 'h'));
        QVERIFY(writeBytes(p, "[97]\r\n1=4\r\n2=2\r\n"));
        HotkeyTable t;
        QVERIFY(!t.save(p));
        HotkeyTable back;
        back.load(p);
        QCOMPARE(bound(back), QStringLiteral("97:4,2"));
    }

    void bindMovesKeys() {
        HotkeyTable t;
        t.bind('a', 4, 2);
        t.bind('b', 4, 2); // the button's old key is freed
        QCOMPARE(bound(t), QStringLiteral("98:4,2"));
        t.bind('b', 0, 1); // the key moves to another button
        QCOMPARE(bound(t), QStringLiteral("98:0,1"));
        t.bind('c', 9, 11); // no such button
        t.bind(123, 0, 2);  // no such key
        t.setEntry('d', Entry{5, 0});
        QCOMPARE(bound(t), QStringLiteral("98:0,1"));
        QCOMPARE(t.keyOf(0, 1), int('b'));
        QCOMPARE(t.keyOf(-1, -1), -1); // free entries are no button
    }
};

QTEST_GUILESS_MAIN(TestHotkeys)
#include "tst_hotkeys.moc"
