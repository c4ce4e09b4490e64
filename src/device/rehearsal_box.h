#pragma once

#include "device/device_decoder.h"
#include "fire/fire_frames.h"
#include "fire/fire_schedule.h"
#include "preview/preview_engine.h"
#include "program/box_program.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <memory>
#include <mutex>
#include <vector>

// The box on the far end of a rehearsal: the virtual master module's reading of every frame,
// and the flame row of the box it stands for over time. A call plays the program that carries
// its channel, in the preview's 20 ms steps, from the time its first copy was written; calls
// that overlap light the union of their modules (a flame beats a ball). No widgets: the
// window plays the row this computes, and `vzctl rehearse` prints it.
namespace vz {

using preview::RowChange;

class RehearsalBox {
public:
    // Every frame goes out twice, kFireRepeatMs apart, for the line's sake only: the same bytes
    // within this time of a first copy are its second copy, which starts nothing and does not
    // lengthen the call. Copies pair strictly, so a call repeated just after its own second
    // copy (a macro calling one channel twice) is a call again.
    static constexpr qint64 kCopyWindowMs = 2 * kFireRepeatMs;

    enum class Outcome {
        Call,     // accepted, plays the programs it calls from its time (maybe none)
        Copy,     // accepted as the second copy of the call before it
        Rejected, // what the module refuses: a fault in the frame, another box, not a frame
        Idle      // idle "_" bytes between frames
    };
    struct Received {
        Outcome outcome = Outcome::Idle;
        DeviceEvent event;
        QString reason;      // why it was rejected
        QVector<int> rows{}; // Call: program numbers played (none when no program carries it)
    };

    // routeBox: the box route frames must name ([df] box); macroBox: the box macro calls
    // must name (the box of the program). ballTime in time steps.
    RehearsalBox(const BoxProgram& program, int ballTime, int routeBox, int macroBox);

    // One write on the line (one copy), at tMs. Times never run backwards: a write stamped
    // before the last call is taken at that call's time.
    QVector<Received> receive(const QByteArray& bytes, qint64 tMs);

    // Every change of the row so far, in time order; the row is dark before the first.
    const std::vector<RowChange>& timeline() const { return m_timeline; }
    // When the last call has played out (0 before any call).
    qint64 endMs() const { return m_endMs; }
    // The row at tMs.
    preview::Frame rowAt(qint64 tMs) const;
    // The row from tMs on: the change in force at tMs (the dark row before any), then every
    // later one.
    std::vector<RowChange> from(qint64 tMs) const;

    int calls() const { return m_calls; }
    int copies() const { return m_copies; }
    int rejected() const { return m_rejected; }

private:
    // One program played from one call: the row it shows from each time on.
    struct Play {
        std::vector<RowChange> steps;
        qint64 endMs = 0;
    };
    Received take(const DeviceEvent& event);
    QVector<int> play(int channel, qint64 tMs);
    void retime(qint64 fromMs);

    BoxProgram m_program;
    int m_ballTime;
    int m_routeBox;
    int m_macroBox;
    DeviceDecoder m_decoder;
    QHash<QByteArray, qint64> m_firstCopies; // first copies still waiting for their second
    std::vector<Play> m_plays;               // those still playing at the last call
    std::vector<RowChange> m_timeline;
    qint64 m_lastCallMs = 0;
    qint64 m_endMs = 0;
    int m_calls = 0;
    int m_copies = 0;
    int m_rejected = 0;
};

// A box shared by the line that writes to it (the fire thread) and whoever shows its row.
class SharedRehearsalBox {
public:
    explicit SharedRehearsalBox(RehearsalBox box) : m_box(std::move(box)) {}
    // f runs on the box under the lock; it must not wait for anything.
    template <typename F> auto with(F f) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return f(m_box);
    }

private:
    std::mutex m_mutex;
    RehearsalBox m_box;
};

// The line of a rehearsal: each copy goes to the box at the clock's time (ms since the clock's
// epoch); nothing is refused and nothing leaves the program.
class RehearsalLine : public FireWriter {
public:
    RehearsalLine(std::shared_ptr<SharedRehearsalBox> box, const FireClock& clock)
        : m_box(std::move(box)), m_clock(clock) {}
    bool write(const QByteArray& bytes) override;
    static qint64 msOf(FireTime t);

private:
    std::shared_ptr<SharedRehearsalBox> m_box;
    const FireClock& m_clock;
};

} // namespace vz
