#include "fire/macro_monitor.h"

#include "base/unit_service.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

namespace vz {

namespace {

// Tenths of a second, rounded up: the countdown never says 0.0 before the call has gone.
QString seconds(qint64 ms) {
    return QLocale().toString((std::max<qint64>(0, ms) + 99) / 100 / 10.0, 'f', 1);
}

} // namespace

void MacroRunMonitor::start(int macroNumber, const Macro& macro) {
    m_plan = MacroRunner::plan(macro);
    m_called.clear();
    m_macro = macroNumber;
    m_current = -1;
    m_nextDueMs = 0;
    m_running = true;
}

void MacroRunMonitor::stepRan(int step) {
    if (!m_running || step < 0 || step >= m_plan.steps.size())
        return;
    m_current = step;
    if (m_plan.steps[step].kind == MacroRunner::Action::Call)
        m_called << m_plan.steps[step].channel;
}

void MacroRunMonitor::nextStepDue(qint64 dueMs) {
    m_nextDueMs = dueMs;
}

void MacroRunMonitor::end() {
    m_running = false;
}

int MacroRunMonitor::nextCall() const {
    for (int i = m_current + 1; i < m_plan.steps.size(); ++i)
        if (m_plan.steps[i].kind == MacroRunner::Action::Call)
            return i;
    return -1;
}

qint64 MacroRunMonitor::msToNextCall(qint64 nowMs) const {
    // The plan holds the gaps between steps; the next step's deadline places them in time.
    const int next = m_current + 1;
    const qint64 nextPlanned = next < m_plan.steps.size() ? m_plan.times[next] : m_plan.endMs;
    const int call = nextCall();
    const qint64 planned = call >= 0 ? m_plan.times[call] : m_plan.endMs;
    return std::max<qint64>(0, m_nextDueMs + planned - nextPlanned - nowMs);
}

QString MacroRunMonitor::stepText(int i) const {
    if (i < 0 || i >= m_plan.steps.size())
        return QString();
    const MacroRunner::Action& a = m_plan.steps[i];
    switch (a.kind) {
    case MacroRunner::Action::Call:
        return get_text(QStringLiteral("firemode_monitor_call"))
            .replace(QLatin1String("%1"), QString::number(a.channel));
    case MacroRunner::Action::Pause:
        return get_text(QStringLiteral("firemode_monitor_pause"))
            .replace(QLatin1String("%1"), formatFixed2(a.check.pause / 100.0));
    case MacroRunner::Action::Skip:
    case MacroRunner::Action::End:
        break;
    }
    return get_text(QStringLiteral("firemode_monitor_skip"));
}

QString MacroRunMonitor::nextCallText(qint64 nowMs) const {
    const int call = nextCall();
    const QString in = seconds(msToNextCall(nowMs));
    if (call < 0)
        return get_text(QStringLiteral("firemode_monitor_end")).replace(QLatin1String("%1"), in);
    return get_text(QStringLiteral("firemode_monitor_next"))
        .replace(QLatin1String("%1"), QString::number(m_plan.steps[call].channel))
        .replace(QLatin1String("%2"), in);
}

QString MacroRunMonitor::calledText() const {
    QStringList channels;
    for (int c : m_called)
        channels << QString::number(c);
    return get_text(QStringLiteral("firemode_monitor_called")) + QLatin1Char(' ') +
           (channels.isEmpty() ? QStringLiteral("–") : channels.join(QStringLiteral(", ")));
}

} // namespace vz
