#pragma once

#include <QtGlobal>

#include <array>
#include <vector>

namespace vz {

struct BoxProgram;

// The preview plays one program on the flame row. Everything here is plain data: the window
// only shows the segments this builds.
namespace preview {

constexpr int kSlots = 16;
constexpr int kFrames = 4096; // one frame per time step; the longest pattern needs 4080
constexpr int kStepMs = 20;   // one time step on screen

// State of one flame slot.
enum SlotState : quint8 { SlotOff = 0, SlotBall = 1, SlotFlame = 2 };

// The 16 slot states of one moment, slot 1 first.
using Frame = std::array<quint8, kSlots>;
using FrameTable = std::vector<Frame>;

// One picture of the row and how many time steps it stays. The last segment of a list is
// shown and left on screen; its duration plays no role.
struct Segment {
    Frame states{};
    qint32 duration = 0;

    bool operator==(const Segment& o) const { return states == o.states && duration == o.duration; }
};
using SegmentList = std::vector<Segment>;

// The row from tMs on (on whatever clock the caller plays it): what a box shows over time.
struct RowChange {
    qint64 tMs = 0;
    Frame states{};

    // Module numbers (1..16) in that state, ascending.
    std::vector<int> modules(quint8 state) const;
    bool operator==(const RowChange& o) const { return tMs == o.tMs && states == o.states; }
};

// Ball for a firing of at most the ball time, flame for a longer one.
quint8 flameKind(int fire, int ballTime);

// Slots (1-based) that step j (1-based) of a sequence family fires with count modules.
// family: 0 LR, 1 RL, 2 AI, 3 IA, 4 X.
int familySteps(int family, int count);
std::vector<int> familyStepSlots(int family, int count, int step);

// Builds the frame table of a sequence: step j starts at (j - 1) * wait and burns for fire
// time steps. Writes that would fall outside the table or the row are dropped, so values
// outside the program's limits cannot reach past the table.
FrameTable sequenceFrames(int family, int count, int fire, int wait, int ballTime);

// Cuts frames 0 .. lastIndex into maximal runs of equal frames, one segment per run.
SegmentList build_preview_segments(const FrameTable& frames, int lastIndex);
bool frames_equal(const Frame& a, const Frame& b);

// The lists the preview buttons play.
SegmentList singleSegments(int n, int fire, int ballTime);
SegmentList groupSegments(int kind, int fire, int ballTime); // kind 0 all, 1 odd, 2 evn
SegmentList sequenceSegments(int family, int count, int fire, int wait, int ballTime);

// The row of a program page: page 0..8 and the button's tag (N on the single page, V
// elsewhere), values and module count from the program. Empty for a page or tag that names
// no row.
SegmentList segmentsForRow(const BoxProgram& program, int page, int number, int ballTime);

// Time steps from the first segment to the start of the last one.
qint64 playingSteps(const SegmentList& segments);

} // namespace preview
} // namespace vz
