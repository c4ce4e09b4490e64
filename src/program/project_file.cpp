#include "program/project_file.h"

#include "base/ini_file.h"
#include "program/program_document.h"

#include <QFileInfo>

namespace vz {

namespace {

const QString kExtension = QStringLiteral(".kvx");
const QString kMisc = QStringLiteral("misc");
const QString kSingle = QStringLiteral("sgl");

QString num(int n) {
    return QString::number(n);
}
QString seqSection(int f) {
    return QStringLiteral("seq") + seqCode(f);
}
QString macroSection(int m) {
    return QStringLiteral("macro") + num(m);
}
QString seqKey(int v, const char* field) {
    return QStringLiteral("var") + num(v) + QLatin1String(field);
}

// A full project is about 60 KB; anything this large is no project and would only tie up
// memory while it is read.
constexpr qint64 kMaxProjectBytes = 64 * 1024 * 1024;

bool hasProjectSection(const IniFile& ini) {
    QStringList sections = {kMisc, kSingle};
    for (int k = 0; k < kGroupKinds; ++k)
        sections << groupCode(k);
    for (int f = 0; f < kSeqFamilies; ++f)
        sections << seqSection(f);
    for (int m = 0; m < kMacros; ++m)
        sections << macroSection(m);
    for (const QString& section : std::as_const(sections))
        if (ini.hasSection(section))
            return true;
    return false;
}

} // namespace

QString projectValueProblemsMessage(const QString& path, const ProjectValueProblems& problems,
                                    const TextLookup& text) {
    if (problems.isEmpty())
        return QString();
    const QString nl = QStringLiteral("\n\r");
    QString message = text(QStringLiteral("msg_read_values")).arg(path) + nl;
    // A box taller than the screen would hide its own OK button.
    constexpr int kListed = 20;
    for (int i = 0; i < problems.size() && i < kListed; ++i) {
        const ProjectValueProblem& p = problems[i];
        message += nl + text(QStringLiteral("read_value_problem"))
                            .arg(p.section, p.key, p.value, QString::number(p.usedInstead));
    }
    if (problems.size() > kListed)
        message += nl + text(QStringLiteral("read_values_more")).arg(problems.size() - kListed);
    return message;
}

bool hasProjectExtension(const QString& path) {
    return path.endsWith(kExtension, Qt::CaseInsensitive);
}

QString withProjectExtension(const QString& path) {
    return hasProjectExtension(path) ? path : path + kExtension;
}

QString projectReadReason(ProjectReadStatus status) {
    switch (status) {
    case ProjectReadStatus::Read:
        return QString();
    case ProjectReadStatus::Missing:
        return QStringLiteral("the file does not exist");
    case ProjectReadStatus::Folder:
        return QStringLiteral("it is a folder");
    case ProjectReadStatus::NoPermission:
        return QStringLiteral("no permission to read it");
    case ProjectReadStatus::IoError:
        return QStringLiteral("it could not be read (I/O error)");
    case ProjectReadStatus::NotAProject:
        return QStringLiteral("it is no project file");
    }
    return QString();
}

IniFile ProjectFile::toIni(const BoxProgram& p) {
    IniFile ini;
    ini.writeInt(kMisc, QStringLiteral("BoxNr"), p.boxNr);
    ini.writeInt(kMisc, QStringLiteral("Count"), p.gasmodCount);
    ini.writeInt(kMisc, QStringLiteral("ActiveTab"), p.activeTab);

    for (int n = 1; n <= kModules; ++n) {
        ini.writeInt(kSingle, QStringLiteral("mod") + num(n), p.singleAt(n).fire);
        ini.writeInt(kSingle, QStringLiteral("ch") + num(n), p.singleAt(n).ch);
    }
    for (int k = 0; k < kGroupKinds; ++k) {
        const QString section = groupCode(k);
        for (int v = 1; v <= kGroupVariants; ++v) {
            ini.writeInt(section, QStringLiteral("var") + num(v), p.groupAt(k, v).fire);
            ini.writeInt(section, QStringLiteral("ch") + num(v), p.groupAt(k, v).ch);
        }
    }
    for (int f = 0; f < kSeqFamilies; ++f) {
        const QString section = seqSection(f);
        for (int v = 1; v <= kSeqVariants; ++v) {
            const SequenceProgram& s = p.seqAt(f, v);
            ini.writeInt(section, seqKey(v, "wait"), s.wait);
            ini.writeInt(section, seqKey(v, "fire"), s.fire);
            ini.writeInt(section, seqKey(v, "ch"), s.ch);
            ini.writeBool(section, seqKey(v, "chk"), s.chk);
        }
    }
    for (int m = 0; m < kMacros; ++m) {
        const QString section = macroSection(m);
        const Macro& macro = p.macros[m];
        for (int k = 0; k < kMacroSlots; ++k) {
            ini.writeInt(section, QStringLiteral("type") + num(k), macro.steps[k].type);
            ini.writeInt(section, QStringLiteral("value") + num(k), macro.steps[k].value);
        }
        ini.writeBool(section, QStringLiteral("active"), macro.active);
    }
    return ini;
}

bool ProjectFile::write(const QString& path, const BoxProgram& program, QString* errorText) {
    IniFile ini = toIni(program);
    ini.setPath(path);
    // A complete new file replaces the old one only once it is fully written, so a failed
    // save never costs the previous project.
    if (ini.save())
        return true;
    if (errorText)
        *errorText = QStringLiteral("cannot write %1").arg(path);
    return false;
}

ProjectReadStatus ProjectFile::load(const QString& path, IniFile* ini) {
    const QFileInfo info(path);
    if (!info.exists())
        return ProjectReadStatus::Missing;
    if (info.isDir())
        return ProjectReadStatus::Folder;
    // A FIFO would hold the open until someone writes to it, a device would be read without
    // end, a socket cannot be read at all.
    if (!info.isFile())
        return ProjectReadStatus::NotAProject;
    if (!info.isReadable())
        return ProjectReadStatus::NoPermission;
    if (info.size() > kMaxProjectBytes)
        return ProjectReadStatus::NotAProject;
    ini->setPath(path);
    if (!ini->load())
        return ProjectReadStatus::IoError;
    // An empty file, random bytes or some other INI file: opened, it would show as a default
    // project, and the next save would replace the file with one.
    if (!hasProjectSection(*ini))
        return ProjectReadStatus::NotAProject;
    return ProjectReadStatus::Read;
}

ProjectReadStatus ProjectFile::read(const QString& path, ProgramDocument& document,
                                    ProjectValueProblems* problems) {
    IniFile ini;
    const ProjectReadStatus status = load(path, &ini);
    if (status == ProjectReadStatus::Read)
        read(ini, document, problems);
    return status;
}

void ProjectFile::read(const IniFile& ini, ProgramDocument& document,
                       ProjectValueProblems* problems) {
    ProgramDocument& d = document;
    // The project read is a new start, not a step the operator could undo.
    const ProgramDocument::Replacement replacing(d);
    d.setPath(ini.path());

    // What the file holds, or a new project's value: refused by the rules, a value out of
    // range would leave the field with what the project open before had there.
    const auto value = [&](const QString& section, const QString& key, int fresh, int min,
                           int max) {
        const int v = ini.readInt(section, key, fresh);
        if (v >= min && v <= max)
            return v;
        if (problems)
            problems->append({section, key, ini.readString(section, key), fresh});
        return fresh;
    };
    const auto time = [&](const QString& section, const QString& key) {
        return value(section, key, kStartTime, kFireMin, kFireMax);
    };
    const auto channel = [&](const QString& section, const QString& key, int programNumber) {
        return value(section, key, programNumber - 1, 0, kChannels - 1);
    };

    const int listed = problems ? int(problems->size()) : 0;
    d.setBoxNr(value(kMisc, QStringLiteral("BoxNr"), 0, 0, d.maxBox() - 1));
    // Box mode 0 derives the box number from the count: what the file holds there is no
    // value the operator would miss.
    if (problems && d.boxMode() != 1)
        problems->resize(listed);
    d.applyModuleCountPosition(
        value(kMisc, QStringLiteral("Count"), kStartCountPosition, 0, kModules - 1));

    for (int n = 1; n <= kModules; ++n) {
        d.setSingleFire(n, time(kSingle, QStringLiteral("mod") + num(n)));
        d.setSingleChannel(n,
                           channel(kSingle, QStringLiteral("ch") + num(n), singleProgramNumber(n)));
    }
    for (int k = 0; k < kGroupKinds; ++k) {
        const QString section = groupCode(k);
        for (int v = 1; v <= kGroupVariants; ++v) {
            d.setGroupFire(k, v, time(section, QStringLiteral("var") + num(v)));
            d.setGroupChannel(
                k, v, channel(section, QStringLiteral("ch") + num(v), groupProgramNumber(k, v)));
        }
    }
    for (int f = 0; f < kSeqFamilies; ++f) {
        const QString section = seqSection(f);
        for (int v = 1; v <= kSeqVariants; ++v) {
            d.setSeqFire(f, v, time(section, seqKey(v, "fire")));
            d.setSeqWait(f, v, value(section, seqKey(v, "wait"), kStartTime, kWaitMin, kWaitMax));
            d.setSeqInUse(f, v, ini.readBool(section, seqKey(v, "chk"), false));
            d.setSeqChannel(f, v, channel(section, seqKey(v, "ch"), seqProgramNumber(f, v)));
        }
    }
    for (int m = 0; m < kMacros; ++m) {
        const QString section = macroSection(m);
        for (int k = 0; k < kMacroSlots; ++k)
            d.setMacroSlot(m, k, ini.readInt(section, QStringLiteral("type") + num(k), -1),
                           ini.readInt(section, QStringLiteral("value") + num(k), -1));
        d.setMacroActive(m, ini.readBool(section, QStringLiteral("active"), false));
    }

    // kProgramPages (9) is what a project saved with the fire set-up page on show holds: no
    // value the operator would miss.
    const QString tabKey = QStringLiteral("ActiveTab");
    d.setActiveTab(ini.readInt(kMisc, tabKey, 0) == kProgramPages
                       ? 0
                       : value(kMisc, tabKey, 0, 0, kProgramPages - 1));

    d.setModified(false);
}

} // namespace vz
