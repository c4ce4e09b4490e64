#include "fire/macro_texts.h"

#include "base/unit_service.h"
#include "fire/macro_checks.h"

#include <algorithm>

namespace vz {

QVector<int> macroCallChoices(const BoxProgram& program) {
    QVector<int> out;
    for (int n = 1; n <= program.moduleCount() && n <= kModules; ++n)
        out << program.singleAt(n).ch + 1;
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v)
            out << program.groupAt(k, v).ch + 1;
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v)
            if (program.seqAt(f, v).chk)
                out << program.seqAt(f, v).ch + 1;
    std::stable_sort(out.begin(), out.end());
    return out;
}

double channelDuration(const BoxProgram& program, int channel) {
    // Program-number order: singles, then groups 21..29, then sequences 31..55.
    for (int n = 1; n <= kModules; ++n)
        if (program.singleAt(n).ch + 1 == channel)
            return singleDuration(program.singleAt(n).fire);
    for (int number = 21; number <= 29; ++number) {
        const int k = (number - 21) % 3;
        const int v = (number - 21) / 3 + 1;
        if (program.groupAt(k, v).ch + 1 == channel)
            return singleDuration(program.groupAt(k, v).fire);
    }
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v) {
            const SequenceProgram& s = program.seqAt(f, v);
            if (s.ch + 1 == channel)
                return seqDuration(f, program.moduleCount(), s.fire, s.wait);
        }
    return -1.0;
}

QVector<MacroStepCells> macroEditorCells(const BoxProgram& program, int macroIndex,
                                         const QLocale& locale) {
    QVector<MacroStepCells> out;
    if (macroIndex < 0 || macroIndex >= kMacros)
        return out;
    const Macro& m = program.macros[macroIndex];
    const QString nl = QStringLiteral("\n\r");
    const QVector<MacroProblem> problems = macroProblems(program, macroIndex);
    long long hundredths = 0;
    for (int i = 0; i < kMacroSlots && m.steps[i].type > MacroEnd; ++i) {
        const MacroStep& s = m.steps[i];
        const MacroStepCheck check = checkMacroStep(s);
        MacroStepCells c;
        c.time = formatFixed2(hundredths / 100.0, locale) + QStringLiteral(" s");
        for (const MacroProblem& p : problems)
            if (p.slot == i)
                c.problem = macroStepProblemText(
                    p.step, p.check, [](const QString& key) { return get_text(key); }, locale);
        const QString notRunnable = get_text(QStringLiteral("macro_not_runnable"));
        if (s.type == MacroPause) {
            c.action = QStringLiteral("Pause") + nl + formatFixed2(s.value / 100.0, locale) +
                       QStringLiteral(" s");
            if (check.problem != MacroStepCheck::None)
                c.action += QStringLiteral(" -> ") + formatFixed2(check.pause / 100.0, locale) +
                            QStringLiteral(" s");
            hundredths += check.pause; // as it runs
        } else if (s.type == MacroCall && check.kind == MacroStepCheck::Call) {
            c.action = QStringLiteral("Sequenz ") + QString::number(s.value) + nl +
                       QStringLiteral("Laufzeit: ");
            const double d = channelDuration(program, s.value);
            if (d >= 0)
                c.action += formatFixed2(d, locale) + QStringLiteral(" s");
        } else if (s.type == MacroCall) {
            c.action = QStringLiteral("Sequenz ") + QString::number(s.value) + nl + notRunnable;
        } else {
            c.action = notRunnable;
        }
        out << c;
    }
    return out;
}

} // namespace vz
