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
    void stream_data();
    void stream();
    void imageRecords();
    void faultTexts_data();
    void faultTexts();
    void longIdleIsReportedInParts();
    void quietLineReleasesAPartialFrame();
    void reportFormats();
};

void TstDeviceDecoder::stream_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    const QByteArray image = startImage();
    const QByteArray mm = masterModuleFrame(1, 21);

    QTest::newRow("image alone") << image << QStringList{"image@0 ok box=36"};
    QTest::newRow("idle, image, idle")
        << QByteArray("____") + image + "__"
        << QStringList{"idle@0 n=4", "image@4 ok box=36", "idle@434 n=2"};
    QTest::newRow("wait check byte of program 5")
        << patched(image, 15, 0x06) << QStringList{"image@0 fault@15"};
    QTest::newRow("wait triplet 2 00 02")
        << patched(patched(image, 1, 2), 3, 2) << QStringList{"image@0 fault@1"};
    QTest::newRow("wait 01 05 is no wait")
        << patched(patched(image, 91, 1), 93, 6) << QStringList{"image@0 fault@91"};
    QTest::newRow("gap byte") << patched(image, 209, 1) << QStringList{"image@0 fault@209"};
    QTest::newRow("marker") << patched(image, 216, 'Y') << QStringList{"image@0 fault@216"};
    QTest::newRow("main check byte of program 70")
        << patched(image, 426, 0) << QStringList{"image@0 fault@426"};
    QTest::newRow("box record channel")
        << patched(patched(image, 425, 69), 426, 69) << QStringList{"image@0 fault@425"};
    QTest::newRow("last trailer box")
        << patched(image, 428, 0x25) << QStringList{"image@0 fault@428"};
    QTest::newRow("first of two faults")
        << patched(patched(image, 300, 0), 100, 0x33) << QStringList{"image@0 fault@100"};
    QTest::newRow("truncated image") << image.left(300) << QStringList{"image@0 fault@300"};

    QTest::newRow("mm frame") << mm << QStringList{"mm@0 ok box=1 ch=21"};
    QTest::newRow("idle run before mm frame")
        << QByteArray("___") + mm << QStringList{"idle@0 n=3", "mm@3 ok box=1 ch=21"};
    QTest::newRow("mm bad check") << patched(mm, 6, 0xAD) << QStringList{"mm@0 fault@6"};
    QTest::newRow("mm channel 0") << masterModuleFrame(1, 0) << QStringList{"mm@0 fault@5"};
    QTest::newRow("mm cut short") << mm.left(6) << QStringList{"mm@0 fault@6"};
    QTest::newRow("rk40 frame") << rk40Frame(200, 70) << QStringList{"rk40@0 ok box=200 ch=70"};
    QTest::newRow("rk40 bad +10 byte")
        << patched(rk40Frame(1, 21), 6, 0x20) << QStringList{"rk40@0 fault@6"};
    QTest::newRow("macro frame") << macroCallFrame(36, 40)
                                 << QStringList{"macro@0 ok box=36 ch=40"};
    QTest::newRow("macro bad end")
        << patched(macroCallFrame(36, 40), 8, 1) << QStringList{"macro@0 fault@8"};
    QTest::newRow("unknown bytes, then a frame")
        << QByteArray("\x01\x02\x00\x07", 4) + rk40Frame(1, 5)
        << QStringList{"bytes@0 01 02 00 07", "rk40@4 ok box=1 ch=5"};
    QTest::newRow("lone s after idle")
        << QByteArray("__s_") << QStringList{"idle@0 n=2", "bytes@2 73", "idle@3 n=1"};
    QTest::newRow("head of a frame that never comes")
        << QByteArray("\x00\x00\xFF", 3) << QStringList{"bytes@0 00 00 FF"};
}

void TstDeviceDecoder::stream() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    // Whole, and in pieces that split every event somewhere.
    QCOMPARE(decodeAll(bytes, static_cast<int>(bytes.size())), expected);
    QCOMPARE(decodeAll(bytes, 1), expected);
    QCOMPARE(decodeAll(bytes, 4), expected);
}

void TstDeviceDecoder::imageRecords() {
    BoxProgram p = BoxProgram::startValues();
    p.seqAt(0, 1).chk = false;
    p.seqAt(4, 5).wait = 255;
    p.singleAt(7).ch = 69;
    p.singleAt(7).fire = 200;
    const RecordTable sent = buildRecordTable(p, 1);
    const DeviceEvent e = DeviceDecoder::decodeImage(build_transfer_image(sent));
    QVERIFY2(e.valid, qPrintable(e.fault));
    for (int i = 0; i < kTransferRecords; ++i)
        QVERIFY2(e.records[i] == sent[i], qPrintable(QString::number(i + 1)));
    QCOMPARE(e.box, 1);
}

void TstDeviceDecoder::faultTexts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fault");
    const QByteArray image = startImage();
    QTest::newRow("check byte") << patched(image, 15, 0x06)
                                << "check byte of the wait triplet of program 5 is 06, expected 00";
    QTest::newRow("marker") << patched(image, 216, 'Y') << "marker byte 3 is 59, expected 58";
    QTest::newRow("short") << image.left(17) << "image ends after 17 of 430 bytes";
}

void TstDeviceDecoder::faultTexts() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fault);
    QCOMPARE(DeviceDecoder::decodeImage(bytes).fault, fault);
}

void TstDeviceDecoder::longIdleIsReportedInParts() {
    DeviceDecoder d;
    for (int t = 0; t < 1200; t += 25)
        d.feed("_", t);
    d.poll(1200);
    const QVector<DeviceEvent> first = d.takeEvents();
    // Reported once the run is a second old (41 bytes by then), two held back: they may
    // open "__s2".
    QCOMPARE(first.size(), 1);
    QCOMPARE(first[0].bytes.size(), 41 - 2);
    d.feed(masterModuleFrame(1, 21).mid(2), 1300);
    QStringList rest;
    for (const DeviceEvent& e : d.takeEvents())
        rest << summary(e);
    QCOMPARE(rest, (QStringList{"idle@39 n=7", "mm@46 ok box=1 ch=21"}));
}

void TstDeviceDecoder::quietLineReleasesAPartialFrame() {
    DeviceDecoder d;
    d.feed(QByteArray("\x00\x00\x73", 3), 100);
    d.poll(100 + DeviceDecoder::kQuietMs - 1);
    QVERIFY(d.takeEvents().isEmpty());
    d.poll(100 + DeviceDecoder::kQuietMs);
    const QVector<DeviceEvent> events = d.takeEvents();
    QCOMPARE(events.size(), 1);
    QCOMPARE(summary(events[0]), QStringLiteral("bytes@0 00 00 73"));
    QCOMPARE(events[0].timeMs, qint64(100));
}

void TstDeviceDecoder::reportFormats() {
    DeviceDecoder d;
    d.feed(startImage(), 1500);
    d.feed(masterModuleFrame(1, 21), 2000);
    d.finish();
    const QVector<DeviceEvent> events = d.takeEvents();
    QCOMPARE(events.size(), 2);

    const QStringList lines = formatEventText(events[0]);
    QCOMPARE(lines.size(), 1 + 1 + 14);
    QVERIFY2(lines[0].contains(QStringLiteral("valid, box 36")), qPrintable(lines[0]));
    // Row 1 holds programs 1, 15, 29, 43, 57; program 57 is unused.
    QCOMPARE(lines[2].simplified(),
             QStringLiteral("1 1 5 0 15 15 5 0 29 29 5 0 43 43 5 5 57 57 0 0"));
    QCOMPARE(lines[15].simplified(),
             QStringLiteral("14 14 5 0 28 28 5 0 42 42 5 5 56 56 0 0 70 70 0 36"));

    const QJsonObject json = eventToJson(events[1]);
    QCOMPARE(json.value("time_ms").toInt(), 2000);
    QCOMPARE(json.value("channel").toInt(), 21);
    QCOMPARE(json.value("hex").toString(), QStringLiteral("5F 5F 73 32 65 15 AC 00"));
    const QJsonObject image = eventToJson(events[0]);
    QCOMPARE(image.value("records").toArray().size(), 70);
    QCOMPARE(image.value("records").toArray()[69].toObject().value("wait").toInt(), 36);
}

QTEST_GUILESS_MAIN(TstDeviceDecoder)
#include "tst_device_decoder.moc"
