#include "base/unit_service.h"
#include "transfer/transfer_image.h"

#include <QtTest>

#include <random>

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
    void workedValues_data();
    void workedValues();
    void recordTable_data();
    void recordTable();
    void triplets_data();
    void triplets();
    void imageLayoutFollowsRecords();
    void duplicateMessage_data();
    void duplicateMessage();
    void textsFromLanguageTable();
};

void TstTransferImage::workedValues_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("start") << 0 << hex("57000000");
    QTest::newRow("wait triplet 31") << 91 << hex("000505");
    QTest::newRow("gap, trailer, marker") << 208 << hex("000000002424 5F5F58");
    QTest::newRow("main triplet 1") << 217 << hex("050106");
    QTest::newRow("main triplet 31") << 307 << hex("051F24");
    QTest::newRow("box record") << 424 << hex("004646");
    QTest::newRow("last trailer") << 427 << hex("002424");
}

void TstTransferImage::workedValues() {
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    const QByteArray image = build_transfer_image(buildRecordTable(BoxProgram::startValues(), 0));
    QCOMPARE(image.size(), kTransferImageSize);
    QCOMPARE(image.mid(offset, bytes.size()).toHex(' '), bytes.toHex(' '));
}

void TstTransferImage::recordTable_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("program");
    QTest::addColumn<TransferRecord>("expected");

    QTest::newRow("single 1 at start") << "" << 0 << 1 << TransferRecord{1, 5, 0};
    QTest::newRow("single 16, hidden, still sent")
        << "count=2 s16.ch=60 s16.fire=77" << 0 << 16 << TransferRecord{60, 77, 0};
    for (int p : {17, 56, 69})
        QTest::addRow("unused number %d", p) << "" << 0 << p << TransferRecord{quint8(p), 0, 0};
    QTest::newRow("all variant 1 -> 21")
        << "g0.1.ch=44 g0.1.fire=9" << 0 << 21 << TransferRecord{44, 9, 0};
    QTest::newRow("evn variant 3 -> 29")
        << "g2.3.ch=3 g2.3.fire=255" << 0 << 29 << TransferRecord{3, 255, 0};
    QTest::newRow("LR variant 1 -> 31")
        << "q0.1.fire=7 q0.1.wait=2" << 0 << 31 << TransferRecord{31, 7, 2};
    QTest::newRow("X variant 5 -> 55")
        << "q4.5.ch=70 q4.5.wait=255" << 0 << 55 << TransferRecord{70, 5, 255};
    QTest::newRow("LR 1 not in use: 41, even beside AI 1 on 41")
        << "q0.1.chk=0 q0.1.ch=12 q0.1.fire=9" << 0 << 31 << TransferRecord{41, 0, 0};
    QTest::newRow("AI 1 keeps 41 beside it") << "q0.1.chk=0" << 0 << 41 << TransferRecord{41, 5, 5};
    QTest::newRow("X 5 not in use: 65") << "q4.5.chk=0" << 0 << 55 << TransferRecord{65, 0, 0};
    QTest::newRow("box mode 0: 30 + count") << "count=6" << 0 << 70 << TransferRecord{70, 0, 36};
    QTest::newRow("box mode 0, 16 modules") << "count=16" << 0 << 70 << TransferRecord{70, 0, 46};
    QTest::newRow("box mode 0 ignores the box list")
        << "count=1 box=200" << 0 << 70 << TransferRecord{70, 0, 31};
    QTest::newRow("box mode 1: count and chosen box")
        << "count=9 box=200" << 1 << 70 << TransferRecord{70, 9, 200};
}

void TstTransferImage::recordTable() {
    QFETCH(QString, script);
    QFETCH(int, boxMode);
    QFETCH(int, program);
    QFETCH(TransferRecord, expected);
    const RecordTable table = buildRecordTable(edited(script), boxMode);
    const TransferRecord got = table[program - 1];
    QCOMPARE(QList<int>({got.channel, got.time, got.wait}),
             QList<int>({expected.channel, expected.time, expected.wait}));
}

void TstTransferImage::triplets_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("wait");
    QTest::addColumn<QByteArray>("waitBytes");
    QTest::addColumn<QByteArray>("mainBytes");
    QTest::newRow("wait 255 -> 01 00 01") << 1 << 5 << 255 << hex("010001") << hex("050106");
    QTest::newRow("wait 254 -> 00 FE FE") << 1 << 5 << 254 << hex("00FEFE") << hex("050106");
    QTest::newRow("wait 0") << 17 << 0 << 0 << hex("000000") << hex("001111");
    QTest::newRow("channel 70, time 200 wraps to 0E")
        << 70 << 200 << 2 << hex("000202") << hex("C8460E");
    QTest::newRow("time 255, channel 1 wraps to 00")
        << 1 << 255 << 2 << hex("000202") << hex("FF0100");
}

void TstTransferImage::triplets() {
    QFETCH(int, channel);
    QFETCH(int, time);
    QFETCH(int, wait);
    QFETCH(QByteArray, waitBytes);
    QFETCH(QByteArray, mainBytes);
    // Through the whole image, at program number 31's places.
    RecordTable table = buildRecordTable(BoxProgram::startValues(), 0);
    table[30] = {quint8(channel), quint8(time), quint8(wait)};
    const QByteArray image = build_transfer_image(table);
    QCOMPARE(image.mid(kImageWaitSection + 3 * 30, 3).toHex(' '), waitBytes.toHex(' '));
    QCOMPARE(image.mid(kImageMainSection + 3 * 30, 3).toHex(' '), mainBytes.toHex(' '));
}

void TstTransferImage::imageLayoutFollowsRecords() {
    // Every record distinct, so a shifted or swapped triplet shows.
    RecordTable table;
    for (int p = 1; p <= kTransferRecords; ++p)
        table[p - 1] = {quint8(p), quint8(100 + p), quint8(p * 3)};
    table[kBoxRecord - 1] = {70, 12, 99};
    const QByteArray image = build_transfer_image(table);
    QCOMPARE(image.size(), kTransferImageSize);
    for (int p = 1; p < kBoxRecord; ++p) {
        const auto w = waitTriplet(quint8(p * 3));
        QCOMPARE(quint8(image[1 + 3 * (p - 1) + 1]), w[1]);
    }
    QCOMPARE(image.mid(208, 9), hex("000000006363 5F5F58"));
    QCOMPARE(image.mid(217 + 3 * 40, 3), hex("8D29B6")); // program 41: time 141, ch 41
    QCOMPARE(image.mid(424, 6), hex("0C4652006363"));

    // Any values give 430 bytes in the same frame.
    std::mt19937 rng(4711);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 50; ++round) {
        for (TransferRecord& r : table)
            r = {quint8(byte(rng)), quint8(byte(rng)), quint8(byte(rng))};
        const QByteArray any = build_transfer_image(table);
        QCOMPARE(any.size(), kTransferImageSize);
        QCOMPARE(any.mid(kImageMarker, 3), QByteArray("__X"));
        QCOMPARE(any.mid(kImageWaitTrailer, 3), any.mid(kImageMainTrailer, 3));
    }
}

void TstTransferImage::duplicateMessage_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("start values: none") << ""
                                        << "";
    QTest::newRow("two singles on channel 3") << "s5.ch=3"
                                              << "Channel 3:\n\rSingle 3\n\rSingle 5\n\r\n\r";
    QTest::newRow("hidden single counts") << "count=1 s16.ch=2"
                                          << "Channel 2:\n\rSingle 2\n\rSingle 16\n\r\n\r";
    QTest::newRow("sequence not in use still refused")
        << "q2.3.chk=0 q2.3.ch=9"
        << "Channel 9:\n\rSingle 9\n\rSeq |==><==|, C:tab_seqAI_var_3_lbl\n\r\n\r";
    QTest::newRow("group and sequence captions, kinds and families in order")
        << "g2.1.ch=70 q4.5.ch=70 g0.3.ch=70 q1.2.ch=70"
        << "Channel 70:\n\rC:tab_all, C:tab_all_var_3_lbl\n\rC:tab_evn, C:tab_evn_var_1_lbl\n\r"
           "Seq <=====|, C:tab_seqRL_var_2_lbl\n\rSeq |<====>|, C:tab_seqX_var_5_lbl\n\r\n\r";
    QTest::newRow("channels in rising order, each with its empty line")
        << "s12.ch=40 q0.1.ch=1"
        << "Channel 1:\n\rSingle 1\n\rSeq |=====>, C:tab_seqLR_var_1_lbl\n\r\n\r"
           "Channel 40:\n\rSingle 12\n\rSeq <=====|, C:tab_seqRL_var_5_lbl\n\r\n\r";
    QTest::newRow("IA symbol") << "q3.4.ch=2"
                               << "Channel 2:\n\rSingle 2\n\rSeq <==||==>, C:tab_seqIA_var_4_lbl"
                                  "\n\r\n\r";
}

void TstTransferImage::duplicateMessage() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QCOMPARE(duplicateChannelMessage(edited(script), markedTexts()), expected);
}

void TstTransferImage::textsFromLanguageTable() {
    // The window's captions: the language text, or the control's own name without one; an
    // entry with an empty text leaves the built-in caption too.
    LanguageTable table;
    table.setEntries({{"msg_chk_dbl_errch", "Kanal"},
                      {"tab_all", "Alle"},
                      {"tab_all_var_2_lbl", ""},
                      {"tab_seqLR_var_1_lbl", "Variante 1"}});
    const BoxProgram p = edited("g0.2.ch=1 q0.1.ch=1");
    QCOMPARE(duplicateChannelMessage(p, CheckTexts::fromTable(table)),
             QStringLiteral("Kanal 1:\n\r<msg_chk_dbl_sgl> 1\n\rAlle, tab_all_var_2_lbl\n\r"
                            "Seq |=====>, Variante 1\n\r\n\r"));
}

QTEST_GUILESS_MAIN(TstTransferImage)
#include "tst_transfer_image.moc"
