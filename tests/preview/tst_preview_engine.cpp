#include "preview/preview_engine.h"
#include "preview/preview_export.h"
#include "program/box_program.h"

#include <QTest>

using namespace vz;

using namespace vz::preview;

namespace {

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
    void sequenceSegments_data();
    void sequenceSegments();
    void valuesOutsideTheLimits_data();
    void valuesOutsideTheLimits();
    void segmentsForRow_data();
    void segmentsForRow();
    void clipboardLine_data();
    void clipboardLine();
};

void TestPreviewEngine::sequenceSegments_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fire");
    QTest::addColumn<int>("wait");
    QTest::addColumn<int>("ball");
    QTest::addColumn<QString>("segments");
    QTest::newRow("one module") << "LR" << 1 << 7 << 9 << 5 << "2:7 0:4089";
    QTest::newRow("wait < fire overlaps, five at once")
        << "LR" << 6 << 10 << 2 << 5
        << "200000:2 220000:2 222000:2 222200:2 222220:2 022222:2 002222:2 000222:2 "
           "000022:2 000002:2 000000:4076";
    QTest::newRow("wait > fire leaves the row dark")
        << "AI" << 5 << 3 << 4 << 5 << "10001:3 00000:1 01010:3 00000:1 00100:3 00000:4085";
    QTest::newRow("IA 6") << "IA" << 6 << 2 << 2 << 5 << "001100:2 010010:2 100001:2 000000:4090";
    QTest::newRow("IA 5 middle first")
        << "IA" << 5 << 2 << 2 << 5 << "00100:2 01010:2 10001:2 00000:4090";
    QTest::newRow("X 5") << "X" << 5 << 2 << 2 << 5
                         << "10001:2 01010:2 00100:2 01010:2 10001:2 00000:4086";
    QTest::newRow("X meets in the middle, equal steps run together")
        << "X" << 6 << 5 << 5 << 5 << "100001:5 010010:5 001100:10 010010:5 100001:5 000000:4066";
    QTest::newRow("RL fire equal to the ball time is ball")
        << "RL" << 3 << 5 << 5 << 5 << "001:5 010:5 100:5 000:4081";
    QTest::newRow("RL fire one above the ball time is flame")
        << "RL" << 3 << 6 << 6 << 5 << "002:6 020:6 200:6 000:4078";
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
    qint64 frames = 0;
    for (const Segment& s : list)
        frames += s.duration;
    QCOMPARE(frames, qint64(kFrames));
}

void TestPreviewEngine::valuesOutsideTheLimits_data() {
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fire");
    QTest::addColumn<int>("wait");
    QTest::addColumn<qint64>("playing");
    QTest::newRow("pattern longer than the table") << 0 << 16 << 5000 << 300 << qint64(4096);
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

// A single or group program burns its slots for its fire time, then all go off.
void TestPreviewEngine::segmentsForRow_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("segments"); // "" for no list
    const QString off = QStringLiteral(" 0000000000000000:0");
    QTest::newRow("single 3 at the ball time") << 0 << 3 << "0010000000000000:5" + off;
    QTest::newRow("single 12 above it") << 0 << 12 << "0000000000020000:9" + off;
    QTest::newRow("odd variant 3") << 2 << 3 << "1010101010101010:4" + off;
    QTest::newRow("fire page") << 9 << 1 << "";
}

void TestPreviewEngine::segmentsForRow() {
    QFETCH(int, page);
    QFETCH(int, number);
    QFETCH(QString, segments);
    vz::BoxProgram program = vz::BoxProgram::startValues();
    program.singleAt(12).fire = 9;
    program.groupAt(1, 3).fire = 4;
    const SegmentList list = vz::preview::segmentsForRow(program, page, number, 5);
    QCOMPARE(describeSegments(list, kSlots), segments);
}

void TestPreviewEngine::clipboardLine_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("line");
    QTest::newRow("single 3") << 0 << 3 << "ZDSeqStart 0 3 3 5 ZDSeqEnd";
    QTest::newRow("X variant 5, largest values") << 8 << 5 << "ZDSeqStart 8 5 70 255 255 ZDSeqEnd";
    QTest::newRow("no row") << 9 << 1 << "";
}

void TestPreviewEngine::clipboardLine() {
    QFETCH(int, page);
    QFETCH(int, number);
    QFETCH(QString, line);
    vz::BoxProgram program = vz::BoxProgram::startValues();
    program.seqAt(4, 5) = {255, 255, 69, false}; // the export ignores the in-use flag
    program.singleAt(16).fire = 100;
    QCOMPARE(vz::preview::clipboardLine(program, page, number), line);
}

QTEST_GUILESS_MAIN(TestPreviewEngine)
#include "tst_preview_engine.moc"
