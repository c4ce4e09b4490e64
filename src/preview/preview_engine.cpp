#include "preview/preview_engine.h"

#include "program/box_program.h"

#include <algorithm>

namespace vz::preview {

std::vector<int> RowChange::modules(quint8 state) const {
    std::vector<int> out;
    for (int slot = 1; slot <= kSlots; ++slot)
        if (states[size_t(slot - 1)] == state)
            out.push_back(slot);
    return out;
}

quint8 flameKind(int fire, int ballTime) {
    return fire <= ballTime ? SlotBall : SlotFlame;
}

int familySteps(int family, int count) {
    if (count < 1)
        return 0;
    switch (family) {
    case 0: // LR
    case 1: // RL
    case 4: // X
        return count;
    case 2: // AI
    case 3: // IA
        return (count - 1) / 2 + 1;
    default:
        return 0;
    }
}

std::vector<int> familyStepSlots(int family, int count, int step) {
    std::vector<int> fired;
    if (step < 1 || step > familySteps(family, count))
        return fired;
    const int h = (count - 1) / 2 + 1;
    switch (family) {
    case 0:
        fired = {step};
        break;
    case 1:
        fired = {count + 1 - step};
        break;
    case 2:
    case 4:
        fired = {step, count + 1 - step};
        break;
    case 3:
        fired = {h + 1 - step, count - h + step};
        break;
    default:
        break;
    }
    std::sort(fired.begin(), fired.end());
    fired.erase(std::unique(fired.begin(), fired.end()), fired.end());
    return fired;
}

FrameTable sequenceFrames(int family, int count, int fire, int wait, int ballTime) {
    FrameTable frames(kFrames, Frame{});
    const quint8 v = flameKind(fire, ballTime);
    const int steps = familySteps(family, count);
    for (int j = 1; j <= steps; ++j) {
        const qint64 start = qint64(j - 1) * wait;
        const qint64 end = std::min<qint64>(start + fire, kFrames);
        if (start < 0)
            continue;
        for (int slot : familyStepSlots(family, count, j)) {
            if (slot < 1 || slot > kSlots)
                continue;
            for (qint64 t = start; t < end; ++t)
                frames[size_t(t)][size_t(slot - 1)] = v;
        }
    }
    return frames;
}

bool frames_equal(const Frame& a, const Frame& b) {
    return a == b;
}

SegmentList build_preview_segments(const FrameTable& frames, int lastIndex) {
    SegmentList segments;
    const int last = std::min<int>(lastIndex, int(frames.size()) - 1);
    for (int t = 0; t <= last; ++t) {
        if (!segments.empty() && frames_equal(segments.back().states, frames[size_t(t)]))
            ++segments.back().duration;
        else
            segments.push_back({frames[size_t(t)], 1});
    }
    return segments;
}

SegmentList singleSegments(int n, int fire, int ballTime) {
    Segment burning{Frame{}, fire};
    if (n >= 1 && n <= kSlots)
        burning.states[size_t(n - 1)] = flameKind(fire, ballTime);
    return {burning, Segment{Frame{}, 0}};
}

SegmentList groupSegments(int kind, int fire, int ballTime) {
    Segment burning{Frame{}, fire};
    const quint8 v = flameKind(fire, ballTime);
    for (int slot = 1; slot <= kSlots; ++slot) {
        const bool odd = slot % 2 == 1;
        if ((odd && (kind == 0 || kind == 1)) || (!odd && (kind == 0 || kind == 2)))
            burning.states[size_t(slot - 1)] = v;
    }
    return {burning, Segment{Frame{}, 0}};
}

SegmentList sequenceSegments(int family, int count, int fire, int wait, int ballTime) {
    return build_preview_segments(sequenceFrames(family, count, fire, wait, ballTime), kFrames - 1);
}

SegmentList segmentsForRow(const BoxProgram& program, int page, int number, int ballTime) {
    if (page == kPageSingle && number >= 1 && number <= kModules)
        return singleSegments(number, program.singleAt(number).fire, ballTime);
    if (page >= 1 && page <= 3 && number >= 1 && number <= kGroupVariants)
        return groupSegments(page - 1, program.groupAt(page - 1, number).fire, ballTime);
    if (page >= 4 && page <= 8 && number >= 1 && number <= kSeqVariants) {
        const SequenceProgram& s = program.seqAt(page - 4, number);
        return sequenceSegments(page - 4, program.moduleCount(), s.fire, s.wait, ballTime);
    }
    return {};
}

qint64 playingSteps(const SegmentList& segments) {
    qint64 total = 0;
    for (size_t i = 0; i + 1 < segments.size(); ++i)
        total += segments[i].duration;
    return total;
}

} // namespace vz::preview
