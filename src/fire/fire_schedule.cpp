#include "fire/fire_schedule.h"

#include "fire/fire_frames.h"

#include <algorithm>

namespace vz {

namespace {

class SteadyClock : public FireClock {
public:
    FireTime now() const override { return std::chrono::steady_clock::now(); }
};

} // namespace

const FireClock& FireClock::steady() {
    static const SteadyClock clock;
    return clock;
}

quint64 FireSchedule::send(const QByteArray& frame, const QString& source) {
    m_queue.push_back({frame, source, ++m_lastTicket});
    return m_lastTicket;
}

quint64 FireSchedule::startMacro(int number, const Macro& macro, int box) {
    stopMacro();
    m_macro = macro;
    m_box = box;
    const FireTime now = m_clock->now();
    m_stepDue = now + std::chrono::milliseconds(m_runner.start(number, 0));
    ++m_run;
    m_events.push_back(macroEvent(FireEvent::MacroDue, m_stepDue));
    return m_run;
}

bool FireSchedule::stopMacro() {
    const bool running = m_runner.isRunning();
    m_runner.stop();
    m_awaited = 0;
    return running;
}

void FireSchedule::dropQueued() {
    for (Frame& f : std::exchange(m_queue, {})) {
        FireEvent e;
        e.kind = FireEvent::Dropped;
        e.frame = std::move(f.bytes);
        e.source = std::move(f.source);
        e.ticket = f.ticket;
        m_events.push_back(std::move(e));
    }
}

void FireSchedule::abort() {
    stopMacro();
    dropQueued();
}

void FireSchedule::drop() {
    stopMacro();
    if (std::exchange(m_inFlight, false)) {
        FireEvent e;
        e.kind = FireEvent::Dropped;
        e.frame = m_current.bytes;
        e.source = m_current.source;
        e.ticket = m_current.ticket;
        m_events.push_back(std::move(e));
    }
    dropQueued();
}

FireEvent FireSchedule::macroEvent(FireEvent::Kind kind, FireTime at) const {
    FireEvent e;
    e.kind = kind;
    e.at = at;
    e.run = m_run;
    e.macro = m_runner.macroIndex() + 1;
    return e;
}

void FireSchedule::writeCopy(const Frame& frame, bool first) {
    if (first)
        m_begun = frame.ticket;
    const bool written = m_writer && m_writer->write(frame.bytes);
    // Stamped at the write: the gap and what follows the frame count from here.
    const FireTime at = m_clock->now();
    FireEvent e;
    e.kind = written ? FireEvent::CopyWritten : FireEvent::CopyFailed;
    e.frame = frame.bytes;
    e.source = frame.source;
    e.ticket = frame.ticket;
    e.first = first;
    e.at = at;
    m_events.push_back(std::move(e));
    if (!written) {
        drop();
        FireEvent failed;
        failed.kind = FireEvent::WriteFailed;
        failed.at = at;
        m_events.push_back(std::move(failed));
        return;
    }
    if (first) {
        m_current = frame;
        m_inFlight = true;
        m_secondDue = at + kCopyGap;
        return;
    }
    FireEvent done;
    done.kind = FireEvent::FrameDone;
    done.ticket = frame.ticket;
    done.at = at;
    m_events.push_back(std::move(done));
    if (m_awaited != 0 && frame.ticket == m_awaited) {
        // The pause after a call counts from its last copy, however long frames queued
        // ahead of it held it up.
        m_awaited = 0;
        m_stepDue = at + std::chrono::milliseconds(MacroRunner::kAfterCallMs);
        m_events.push_back(macroEvent(FireEvent::MacroDue, m_stepDue));
    }
}

void FireSchedule::runStep(FireTime now) {
    const int slot = m_runner.stepIndex();
    FireEvent step = macroEvent(FireEvent::MacroStep, now);
    step.step = slot;
    // The runner's own times are not used: deadlines are kept on the clock, to the
    // nanosecond, each counted from the moment its step ran.
    const MacroRunner::Action a = m_runner.tick(m_macro, 0);
    switch (a.kind) {
    case MacroRunner::Action::End:
        step.kind = FireEvent::MacroEnd;
        m_events.push_back(std::move(step));
        return;
    case MacroRunner::Action::Call:
        m_awaited = send(macroCallFrame(m_box, a.channel),
                         QStringLiteral("macro %1 step %2").arg(step.macro).arg(slot + 1));
        step.call = true;
        m_events.push_back(std::move(step));
        return;
    case MacroRunner::Action::Pause:
    case MacroRunner::Action::Skip:
        break;
    }
    m_stepDue = now + std::chrono::milliseconds(a.intervalMs);
    m_events.push_back(std::move(step));
    m_events.push_back(macroEvent(FireEvent::MacroDue, m_stepDue));
}

std::optional<FireTime> FireSchedule::advance() {
    for (;;) {
        const FireTime now = m_clock->now();
        if (m_inFlight && now >= m_secondDue) {
            m_inFlight = false;
            writeCopy(m_current, false);
        } else if (!m_inFlight && !m_queue.empty()) {
            const Frame next = std::move(m_queue.front());
            m_queue.pop_front();
            writeCopy(next, true);
        } else if (m_runner.isRunning() && m_awaited == 0 && now >= m_stepDue) {
            runStep(now);
        } else {
            break;
        }
    }
    return nextDue();
}

std::optional<FireTime> FireSchedule::nextDue() const {
    std::optional<FireTime> next;
    if (m_inFlight)
        next = m_secondDue;
    else if (!m_queue.empty())
        next = FireTime::min(); // now
    if (m_runner.isRunning() && m_awaited == 0)
        next = next ? std::min(*next, m_stepDue) : m_stepDue;
    return next;
}

} // namespace vz
