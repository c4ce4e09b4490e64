#include "device/device_decoder.h"
#include "device/device_report.h"
#include "fire/fire_frames.h"

#include <QtTest>

using namespace vz;

namespace {

QByteArray startImage() {
    return build_transfer_image(buildRecordTable(BoxProgram::startValues(), 0));
}

QByteArray patched(QByteArray bytes, int offset, int value) {
    bytes[offset] = static_cast<char>(value);
    return bytes;
}

// "kind@offset" plus what matters of the event, so a whole stream compares as one list.
QString summary(const DeviceEvent& e) {
    QString s = eventKindName(e.kind) + QLatin1Char('@') + QString::number(e.offset);
    switch (e.kind) {
    case DeviceEvent::Kind::Idle:
        return s + QStringLiteral(" n=%1").arg(e.bytes.size());
    case DeviceEvent::Kind::Bytes:
        return s + QLatin1Char(' ') + hexBytes(e.bytes);
    case DeviceEvent::Kind::Image:
        return e.valid ? s + QStringLiteral(" ok box=%1").arg(e.box)
                       : s + QStringLiteral(" fault@%1").arg(e.faultOffset);
    default:
        return e.valid ? s + QStringLiteral(" ok box=%1 ch=%2").arg(e.box).arg(e.channel)
                       : s + QStringLiteral(" fault@%1").arg(e.faultOffset);
    }
}

QStringList decodeAll(const QByteArray& stream, int chunk) {
    DeviceDecoder d;
    for (int i = 0; i < stream.size(); i += chunk)
        d.feed(stream.mid(i, chunk), i);
    d.finish();
    QStringList out;
    for (const DeviceEvent& e : d.takeEvents())
        out << summary(e);
    return out;
}

} // namespace

class TstDeviceDecoder : public QObject {
    Q_OBJECT
private slots:
    void stream_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const QByteArray image = startImage();
        const QByteArray mm = masterModuleFrame(1, 21);

        QTest::newRow("idle, image, idle")
            << QByteArray("____") + image + "__"
            << QStringList{"idle@0 n=4", "image@4 ok box=36", "idle@434 n=2"};
        QTest::newRow("wait check byte of program 5")
            << patched(image, 15, 0x06) << QStringList{"image@0 fault@15"};
        QTest::newRow("gap byte") << patched(image, 209, 1) << QStringList{"image@0 fault@209"};
        QTest::newRow("marker") << patched(image, 216, 'Y') << QStringList{"image@0 fault@216"};
        QTest::newRow("main check byte of program 70")
            << patched(image, 426, 0) << QStringList{"image@0 fault@426"};
        QTest::newRow("truncated image") << image.left(300) << QStringList{"image@0 fault@300"};

        QTest::newRow("mm frame") << mm << QStringList{"mm@0 ok box=1 ch=21"};
        QTest::newRow("mm bad check") << patched(mm, 6, 0xAD) << QStringList{"mm@0 fault@6"};
        QTest::newRow("rk40 frame") << rk40Frame(200, 70) << QStringList{"rk40@0 ok box=200 ch=70"};
        QTest::newRow("rk40 bad +10 byte")
            << patched(rk40Frame(1, 21), 6, 0x20) << QStringList{"rk40@0 fault@6"};
        QTest::newRow("macro frame")
            << macroCallFrame(36, 40) << QStringList{"macro@0 ok box=36 ch=40"};
        QTest::newRow("macro bad end")
            << patched(macroCallFrame(36, 40), 8, 1) << QStringList{"macro@0 fault@8"};
        QTest::newRow("unknown bytes, then a frame")
            << QByteArray("\x01\x02\x00\x07", 4) + rk40Frame(1, 5)
            << QStringList{"bytes@0 01 02 00 07", "rk40@4 ok box=1 ch=5"};
    }

    void stream() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        // Whole, and in pieces that split every event somewhere.
        QCOMPARE(decodeAll(bytes, static_cast<int>(bytes.size())), expected);
        QCOMPARE(decodeAll(bytes, 1), expected);
        QCOMPARE(decodeAll(bytes, 4), expected);
    }
};

QTEST_GUILESS_MAIN(TstDeviceDecoder)
#include "tst_device_decoder.moc"
