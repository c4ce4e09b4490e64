// Timing accuracy of preview playback: when does each segment go on screen, against the
// time planned from the segment durations? Prints median and worst lateness and the drift at
// the last segment for a few segment lists, and for comparison a player that simply re-arms
// a timer with each segment's duration. Then the rehearsal: a macro through the fire thread
// onto the rehearsal box, each change of its row on the flame row against the time the box
// gave it (the call's first copy on the line, plus the program's steps).
//
// Usage: bench_preview [scale]   scale 1 (default) runs about 55 s.

#include "device/rehearsal_box.h"
#include "fire/fire_engine.h"
#include "preview/preview_area.h"
#include "preview/preview_engine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace vz;

using namespace vz::preview;

namespace {

struct Figures {
    int segments = 0;
    double medianMs = 0;
    double p95Ms = 0;
    double worstMs = 0;
    double driftMs = 0; // lateness of the last segment
    int over5 = 0;      // segments more than 5 ms late
    double totalMs = 0; // planned length
};

Figures summarize(std::vector<double> late, double totalMs) {
    Figures f;
    f.segments = int(late.size());
    f.totalMs = totalMs;
    if (late.empty())
        return f;
    f.over5 = int(std::count_if(late.begin(), late.end(), [](double l) { return l > 5.0; }));
    f.driftMs = late.back();
    f.worstMs = *std::max_element(late.begin(), late.end());
    std::sort(late.begin(), late.end());
    f.medianMs = late[late.size() / 2];
    f.p95Ms = late[std::min(late.size() - 1, late.size() * 95 / 100)];
    return f;
}

Figures evaluate(const SegmentList& list, const std::vector<qint64>& shownNs) {
    std::vector<double> late;
    qint64 plannedMs = 0;
    for (size_t i = 0; i < list.size() && i < shownNs.size(); ++i) {
        late.push_back(double(shownNs[i]) / 1e6 - double(plannedMs));
        plannedMs += qint64(list[i].duration) * kStepMs;
    }
    return summarize(std::move(late), double(playingSteps(list) * kStepMs));
}

qint64 steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The rehearsal route as the window runs it: the fire thread writes each copy to the box, the
// box's row from that copy on goes to the flame row, which shows each change at its time.
// LR 16 (fire = wait = 26), X 16 (fire 7, wait 2) into it after 3 s, IA 16 (fire 30, wait 4)
// 2 s later: the calls overlap.
Figures rehearse(PreviewArea& area, int scale) {
    vz::BoxProgram p = vz::BoxProgram::startValues();
    p.gasmodCount = 15;
    p.seqAt(0, 1) = {26 * scale, 26 * scale, 30, true};
    p.seqAt(4, 1) = {7, 2, 50, true};
    p.seqAt(3, 1) = {30, 4, 45, true};
    vz::Macro m;
    const vz::MacroStep steps[] = {{1, 31}, {0, 300}, {1, 51}, {0, 200}, {1, 46}};
    std::copy(std::begin(steps), std::end(steps), m.steps.begin());
    auto box = std::make_shared<vz::SharedRehearsalBox>(vz::RehearsalBox(p, 5, 1, 1));

    vz::FireEngine engine;
    engine.openLine([box](const vz::FireLineFailed&) {
        return std::make_unique<vz::RehearsalLine>(box, vz::FireClock::steady());
    });
    std::vector<double> late;
    QEventLoop loop;
    QObject::connect(&area, &PreviewArea::boxRowShown, &loop, [&late](qint64 plannedMs) {
        late.push_back(double(steadyNs() - plannedMs * 1000000) / 1e6);
    });
    QObject::connect(&engine, &vz::FireEngine::copyWritten, &loop,
                     [&](const QByteArray&, const QString&, bool, qint64 atNs) {
                         area.playBoxRow(box->with(
                             [atNs](const vz::RehearsalBox& b) { return b.from(atNs / 1000000); }));
                     });
    QObject::connect(&engine, &vz::FireEngine::macroEnded, &loop, [&] {
        const qint64 endMs = box->with([](const vz::RehearsalBox& b) { return b.endMs(); });
        QTimer::singleShot(int(std::max<qint64>(0, endMs - steadyNs() / 1000000)) + 200, &loop,
                           &QEventLoop::quit);
    });
    const qint64 startMs = steadyNs() / 1000000;
    engine.startMacro(1, m, 1);
    loop.exec();
    engine.closeLine();
    area.stopBoxRow();
    return summarize(std::move(late), double(box->with([](const vz::RehearsalBox& b) {
                         return b.endMs();
                     }) - startMs));
}

Figures playWithArea(PreviewArea& area, const SegmentList& list) {
    std::vector<qint64> shown;
    shown.reserve(list.size());
    QElapsedTimer clock;
    const auto c = QObject::connect(&area, &PreviewArea::segmentShown, &area,
                                    [&](int, int) { shown.push_back(clock.nsecsElapsed()); });
    clock.start();
    area.run_preview(list);
    QObject::disconnect(c);
    return evaluate(list, shown);
}

// A player that re-arms its timer with each segment's duration, as a straightforward
// reading of the rules would.
Figures playNaive(PreviewArea& area, const SegmentList& list, Qt::TimerType type) {
    std::vector<qint64> shown;
    QTimer timer;
    timer.setTimerType(type);
    timer.setSingleShot(true);
    QElapsedTimer clock;
    clock.start();
    for (size_t i = 0; i < list.size(); ++i) {
        for (int slot = 1; slot <= kSlots; ++slot)
            area.flame(slot)->repaint();
        shown.push_back(clock.nsecsElapsed());
        if (i + 1 == list.size())
            break;
        QEventLoop loop;
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(list[i].duration * kStepMs);
        loop.exec();
    }
    return evaluate(list, shown);
}

void print(const char* name, const Figures& f) {
    std::printf("%-46s %5d %9.1f %8.2f %8.2f %8.2f %8.2f %6d\n", name, f.segments,
                f.totalMs / 1000.0, f.medianMs, f.p95Ms, f.worstMs, f.driftMs, f.over5);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int scale = argc > 1 ? std::max(1, atoi(argv[1])) : 1;

    PreviewArea area;
    area.placeFlames(16);
    area.show();

    // Many short segments of 1 to 3 time steps.
    SegmentList many;
    for (int i = 0; i < 300 * scale; ++i) {
        Segment s;
        s.states[size_t(i % 16)] = quint8(1 + i % 2);
        s.duration = 1 + (i % 4 == 3 ? 2 : i % 2);
        many.push_back(s);
    }
    many.push_back(Segment{});

    // The longest preview (16 modules, fire 255, wait 255: 81.6 s) shortened to a tenth:
    // the same 17 segments, each 26 time steps.
    const SegmentList longest = sequenceSegments(0, 16, 26 * scale, 26 * scale, 5);
    const SegmentList crossing = sequenceSegments(4, 16, 7, 2, 5);
    const SegmentList insideOut = sequenceSegments(3, 16, 30, 4, 5);

    std::printf("%-46s %5s %9s %8s %8s %8s %8s %6s\n", "list", "segs", "length s", "median", "p95",
                "worst", "drift", ">5ms");
    std::printf("%-46s %5s %9s %8s %8s %8s %8s %6s\n", "", "", "", "late ms", "late ms", "late ms",
                "ms", "");
    print("player: 300 segments of 1..3 steps", playWithArea(area, many));
    print("player: LR 16, fire=wait=26 (longest / 10)", playWithArea(area, longest));
    print("player: X 16, fire 7, wait 2", playWithArea(area, crossing));
    print("player: IA 16, fire 30, wait 4", playWithArea(area, insideOut));
    print("re-arm, precise: 300 segments of 1..3 steps", playNaive(area, many, Qt::PreciseTimer));
    print("re-arm, precise: LR 16 (longest / 10)", playNaive(area, longest, Qt::PreciseTimer));
    print("re-arm, coarse: LR 16 (longest / 10)", playNaive(area, longest, Qt::CoarseTimer));
    print("rehearsal: macro LR 16, X 16, IA 16 overlapping", rehearse(area, scale));
    return 0;
}
