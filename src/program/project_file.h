#pragma once

#include "program/box_program.h"

#include <QString>

class IniFile;

namespace vz {

class ProgramDocument;

// The .kvx project file: 20 sections, 4183 keys, in a fixed order.
class ProjectFile {
public:
    // The whole file as the writer lays it out (sections and keys in order).
    static IniFile toIni(const BoxProgram& program);
    // Writes a complete new file through QSaveFile: a failed write leaves the previous file
    // as it was. Returns false on failure (errorText, when given, says why).
    static bool write(const QString& path, const BoxProgram& program, QString* errorText = nullptr);

    // Reads path into the document through the editing rules (refused values keep the field),
    // in the order: box position, count (applied), singles, groups, sequences, macros,
    // ActiveTab. A missing or unreadable file reads as all defaults. Sets the path; clears the
    // modified flag and the undo history at the end.
    static void read(const QString& path, ProgramDocument& document);
    static void read(const IniFile& ini, ProgramDocument& document);
};

} // namespace vz
