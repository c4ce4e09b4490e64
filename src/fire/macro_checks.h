#pragma once

#include "base/unit_service.h"
#include "program/box_program.h"

#include <QLocale>
#include <QString>
#include <QVector>

// What a macro step read from a file really does. A slot can hold any integer: the window,
// the runner and vzctl all go through this one check before a step reaches a frame or a timer.
namespace vz {

// Pauses run within the pause dialog's range, in hundredths of a second (0.02 s .. 60 s).
constexpr int kMacroMinPause = 2;
constexpr int kMacroMaxPause = 6000;

struct MacroStepCheck {
    enum Kind { Call, Pause, Skip };
    // PastEnd: a step in slot 200, which must stay the end mark; the run ends before it.
    enum Problem { None, CallRefused, PauseRaised, PauseLowered, NoMeaning, PastEnd };
    Kind kind = Skip;
    Problem problem = None;
    int channel = 0; // Call: 1..70
    int pause = 0;   // Pause: the length it runs with, kMacroMinPause..kMacroMaxPause
};

// A step that is not the end mark (type >= 0).
MacroStepCheck checkMacroStep(const MacroStep& step);

struct MacroProblem {
    int macro = 0; // 0..9
    int slot = 0;  // 0..200
    MacroStep step;
    MacroStepCheck check;
};

// Every step of macro index m (0..9), up to its end mark, that does not run as written. The one
// test of "runs as written", for the fire page, vzctl and the project's reading alike: a macro
// with a problem does not start.
QVector<MacroProblem> macroProblems(const BoxProgram& program, int macro);
// The same for all ten macros, in order.
QVector<MacroProblem> macroProblems(const BoxProgram& program);

// What happens to the step, e.g. "channel 277 is outside 1..70: not sent"; empty without a
// problem.
QString macroStepProblemText(const MacroStep& step, const MacroStepCheck& check,
                             const TextLookup& text, const QLocale& locale = QLocale());
// A message: the text of headingKey, then one line per problem ("Macro 3, step 5: ..."; the
// first 20, then how many more), lines ending with "\n\r". Empty when there is none.
QString macroProblemsMessage(const QVector<MacroProblem>& problems, const TextLookup& text,
                             const QLocale& locale = QLocale(),
                             const QString& headingKey = QStringLiteral("msg_macro_problems"));

} // namespace vz
