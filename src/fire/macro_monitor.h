#pragma once

#include "fire/macro_runner.h"

#include <QString>
#include <QVector>

// What the fire page shows of a running macro. It is told about the run (start, each step
// that ran, when the next step is due, the end) and never tells the run anything: keeping it
// up to date costs the run no time it could notice.
namespace vz {

class MacroRunMonitor {
public:
    // Macro number 1..10 with its steps as they stand at the start.
    void start(int macroNumber, const Macro& macro);
    // Step index `step` (0-based) has run.
    void stepRan(int step);
    // The next step is due at dueMs (on the caller's clock, the one nowMs below is read from).
    void nextStepDue(qint64 dueMs);
    qint64 nextStepDueMs() const { return m_nextDueMs; }
    void end();

    bool isRunning() const { return m_running; }
    int macroNumber() const { return m_macro; }
    // The steps as planned; the runner skips what the plan skips.
    const QVector<MacroRunner::Action>& steps() const { return m_plan.steps; }
    // The step that ran last (a call just sent, a pause in force); -1 before the first.
    int current() const { return m_current; }
    QVector<int> calledChannels() const { return m_called; }

    // The next call still to come: its step index, or -1 when no call follows.
    int nextCall() const;
    // Milliseconds from nowMs until the next call (when none follows: until the end).
    qint64 msToNextCall(qint64 nowMs) const;

    // Caption of step i as the page shows it ("Channel 21", "Pause 1.50 s").
    QString stepText(int i) const;
    // "Next call: channel 31 in 1.4 s", or the time to the end when no call follows.
    QString nextCallText(qint64 nowMs) const;
    // "Called: 21, 31"; the latest last.
    QString calledText() const;

private:
    MacroRunner::Plan m_plan;
    QVector<int> m_called;
    int m_macro = 0;
    int m_current = -1;
    qint64 m_nextDueMs = 0;
    bool m_running = false;
};

} // namespace vz
