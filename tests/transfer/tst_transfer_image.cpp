#include "base/unit_service.h"
#include "transfer/transfer_image.h"

#include <QRegularExpression>
#include <QtTest>

using namespace vz;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

template <typename T> void set(T& prog, const QString& field, int value) {
    if (field == "ch")
        prog.ch = value - 1;
    else if (field == "fire")
        prog.fire = value;
    else if constexpr (std::is_same_v<T, SequenceProgram>)
        prog.wait = value; // "wait"
}

// Start values edited: "s3.ch=5", "g0.2.fire=9" (kind, variant), "q4.1.chk=0", "count=10", "box=7".
BoxProgram edited(const QString& script) {
    BoxProgram p = BoxProgram::startValues();
    for (const QString& item : script.split(' ', Qt::SkipEmptyParts)) {
        const QStringList f = item.split(QRegularExpression("[=.]"));
        const int value = f.last().toInt();
        const int n = f[0].mid(1).toInt();
        if (f[0] == "count")
            p.gasmodCount = value - 1;
        else if (f[0] == "box")
            p.boxNr = value - 1;
        else if (f[0][0] == 's')
            set(p.singleAt(n), f[1], value);
        else if (f[0][0] == 'g')
            set(p.groupAt(n, f[1].toInt()), f[2], value);
        else if (f[2] == "chk")
            p.seqAt(n, f[1].toInt()).chk = value != 0;
        else
            set(p.seqAt(n, f[1].toInt()), f[2], value);
    }
    return p;
}

} // namespace

class TstTransferImage : public QObject {
    Q_OBJECT
private slots:
    void image_data();
    void image();
    void recordTable_data();
    void recordTable();
    void duplicateMessage_data();
    void duplicateMessage();
};

void TstTransferImage::image_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("start") << "" << 0 << 0 << hex("57000000");
    QTest::newRow("gap, trailer, marker") << "" << 0 << 208 << hex("000000002424 5F5F58");
    QTest::newRow("box mode 0: box record, last trailer") << "" << 0 << 424 << hex("004646 002424");
    QTest::newRow("box mode 1: box record")
        << "count=9 box=200" << 1 << 424 << hex("09464F 00C8C8");
    QTest::newRow("wait 255 -> 01 00 01") << "q0.1.wait=255" << 0 << 91 << hex("010001");
    QTest::newRow("check byte wraps") << "q0.1.ch=70 q0.1.fire=200" << 0 << 307 << hex("C8460E");
}

void TstTransferImage::image() {
    QFETCH(QString, script);
    QFETCH(int, boxMode);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    const QByteArray image = build_transfer_image(buildRecordTable(edited(script), boxMode));
    QCOMPARE(image.size(), kTransferImageSize);
    QCOMPARE(image.mid(offset, bytes.size()).toHex(' '), bytes.toHex(' '));
}

void TstTransferImage::recordTable_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("program");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("hidden single 16")
        << "count=2 s16.ch=60 s16.fire=77" << 16 << QList<int>{60, 77, 0};
    QTest::newRow("unused number 17") << "" << 17 << QList<int>{17, 0, 0};
    QTest::newRow("evn variant 3: 29") << "g2.3.ch=3 g2.3.fire=255" << 29 << QList<int>{3, 255, 0};
    QTest::newRow("LR 1 not in use: 41, even beside AI 1 on 41")
        << "q0.1.chk=0 q0.1.ch=12 q0.1.fire=9" << 31 << QList<int>{41, 0, 0};
}

void TstTransferImage::recordTable() {
    QFETCH(QString, script);
    QFETCH(int, program);
    QFETCH(QList<int>, expected);
    const TransferRecord got = buildRecordTable(edited(script), 0)[program - 1];
    QCOMPARE(QList<int>({got.channel, got.time, got.wait}), expected);
}

void TstTransferImage::duplicateMessage_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hidden single, channels in rising order")
        << "count=1 s16.ch=2 s12.ch=40 q3.4.ch=2"
        << "errch 2:\n\rsgl 2\n\rsgl 16\n\r"
           "Seq <==||==>, C:tab_seqIA_var_4_lbl\n\r\n\rerrch 40:\n\r"
           "sgl 12\n\rSeq <=====|, C:tab_seqRL_var_5_lbl\n\r\n\r";
    QTest::newRow("captions, kinds and families in order, sequence not in use counts")
        << "g2.1.ch=70 q4.5.ch=70 g0.3.ch=70 q1.2.ch=70 q2.3.chk=0 q2.3.ch=70"
        << "errch 70:\n\rC:tab_all, C:tab_all_var_3_lbl\n\r"
           "C:tab_evn, C:tab_evn_var_1_lbl\n\rSeq <=====|, C:tab_seqRL_var_2_lbl\n\r"
           "Seq |==><==|, C:tab_seqAI_var_3_lbl\n\rSeq |<====>|, C:tab_seqX_var_5_lbl\n\r\n\r";
}

void TstTransferImage::duplicateMessage() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    // Message keys by their last part, captions as "C:<name>": the test sees which was used where.
    CheckTexts t;
    t.getText = [](const QString& key) { return key.section('_', -1); };
    t.caption = [](const QString& name) { return QStringLiteral("C:") + name; };
    QCOMPARE(duplicateChannelMessage(edited(script), t), expected);
}

QTEST_GUILESS_MAIN(TstTransferImage)
#include "tst_transfer_image.moc"
