#pragma once

#include "program/box_program.h"

#include <QString>

#include <array>
#include <deque>
#include <memory>

namespace vz {

// What a step of the history changed, as the Edit menu names it ("fire time, single 3").
struct HistoryLabel {
    enum Kind {
        None,
        Fire,        // time up-down of a program
        Wait,        // wait up-down of a sequence
        ForAllFire,  // for all, from the program named
        ForAllWait,  //
        InUse,       // check box of a sequence variant
        Channel,     // channel list of a program
        ModuleCount, //
        BoxNumber,   //
        MacroCall,   // macro editor, macro named by number 1..10
        MacroPause,  //
        MacroDelete, //
        MacroActive, //
        MacroStep,   // a raw step, as a file holds it
    };
    Kind kind = None;
    int page = -1;  // program page 0..8 of the program, -1 for none
    int number = 0; // module, variant or macro number as the operator counts it

    bool operator==(const HistoryLabel& o) const {
        return kind == o.kind && page == o.page && number == o.number;
    }
    // The label in the loaded language: "fire time, single 3", "add call, macro 2".
    QString text() const;
};

// The record as a step keeps it. The macros take 16 KB of the 17 a record needs; states
// that hold a macro unchanged share one copy of it, so a step costs under 2 KB unless it
// changes a macro.
struct ProgramState {
    ProgramState() = default;
    // Takes over the macros of shareWith (when given) that equal the program's.
    ProgramState(const BoxProgram& program, const ProgramState* shareWith);

    // Writes into target each part of the record in which from and to differ, as it stands
    // in to: an undo or redo changes only what its step changed.
    static void carry(BoxProgram& target, const ProgramState& from, const ProgramState& to);
    bool operator==(const ProgramState& o) const;

    int boxNr = 0;
    int gasmodCount = 0;
    std::array<SingleProgram, kModules> single{};
    std::array<std::array<GroupProgram, kGroupVariants>, kGroupKinds> group{};
    std::array<std::array<SequenceProgram, kSeqVariants>, kSeqFamilies> seq{};
    std::array<std::shared_ptr<const Macro>, kMacros> macros{};
};

// Undo history of the box program: the steps done (up to the index) and those undone after
// it, and which state is the saved one (the clean index).
class ProgramHistory {
public:
    static constexpr int kDefaultLimit = 1000;

    explicit ProgramHistory(int limit = kDefaultLimit);

    // Records the change from before to after (which must differ). Redo steps are dropped.
    // A mergeable change with the label of the step recorded last extends that step, while
    // no undo, redo or save came in between; a step merged back to its start goes away.
    void record(const BoxProgram& before, const BoxProgram& after, const HistoryLabel& label,
                bool mergeable);

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < int(m_steps.size()); }
    HistoryLabel undoLabel() const;
    HistoryLabel redoLabel() const;
    // Apply the step to target; false (target untouched) when there is none.
    bool undo(BoxProgram& target);
    bool redo(BoxProgram& target);

    int count() const { return int(m_steps.size()); }
    int index() const { return m_index; }
    int limit() const { return m_limit; }
    // -1 when no state the history can reach is the saved one.
    int cleanIndex() const { return m_clean; }
    bool isClean() const { return m_clean == m_index; }
    void setClean();
    // Empties the history; the state now is the saved one when clean.
    void clear(bool clean);

private:
    struct Step {
        ProgramState before;
        ProgramState after;
        HistoryLabel label;
        bool mergeable = false;
    };
    const ProgramState* lastState() const;

    std::deque<Step> m_steps;
    int m_index = 0;
    int m_clean = 0;
    int m_limit;
    bool m_mergeOpen = false;
};

} // namespace vz
