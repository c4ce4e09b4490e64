#pragma once

#include "fire/fire_schedule.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// The fire thread: it keeps the time of fire mode (the two copies of every frame, one frame
// after the other, the deadlines of a running macro) and does every write of fire mode, on a
// thread of its own at the highest priority the system grants, so that nothing the window
// does (a repaint, a dialog) holds up a copy, a step or a stop.
//
// The window gives commands and hears back through queued signals, in the order things
// happened, each write with the time it went on the line. A command takes effect before it
// returns: once abort() is back, nothing that had not begun is written, even while the
// thread was between two waits. The line is made, written and closed on the fire thread.
namespace vz {

// What the fire thread got from the system.
struct FirePriority {
    enum Kind { Normal, RealTime, Nice, TimeCritical };
    Kind kind = Normal;
    int value = 0; // RealTime: the priority; Nice: the nice value
};

// The priority as the fire set-up page says it, in the operator's language.
QString firePriorityText(const FirePriority& priority);

// Told on the fire thread that the line failed on its own (device gone), and why.
using FireLineFailed = std::function<void(const QString& reason)>;

class FireEngine : public QObject {
    Q_OBJECT
public:
    using Writer = std::function<bool(const QByteArray&)>;
    // Run on the fire thread: opens the line, nullptr when it cannot.
    using LineFactory = std::function<std::unique_ptr<FireWriter>(const FireLineFailed&)>;

    explicit FireEngine(QObject* parent = nullptr);
    ~FireEngine() override;

    // The line from now on, made by factory on the fire thread; false when it gave none.
    bool openLine(const LineFactory& factory);
    // A plain function as the line, called on the fire thread.
    void setWriter(Writer writer);
    // The line is closed on the fire thread; nothing is written after this.
    void closeLine();

    // Queues a frame; its first copy leaves at once when nothing is on the line. The source
    // (what fired it, for the fire log) travels with it. Returns the frame's ticket.
    quint64 send(const QByteArray& frame, const QString& source = QString());
    // Runs macro number 1..10, its calls to box; returns the run's number for the signals.
    quint64 startMacro(int number, const Macro& macro, int box);
    // Ends the run; false when it had reached its end already.
    bool stopMacro();
    // Stop: the run ends and the frames not begun are dropped; only the second copy of the
    // frame on the line still goes, at its time.
    void abort();
    // As abort, and that second copy is waited for (it keeps its time). Used before the port
    // closes.
    void finishAndDrop();
    // Forgets everything without writing (the port is gone).
    void drop();

    FirePriority priority() const { return m_priority; }

    // Emits what the fire thread reported so far, in order. It comes by itself on the
    // window's thread; the commands run it before they return.
    void deliverEvents();

signals:
    // The first copy of a frame has been written.
    void frameWritten(const QByteArray& frame);
    // A write was refused; everything pending has been dropped.
    void writeFailed();
    // Each copy, once the port has taken it (written) or refused it, at atNs (steady clock,
    // nanoseconds since its epoch): stamped at the write, never by whoever listens.
    void copyWritten(const QByteArray& frame, const QString& source, bool written, qint64 atNs);
    // A frame (or the second copy of the one on the line) that will not go. Once per frame.
    void frameDropped(const QByteArray& frame, const QString& source);
    // Both copies of the frame with this ticket are written, the last at lastCopyNs.
    void frameDone(quint64 ticket, qint64 lastCopyNs);
    // Run `run` of macro `macro`: slot `step` ran (call: it sent a call frame), the next step
    // is due at atNs, the end mark was reached.
    void macroStep(quint64 run, int step, bool call);
    void macroDue(quint64 run, qint64 atNs);
    void macroEnded(quint64 run, int macro);
    // The line failed on its own.
    void lineFailed(const QString& reason);

private:
    class Driver;
    // Under the lock: runs cmd on the schedule, then wakes the fire thread.
    template <typename Cmd> auto command(Cmd cmd);
    void publishLocked();
    void emitEvent(const FireEvent& e);
    // Runs fn on the fire thread and waits for it. The hand-over is on m_mutex, so that all
    // fn did is seen here (and by a race checker) without relying on the event loop's locks.
    void onFireThread(const std::function<void()>& fn);

    mutable std::mutex m_mutex;
    // The fire thread waits on it for a deadline or a command; the window for a finish.
    std::condition_variable m_wake;
    std::condition_variable m_settled;
    FireSchedule m_schedule;
    std::deque<FireEvent> m_events;
    bool m_deliveryPosted = false;
    bool m_kickPosted = false;
    QThread m_thread;
    Driver* m_driver = nullptr;
    FirePriority m_priority;
};

} // namespace vz
