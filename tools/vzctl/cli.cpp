#include "cli.h"

#include "program/program_document.h"
#include "program/project_file.h"
#include "transfer/transfer_image.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace vz {

void printOut(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void printErr(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

CommandLine::CommandLine(const QString& command, const QString& synopsis,
                         const QString& description)
    : m_command(command) {
    m_parser.setApplicationDescription(QStringLiteral("vzctl %1\n\n%2").arg(synopsis, description));
    m_parser.addHelpOption();
    m_parser.addOption({QStringLiteral("program-dir"),
                        QStringLiteral("Program folder (default: the folder of vzctl); its "
                                       "ports/ links and settings.ini are used when it is "
                                       "writable, else those of the data folder."),
                        QStringLiteral("DIR")});
}

void CommandLine::addPositional(const QString& name, const QString& description) {
    m_parser.addPositionalArgument(name, description);
}

bool CommandLine::parse(const QStringList& arguments, int* exitCode) {
    if (!m_parser.parse(QStringList{QStringLiteral("vzctl ") + m_command} + arguments)) {
        *exitCode = usageError(m_parser.errorText());
        return false;
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        printOut(m_parser.helpText());
        *exitCode = ExitOk;
        return false;
    }
    return true;
}

int CommandLine::usageError(const QString& text) const {
    printErr(QStringLiteral("vzctl %1: %2").arg(m_command, text));
    printErr(QStringLiteral("Try 'vzctl %1 --help'.").arg(m_command));
    return ExitError;
}

QString CommandLine::programDir() const {
    const QString dir = m_parser.value(QStringLiteral("program-dir"));
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

bool CommandLine::intArgument(const QString& text, const QString& what, int min, int max,
                              int* value, int* exitCode) const {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < min || v > max) {
        *exitCode = usageError(QStringLiteral("%1 must be a number from %2 to %3, not '%4'")
                                   .arg(what)
                                   .arg(min)
                                   .arg(max)
                                   .arg(text));
        return false;
    }
    *value = v;
    return true;
}

bool CommandLine::intOption(const QString& name, int min, int max, int* value,
                            int* exitCode) const {
    if (!m_parser.isSet(name))
        return true;
    return intArgument(m_parser.value(name), QStringLiteral("--") + name, min, max, value,
                       exitCode);
}

void CommandLine::addProjectArguments(const QString& uses) {
    addPositional(QStringLiteral("FILE.kvx"), QStringLiteral("Project file."));
    m_parser.addOption(
        {QStringLiteral("settings"),
         QStringLiteral("Settings file for %1 (default: settings.ini in the program "
                        "folder).")
             .arg(uses.isEmpty() ? QStringLiteral("box mode, box list and language") : uses),
         QStringLiteral("FILE")});
}

bool CommandLine::loadProject(const QString& path, LoadedProject* out) const {
    return vz::loadProject(path, m_parser.value(QStringLiteral("settings")), dataFolder(), out);
}

void addMacroArguments(CommandLine& cl, const QString& uses) {
    cl.addProjectArguments(uses);
    cl.addPositional(QStringLiteral("N"), QStringLiteral("Macro number, 1..10."));
    cl.parser().addOption({QStringLiteral("json"), QStringLiteral("One JSON object.")});
}

int parseMacroArguments(CommandLine& cl, const QStringList& args, LoadedProject* project,
                        int* number) {
    int code = ExitOk;
    if (!cl.parse(args, &code))
        return code;
    const QStringList pos = cl.parser().positionalArguments();
    if (pos.size() != 2)
        return cl.usageError(QStringLiteral("expected a project file and a macro number"));
    if (!cl.intArgument(pos[1], QStringLiteral("macro number"), 1, vz::kMacros, number, &code))
        return code;
    if (!cl.loadProject(pos[0], project))
        return ExitError;
    return -1;
}

QString projectReadError(const QString& path, vz::ProjectReadStatus status) {
    return QStringLiteral("vzctl: cannot read project file '%1': %2")
        .arg(path, vz::projectReadReason(status));
}

bool loadSettings(const QString& path, Settings* out) {
    const SettingsFile::LoadResult loaded = SettingsFile::load(path);
    if (!loaded.refused.isEmpty()) {
        printErr(QStringLiteral("vzctl: settings file '%1' holds values outside their range: %2")
                     .arg(path, loaded.refused.join(QStringLiteral(", "))));
        return false;
    }
    *out = loaded.settings;
    return true;
}

bool loadProject(const QString& projectPath, const QString& settingsPath, const DataFolder& folder,
                 LoadedProject* out) {
    QString settings = settingsPath;
    if (settings.isEmpty()) {
        settings = folder.settingsPath();
    } else if (!QFileInfo(settings).isFile()) {
        printErr(QStringLiteral("vzctl: cannot read settings file '%1'").arg(settings));
        return false;
    }
    if (!loadSettings(settings, &out->settings))
        return false;

    // The language as the program takes it: the chosen one, else English, else none (keys).
    out->texts = std::make_unique<LanguageTable>();
    if (!out->texts->loadFile(folder.languageFile(out->settings.language))) {
        if (out->texts->loadFile(folder.languageFile(QStringLiteral("english"))))
            printErr(QStringLiteral("vzctl: language %1 not found, using english")
                         .arg(out->settings.language));
        else
            printErr(QStringLiteral("vzctl: no language file in %1/language; texts show their "
                                    "keys")
                         .arg(folder.programDir()));
    }

    vz::ProgramDocument document;
    document.setMaxBox(out->settings.maxbox);
    document.setBoxMode(out->settings.newBoxmode);
    document.setTexts(out->texts->lookup());
    // The window's message on reading, as a warning: the project goes on as read.
    QObject::connect(&document, &vz::ProgramDocument::readProblems, [](QString message) {
        printErr(QStringLiteral("vzctl: ") +
                 message.replace(QStringLiteral("\n\r"), QStringLiteral("\n")));
    });
    const vz::ProjectReadStatus status = document.open(projectPath);
    if (status != vz::ProjectReadStatus::Read) {
        printErr(projectReadError(projectPath, status));
        return false;
    }
    out->program = document.program();
    return true;
}

QString duplicateMessageFor(const LoadedProject& project) {
    QString message =
        vz::duplicateChannelMessage(project.program, vz::CheckTexts::fromTable(*project.texts));
    return message.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
}

} // namespace vz
