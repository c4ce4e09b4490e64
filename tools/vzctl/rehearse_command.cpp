// rehearse: one macro of a project played through the fire console's schedule onto the
// rehearsal box, in a time of its own: the flame row over time, at once.
#include "cli.h"

#include "device/rehearsal_box.h"
#include "fire/fire_frames.h"
#include "fire/fire_schedule.h"
#include "fire/macro_checks.h"

#include <algorithm>

namespace vz {

namespace {

// Stands still until the schedule says when something is due next, then jumps there.
class JumpingClock : public vz::FireClock {
public:
    vz::FireTime now() const override { return m_now; }
    void jumpTo(vz::FireTime t) { m_now = std::max(m_now, t); }

private:
    vz::FireTime m_now{}; // the click
};

QString moduleText(const std::vector<int>& modules) {
    QStringList s;
    for (int m : modules)
        s << QString::number(m);
    return s.isEmpty() ? QStringLiteral("-") : s.join(QLatin1Char(' '));
}

// Written by hand to keep the keys in the documented order (a JSON object sorts them).
QString moduleJson(const std::vector<int>& modules) {
    QStringList s;
    for (int m : modules)
        s << QString::number(m);
    return QLatin1Char('[') + s.join(QLatin1Char(',')) + QLatin1Char(']');
}

} // namespace

int cmdRehearse(const QStringList& args) {
    CommandLine cl(QStringLiteral("rehearse"),
                   QStringLiteral("rehearse FILE.kvx N [--json] [--settings FILE]"),
                   QStringLiteral("Plays macro N (1..10) as the rehearsal route would, in "
                                  "simulated time: every call twice, %1 ms apart, to the "
                                  "rehearsal box, which lights the called programs. Prints each "
                                  "change of the flame row (ms after the click, modules showing "
                                  "a flame and a ball), then the end: the macro has ended and the "
                                  "last flame is out. Sends nothing. Exit 1, with nothing played, "
                                  "when a step does not run as written.")
                       .arg(vz::kFireRepeatMs));
    addMacroArguments(cl,
                      QStringLiteral("box mode, box list, configured box, ball time and language"));
    LoadedProject project;
    int number = 0;
    const int code = parseMacroArguments(cl, args, &project, &number);
    if (code >= 0)
        return code;

    // The fire page's own refusal: such a macro does not start, so nothing plays.
    const QVector<vz::MacroProblem> problems = vz::macroProblems(project.program, number - 1);
    if (!problems.isEmpty()) {
        printErr(vz::macroProblemsMessage(problems, project.texts->lookup(), QLocale::c(),
                                          QStringLiteral("msg_macro_not_started"))
                     .replace(QStringLiteral("\n\r"), QStringLiteral("\n"))
                     .trimmed());
        return ExitRefused;
    }

    const int macroBox = project.program.boxNumber();
    auto box = std::make_shared<vz::SharedRehearsalBox>(
        vz::RehearsalBox(project.program, project.settings.ball, project.settings.box, macroBox));
    JumpingClock clock;
    vz::RehearsalLine line(box, clock);
    vz::FireSchedule schedule(clock);
    schedule.setWriter(&line);
    schedule.startMacro(number, project.program.macros[number - 1], macroBox);
    qint64 macroEndMs = 0;
    // A macro holds at most 200 steps, each a handful of deadlines.
    for (int due = 0; due < 100000; ++due) {
        const std::optional<vz::FireTime> next = schedule.advance();
        for (const vz::FireEvent& e : schedule.takeEvents())
            if (e.kind == vz::FireEvent::MacroEnd)
                macroEndMs = vz::RehearsalLine::msOf(e.at);
        if (!next)
            break;
        clock.jumpTo(*next);
    }
    if (schedule.macroRunning()) {
        printErr(QStringLiteral("vzctl rehearse: the macro did not come to its end"));
        return ExitError;
    }

    const auto [timeline, rowEndMs] = box->with(
        [](const vz::RehearsalBox& b) { return std::make_pair(b.timeline(), b.endMs()); });
    const qint64 endMs = std::max(macroEndMs, rowEndMs);
    const bool json = cl.parser().isSet(QStringLiteral("json"));
    QStringList events;
    for (const vz::RowChange& c : timeline) {
        const std::vector<int> flame = c.modules(vz::preview::SlotFlame);
        const std::vector<int> ball = c.modules(vz::preview::SlotBall);
        if (json)
            events << QStringLiteral("{\"t_ms\":%1,\"flame\":%2,\"ball\":%3}")
                          .arg(c.tMs)
                          .arg(moduleJson(flame), moduleJson(ball));
        else
            printOut(QStringLiteral("%1 ms  flame %2  ball %3")
                         .arg(c.tMs, 8)
                         .arg(moduleText(flame), -12)
                         .arg(moduleText(ball)));
    }
    if (json)
        printOut(QStringLiteral("{\"macro\":%1,\"events\":[%2],\"end_ms\":%3}")
                     .arg(number)
                     .arg(events.join(QLatin1Char(',')))
                     .arg(endMs));
    else
        printOut(QStringLiteral("%1 ms  end").arg(endMs, 8));
    return ExitOk;
}

} // namespace vz
