// macro: a dry run of one macro of a project, through the window's runner and checks.
#include "cli.h"

#include "device/device_report.h"
#include "fire/fire_frames.h"
#include "fire/macro_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace vz {

namespace {

const char* kindName(vz::MacroRunner::Action::Kind kind) {
    switch (kind) {
    case vz::MacroRunner::Action::Call:
        return "call";
    case vz::MacroRunner::Action::Pause:
        return "pause";
    default:
        return "skip";
    }
}

} // namespace

int cmdMacro(const QStringList& args) {
    CommandLine cl(QStringLiteral("macro"),
                   QStringLiteral("macro FILE.kvx N [--json] [--settings FILE]"),
                   QStringLiteral("Dry run of macro N (1..10, as the fire page numbers them): "
                                  "each step with its planned time in ms after the click, its "
                                  "kind, channel or pause, the call frame and its problem, then "
                                  "the planned end. Sends nothing. Exit 1 when any step does not "
                                  "run as written."));
    addMacroArguments(cl);
    LoadedProject project;
    int number = 0;
    const int code = parseMacroArguments(cl, args, &project, &number);
    if (code >= 0)
        return code;

    const vz::Macro& macro = project.program.macros[number - 1];
    const int box = project.program.boxNumber();
    const vz::MacroRunner::Plan plan = vz::MacroRunner::plan(macro);
    const vz::TextLookup text = project.texts->lookup();
    const QLocale c = QLocale::c();
    // Whether the macro runs as written is decided where the fire page decides it.
    const QVector<vz::MacroProblem> problems = vz::macroProblems(project.program, number - 1);
    const auto problemAt = [&](int slot) {
        for (const vz::MacroProblem& p : problems)
            if (p.slot == slot)
                return vz::macroStepProblemText(p.step, p.check, text, c);
        return QString();
    };
    QJsonArray steps;
    for (int i = 0; i < plan.steps.size(); ++i) {
        const vz::MacroRunner::Action& a = plan.steps[i];
        const QString problem = problemAt(a.slot);
        QJsonObject o{{"slot", a.slot}, {"kind", kindName(a.kind)}, {"t_ms", plan.times[i]}};
        QString line = QStringLiteral("%1 ms  slot %2  %3")
                           .arg(plan.times[i], 8)
                           .arg(a.slot, 3)
                           .arg(QLatin1String(kindName(a.kind)), -5);
        if (a.kind == vz::MacroRunner::Action::Call) {
            const QByteArray frame = vz::macroCallFrame(box, a.channel);
            o.insert("channel", a.channel);
            o.insert("frame", QString::fromLatin1(frame.toHex().toUpper()));
            line += QStringLiteral("  channel %1  %2").arg(a.channel, 2).arg(vz::hexBytes(frame));
        } else if (a.kind == vz::MacroRunner::Action::Pause) {
            o.insert("pause_ms", a.check.pause * 10);
            line += QStringLiteral("  %1 ms").arg(a.check.pause * 10);
        }
        if (!problem.isEmpty()) {
            o.insert("problem", problem);
            line += QStringLiteral("  (%1)").arg(problem);
        }
        steps.append(o);
        if (!cl.parser().isSet(QStringLiteral("json")))
            printOut(line);
    }
    // A step in the last slot never runs: the macro ends there.
    const QString endProblem = problemAt(vz::kMacroSlots - 1);
    if (cl.parser().isSet(QStringLiteral("json"))) {
        QJsonObject all{{"macro", number},
                        {"active", macro.active},
                        {"box", box},
                        {"steps", steps},
                        {"end_ms", plan.endMs}};
        if (!endProblem.isEmpty())
            all.insert("end_problem", endProblem);
        printOut(QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Compact)));
    } else {
        printOut(QStringLiteral("%1 ms  end").arg(plan.endMs, 8) +
                 (endProblem.isEmpty() ? QString() : QStringLiteral("  (%1)").arg(endProblem)));
    }
    return problems.isEmpty() ? ExitOk : ExitRefused;
}

} // namespace vz
