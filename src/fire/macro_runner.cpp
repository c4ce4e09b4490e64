#include "fire/macro_runner.h"

#include "fire/fire_frames.h"

#include <algorithm>

namespace vz {

qint64 MacroRunner::start(int macroNumber, qint64 nowMs) {
    m_macro = std::clamp(macroNumber - 1, 0, kMacros - 1);
    m_step = 0;
    m_running = true;
    m_interval = kStartDelayMs;
    return nowMs + kStartDelayMs;
}

void MacroRunner::stop() {
    m_running = false;
}

MacroRunner::Action MacroRunner::tick(const Macro& macro, qint64 nowMs) {
    Action a;
    if (!m_running)
        return a;
    a.slot = m_step;
    // Slot 200 is always an end mark; a raw table that says otherwise still ends there.
    const MacroStep s = m_step < kMacroSlots - 1 ? macro.steps[m_step] : MacroStep{};
    ++m_step;
    if (s.type <= MacroEnd) {
        m_running = false;
        a.kind = Action::End;
        a.nextDueMs = nowMs;
        return a;
    }
    a.check = checkMacroStep(s);
    switch (a.check.kind) {
    case MacroStepCheck::Call:
        a.kind = Action::Call;
        a.channel = a.check.channel;
        m_interval = kAfterCallMs;
        break;
    case MacroStepCheck::Pause:
        a.kind = Action::Pause;
        m_interval = a.check.pause * 10; // checked: at most 60000
        break;
    case MacroStepCheck::Skip:
        a.kind = Action::Skip; // never sent; the interval in force stays
        break;
    }
    a.intervalMs = m_interval;
    a.nextDueMs = nowMs + m_interval + (a.kind == Action::Call ? kFireRepeatMs : 0);
    return a;
}

MacroRunner::Plan MacroRunner::plan(const Macro& macro) {
    Plan p;
    MacroRunner r;
    qint64 t = r.start(1, 0);
    for (;;) {
        const Action a = r.tick(macro, t);
        if (a.kind == Action::End) {
            p.endMs = t;
            return p;
        }
        p.steps << a;
        p.times << t;
        t = a.nextDueMs;
    }
}

QVector<int> MacroRunner::plannedCallTimes(const Macro& macro) {
    const Plan p = plan(macro);
    QVector<int> out;
    for (int i = 0; i < p.steps.size(); ++i)
        if (p.steps[i].kind == Action::Call)
            out << int(p.times[i]);
    return out;
}

} // namespace vz
