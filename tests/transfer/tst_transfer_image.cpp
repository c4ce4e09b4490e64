#include "base/unit_service.h"
#include "transfer/transfer_image.h"

#include <QtTest>

using namespace vz;

Q_DECLARE_METATYPE(vz::TransferRecord)

namespace {

// Message keys as "K:<key>", captions as "C:<name>", so the test sees which was used where.
CheckTexts markedTexts() {
    CheckTexts t;
    t.getText = [](const QString& key) {
        if (key == QLatin1String("msg_chk_dbl_errch"))
            return QStringLiteral("Channel");
        if (key == QLatin1String("msg_chk_dbl_sgl"))
            return QStringLiteral("Single");
        return QStringLiteral("<%1>").arg(key);
    };
    t.caption = [](const QString& name) { return QStringLiteral("C:") + name; };
    return t;
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A box program edited by a small script: "s3.ch=5" (single 3), "g0.2.fire=9" (group kind 0,
// variant 2), "q4.1.chk=0" (sequence family 4, variant 1), "count=10", "box=7".
BoxProgram edited(const QString& script) {
    BoxProgram p = BoxProgram::startValues();
    const auto items = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const QStringList kv = item.split(QLatin1Char('='));
        const QStringList path = kv[0].split(QLatin1Char('.'));
        const int value = kv[1].toInt();
        const QString head = path[0];
        if (head == QLatin1String("count")) {
            p.gasmodCount = value - 1;
        } else if (head == QLatin1String("box")) {
            p.boxNr = value - 1;
        } else if (head.startsWith(QLatin1Char('s'))) {
            SingleProgram& s = p.singleAt(head.mid(1).toInt());
            if (path[1] == QLatin1String("ch"))
                s.ch = value - 1;
            else
                s.fire = value;
        } else if (head.startsWith(QLatin1Char('g'))) {
            GroupProgram& g = p.groupAt(head.mid(1).toInt(), path[1].toInt());
            if (path[2] == QLatin1String("ch"))
                g.ch = value - 1;
            else
                g.fire = value;
        } else if (head.startsWith(QLatin1Char('q'))) {
            SequenceProgram& s = p.seqAt(head.mid(1).toInt(), path[1].toInt());
            if (path[2] == QLatin1String("ch"))
                s.ch = value - 1;
            else if (path[2] == QLatin1String("fire"))
                s.fire = value;
            else if (path[2] == QLatin1String("wait"))
                s.wait = value;
            else
                s.chk = value != 0;
        }
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
    void textsFromLanguageTable();
};

void TstTransferImage::image_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("start") << "" << 0 << 0 << hex("57000000");
    QTest::newRow("wait triplet 31") << "" << 0 << 91 << hex("000505");
    QTest::newRow("gap, trailer, marker") << "" << 0 << 208 << hex("000000002424 5F5F58");
    QTest::newRow("main triplet 1") << "" << 0 << 217 << hex("050106");
    QTest::newRow("box mode 0: box record, last trailer") << "" << 0 << 424 << hex("004646 002424");
    QTest::newRow("box mode 1: trailer") << "count=9 box=200" << 1 << 211 << hex("00C8C8");
    QTest::newRow("box mode 1: box record")
        << "count=9 box=200" << 1 << 424 << hex("09464F 00C8C8");
    QTest::newRow("wait 255 -> 01 00 01") << "q0.1.wait=255" << 0 << 91 << hex("010001");
    QTest::newRow("wait 254 -> 00 FE FE") << "q0.1.wait=254" << 0 << 91 << hex("00FEFE");
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
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("program");
    QTest::addColumn<TransferRecord>("expected");
    QTest::newRow("single 16, hidden, still sent")
        << "count=2 s16.ch=60 s16.fire=77" << 0 << 16 << TransferRecord{60, 77, 0};
    QTest::newRow("unused number 17") << "" << 0 << 17 << TransferRecord{17, 0, 0};
    QTest::newRow("evn variant 3 -> 29")
        << "g2.3.ch=3 g2.3.fire=255" << 0 << 29 << TransferRecord{3, 255, 0};
    QTest::newRow("X variant 5 -> 55")
        << "q4.5.ch=70 q4.5.wait=255" << 0 << 55 << TransferRecord{70, 5, 255};
    QTest::newRow("LR 1 not in use: 41, even beside AI 1 on 41")
        << "q0.1.chk=0 q0.1.ch=12 q0.1.fire=9" << 0 << 31 << TransferRecord{41, 0, 0};
    QTest::newRow("box mode 0: 30 + count, not the box list")
        << "count=6 box=200" << 0 << 70 << TransferRecord{70, 0, 36};
    QTest::newRow("box mode 1: count and chosen box")
        << "count=9 box=200" << 1 << 70 << TransferRecord{70, 9, 200};
}

void TstTransferImage::recordTable() {
    QFETCH(QString, script);
    QFETCH(int, boxMode);
    QFETCH(int, program);
    QFETCH(TransferRecord, expected);
    const TransferRecord got = buildRecordTable(edited(script), boxMode)[program - 1];
    QCOMPARE(QList<int>({got.channel, got.time, got.wait}),
             QList<int>({expected.channel, expected.time, expected.wait}));
}

void TstTransferImage::duplicateMessage_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("start values: none") << ""
                                        << "";
    QTest::newRow("hidden single counts") << "count=1 s16.ch=2"
                                          << "Channel 2:\n\rSingle 2\n\rSingle 16\n\r\n\r";
    QTest::newRow("sequence not in use still refused")
        << "q2.3.chk=0 q2.3.ch=9"
        << "Channel 9:\n\rSingle 9\n\rSeq |==><==|, C:tab_seqAI_var_3_lbl\n\r\n\r";
    QTest::newRow("group and sequence captions, kinds and families in order")
        << "g2.1.ch=70 q4.5.ch=70 g0.3.ch=70 q1.2.ch=70"
        << "Channel 70:\n\rC:tab_all, C:tab_all_var_3_lbl\n\rC:tab_evn, C:tab_evn_var_1_lbl\n\r"
           "Seq <=====|, C:tab_seqRL_var_2_lbl\n\rSeq |<====>|, C:tab_seqX_var_5_lbl\n\r\n\r";
    QTest::newRow("channels in rising order")
        << "s12.ch=40 q3.4.ch=2"
        << "Channel 2:\n\rSingle 2\n\rSeq <==||==>, C:tab_seqIA_var_4_lbl\n\r\n\r"
           "Channel 40:\n\rSingle 12\n\rSeq <=====|, C:tab_seqRL_var_5_lbl\n\r\n\r";
}

void TstTransferImage::duplicateMessage() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QCOMPARE(duplicateChannelMessage(edited(script), markedTexts()), expected);
}

// The window's captions: the language text, or the control's own name without one (also for
// an entry with an empty text).
void TstTransferImage::textsFromLanguageTable() {
    LanguageTable table;
    table.setEntries({{"msg_chk_dbl_errch", "Kanal"},
                      {"tab_all", "Alle"},
                      {"tab_all_var_2_lbl", ""},
                      {"tab_seqLR_var_1_lbl", "Variante 1"}});
    QCOMPARE(duplicateChannelMessage(edited("g0.2.ch=1 q0.1.ch=1"), CheckTexts::fromTable(table)),
             QStringLiteral("Kanal 1:\n\r<msg_chk_dbl_sgl> 1\n\rAlle, tab_all_var_2_lbl\n\r"
                            "Seq |=====>, Variante 1\n\r\n\r"));
}

QTEST_GUILESS_MAIN(TstTransferImage)
#include "tst_transfer_image.moc"
