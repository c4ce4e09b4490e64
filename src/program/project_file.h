#pragma once

#include "program/box_program.h"

#include <QString>

class IniFile;

namespace vz {

class ProgramDocument;

// Why a project file could not be read. Anything but Read leaves the document untouched.
enum class ProjectReadStatus { Read, Missing, Folder, NoPermission, IoError, NotAProject };

// The reason in words, for the command-line tools (the window takes its texts from the
// language file).
QString projectReadReason(ProjectReadStatus status);

// The .kvx project file: 20 sections, 4183 keys, in a fixed order.
class ProjectFile {
public:
    // The whole file as the writer lays it out (sections and keys in order).
    static IniFile toIni(const BoxProgram& program);
    // Writes a complete new file through QSaveFile: a failed write leaves the previous file
    // as it was. Returns false on failure (errorText, when given, says why).
    static bool write(const QString& path, const BoxProgram& program, QString* errorText = nullptr);

    // Loads the file and checks that it is a project: readable, and holding at least one of
    // the project's sections. ini receives the content when it is.
    static ProjectReadStatus load(const QString& path, IniFile* ini);

    // Reads path into the document through the editing rules (refused values keep the field),
    // in the order: box position, count (applied), singles, groups, sequences, macros,
    // ActiveTab; keys that are missing read as their defaults. Sets the path; clears the
    // modified flag and the undo history at the end. A file that cannot be read, or is no project
    // at all, leaves the document as it was and says why.
    static ProjectReadStatus read(const QString& path, ProgramDocument& document);
    static void read(const IniFile& ini, ProgramDocument& document);
};

} // namespace vz
