#include "preview/preview_engine.h"
#include "preview/preview_export.h"
#include "program/box_program.h"

#include <QTest>

using namespace vz::preview;

namespace {

// "3+4,2+5,1+6": the slots each step fires.
QString describeSteps(int family, int count) {
    QStringList steps;
    for (int j = 1; j <= familySteps(family, count); ++j) {
        QStringList fired;
        for (int slot : familyStepSlots(family, count, j))
            fired << QString::number(slot);
        steps << fired.join(QLatin1Char('+'));
    }
    return steps.join(QLatin1Char(','));
}

// "100200:5 000000:4091": the first width slot states and the duration of every segment.
QString describeSegments(const SegmentList& segments, int width) {
    QStringList out;
    for (const Segment& s : segments) {
        QString states;
        for (int i = 0; i < width; ++i)
            states += QString::number(s.states[size_t(i)]);
        out << states + QLatin1Char(':') + QString::number(s.duration);
    }
    return out.join(QLatin1Char(' '));
}

int family(const QString& code) {
    return vz::pageIndexFromCode(code) - 4;
}

} // namespace

class TestPreviewEngine : public QObject {
    Q_OBJECT
private slots:
    void familyOrder_data();
    void familyOrder();
    void familyOrderAllCounts();
    void sequenceSegments_data();
    void sequenceSegments();
    void longestSequence();
    void singleAndGroup_data();
    void singleAndGroup();
    void compression_data();
    void compression();
    void valuesOutsideTheLimits_data();
    void valuesOutsideTheLimits();
    void segmentsForRow_data();
    void segmentsForRow();
    void clipboardLine_data();
    void clipboardLine();
};

void TestPreviewEngine::familyOrder_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("steps");
    for (const char* f : {"LR", "RL", "AI", "IA", "X"})
        QTest::addRow("%s with 1", f) << QString::fromLatin1(f) << 1 << "1";
    QTest::newRow("LR 4") << "LR" << 4 << "1,2,3,4";
    QTest::newRow("RL 4") << "RL" << 4 << "4,3,2,1";
    QTest::newRow("IA 6") << "IA" << 6 << "3+4,2+5,1+6";
    QTest::newRow("IA 5 middle first") << "IA" << 5 << "3,2+4,1+5";
    QTest::newRow("AI 5 middle last") << "AI" << 5 << "1+5,2+4,3";
    QTest::newRow("AI 6") << "AI" << 6 << "1+6,2+5,3+4";
    QTest::newRow("IA 2") << "IA" << 2 << "1+2";
    QTest::newRow("X 6") << "X" << 6 << "1+6,2+5,3+4,3+4,2+5,1+6";
    QTest::newRow("X 5") << "X" << 5 << "1+5,2+4,3,2+4,1+5";
    QTest::newRow("IA 16") << "IA" << 16 << "8+9,7+10,6+11,5+12,4+13,3+14,2+15,1+16";
}

void TestPreviewEngine::familyOrder() {
    QFETCH(QString, family);
    QFETCH(int, count);
    QFETCH(QString, steps);
    QCOMPARE(describeSteps(::family(family), count), steps);
}

// For every family and count: the number of steps matches what the durations count, every
// slot stays within the row, and each module fires as often as its pattern says.
void TestPreviewEngine::familyOrderAllCounts() {
    for (int f = 0; f < 5; ++f) {
        for (int count = 1; count <= 16; ++count) {
            const QByteArray where =
                vz::seqCode(f).toLatin1() + " count " + QByteArray::number(count);
            const int k = familySteps(f, count);
            QVERIFY2(k - 1 == vz::seqSteps(f, count), where);
            std::vector<int> fired(size_t(count + 1), 0);
            for (int j = 1; j <= k; ++j) {
                for (int slot : familyStepSlots(f, count, j)) {
                    QVERIFY2(slot >= 1 && slot <= count, where);
                    ++fired[size_t(slot)];
                }
            }
            for (int slot = 1; slot <= count; ++slot) {
                const bool middle = count % 2 == 1 && slot == (count + 1) / 2;
                const int expected = (f == 4 && !middle) ? 2 : 1;
                QVERIFY2(fired[size_t(slot)] == expected,
                         where + " slot " + QByteArray::number(slot));
            }
        }
    }
}

void TestPreviewEngine::sequenceSegments_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fire");
    QTest::addColumn<int>("wait");
    QTest::addColumn<int>("ball");
    QTest::addColumn<QString>("segments");
    QTest::newRow("one module") << "LR" << 1 << 7 << 9 << 5 << "2:7 0:4089";
    QTest::newRow("fire 1 wait 2 flashes")
        << "LR" << 3 << 1 << 2 << 5 << "100:1 000:1 010:1 000:1 001:1 000:4091";
    QTest::newRow("wait < fire overlaps, five at once")
        << "LR" << 6 << 10 << 2 << 5
        << "200000:2 220000:2 222000:2 222200:2 222220:2 022222:2 002222:2 000222:2 "
           "000022:2 000002:2 000000:4076";
    QTest::newRow("wait > fire leaves the row dark")
        << "AI" << 5 << 3 << 4 << 5 << "10001:3 00000:1 01010:3 00000:1 00100:3 00000:4085";
    QTest::newRow("X meets in the middle, equal steps run together")
        << "X" << 6 << 5 << 5 << 5 << "100001:5 010010:5 001100:10 010010:5 100001:5 000000:4066";
    QTest::newRow("RL fire equal to the ball time is ball")
        << "RL" << 3 << 5 << 5 << 5 << "001:5 010:5 100:5 000:4081";
    QTest::newRow("RL fire one above the ball time is flame")
        << "RL" << 3 << 6 << 6 << 5 << "002:6 020:6 200:6 000:4078";
    QTest::newRow("IA with 6 modules")
        << "IA" << 6 << 2 << 2 << 5 << "001100:2 010010:2 100001:2 000000:4090";
}

void TestPreviewEngine::sequenceSegments() {
    QFETCH(QString, family);
    QFETCH(int, count);
    QFETCH(int, fire);
    QFETCH(int, wait);
    QFETCH(int, ball);
    QFETCH(QString, segments);
    const SegmentList list =
        vz::preview::sequenceSegments(::family(family), count, fire, wait, ball);
    QCOMPARE(describeSegments(list, count), segments);
    for (const Segment& s : list)
        for (int slot = count + 1; slot <= kSlots; ++slot)
            QCOMPARE(s.states[size_t(slot - 1)], quint8(SlotOff));
    qint64 frames = 0;
    for (const Segment& s : list)
        frames += s.duration;
    QCOMPARE(frames, qint64(kFrames));
}

void TestPreviewEngine::longestSequence() {
    const SegmentList list = vz::preview::sequenceSegments(0, 16, 255, 255, 5);
    QCOMPARE(int(list.size()), 17);
    QCOMPARE(playingSteps(list), qint64(4080)); // 81.6 s
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(list[size_t(i)].duration, 255);
        Frame expected{};
        expected[size_t(i)] = SlotFlame;
        QCOMPARE(list[size_t(i)].states, expected);
    }
    QCOMPARE(list.back().states, Frame{});
    QCOMPARE(list.back().duration, 16);
}

void TestPreviewEngine::singleAndGroup_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("fire");
    QTest::addColumn<int>("ball");
    QTest::addColumn<QString>("segments");
    const QString off = QStringLiteral("0000000000000000:0");
    QTest::newRow("single 3 at the ball time") << 0 << 3 << 7 << 7 << "0010000000000000:7 " + off;
    QTest::newRow("single 16 above the ball time")
        << 0 << 16 << 8 << 7 << "0000000000000002:8 " + off;
    QTest::newRow("all") << 1 << 0 << 255 << 255 << "1111111111111111:255 " + off;
    QTest::newRow("odd") << 2 << 0 << 1 << 5 << "1010101010101010:1 " + off;
    QTest::newRow("evn") << 3 << 0 << 6 << 5 << "0202020202020202:6 " + off;
}

void TestPreviewEngine::singleAndGroup() {
    QFETCH(int, page);
    QFETCH(int, number);
    QFETCH(int, fire);
    QFETCH(int, ball);
    QFETCH(QString, segments);
    const SegmentList list =
        page == 0 ? singleSegments(number, fire, ball) : groupSegments(page - 1, fire, ball);
    QCOMPARE(describeSegments(list, kSlots), segments);
    QCOMPARE(playingSteps(list), qint64(fire));
}

void TestPreviewEngine::compression_data() {
    QTest::addColumn<QString>("frames"); // one digit per frame: the state of slot 16
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<QString>("segments");
    QTest::newRow("runs") << "0011120" << 6 << "0:2 1:3 2:1 0:1";
    QTest::newRow("last index cuts the table") << "0011120" << 3 << "0:2 1:2";
    QTest::newRow("one frame") << "2" << 0 << "2:1";
    QTest::newRow("last index past the table") << "12" << 9 << "1:1 2:1";
}

void TestPreviewEngine::compression() {
    QFETCH(QString, frames);
    QFETCH(int, lastIndex);
    QFETCH(QString, segments);
    FrameTable table;
    for (QChar c : frames) {
        Frame f{};
        f[15] = quint8(c.digitValue()); // the last slot: frames differ in their last byte
        table.push_back(f);
    }
    QStringList out;
    for (const Segment& s : build_preview_segments(table, lastIndex))
        out << QString::number(s.states[15]) + QLatin1Char(':') + QString::number(s.duration);
    QCOMPARE(out.join(QLatin1Char(' ')), segments);
}

void TestPreviewEngine::valuesOutsideTheLimits_data() {
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fire");
    QTest::addColumn<int>("wait");
    QTest::addColumn<qint64>("playing");
    QTest::newRow("pattern longer than the table") << 0 << 16 << 5000 << 300 << qint64(4096);
    QTest::newRow("no modules") << 0 << 0 << 5 << 5 << qint64(0);
    QTest::newRow("more than 16 modules") << 4 << 20 << 2 << 2 << qint64(40);
    QTest::newRow("negative wait") << 1 << 4 << 3 << -7 << qint64(3);
    QTest::newRow("unknown family") << 9 << 6 << 5 << 5 << qint64(0);
}

// Values a corrupt source could hand over never write past the table or the row.
void TestPreviewEngine::valuesOutsideTheLimits() {
    QFETCH(int, family);
    QFETCH(int, count);
    QFETCH(int, fire);
    QFETCH(int, wait);
    QFETCH(qint64, playing);
    const FrameTable frames = sequenceFrames(family, count, fire, wait, 5);
    QCOMPARE(int(frames.size()), kFrames);
    const SegmentList list = build_preview_segments(frames, kFrames - 1);
    qint64 lit = 0;
    for (const Segment& s : list)
        if (s.states != Frame{})
            lit += s.duration;
    QCOMPARE(lit, playing);
}

void TestPreviewEngine::segmentsForRow_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("first"); // first segment, or "" for no list
    QTest::newRow("single 12") << 0 << 12 << "0000000000020000:9";
    QTest::newRow("odd variant 3") << 2 << 3 << "1010101010101010:4";
    QTest::newRow("IA variant 2 with 6 modules") << 7 << 2 << "0011000000000000:3";
    QTest::newRow("X variant 5") << 8 << 5 << "2000020000000000:200";
    QTest::newRow("single 0") << 0 << 0 << "";
    QTest::newRow("single 17") << 0 << 17 << "";
    QTest::newRow("group variant 4") << 1 << 4 << "";
    QTest::newRow("sequence variant 6") << 4 << 6 << "";
    QTest::newRow("fire page") << 9 << 1 << "";
}

void TestPreviewEngine::segmentsForRow() {
    QFETCH(int, page);
    QFETCH(int, number);
    QFETCH(QString, first);
    vz::BoxProgram program = vz::BoxProgram::startValues();
    program.singleAt(12).fire = 9;
    program.groupAt(1, 3).fire = 4;
    program.seqAt(3, 2).fire = 3;
    program.seqAt(4, 5).fire = 200;
    program.seqAt(4, 5).wait = 255;
    const SegmentList list = vz::preview::segmentsForRow(program, page, number, 5);
    if (first.isEmpty()) {
        QVERIFY(list.empty());
        return;
    }
    QVERIFY(!list.empty());
    QCOMPARE(describeSegments({list.front()}, kSlots), first);
}

void TestPreviewEngine::clipboardLine_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("line");
    QTest::newRow("single 3") << 0 << 3 << "ZDSeqStart 0 3 3 5 ZDSeqEnd";
    QTest::newRow("LR variant 2") << 4 << 2 << "ZDSeqStart 4 2 32 5 5 ZDSeqEnd";
    QTest::newRow("evn variant 3, one time item") << 3 << 3 << "ZDSeqStart 3 3 29 5 ZDSeqEnd";
    QTest::newRow("X variant 5, largest values") << 8 << 5 << "ZDSeqStart 8 5 70 255 255 ZDSeqEnd";
    QTest::newRow("RL variant 1 edited") << 5 << 1 << "ZDSeqStart 5 1 1 1 2 ZDSeqEnd";
    QTest::newRow("no row") << 9 << 1 << "";
    QTest::newRow("no tag") << 0 << 0 << "";
}

void TestPreviewEngine::clipboardLine() {
    QFETCH(int, page);
    QFETCH(int, number);
    QFETCH(QString, line);
    vz::BoxProgram program = vz::BoxProgram::startValues();
    program.seqAt(4, 5) = {255, 255, 69, false}; // the export ignores the in-use flag
    program.seqAt(1, 1) = {1, 2, 0, true};
    program.singleAt(16).fire = 100;
    QCOMPARE(vz::preview::clipboardLine(program, page, number), line);
}

QTEST_GUILESS_MAIN(TestPreviewEngine)
#include "tst_preview_engine.moc"
