#include "device/device_decoder.h"
#include "device/device_report.h"
#include "device/rehearsal_box.h"
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

// Writes "mm:BOX:CH@T", "mc:BOX:CH@T" (macro call), a "!" after the kind spoils the check
// byte; returns the row changes and the counts the box ends with.
QString rehearse(const QString& writes) {
    BoxProgram program = BoxProgram::startValues(); // 6 modules, every time 5, channel = number
    program.singleAt(1).fire = 25;                  // single 1 burns 500 ms as a flame
    RehearsalBox box(program, 5, 1, 36);
    for (const QString& w : writes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList f = w.split(QRegularExpression(QStringLiteral("[:@]")));
        const int b = f[1].toInt(), ch = f[2].toInt();
        QByteArray bytes =
            f[0].startsWith(QLatin1String("mm")) ? masterModuleFrame(b, ch) : macroCallFrame(b, ch);
        if (f[0].endsWith(QLatin1Char('!')))
            bytes[6] = char(bytes[6] + 1);
        box.receive(bytes, f[3].toInt());
    }
    QStringList out;
    const auto list = [](const std::vector<int>& m) {
        QStringList s;
        for (int v : m)
            s << QString::number(v);
        return s.join(QLatin1Char(','));
    };
    for (const RowChange& c : box.timeline())
        out << QStringLiteral("%1 f%2 b%3")
                   .arg(c.tMs)
                   .arg(list(c.modules(preview::SlotFlame)), list(c.modules(preview::SlotBall)));
    out << QStringLiteral("end %1 calls %2 copies %3 rejected %4")
               .arg(box.endMs())
               .arg(box.calls())
               .arg(box.copies())
               .arg(box.rejected());
    return out.join(QStringLiteral("; "));
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
        QTest::newRow("truncated image") << image.left(429) << QStringList{"image@0 fault@429"};

        QTest::newRow("mm frame") << mm << QStringList{"mm@0 ok box=1 ch=21"};
        QTest::newRow("mm bad check") << patched(mm, 6, 0xAD) << QStringList{"mm@0 fault@6"};
        QTest::newRow("rk40 frame") << rk40Frame(200, 70) << QStringList{"rk40@0 ok box=200 ch=70"};
        QTest::newRow("rk40 channel 71") << rk40Frame(200, 71) << QStringList{"rk40@0 fault@5"};
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

    void rehearsal_data() {
        QTest::addColumn<QString>("writes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a call, its second copy adds nothing")
            << "mm:1:1@0 mm:1:1@20"
            << "0 f1 b; 500 f b; end 500 calls 1 copies 1 rejected 0";
        QTest::newRow("sequence LR in 20 ms steps, balls")
            << "mc:36:31@20 mc:36:31@40"
            << "20 f b1; 120 f b2; 220 f b3; 320 f b4; 420 f b5; 520 f b6; 620 f b; "
               "end 620 calls 1 copies 1 rejected 0";
        QTest::newRow("overlapping calls light the union, flame over ball")
            << "mm:1:1@0 mm:1:1@20 mc:36:23@40 mc:36:23@60 mc:36:22@60 mc:36:22@80"
            << "0 f1 b; 40 f1 b2,4,6; 60 f1 b2,3,4,5,6; 140 f1 b3,5; 160 f1 b; 500 f b; "
               "end 500 calls 3 copies 3 rejected 0";
        QTest::newRow("the same call again after its copy plays again")
            << "mm:1:1@0 mm:1:1@20 mm:1:1@300 mm:1:1@320"
            << "0 f1 b; 800 f b; end 800 calls 2 copies 2 rejected 0";
        QTest::newRow("bad check byte on the first copy: the second plays")
            << "mm!:1:1@0 mm:1:1@20"
            << "20 f1 b; 520 f b; end 520 calls 1 copies 0 rejected 1";
        QTest::newRow("other boxes rejected, a channel no shown program carries")
            << "mm:2:1@0 mm:2:1@20 mc:35:1@40 mc!:36:1@60 mm:1:9@80"
            << "end 0 calls 1 copies 0 rejected 4";
    }

    void rehearsal() {
        QFETCH(QString, writes);
        QFETCH(QString, expected);
        QCOMPARE(rehearse(writes), expected);
    }
};

QTEST_GUILESS_MAIN(TstDeviceDecoder)
#include "tst_device_decoder.moc"
