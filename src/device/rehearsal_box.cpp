#include "device/rehearsal_box.h"

#include "fire/fire_buttons.h"

#include <algorithm>

namespace vz {

namespace {

int programNumber(int family, int number) {
    if (family == 0)
        return singleProgramNumber(number);
    if (family <= 3)
        return groupProgramNumber(family - 1, number);
    return seqProgramNumber(family - 4, number);
}

std::vector<RowChange>::const_iterator laterThan(const std::vector<RowChange>& steps, qint64 t) {
    return std::upper_bound(steps.begin(), steps.end(), t,
                            [](qint64 v, const RowChange& c) { return v < c.tMs; });
}

// The state of one play at t: its last step at or before t, dark before its start.
const preview::Frame& stateAt(const std::vector<RowChange>& steps, qint64 t) {
    static const preview::Frame dark{};
    const auto after = laterThan(steps, t);
    return after == steps.begin() ? dark : std::prev(after)->states;
}

} // namespace

RehearsalBox::RehearsalBox(const BoxProgram& program, int ballTime, int routeBox, int macroBox)
    : m_program(program), m_ballTime(ballTime), m_routeBox(routeBox), m_macroBox(macroBox) {}

QVector<RehearsalBox::Received> RehearsalBox::receive(const QByteArray& bytes, qint64 tMs) {
    // One write is one copy: nothing of it waits for the next.
    m_decoder.feed(bytes, tMs);
    m_decoder.finish();
    QVector<Received> out;
    for (const DeviceEvent& event : m_decoder.takeEvents())
        out.append(take(event));
    return out;
}

RehearsalBox::Received RehearsalBox::take(const DeviceEvent& event) {
    Received r;
    r.event = event;
    if (event.kind == DeviceEvent::Kind::Idle)
        return r;
    r.outcome = Outcome::Rejected;
    const bool macro = event.kind == DeviceEvent::Kind::MacroCall;
    const int box = (macro ? m_macroBox : m_routeBox) & 0xFF;
    if (event.kind == DeviceEvent::Kind::Image || event.kind == DeviceEvent::Kind::Bytes)
        r.reason = QStringLiteral("not a fire frame");
    else if (!event.valid)
        r.reason = event.fault;
    else if (event.box != box)
        r.reason = QStringLiteral("box %1, this box is %2").arg(event.box).arg(box);
    if (!r.reason.isEmpty()) {
        ++m_rejected;
        return r;
    }

    const qint64 t = std::max(event.timeMs, m_lastCallMs);
    for (auto it = m_firstCopies.begin(); it != m_firstCopies.end();)
        it = t - it.value() > kCopyWindowMs ? m_firstCopies.erase(it) : std::next(it);
    if (m_firstCopies.remove(event.bytes) > 0) {
        r.outcome = Outcome::Copy;
        ++m_copies;
        return r;
    }
    m_firstCopies.insert(event.bytes, t);
    r.outcome = Outcome::Call;
    ++m_calls;
    r.rows = play(event.channel, t);
    return r;
}

QVector<int> RehearsalBox::play(int channel, qint64 tMs) {
    m_lastCallMs = tMs;
    m_plays.erase(std::remove_if(m_plays.begin(), m_plays.end(),
                                 [tMs](const Play& p) { return p.endMs <= tMs; }),
                  m_plays.end());
    QVector<int> rows;
    const int count = m_program.moduleCount();
    // Only what the box holds plays: singles within the module count, sequences in use.
    for (int family = 0; family < kProgramPages; ++family)
        for (int number = 1; isFireButton(family, number); ++number) {
            if (!fireButtonShown(m_program, family, number) ||
                fireButtonTag(m_program, family, number) != channel)
                continue;
            const preview::SegmentList segments =
                preview::segmentsForRow(m_program, family, number, m_ballTime);
            Play p;
            qint64 at = tMs;
            for (const preview::Segment& s : segments) {
                RowChange c{at, s.states};
                std::fill(c.states.begin() + std::min(count, preview::kSlots), c.states.end(),
                          quint8(preview::SlotOff));
                p.steps.push_back(c);
                at += qint64(s.duration) * preview::kStepMs;
            }
            p.endMs = tMs + preview::playingSteps(segments) * preview::kStepMs;
            m_endMs = std::max(m_endMs, p.endMs);
            m_plays.push_back(std::move(p));
            rows.append(programNumber(family, number));
        }
    if (!rows.isEmpty())
        retime(tMs);
    return rows;
}

// Calls arrive in time order, so the row before the newest call stays as it was.
void RehearsalBox::retime(qint64 fromMs) {
    m_timeline.erase(std::lower_bound(m_timeline.begin(), m_timeline.end(), fromMs,
                                      [](const RowChange& c, qint64 v) { return c.tMs < v; }),
                     m_timeline.end());
    std::vector<qint64> times{fromMs};
    for (const Play& p : m_plays)
        for (const RowChange& c : p.steps)
            if (c.tMs > fromMs)
                times.push_back(c.tMs);
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());

    preview::Frame shown = m_timeline.empty() ? preview::Frame{} : m_timeline.back().states;
    for (qint64 t : times) {
        preview::Frame row{};
        for (const Play& p : m_plays) {
            const preview::Frame& s = stateAt(p.steps, t);
            for (size_t i = 0; i < row.size(); ++i)
                row[i] = std::max(row[i], s[i]); // off < ball < flame
        }
        if (row != shown)
            m_timeline.push_back({t, row});
        shown = row;
    }
}

preview::Frame RehearsalBox::rowAt(qint64 tMs) const {
    return stateAt(m_timeline, tMs);
}

std::vector<RowChange> RehearsalBox::from(qint64 tMs) const {
    std::vector<RowChange> out{{tMs, rowAt(tMs)}};
    out.insert(out.end(), laterThan(m_timeline, tMs), m_timeline.end());
    return out;
}

qint64 RehearsalLine::msOf(FireTime t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

bool RehearsalLine::write(const QByteArray& bytes) {
    const qint64 at = msOf(m_clock.now());
    m_box->with([&](RehearsalBox& box) { return box.receive(bytes, at); });
    return true;
}

} // namespace vz
