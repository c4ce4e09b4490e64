#include "fire/macro_runner.h"

#include <algorithm>

namespace vz {

int MacroRunner::start(int macroNumber) {
    m_macro = std::clamp(macroNumber - 1, 0, kMacros - 1);
    m_step = 0;
    m_running = true;
    return kStartDelayMs;
}

void MacroRunner::stop() {
    m_running = false;
}

MacroRunner::Action MacroRunner::tick(const Macro& macro) {
    Action a;
    if (!m_running)
        return a;
    // Slot 200 is always an end mark; a raw table that says otherwise still ends there.
    const MacroStep s = m_step < kMacroSlots ? macro.steps[m_step] : MacroStep{};
    if (s.type <= MacroEnd) {
        m_running = false;
        a.kind = Action::End;
    } else if (s.type == MacroPause) {
        a.kind = Action::Pause;
        a.intervalMs = std::max(s.value, kMinPause) * 10;
    } else if (s.type == MacroCall) {
        a.kind = Action::Call;
        a.channel = s.value;
        a.intervalMs = kAfterCallMs;
    } else {
        a.kind = Action::Skip;
    }
    ++m_step;
    return a;
}

namespace {

// Runs the macro on paper: calls back (kind, time) for every tick.
template <typename F> void simulate(const Macro& macro, F&& onTick) {
    MacroRunner r;
    int t = r.start(1);
    int interval = t;
    for (;;) {
        const MacroRunner::Action a = r.tick(macro);
        onTick(a, t);
        if (a.kind == MacroRunner::Action::End)
            return;
        if (a.intervalMs >= 0)
            interval = a.intervalMs;
        t += interval;
    }
}

} // namespace

QVector<int> MacroRunner::plannedCallTimes(const Macro& macro) {
    QVector<int> out;
    simulate(macro, [&](const Action& a, int t) {
        if (a.kind == Action::Call)
            out << t;
    });
    return out;
}

int MacroRunner::plannedEnd(const Macro& macro) {
    int end = 0;
    simulate(macro, [&](const Action& a, int t) {
        if (a.kind == Action::End)
            end = t;
    });
    return end;
}

} // namespace vz
