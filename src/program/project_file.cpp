#include "program/project_file.h"

#include "app/ini_file.h"
#include "program/program_document.h"

namespace vz {

namespace {

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

// Lays a new file out line by line, in the order the keys are added.
class Layout {
public:
    void section(const QString& name) {
        m_lines.append(QLatin1Char('[') + name + QLatin1Char(']'));
    }
    void key(const QString& key, int value) { m_lines.append(key + QLatin1Char('=') + num(value)); }
    void key(const QString& key, bool value) { this->key(key, value ? 1 : 0); }
    QStringList lines() const { return m_lines; }

private:
    QStringList m_lines;
};

// One section's keys, looked up as IniFile::readInt and readBool do.
class Section {
public:
    Section(const IniFile& ini, const QString& name) : m_values(ini.sectionValues(name)) {}
    int readInt(const QString& key, int def) const {
        const auto it = m_values.constFind(key.toCaseFolded());
        int value = 0;
        return it != m_values.cend() && IniFile::parseInt(*it, &value) ? value : def;
    }
    bool readBool(const QString& key, bool def) const { return readInt(key, def ? 1 : 0) != 0; }

private:
    QHash<QString, QString> m_values;
};

} // namespace

IniFile ProjectFile::toIni(const BoxProgram& p) {
    Layout out;
    out.section(kMisc);
    out.key(QStringLiteral("BoxNr"), p.boxNr);
    out.key(QStringLiteral("Count"), p.gasmodCount);
    out.key(QStringLiteral("ActiveTab"), p.activeTab);

    out.section(kSingle);
    for (int n = 1; n <= kModules; ++n) {
        out.key(QStringLiteral("mod") + num(n), p.singleAt(n).fire);
        out.key(QStringLiteral("ch") + num(n), p.singleAt(n).ch);
    }
    for (int k = 0; k < kGroupKinds; ++k) {
        out.section(groupCode(k));
        for (int v = 1; v <= kGroupVariants; ++v) {
            out.key(QStringLiteral("var") + num(v), p.groupAt(k, v).fire);
            out.key(QStringLiteral("ch") + num(v), p.groupAt(k, v).ch);
        }
    }
    for (int f = 0; f < kSeqFamilies; ++f) {
        out.section(seqSection(f));
        for (int v = 1; v <= kSeqVariants; ++v) {
            const SequenceProgram& s = p.seqAt(f, v);
            out.key(seqKey(v, "wait"), s.wait);
            out.key(seqKey(v, "fire"), s.fire);
            out.key(seqKey(v, "ch"), s.ch);
            out.key(seqKey(v, "chk"), s.chk);
        }
    }
    for (int m = 0; m < kMacros; ++m) {
        out.section(macroSection(m));
        const Macro& macro = p.macros[m];
        for (int k = 0; k < kMacroSlots; ++k) {
            out.key(QStringLiteral("type") + num(k), macro.steps[k].type);
            out.key(QStringLiteral("value") + num(k), macro.steps[k].value);
        }
        out.key(QStringLiteral("active"), macro.active);
    }

    IniFile ini;
    ini.setLines(out.lines());
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

void ProjectFile::read(const QString& path, ProgramDocument& document) {
    IniFile ini(path);
    ini.load(); // a missing or unreadable file reads as all defaults
    read(ini, document);
}

void ProjectFile::read(const IniFile& ini, ProgramDocument& document) {
    ProgramDocument& d = document;
    d.setPath(ini.path());

    // Missing list positions read as a new project's; positions outside their list are
    // refused by the document and the field keeps what it had.
    const Section misc(ini, kMisc);
    d.setBoxNr(misc.readInt(QStringLiteral("BoxNr"), 0));
    if (!d.applyModuleCountPosition(misc.readInt(QStringLiteral("Count"), kStartCountPosition)))
        d.applyModuleCountPosition(d.program().gasmodCount);

    const Section sgl(ini, kSingle);
    for (int n = 1; n <= kModules; ++n) {
        d.setSingleFire(n, sgl.readInt(QStringLiteral("mod") + num(n), kStartTime));
        d.setSingleChannel(n,
                           sgl.readInt(QStringLiteral("ch") + num(n), singleProgramNumber(n) - 1));
    }
    for (int k = 0; k < kGroupKinds; ++k) {
        const Section grp(ini, groupCode(k));
        for (int v = 1; v <= kGroupVariants; ++v) {
            d.setGroupFire(k, v, grp.readInt(QStringLiteral("var") + num(v), kStartTime));
            d.setGroupChannel(
                k, v, grp.readInt(QStringLiteral("ch") + num(v), groupProgramNumber(k, v) - 1));
        }
    }
    for (int f = 0; f < kSeqFamilies; ++f) {
        const Section seq(ini, seqSection(f));
        for (int v = 1; v <= kSeqVariants; ++v) {
            d.setSeqFire(f, v, seq.readInt(seqKey(v, "fire"), kStartTime));
            d.setSeqWait(f, v, seq.readInt(seqKey(v, "wait"), kStartTime));
            d.setSeqInUse(f, v, seq.readBool(seqKey(v, "chk"), false));
            d.setSeqChannel(f, v, seq.readInt(seqKey(v, "ch"), seqProgramNumber(f, v) - 1));
        }
    }
    for (int m = 0; m < kMacros; ++m) {
        const Section macro(ini, macroSection(m));
        for (int k = 0; k < kMacroSlots; ++k)
            d.setMacroSlot(m, k, macro.readInt(QStringLiteral("type") + num(k), -1),
                           macro.readInt(QStringLiteral("value") + num(k), -1));
        d.setMacroActive(m, macro.readBool(QStringLiteral("active"), false));
    }

    // 9 is what a project saved with the fire set-up page on show holds.
    const int tab = misc.readInt(QStringLiteral("ActiveTab"), 0);
    d.setActiveTab(tab >= 0 && tab < kProgramPages ? tab : 0);

    d.setModified(false);
}

} // namespace vz
