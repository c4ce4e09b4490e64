#pragma once

#include "program/box_program.h"

#include <QLocale>
#include <QString>

class HotkeyTable;

// What each fire button shows, read from the box program: caption and tag (the channel it
// calls, or the macro number), whether it is shown, and its hint.
namespace vz {

// Channel a program button fires (family 0..8), or the macro number for family 9.
int fireButtonTag(const BoxProgram& program, int family, int number);
// Singles within the module count, every group, sequences in use, active macros.
bool fireButtonShown(const BoxProgram& program, int family, int number);
// The button's hint without hotkey lines; empty for macros. Uses the language table.
QString fireBaseHint(const BoxProgram& program, int family, int number,
                     const QLocale& locale = QLocale());
// Base hint followed by the button's hotkey lines in ascending key order.
QString fireHint(const QString& baseHint, const HotkeyTable& hotkeys, int family, int number);

} // namespace vz
