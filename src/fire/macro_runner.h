#pragma once

#include "program/box_program.h"

#include <QVector>

// Walks a macro one step per timer tick. The window owns the timer; this decides what each
// tick does and how long until the next one.
namespace vz {

class MacroRunner {
public:
    static constexpr int kStartDelayMs = 20;
    // After a call the next step follows 1 ms after the call's second copy, which leaves
    // 20 ms after the first.
    static constexpr int kAfterCallMs = 21;
    // Pauses are hundredths of a second; anything shorter than the dialog's shortest pause
    // (a hand-edited file) runs as that.
    static constexpr int kMinPause = 2;

    struct Action {
        enum Kind { Call, Pause, Skip, End };
        Kind kind = End;
        int channel = 0;     // Call: the channel to call
        int intervalMs = -1; // time to the next tick; -1 keeps the last interval
    };

    // Begins macro number m (1..10); returns the delay to the first tick.
    int start(int macroNumber);
    // One tick on the current step of macro; advances the step.
    Action tick(const Macro& macro);
    void stop();

    bool isRunning() const { return m_running; }
    int macroIndex() const { return m_macro; } // 0..9
    int stepIndex() const { return m_step; }

    // Milliseconds after the click at which each call of the macro is planned to leave.
    static QVector<int> plannedCallTimes(const Macro& macro);
    // Milliseconds after the click at which the run is planned to end.
    static int plannedEnd(const Macro& macro);

private:
    bool m_running = false;
    int m_macro = 0;
    int m_step = 0;
};

} // namespace vz
