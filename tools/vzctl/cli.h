#pragma once

#include "base/data_folder.h"
#include "base/settings.h"
#include "base/unit_service.h"
#include "program/box_program.h"
#include "program/project_file.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <memory>

namespace vz {

// Exit codes of every command.
enum ExitCode { ExitOk = 0, ExitRefused = 1, ExitError = 2 };

// Messages go to stderr, results to stdout; both are flushed at once, so a reader of a pipe
// sees each line as it happens.
void printOut(const QString& line);
void printErr(const QString& line);
void writeOut(const QByteArray& bytes);

struct LoadedProject;

// A parser for one command: the common options (--help, --program-dir) plus the command's own.
// parse() returns false after printing the help (code ExitOk) or a usage error (ExitError).
class CommandLine {
public:
    CommandLine(const QString& command, const QString& synopsis, const QString& description);
    QCommandLineParser& parser() { return m_parser; }
    void addPositional(const QString& name, const QString& description);
    bool parse(const QStringList& arguments, int* exitCode);
    QString programDir() const; // --program-dir, or the folder of vzctl
    // Where settings.ini, ports/ and logs/ are: the program folder when it is writable.
    DataFolder dataFolder() const { return DataFolder::forProgram(programDir()); }
    // An integer option in [min, max]; a usage error otherwise.
    bool intOption(const QString& name, int min, int max, int* value, int* exitCode) const;
    bool intArgument(const QString& text, const QString& what, int min, int max, int* value,
                     int* exitCode) const;
    int usageError(const QString& text) const;

    // A command on a project: the FILE.kvx argument and --settings, the file that gives what
    // the command uses of the settings (empty: box mode, box list and language).
    void addProjectArguments(const QString& uses = QString());
    // The project at path, read with the settings file of --settings (see loadProject).
    bool loadProject(const QString& path, LoadedProject* out) const;

private:
    QString m_command;
    QCommandLineParser m_parser;
};

// A project read the way the program reads it: settings (box mode, box list, language) from
// the settings file, the project file through the editing rules.
struct LoadedProject {
    Settings settings;
    vz::BoxProgram program;
    std::unique_ptr<LanguageTable> texts;
};

// The settings file at path (missing: defaults). False, with the reason printed, when a value
// that reaches a frame lies outside its range: a command never fires or sends on a value the
// program would refuse (exit code ExitError).
bool loadSettings(const QString& path, Settings* out);

// settingsPath empty: settings.ini of the data folder (missing: defaults); a given settings
// path must exist. False with the error printed; a project file that cannot be read, or is no
// project at all, is refused with its reason (exit code ExitError).
bool loadProject(const QString& projectPath, const QString& settingsPath, const DataFolder& folder,
                 LoadedProject* out);

// A command on one macro of a project: FILE.kvx N [--json] [--settings FILE].
void addMacroArguments(CommandLine& cl, const QString& uses = QString());
// Parses them and reads the project; -1 when the command goes on, else its exit code.
int parseMacroArguments(CommandLine& cl, const QStringList& args, LoadedProject* project,
                        int* number);

// "vzctl: cannot read project file 'path': reason"
QString projectReadError(const QString& path, vz::ProjectReadStatus status);

// The duplicate-channel message of the project, empty when none; "\n\r" line ends made "\n".
QString duplicateMessageFor(const LoadedProject& project);

int cmdSim(const QStringList& args);
int cmdPorts(const QStringList& args);
int cmdCheck(const QStringList& args);
int cmdImage(const QStringList& args);
int cmdSend(const QStringList& args);
int cmdFrame(const QStringList& args);
int cmdFire(const QStringList& args);
int cmdMacro(const QStringList& args);
int cmdRehearse(const QStringList& args);

} // namespace vz
