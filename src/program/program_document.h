#pragma once

#include "base/unit_service.h"
#include "program/box_program.h"
#include "program/program_history.h"
#include "program/project_file.h"

#include <QObject>
#include <QString>

#include <functional>

namespace vz {

// The open project: the box program, the modified flag and the current project path,
// with every editing rule, and the reading and writing of its file. Windows call the setters
// and mirror the signals; nothing else changes the record. The window asks the operator's
// questions (save changes? which file? overwrite?); the document reads and writes and says
// how it went.
//
// Common behaviour of the setters:
// - a value equal to the one the field holds does nothing at all (no rule, no signal,
//   the modified flag untouched) and returns true;
// - a time outside its range is refused without clamping: the field keeps its value, the
//   call returns false, and the modified flag is still set (an edit was attempted);
// - a list position outside its list is refused: the field keeps its value and the call
//   returns false (a list cannot propose one; only a file can).
//
// Each call of a setter, a for-all or a macro edit from outside is one step of the undo
// history, with everything its rules brought with it. Open, New and start-up replace the
// project inside a Replacement, which records nothing and starts the history afresh.
class ProgramDocument : public QObject {
    Q_OBJECT
public:
    explicit ProgramDocument(QObject* parent = nullptr);

    // Open, New and start-up: what is set while one lives is no step; when it ends the
    // history is emptied, with the project then as its saved state if the flag is clear.
    class Replacement {
    public:
        explicit Replacement(ProgramDocument& document);
        ~Replacement();
        Replacement(const Replacement&) = delete;
        Replacement& operator=(const Replacement&) = delete;

    private:
        ProgramDocument& m_document;
    };

    const BoxProgram& program() const { return m_program; }

    // --- settings the rules depend on (from the settings record) ---
    void setBoxMode(int boxMode); // 0: box number = 30 + count; 1: chosen from the list
    int boxMode() const { return m_boxMode; }
    void setMaxBox(int maxBox); // length of the box list, 1..255
    int maxBox() const { return m_maxBox; }
    // While fire mode runs through the RK40, rule 7 leaves the box number alone.
    void setRk40Active(bool active);
    bool rk40Active() const { return m_rk40Active; }

    // --- rule 1: single program n (1..16), with the pass-on to later modules ---
    bool setSingleFire(int n, int value);
    // --- rule 2: group kind k (0..2), variant v (1..3) ---
    bool setGroupFire(int k, int v, int value);
    // --- rule 3: sequence family f (0..4), variant v (1..5) ---
    bool setSeqFire(int f, int v, int value);
    bool setSeqWait(int f, int v, int value);
    // --- rule 5: for all, from the source tag as the time text boxes carry it ---
    void forAllSingle(int sourceN);
    void forAllGroup(int k, int sourceV);
    void forAllSeq(int f, int sourceTag); // tag <= 10: fire of variant tag; else wait of tag-10
    // --- rule 6: variant in use ---
    void setSeqInUse(int f, int v, bool inUse);
    // --- rule 7: module count (list position 0..15) ---
    // Changes the count when it differs and runs the count rule.
    bool setModuleCountPosition(int position);
    // Sets the position (when in range) and runs the count rule even when it did not change
    // (start-up, New and Open apply the count explicitly). The modules hidden before are
    // those above the count in force before this call.
    bool applyModuleCountPosition(int position);
    // Box mode 0 (and RK40 off): the box number follows the count. Also for the window after
    // the box mode changed.
    void applyBoxMode();
    // --- rule 8: lists ---
    bool setBoxNr(int position);                // 0..maxBox-1
    bool setSingleChannel(int n, int position); // 0..69
    bool setGroupChannel(int k, int v, int position);
    bool setSeqChannel(int f, int v, int position);
    // Channel of any program page (0..8) and number (N or V).
    bool setChannel(int page, int number, int position);

    // --- macros (edits set the modified flag) ---
    void setMacroActive(int index, bool active);                 // index 0..9
    bool appendMacroStep(int index, int type, int value);        // false when 200 steps are full
    bool removeLastMacroStep(int index);                         // false when there is none
    void setMacroSlot(int index, int slot, int type, int value); // raw, as a file holds it

    // --- page on show (not an edit) ---
    void setActiveTab(int page);

    // --- project state ---
    bool isModified() const { return m_modified; }
    void setModified(bool modified);
    QString path() const { return m_path; }
    void setPath(const QString& path);

    // --- the project file ---
    // The texts of the messages on reading and saving; the program's language table unless
    // set (vzctl brings its own).
    void setTexts(TextLookup texts);
    // A further check of every project read (the macros', from the fire floor): its message,
    // empty for none, follows the values out of range in readProblems.
    void setReadCheck(std::function<QString(const BoxProgram&)> check);
    // Reads path through ProjectFile::read: on Read the path is path, the modified flag clear,
    // opened(path) follows, then readProblems when something did not read as written.
    // Anything else emits readFailed and leaves the project, its path and flag as they were:
    // shown as opened, the file would be replaced by the next save.
    ProjectReadStatus open(const QString& path);
    // Writes the project to its path as a complete new file and clears the modified flag. A
    // write that fails leaves the file there and the flag as they were, and emits saveFailed.
    bool save();

    // New, steps 2 to 4: path emptied, count 6, start values through the rules; the macros
    // and the page on show stay. Leaves the modified flag set and the history empty.
    void resetToNew();

    // --- undo history ---
    const ProgramHistory& history() const { return m_history; }
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    // Take back, or do again, the last step: only the fields it changed. The pages, the fire
    // panel and the preview learn of it by the same signals as of an edit; the modified flag
    // is clear exactly at the saved state. False when there is nothing to do, or while an
    // edit runs.
    bool undo();
    bool redo();

signals:
    void singleChanged(int n);       // fire of single n
    void groupChanged(int k, int v); // fire of group k v
    void seqChanged(int f, int v);   // fire, wait or in-use of sequence f v
    void channelChanged(int page, int number);
    // Count rule ran: the view shows modules 1..newCount, the right block headings from 9,
    // re-spaces the preview slots, re-shows the sequence durations, lays out the fire panel.
    void moduleCountChanged(int oldCount, int newCount);
    void boxNrChanged(int position);
    void macrosChanged(int index);
    void activeTabChanged(int page);
    void modifiedChanged(bool modified);
    void pathChanged(const QString& path);
    // The whole project is about to be replaced (start-up, New, Open): whatever runs on
    // the old one (a macro) ends first.
    void replacing();
    // A step was recorded, undone or redone, or the history emptied.
    void historyChanged();
    // A project file was read into the document.
    void opened(const QString& path);
    // Messages for the operator, in the texts set: values of the file read outside their
    // range and what the read check found; why a file was not read; why a save failed.
    void readProblems(const QString& message);
    void readFailed(const QString& message);
    void saveFailed(const QString& message);

private:
    class EditScope;
    void endEdit();
    void showProgram(const BoxProgram& target);
    void endReplacement();

    bool setSingleFireRule(int n, int value);
    void runCountRule(int oldCount);
    bool setChannelField(int& field, int page, int number, int position);
    bool setTimeField(int& field, int value, bool inRange,
                      void (ProgramDocument::*changed)(int, int), int a, int b);
    void markModified();

    BoxProgram m_program = BoxProgram::startValues();
    bool m_modified = false;
    QString m_path;
    int m_boxMode = 0;
    int m_maxBox = 50;
    bool m_rk40Active = false;
    TextLookup m_texts;
    std::function<QString(const BoxProgram&)> m_readCheck;

    ProgramHistory m_history;
    int m_editDepth = 0; // nested setters belong to the outermost one's step
    int m_replacing = 0;
    BoxProgram m_editBefore;
    HistoryLabel m_editLabel;
    bool m_editMergeable = false;
};

} // namespace vz
