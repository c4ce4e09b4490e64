#include "program/program_document.h"

#include "base/unit_service.h"

#include <algorithm>

namespace vz {

namespace {

bool validModule(int n) {
    return n >= 1 && n <= kModules;
}
bool validGroup(int k, int v) {
    return k >= 0 && k < kGroupKinds && v >= 1 && v <= kGroupVariants;
}
bool validSeq(int f, int v) {
    return f >= 0 && f < kSeqFamilies && v >= 1 && v <= kSeqVariants;
}
bool validChannel(int position) {
    return position >= 0 && position < kChannels;
}
bool validFire(int value) {
    return value >= kFireMin && value <= kFireMax;
}
bool validWait(int value) {
    return value >= kWaitMin && value <= kWaitMax;
}

const QString kLineBreak = QStringLiteral("\n\r");

QString readFailedReasonKey(ProjectReadStatus status) {
    switch (status) {
    case ProjectReadStatus::Missing:
        return QStringLiteral("msg_erroropen_missing");
    case ProjectReadStatus::Folder:
        return QStringLiteral("msg_erroropen_folder");
    case ProjectReadStatus::NoPermission:
        return QStringLiteral("msg_erroropen_permission");
    case ProjectReadStatus::IoError:
        return QStringLiteral("msg_erroropen_io");
    case ProjectReadStatus::NotAProject:
    case ProjectReadStatus::Read:
        break;
    }
    return QStringLiteral("msg_erroropen_noproject");
}

} // namespace

// One edit from outside: the record before it is kept, and when the outermost scope ends the
// change is recorded as one step.
class ProgramDocument::EditScope {
public:
    EditScope(ProgramDocument& d, HistoryLabel::Kind kind, int page, int number,
              bool mergeable = false)
        : m_d(d) {
        if (m_d.m_editDepth++ > 0 || m_d.m_replacing > 0)
            return;
        m_d.m_editBefore = m_d.m_program;
        m_d.m_editLabel = HistoryLabel{kind, page, number};
        m_d.m_editMergeable = mergeable;
    }
    ~EditScope() {
        if (--m_d.m_editDepth == 0)
            m_d.endEdit();
    }
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

private:
    ProgramDocument& m_d;
};

ProgramDocument::ProgramDocument(QObject* parent)
    : QObject(parent), m_texts([](const QString& key) { return get_text(key); }) {}

void ProgramDocument::endEdit() {
    if (m_replacing > 0)
        return;
    // The page on show is no edit.
    m_editBefore.activeTab = m_program.activeTab;
    if (m_editBefore == m_program)
        return;
    m_history.record(m_editBefore, m_program, m_editLabel, m_editMergeable);
    emit historyChanged();
}

ProgramDocument::Replacement::Replacement(ProgramDocument& document) : m_document(document) {
    if (m_document.m_replacing++ == 0)
        emit m_document.replacing();
}

ProgramDocument::Replacement::~Replacement() {
    if (--m_document.m_replacing == 0)
        m_document.endReplacement();
}

void ProgramDocument::endReplacement() {
    m_history.clear(!m_modified);
    emit historyChanged();
}

void ProgramDocument::setBoxMode(int boxMode) {
    m_boxMode = boxMode == 1 ? 1 : 0; // only 1 is the list mode
}

void ProgramDocument::setMaxBox(int maxBox) {
    m_maxBox = std::clamp(maxBox, 1, 255);
}

void ProgramDocument::setRk40Active(bool active) {
    m_rk40Active = active;
}

void ProgramDocument::markModified() {
    setModified(true);
}

// --- rule 1 ---

bool ProgramDocument::setSingleFire(int n, int value) {
    if (!validModule(n))
        return false;
    const EditScope edit(*this, HistoryLabel::Fire, kPageSingle, n, true);
    if (m_program.singleAt(n).fire == value)
        return true;
    return setSingleFireRule(n, value);
}

bool ProgramDocument::setSingleFireRule(int n, int value) {
    const bool accepted = validFire(value);
    if (accepted) {
        m_program.singleAt(n).fire = value;
        emit singleChanged(n);
        // The last shown module and every hidden one carry their time on to the modules
        // after them, so a count raised later shows sensible times.
        if (n >= m_program.moduleCount() && n < kModules)
            setSingleFire(n + 1, value);
    }
    markModified();
    return accepted;
}

// --- rule 2 ---

bool ProgramDocument::setGroupFire(int k, int v, int value) {
    if (!validGroup(k, v))
        return false;
    const EditScope edit(*this, HistoryLabel::Fire, k + 1, v, true);
    return setTimeField(m_program.groupAt(k, v).fire, value, validFire(value),
                        &ProgramDocument::groupChanged, k, v);
}

// --- rule 3 ---

bool ProgramDocument::setSeqFire(int f, int v, int value) {
    if (!validSeq(f, v))
        return false;
    const EditScope edit(*this, HistoryLabel::Fire, f + 4, v, true);
    return setTimeField(m_program.seqAt(f, v).fire, value, validFire(value),
                        &ProgramDocument::seqChanged, f, v);
}

bool ProgramDocument::setSeqWait(int f, int v, int value) {
    if (!validSeq(f, v))
        return false;
    const EditScope edit(*this, HistoryLabel::Wait, f + 4, v, true);
    return setTimeField(m_program.seqAt(f, v).wait, value, validWait(value),
                        &ProgramDocument::seqChanged, f, v);
}

// --- rule 5 ---

void ProgramDocument::forAllSingle(int sourceN) {
    if (!validModule(sourceN))
        return;
    const EditScope edit(*this, HistoryLabel::ForAllFire, kPageSingle, sourceN);
    const int value = m_program.singleAt(sourceN).fire;
    for (int n = 1; n <= kModules; ++n)
        if (n != sourceN)
            setSingleFire(n, value);
}

void ProgramDocument::forAllGroup(int k, int sourceV) {
    if (!validGroup(k, sourceV))
        return;
    const EditScope edit(*this, HistoryLabel::ForAllFire, k + 1, sourceV);
    const int value = m_program.groupAt(k, sourceV).fire;
    for (int v = 1; v <= kGroupVariants; ++v)
        if (v != sourceV)
            setGroupFire(k, v, value);
}

void ProgramDocument::forAllSeq(int f, int sourceTag) {
    const bool wait = sourceTag > 10;
    const int source = wait ? sourceTag - 10 : sourceTag;
    if (!validSeq(f, source))
        return;
    const EditScope edit(*this, wait ? HistoryLabel::ForAllWait : HistoryLabel::ForAllFire, f + 4,
                         source);
    const SequenceProgram& s = m_program.seqAt(f, source);
    const int value = wait ? s.wait : s.fire;
    // Variants not in use are set like the others.
    for (int v = 1; v <= kSeqVariants; ++v) {
        if (v == source)
            continue;
        if (wait)
            setSeqWait(f, v, value);
        else
            setSeqFire(f, v, value);
    }
}

// --- rule 6 ---

void ProgramDocument::setSeqInUse(int f, int v, bool inUse) {
    if (!validSeq(f, v))
        return;
    const EditScope edit(*this, HistoryLabel::InUse, f + 4, v);
    SequenceProgram& s = m_program.seqAt(f, v);
    if (s.chk == inUse)
        return;
    s.chk = inUse;
    emit seqChanged(f, v);
    markModified();
}

// --- rule 7 ---

bool ProgramDocument::setModuleCountPosition(int position) {
    if (position < 0 || position >= kModules)
        return false;
    if (position == m_program.gasmodCount)
        return true;
    const EditScope edit(*this, HistoryLabel::ModuleCount, -1, 0);
    return applyModuleCountPosition(position);
}

bool ProgramDocument::applyModuleCountPosition(int position) {
    if (position < 0 || position >= kModules)
        return false;
    const EditScope edit(*this, HistoryLabel::ModuleCount, -1, 0);
    const int oldCount = m_program.moduleCount();
    m_program.gasmodCount = position;
    runCountRule(oldCount);
    return true;
}

void ProgramDocument::runCountRule(int oldCount) {
    // Modules that were hidden before the change take the time of the last module that was
    // shown before it; those that were shown keep their own, also when they go out of view.
    int last = m_program.singleAt(1).fire;
    for (int n = 1; n <= kModules; ++n) {
        if (n > oldCount)
            setSingleFire(n, last);
        else
            last = m_program.singleAt(n).fire;
    }
    markModified();
    emit moduleCountChanged(oldCount, m_program.moduleCount());
    applyBoxMode();
}

void ProgramDocument::applyBoxMode() {
    if (m_boxMode != 0 || m_rk40Active)
        return;
    // The fixed number stands even where the box list is too short to hold it: the box
    // record and the saved file must carry the box the modules are actually set to.
    const int position = m_program.moduleCount() + 29;
    if (m_program.boxNr == position)
        return;
    m_program.boxNr = position;
    emit boxNrChanged(position);
}

// --- rule 8 ---

bool ProgramDocument::setBoxNr(int position) {
    if (position < 0 || position >= m_maxBox)
        return false;
    const EditScope edit(*this, HistoryLabel::BoxNumber, -1, 0);
    if (m_program.boxNr == position)
        return true;
    m_program.boxNr = position;
    emit boxNrChanged(position);
    markModified();
    return true;
}

bool ProgramDocument::setSingleChannel(int n, int position) {
    if (!validModule(n))
        return false;
    return setChannelField(m_program.singleAt(n).ch, kPageSingle, n, position);
}

bool ProgramDocument::setGroupChannel(int k, int v, int position) {
    if (!validGroup(k, v))
        return false;
    return setChannelField(m_program.groupAt(k, v).ch, k + 1, v, position);
}

bool ProgramDocument::setSeqChannel(int f, int v, int position) {
    if (!validSeq(f, v))
        return false;
    return setChannelField(m_program.seqAt(f, v).ch, f + 4, v, position);
}

bool ProgramDocument::setChannel(int page, int number, int position) {
    if (page == kPageSingle)
        return setSingleChannel(number, position);
    if (page >= 1 && page <= 3)
        return setGroupChannel(page - 1, number, position);
    if (page >= 4 && page < kProgramPages)
        return setSeqChannel(page - 4, number, position);
    return false;
}

// A time on a page: the same value is no edit; one out of range is refused, and the project
// counts as modified all the same.
bool ProgramDocument::setTimeField(int& field, int value, bool inRange,
                                   void (ProgramDocument::*changed)(int, int), int a, int b) {
    if (field == value)
        return true;
    if (inRange) {
        field = value;
        (this->*changed)(a, b); // the signal
    }
    markModified();
    return inRange;
}

bool ProgramDocument::setChannelField(int& field, int page, int number, int position) {
    if (!validChannel(position))
        return false;
    if (field == position)
        return true;
    const EditScope edit(*this, HistoryLabel::Channel, page, number);
    field = position;
    emit channelChanged(page, number);
    markModified();
    return true;
}

// --- macros ---

void ProgramDocument::setMacroActive(int index, bool active) {
    if (index < 0 || index >= kMacros)
        return;
    Macro& m = m_program.macros[index];
    if (m.active == active)
        return;
    const EditScope edit(*this, HistoryLabel::MacroActive, -1, index + 1);
    m.active = active;
    emit macrosChanged(index);
    markModified();
}

bool ProgramDocument::appendMacroStep(int index, int type, int value) {
    if (index < 0 || index >= kMacros || type < 0)
        return false;
    Macro& m = m_program.macros[index];
    const int n = m.stepCount();
    // The last slot stays an end mark.
    if (n >= kMacroMaxSteps)
        return false;
    const EditScope edit(*this,
                         type == MacroPause ? HistoryLabel::MacroPause : HistoryLabel::MacroCall,
                         -1, index + 1);
    m.steps[n] = MacroStep{type, value};
    emit macrosChanged(index);
    markModified();
    return true;
}

bool ProgramDocument::removeLastMacroStep(int index) {
    if (index < 0 || index >= kMacros)
        return false;
    Macro& m = m_program.macros[index];
    const int n = m.stepCount();
    if (n == 0)
        return false;
    const EditScope edit(*this, HistoryLabel::MacroDelete, -1, index + 1);
    m.steps[n - 1] = MacroStep{};
    emit macrosChanged(index);
    markModified();
    return true;
}

void ProgramDocument::setMacroSlot(int index, int slot, int type, int value) {
    if (index < 0 || index >= kMacros || slot < 0 || slot >= kMacroSlots)
        return;
    Macro& m = m_program.macros[index];
    const MacroStep step{type, value};
    if (m.steps[slot] == step)
        return;
    const EditScope edit(*this, HistoryLabel::MacroStep, -1, index + 1);
    m.steps[slot] = step;
    emit macrosChanged(index);
    markModified();
}

// --- page on show ---

void ProgramDocument::setActiveTab(int page) {
    if (page < 0 || page >= kProgramPages || page == m_program.activeTab)
        return;
    m_program.activeTab = page;
    emit activeTabChanged(page);
}

// --- project state ---

void ProgramDocument::setModified(bool modified) {
    if (!modified)
        m_history.setClean(); // saved or read: this state is the one on disk
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void ProgramDocument::setPath(const QString& path) {
    if (m_path == path)
        return;
    m_path = path;
    emit pathChanged(path);
}

// --- the project file ---

void ProgramDocument::setTexts(TextLookup texts) {
    m_texts = std::move(texts);
}

void ProgramDocument::setReadCheck(std::function<QString(const BoxProgram&)> check) {
    m_readCheck = std::move(check);
}

ProjectReadStatus ProgramDocument::open(const QString& path) {
    ProjectValueProblems valueProblems;
    const ProjectReadStatus status = ProjectFile::read(path, *this, &valueProblems);
    if (status != ProjectReadStatus::Read) {
        emit readFailed(m_texts(QStringLiteral("msg_erroropen")) + kLineBreak + path + kLineBreak +
                        m_texts(readFailedReasonKey(status)));
        return status;
    }
    emit opened(path);
    QStringList problems{projectValueProblemsMessage(path, valueProblems, m_texts),
                         m_readCheck ? m_readCheck(m_program) : QString()};
    problems.removeAll(QString());
    if (!problems.isEmpty())
        emit readProblems(problems.join(kLineBreak + kLineBreak));
    return status;
}

bool ProgramDocument::save() {
    if (!ProjectFile::write(m_path, m_program)) {
        emit saveFailed(m_texts(QStringLiteral("msg_errorsave")));
        return false;
    }
    setModified(false);
    return true;
}

void ProgramDocument::resetToNew() {
    const Replacement replacing(*this);
    setPath(QString());
    applyModuleCountPosition(kStartCountPosition);
    if (m_boxMode != 0)
        setBoxNr(0);
    for (int n = 1; n <= kModules; ++n) {
        setSingleFire(n, kStartTime);
        setSingleChannel(n, singleProgramNumber(n) - 1);
    }
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v) {
            setGroupFire(k, v, kStartTime);
            setGroupChannel(k, v, groupProgramNumber(k, v) - 1);
        }
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v) {
            setSeqFire(f, v, kStartTime);
            setSeqWait(f, v, kStartTime);
            setSeqChannel(f, v, seqProgramNumber(f, v) - 1);
            setSeqInUse(f, v, true);
        }
}

// --- undo history ---

bool ProgramDocument::undo() {
    if (m_editDepth > 0 || m_replacing > 0 || !m_history.canUndo())
        return false;
    BoxProgram target = m_program;
    m_history.undo(target);
    showProgram(target);
    return true;
}

bool ProgramDocument::redo() {
    if (m_editDepth > 0 || m_replacing > 0 || !m_history.canRedo())
        return false;
    BoxProgram target = m_program;
    m_history.redo(target);
    showProgram(target);
    return true;
}

void ProgramDocument::showProgram(const BoxProgram& target) {
    const BoxProgram old = m_program;
    m_program = target;
    // The rules already ran when the step was made: the record only takes its fields back,
    // and the views hear of each one that changed, the count first.
    if (old.gasmodCount != target.gasmodCount)
        emit moduleCountChanged(old.moduleCount(), target.moduleCount());
    if (old.boxNr != target.boxNr)
        emit boxNrChanged(target.boxNr);
    for (int n = 1; n <= kModules; ++n) {
        if (old.singleAt(n).fire != target.singleAt(n).fire)
            emit singleChanged(n);
        if (old.singleAt(n).ch != target.singleAt(n).ch)
            emit channelChanged(kPageSingle, n);
    }
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v) {
            if (old.groupAt(k, v).fire != target.groupAt(k, v).fire)
                emit groupChanged(k, v);
            if (old.groupAt(k, v).ch != target.groupAt(k, v).ch)
                emit channelChanged(k + 1, v);
        }
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v) {
            const SequenceProgram& a = old.seqAt(f, v);
            const SequenceProgram& b = target.seqAt(f, v);
            if (a.fire != b.fire || a.wait != b.wait || a.chk != b.chk)
                emit seqChanged(f, v);
            if (a.ch != b.ch)
                emit channelChanged(f + 4, v);
        }
    for (int m = 0; m < kMacros; ++m)
        if (!(old.macros[m] == target.macros[m]))
            emit macrosChanged(m);
    // A step recorded in box mode 1 may have set a box number that box mode 0 derives.
    applyBoxMode();
    setModified(!m_history.isClean());
    emit historyChanged();
}

} // namespace vz
