#pragma once

#include "program/box_program.h"

#include <QLocale>
#include <QString>

namespace vz {

class HotkeyTable;

// What each fire button shows, read from the box program: caption and tag (the channel it
// calls, or the macro number), whether it is shown, and its hint.

// Channel a program button fires (family 0..8), or the macro number for family 9.
int fireButtonTag(const BoxProgram& program, int family, int number);
// Singles within the module count, every group, sequences in use, active macros.
bool fireButtonShown(const BoxProgram& program, int family, int number);
// Why a press of button (family, number), by mouse or key, must not fire, in the words of the
// fire log ("single 9 is not shown (6 modules)", "macro 1 is running"); empty when it may.
// runningMacro: the number of the macro that runs, 0 for none. Nothing fires that the project
// does not show, and a running macro is never restarted or replaced.
QString fireRefusal(const BoxProgram& program, int family, int number, int runningMacro);
// The button's hint without hotkey lines; empty for macros. Uses the language table.
QString fireBaseHint(const BoxProgram& program, int family, int number,
                     const QLocale& locale = QLocale());
// Base hint followed by the button's hotkey lines in ascending key order.
QString fireHint(const QString& baseHint, const HotkeyTable& hotkeys, int family, int number);

} // namespace vz
