#include "program/program_history.h"

#include "base/unit_service.h"

#include <algorithm>

namespace vz {

namespace {

bool same(const SingleProgram& a, const SingleProgram& b) {
    return a.fire == b.fire && a.ch == b.ch;
}
bool same(const GroupProgram& a, const GroupProgram& b) {
    return a.fire == b.fire && a.ch == b.ch;
}
bool same(const SequenceProgram& a, const SequenceProgram& b) {
    return a.fire == b.fire && a.wait == b.wait && a.ch == b.ch && a.chk == b.chk;
}
bool same(const std::shared_ptr<const Macro>& a, const std::shared_ptr<const Macro>& b) {
    return a == b || *a == *b;
}

} // namespace

// --- labels ---

QString HistoryLabel::text() const {
    QString subject;
    if (kind >= MacroCall)
        subject =
            get_text(QStringLiteral("undo_macro")) + QLatin1Char(' ') + QString::number(number);
    else if (page == kPageSingle)
        subject =
            get_text(QStringLiteral("undo_single")) + QLatin1Char(' ') + QString::number(number);
    else if (page > kPageSingle && page < kProgramPages)
        subject = pageCode(page) + QLatin1Char(' ') + QString::number(number);

    // Language keys in the order of Kind.
    static const char* const kKeys[] = {
        "",
        "undo_fire",
        "undo_wait",
        "undo_forall_fire",
        "undo_forall_wait",
        "undo_inuse",
        "undo_channel",
        "undo_count",
        "undo_boxnr",
        "undo_macro_call",
        "undo_macro_pause",
        "undo_macro_delete",
        "undo_macro_active",
        "undo_macro_step",
    };
    static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == MacroStep + 1);
    if (kind <= None || kind > MacroStep)
        return QString();
    const QString format = get_text(QLatin1String(kKeys[kind]));
    // The count and the box number belong to the whole box: no subject.
    if (kind == ModuleCount || kind == BoxNumber)
        return format;
    // A text without its place holder still names the change.
    return format.contains(QLatin1String("%1")) ? format.arg(subject)
                                                : format + QLatin1Char(' ') + subject;
}

// --- states ---

ProgramState::ProgramState(const BoxProgram& program, const ProgramState* shareWith)
    : boxNr(program.boxNr), gasmodCount(program.gasmodCount), single(program.single),
      group(program.group), seq(program.seq) {
    for (int m = 0; m < kMacros; ++m) {
        const std::shared_ptr<const Macro>& shared = shareWith ? shareWith->macros[m] : nullptr;
        macros[m] = shared && *shared == program.macros[m]
                        ? shared
                        : std::make_shared<const Macro>(program.macros[m]);
    }
}

bool ProgramState::operator==(const ProgramState& o) const {
    if (boxNr != o.boxNr || gasmodCount != o.gasmodCount)
        return false;
    for (int i = 0; i < kModules; ++i)
        if (!same(single[i], o.single[i]))
            return false;
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 0; v < kGroupVariants; ++v)
            if (!same(group[k][v], o.group[k][v]))
                return false;
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 0; v < kSeqVariants; ++v)
            if (!same(seq[f][v], o.seq[f][v]))
                return false;
    for (int m = 0; m < kMacros; ++m)
        if (!same(macros[m], o.macros[m]))
            return false;
    return true;
}

void ProgramState::carry(BoxProgram& target, const ProgramState& from, const ProgramState& to) {
    if (from.boxNr != to.boxNr)
        target.boxNr = to.boxNr;
    if (from.gasmodCount != to.gasmodCount)
        target.gasmodCount = to.gasmodCount;
    for (int i = 0; i < kModules; ++i)
        if (!same(from.single[i], to.single[i]))
            target.single[i] = to.single[i];
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 0; v < kGroupVariants; ++v)
            if (!same(from.group[k][v], to.group[k][v]))
                target.group[k][v] = to.group[k][v];
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 0; v < kSeqVariants; ++v)
            if (!same(from.seq[f][v], to.seq[f][v]))
                target.seq[f][v] = to.seq[f][v];
    for (int m = 0; m < kMacros; ++m)
        if (!same(from.macros[m], to.macros[m]))
            target.macros[m] = *to.macros[m];
}

// --- history ---

ProgramHistory::ProgramHistory(int limit) : m_limit(std::max(1, limit)) {}

const ProgramState* ProgramHistory::lastState() const {
    return m_index > 0 ? &m_steps[m_index - 1].after : nullptr;
}

void ProgramHistory::record(const BoxProgram& before, const BoxProgram& after,
                            const HistoryLabel& label, bool mergeable) {
    if (m_index < count()) {
        m_steps.erase(m_steps.begin() + m_index, m_steps.end());
        if (m_clean > m_index)
            m_clean = -1; // the saved state was undone and is now overwritten
    }
    // Merging into the saved state's step would make that state unreachable.
    if (mergeable && m_mergeOpen && m_index > 0 && m_clean != m_index && m_steps.back().mergeable &&
        m_steps.back().label == label) {
        Step& top = m_steps.back();
        top.after = ProgramState(after, &top.after);
        if (top.after == top.before) {
            m_steps.pop_back();
            --m_index;
            m_mergeOpen = false;
        }
        return;
    }
    Step step;
    step.before = ProgramState(before, lastState());
    step.after = ProgramState(after, &step.before);
    step.label = label;
    step.mergeable = mergeable;
    m_steps.push_back(std::move(step));
    ++m_index;
    m_mergeOpen = true;
    while (count() > m_limit) {
        m_steps.pop_front();
        --m_index;
        if (m_clean >= 0)
            --m_clean; // -1 once the saved state is dropped
    }
}

HistoryLabel ProgramHistory::undoLabel() const {
    return canUndo() ? m_steps[m_index - 1].label : HistoryLabel();
}

HistoryLabel ProgramHistory::redoLabel() const {
    return canRedo() ? m_steps[m_index].label : HistoryLabel();
}

bool ProgramHistory::undo(BoxProgram& target) {
    if (!canUndo())
        return false;
    --m_index;
    const Step& step = m_steps[m_index];
    ProgramState::carry(target, step.after, step.before);
    m_mergeOpen = false;
    return true;
}

bool ProgramHistory::redo(BoxProgram& target) {
    if (!canRedo())
        return false;
    const Step& step = m_steps[m_index];
    ++m_index;
    ProgramState::carry(target, step.before, step.after);
    m_mergeOpen = false;
    return true;
}

void ProgramHistory::setClean() {
    m_clean = m_index;
    m_mergeOpen = false;
}

void ProgramHistory::clear(bool clean) {
    m_steps.clear();
    m_index = 0;
    m_clean = clean ? 0 : -1;
    m_mergeOpen = false;
}

} // namespace vz
