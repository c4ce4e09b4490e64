#pragma once

#include "program/box_program.h"

#include <QLocale>
#include <QString>
#include <QVector>

// What the macro editor and the sequence dialog show.
namespace vz {

// Channels a macro can call: singles within the module count, all nine groups, the
// sequence variants in use; ascending, repeated channels kept.
QVector<int> macroCallChoices(const BoxProgram& program);

// Duration in seconds of the program that a channel calls (the first program holding the
// channel in program-number order), or a negative value when no program holds it.
double channelDuration(const BoxProgram& program, int channel);

// Cells of one step of the editor grid.
struct MacroStepCells {
    QString time;    // running time: the pauses before the step
    QString action;  // two lines for pauses and calls; steps that never run say so
    QString problem; // what happens to a step that does not run as written, else empty
};
QVector<MacroStepCells> macroEditorCells(const BoxProgram& program, int macroIndex,
                                         const QLocale& locale = QLocale());

} // namespace vz
