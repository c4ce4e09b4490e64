#pragma once

#include "base/unit_service.h"
#include "program/box_program.h"

#include <QString>
#include <QVector>

namespace vz {

class IniFile;

class ProgramDocument;

// Why a project file could not be read. Anything but Read leaves the document untouched.
enum class ProjectReadStatus { Read, Missing, Folder, NoPermission, IoError, NotAProject };

// The reason in words, for the command-line tools (the window takes its texts from the
// language file).
QString projectReadReason(ProjectReadStatus status);

// A value of a project file outside its field's range. The read takes what a new project
// holds there instead.
struct ProjectValueProblem {
    QString section;
    QString key;
    QString value; // as the file holds it
    int usedInstead = 0;
};
using ProjectValueProblems = QVector<ProjectValueProblem>;

// The part of the message on reading that lists them, in the language of text (keys
// "msg_read_values", "read_value_problem", "read_values_more"): the first 20, then how many
// more. Lines end in "\n\r"; empty when there are none.
QString projectValueProblemsMessage(const QString& path, const ProjectValueProblems& problems,
                                    const TextLookup& text);

// Whether the name ends with ".kvx", in any letter case (a dot elsewhere in the name,
// "Show v1.2", is no extension of a project).
bool hasProjectExtension(const QString& path);
// The name a save uses: ".kvx" added unless it has it.
QString withProjectExtension(const QString& path);

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

    // Reads path into the document through the editing rules, in the order: box position,
    // count (applied), singles, groups, sequences, macros, ActiveTab. Every field is set:
    // a key that is missing, or a value outside its range, reads as a new project's value, so
    // nothing of the project open before stays (the window and vzctl read a file alike);
    // the values outside their range are added to problems. Sets the path; clears the
    // modified flag and the undo history at the end. A file that cannot be read, or is no
    // project at all (also a FIFO, a device or a socket), leaves the document as it was and
    // says why.
    static ProjectReadStatus read(const QString& path, ProgramDocument& document,
                                  ProjectValueProblems* problems = nullptr);
    static void read(const IniFile& ini, ProgramDocument& document,
                     ProjectValueProblems* problems = nullptr);
};

} // namespace vz
