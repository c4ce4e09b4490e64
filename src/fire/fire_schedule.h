#pragma once

#include "fire/fire_frames.h"
#include "fire/macro_runner.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

// The time of the fire console, kept without a thread of its own: every frame twice with the
// copy gap between, one frame after the other, and the steps of a running macro at their
// deadlines. Whoever drives it calls advance() and comes back at the time it returns; the
// fire thread does so on the steady clock, a rehearsal may in a time of its own (the clock
// seam). Every byte leaves through the FireWriter; what happened comes back as FireEvents.
namespace vz {

using FireTime = std::chrono::steady_clock::time_point;

class FireClock {
public:
    virtual ~FireClock() = default;
    virtual FireTime now() const = 0;
    // The steady clock of the system.
    static const FireClock& steady();
};

// The line the frames go out on. Used only by whoever drives the schedule.
class FireWriter {
public:
    virtual ~FireWriter() = default;
    // Hands the bytes to the line; false when it refused them.
    virtual bool write(const QByteArray& bytes) = 0;
};

struct FireEvent {
    enum Kind {
        CopyWritten, // a copy of frame went on the line at `at`; first: the first of the two
        CopyFailed,  // the line refused a copy; WriteFailed follows once the rest is dropped
        WriteFailed,
        Dropped,   // frame will not go (a stop, fire mode off, a failure)
        FrameDone, // both copies of ticket are written, the last at `at`
        MacroStep, // slot `step` of run `run` (macro `macro`) ran at `at`; call: it sent a call
        MacroDue,  // the next step of run `run` is due at `at`
        MacroEnd,  // run `run` reached its end mark
        LineFailed // the line failed on its own; source says why
    };
    Kind kind = CopyWritten;
    QByteArray frame;
    QString source;
    quint64 ticket = 0;
    bool first = false;
    FireTime at;
    quint64 run = 0;
    int macro = 0;
    int step = -1;
    bool call = false;
};

class FireSchedule {
public:
    static constexpr std::chrono::milliseconds kCopyGap{kFireRepeatMs};

    explicit FireSchedule(const FireClock& clock = FireClock::steady()) : m_clock(&clock) {}

    const FireClock& clock() const { return *m_clock; }
    // nullptr: every write is refused.
    void setWriter(FireWriter* writer) { m_writer = writer; }

    // Queues a frame; its first copy is due at once, or as soon as the frame on the line has
    // both copies out. source travels with it to the events. Returns the frame's ticket.
    quint64 send(const QByteArray& frame, const QString& source);
    // Runs macro number 1..10 from now; its calls go to box. Returns the run's number.
    quint64 startMacro(int number, const Macro& macro, int box);
    // Ends the run, which then writes nothing more. False when no run was going.
    bool stopMacro();
    // Stop: the run ends and the frames not begun are dropped; the second copy of the frame on
    // the line stays due at its time.
    void abort();
    // Forgets everything without writing.
    void drop();

    // Writes what is due and runs the steps that are due; returns when something is due next,
    // nothing when all is done.
    std::optional<FireTime> advance();
    // What happened since the last call, in order.
    std::vector<FireEvent> takeEvents() { return std::exchange(m_events, {}); }

    bool isBusy() const { return m_inFlight; }
    int queued() const { return int(m_queue.size()); }
    // The ticket of the last frame whose first copy was handed to the line (or refused).
    quint64 begun() const { return m_begun; }
    bool macroRunning() const { return m_runner.isRunning(); }

private:
    struct Frame {
        QByteArray bytes;
        QString source;
        quint64 ticket = 0;
    };
    void writeCopy(const Frame& frame, bool first);
    void dropQueued();
    void runStep(FireTime now);
    FireEvent macroEvent(FireEvent::Kind kind, FireTime at) const;

    const FireClock* m_clock;
    FireWriter* m_writer = nullptr;
    std::deque<Frame> m_queue;
    Frame m_current;
    bool m_inFlight = false;
    FireTime m_secondDue;
    quint64 m_lastTicket = 0;
    quint64 m_begun = 0;

    MacroRunner m_runner;
    Macro m_macro;
    int m_box = 0;
    quint64 m_run = 0;
    FireTime m_stepDue;
    // The call whose last copy the run waits for, 0 for none.
    quint64 m_awaited = 0;

    std::vector<FireEvent> m_events;
};

} // namespace vz
