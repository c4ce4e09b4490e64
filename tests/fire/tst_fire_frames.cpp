#include "fire/fire_frames.h"

#include <QtTest>

using namespace vz;

class TstFireFrames : public QObject {
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
};

void TstFireFrames::frames_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QByteArray>("expected");
    const auto h = [](const char* t) { return QByteArray::fromHex(t); };
    QTest::newRow("mm box 1 channel 21") << "mm" << 1 << 21 << h("5F5F73326515AC00");
    QTest::newRow("mm box 200 channel 70 wraps") << "mm" << 200 << 70 << h("5F5F73322C46A400");
    QTest::newRow("rk40 box 1 channel 21") << "rk40" << 1 << 21 << h("0000FF3265151F0000");
    QTest::newRow("rk40 box 200 channel 70") << "rk40" << 200 << 70 << h("0000FF322C46500000");
    QTest::newRow("rk40 channel 250 wraps") << "rk40" << 1 << 250 << h("0000FF3265FA040000");
    QTest::newRow("macro box 36 channel 40") << "macro" << 36 << 40 << h("000073C8242814 0000");
    QTest::newRow("macro box 255 channel 70 wraps")
        << "macro" << 255 << 70 << h("000073C8FF460D0000");
}

void TstFireFrames::frames() {
    QFETCH(QString, kind);
    QFETCH(int, box);
    QFETCH(int, channel);
    QFETCH(QByteArray, expected);
    QByteArray got;
    if (kind == QLatin1String("mm"))
        got = masterModuleFrame(box, channel);
    else if (kind == QLatin1String("rk40"))
        got = rk40Frame(box, channel);
    else
        got = macroCallFrame(box, channel);
    QCOMPARE(got.toHex(' '), expected.toHex(' '));
}

QTEST_GUILESS_MAIN(TstFireFrames)
#include "tst_fire_frames.moc"
