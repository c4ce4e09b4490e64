#include "fire/macro_checks.h"

namespace vz {

namespace {

// Placeholders filled without QString::arg, so a text missing from the language file
// ("<key>") costs no warning.
QString fillIn(QString text, const QString& a, const QString& b = QString()) {
    text.replace(QLatin1String("%1"), a);
    text.replace(QLatin1String("%2"), b);
    return text;
}

} // namespace

MacroStepCheck checkMacroStep(const MacroStep& step) {
    MacroStepCheck c;
    if (step.type == MacroCall) {
        if (step.value >= 1 && step.value <= kChannels) {
            c.kind = MacroStepCheck::Call;
            c.channel = step.value;
        } else {
            c.problem = MacroStepCheck::CallRefused;
        }
    } else if (step.type == MacroPause) {
        c.kind = MacroStepCheck::Pause;
        if (step.value < kMacroMinPause) {
            c.pause = kMacroMinPause;
            c.problem = MacroStepCheck::PauseRaised;
        } else if (step.value > kMacroMaxPause) {
            c.pause = kMacroMaxPause;
            c.problem = MacroStepCheck::PauseLowered;
        } else {
            c.pause = step.value;
        }
    } else {
        c.problem = MacroStepCheck::NoMeaning;
    }
    return c;
}

QVector<MacroProblem> macroProblems(const BoxProgram& program, int macro) {
    QVector<MacroProblem> out;
    if (macro < 0 || macro >= kMacros)
        return out;
    const Macro& m = program.macros[macro];
    for (int i = 0; i < kMacroSlots && m.steps[i].type > MacroEnd; ++i) {
        MacroStepCheck c = checkMacroStep(m.steps[i]);
        if (i == kMacroSlots - 1)
            c = MacroStepCheck{MacroStepCheck::Skip, MacroStepCheck::PastEnd, 0, 0};
        if (c.problem != MacroStepCheck::None)
            out << MacroProblem{macro, i, m.steps[i], c};
    }
    return out;
}

QVector<MacroProblem> macroProblems(const BoxProgram& program) {
    QVector<MacroProblem> out;
    for (int m = 0; m < kMacros; ++m)
        out << macroProblems(program, m);
    return out;
}

QString macroStepProblemText(const MacroStep& step, const MacroStepCheck& check,
                             const TextLookup& text, const QLocale& locale) {
    switch (check.problem) {
    case MacroStepCheck::None:
        return QString();
    case MacroStepCheck::CallRefused:
        return fillIn(text(QStringLiteral("macro_problem_call")), QString::number(step.value));
    case MacroStepCheck::PauseRaised:
    case MacroStepCheck::PauseLowered:
        return fillIn(text(QStringLiteral("macro_problem_pause")),
                      formatFixed2(step.value / 100.0, locale),
                      formatFixed2(check.pause / 100.0, locale));
    case MacroStepCheck::NoMeaning:
        return fillIn(text(QStringLiteral("macro_problem_type")), QString::number(step.type));
    case MacroStepCheck::PastEnd:
        return text(QStringLiteral("macro_problem_end"));
    }
    return QString();
}

QString macroProblemsMessage(const QVector<MacroProblem>& problems, const TextLookup& text,
                             const QLocale& locale, const QString& headingKey) {
    if (problems.isEmpty())
        return QString();
    const QString nl = QStringLiteral("\n\r");
    QString message = text(headingKey) + nl;
    // A box taller than the screen would hide its own OK button.
    constexpr int kListed = 20;
    for (int i = 0; i < problems.size() && i < kListed; ++i) {
        const MacroProblem& p = problems[i];
        message += nl + text(QStringLiteral("macro")) + QLatin1Char(' ') +
                   QString::number(p.macro + 1) + QStringLiteral(", ") +
                   text(QStringLiteral("macro_step")) + QLatin1Char(' ') +
                   QString::number(p.slot + 1) + QStringLiteral(": ") +
                   macroStepProblemText(p.step, p.check, text, locale);
    }
    if (problems.size() > kListed)
        message += nl + fillIn(text(QStringLiteral("macro_problems_more")),
                               QString::number(problems.size() - kListed));
    return message;
}

} // namespace vz
