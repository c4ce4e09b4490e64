#pragma once

#include "fire/macro_checks.h"
#include "program/box_program.h"

#include <QVector>

// Walks a macro one step per timer tick. The window owns the timer; this decides what each
// tick does and when the next one is due.
namespace vz {

class MacroRunner {
public:
    static constexpr int kStartDelayMs = 20;
    // After a call the next step follows 1 ms after the call's last copy, which leaves 20 ms
    // after the first when nothing was queued ahead of it.
    static constexpr int kAfterCallMs = 1;

    struct Action {
        enum Kind { Call, Pause, Skip, End };
        Kind kind = End;
        int slot = -1;
        int channel = 0; // Call: the channel to call, 1..70
        MacroStepCheck check;
        // The next tick is due this long after this one (a skipped step keeps the interval
        // in force), counted from the moment this step ran: a late tick delays the rest of
        // the macro instead of shortening the pause that follows it. After a call, the time
        // it is due when both copies leave on time; a run counts it from the call's last copy.
        int intervalMs = 0;
        qint64 nextDueMs = 0;
    };

    // Begins macro number m (1..10) at nowMs; returns when the first tick is due.
    qint64 start(int macroNumber, qint64 nowMs);
    // The tick on the current step, run at nowMs; advances the step.
    Action tick(const Macro& macro, qint64 nowMs);
    void stop();

    bool isRunning() const { return m_running; }
    int macroIndex() const { return m_macro; } // 0..9
    int stepIndex() const { return m_step; }

    // The run on paper, every tick on time: what each step does and when.
    struct Plan {
        QVector<Action> steps;
        QVector<qint64> times; // ms after the click, one per step
        qint64 endMs = 0;
    };
    static Plan plan(const Macro& macro);
    // Milliseconds after the click at which each call of the macro is planned to leave.
    static QVector<int> plannedCallTimes(const Macro& macro);

private:
    bool m_running = false;
    int m_macro = 0;
    int m_step = 0;
    int m_interval = kStartDelayMs;
};

} // namespace vz
