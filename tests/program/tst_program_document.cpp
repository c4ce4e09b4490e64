#include "program/program_document.h"

#include "base/unit_service.h"

#include <QFile>
#include <QTest>

using namespace vz;

using vz::ProgramDocument;

namespace {

// Runs edits separated by ";" on the document, e.g. "count 16; set 8 12".
// Returns the result of the last edit that has one.
bool run(ProgramDocument& d, const QString& script) {
    bool result = true;
    for (const QString& cmd : script.split(';', Qt::SkipEmptyParts)) {
        const QStringList w = cmd.simplified().split(' ');
        auto a = [&](int i) { return w.value(i).toInt(); };
        const QString op = w.value(0);
        if (op == "count")
            result = d.setModuleCountPosition(a(1) - 1);
        else if (op == "apply")
            result = d.applyModuleCountPosition(a(1) - 1);
        else if (op == "set")
            result = d.setSingleFire(a(1), a(2));
        else if (op == "all")
            d.forAllSingle(a(1));
        else if (op == "grp")
            result = d.setGroupFire(a(1), a(2), a(3));
        else if (op == "allgrp")
            d.forAllGroup(a(1), a(2));
        else if (op == "fire")
            result = d.setSeqFire(a(1), a(2), a(3));
        else if (op == "wait")
            result = d.setSeqWait(a(1), a(2), a(3));
        else if (op == "allseq")
            d.forAllSeq(a(1), a(2));
        else if (op == "chk")
            d.setSeqInUse(a(1), a(2), a(3) != 0);
        else if (op == "ch")
            result = d.setChannel(a(1), a(2), a(3));
        else if (op == "box")
            result = d.setBoxNr(a(1));
        else if (op == "mode")
            d.setBoxMode(a(1));
        else if (op == "clear")
            d.setModified(false);
        else if (op == "call")
            result = d.appendMacroStep(a(1), vz::MacroCall, a(2));
        else if (op == "del")
            result = d.removeLastMacroStep(a(1));
        else if (op == "undo")
            result = d.undo();
        else if (op == "redo")
            result = d.redo();
        else
            qFatal("unknown script op %s", qPrintable(op));
    }
    return result;
}

// What a row looks at: "singles", "waits F", "groups K", "box", "ch PAGE N".
QString probe(const ProgramDocument& d, const QString& what) {
    const vz::BoxProgram& p = d.program();
    const QStringList w = what.split(' ');
    const int x = w.value(1).toInt();
    QStringList out;
    if (w[0] == "singles")
        for (int n = 1; n <= vz::kModules; ++n)
            out << QString::number(p.singleAt(n).fire);
    for (int v = 1; w[0] == "waits" && v <= 5; ++v)
        out << QString::number(p.seqAt(x, v).wait);
    for (int v = 1; w[0] == "groups" && v <= 3; ++v)
        out << QString::number(p.groupAt(x, v).fire);
    if (w[0] == "box")
        out << QString::number(p.boxNr);
    if (w[0] == "ch")
        out << QString::number(x == 0   ? p.singleAt(w[2].toInt()).ch
                               : x <= 3 ? p.groupAt(x - 1, w[2].toInt()).ch
                                        : p.seqAt(x - 4, w[2].toInt()).ch);
    return out.join(' ');
}

// "5*5 12*11" -> "5 5 5 5 5 12 12 ..."
QString expand(const QString& compact) {
    QStringList out;
    for (const QString& part : compact.split(' ', Qt::SkipEmptyParts)) {
        const QStringList vc = part.split('*');
        for (int i = 0; i < vc.value(1, "1").toInt(); ++i)
            out << vc[0];
    }
    return out.join(' ');
}

} // namespace

class TestProgramDocument : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rules_data();
    void rules();
    void resetToNew();
    void undoRedo_data();
    void undoRedo();
    void history_data();
    void history();
    void keepsThousandSteps();
};

void TestProgramDocument::initTestCase() {
    // The step labels in the shipped English texts.
    QFile english(QStringLiteral(VZ_SOURCE_DIR "/resources/language/english.lng"));
    QVERIFY(english.open(QIODevice::ReadOnly));
    languageTable().setEntries(LanguageTable::parse(english.readAll()));
}

void TestProgramDocument::rules_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("modified");
    // Every script starts at 6 modules, box mode 0, all times 5, modified flag clear.
    auto row = [](const char* name, const char* script, bool result, const char* what,
                  const char* expected, bool modified) {
        QTest::newRow(name) << script << result << what << expand(expected) << modified;
    };
    // Single times, the pass-on and the count.
    row("last shown module passes on", "set 6 12", true, "singles", "5*5 12*11", true);
    row("hidden module passes on", "set 10 30", true, "singles", "5*9 30*7", true);
    row("above range refused, flag set", "set 6 256", false, "singles", "5*16", true);
    row("same value does nothing", "set 3 5", true, "singles", "5*16", false);
    row("pass-on stops at a module holding the value",
        "count 16; set 8 12; set 9 40; count 6; set 7 12", true, "singles", "5*6 12 12 40 5*7",
        true);
    row("count 6 to 9: hidden take module 6",
        "count 16; set 6 12; set 7 7; set 10 10; count 6; clear; count 9", true, "singles",
        "5*5 12*11", true);
    row("count 9 to 4: 5..9 keep theirs, 10..16 take module 9",
        "count 16; set 5 50; set 9 9; set 12 77; count 9; count 4", true, "singles",
        "5*4 50 5*3 9*8", true);
    row("applied count runs even when unchanged", "count 16; set 7 7; count 6; clear; apply 6",
        true, "singles", "5*16", true);
    row("count out of list refused", "count 17", false, "singles", "5*16", false);
    row("for all from a hidden module", "count 16; set 3 70; set 16 1; count 6; all 16", true,
        "singles", "1*16", true);
    // Group and sequence limits.
    row("group 255+1 refused", "grp 2 3 255; clear; grp 2 3 256", false, "groups 2", "5 5 255",
        true);
    row("wait of 1 refused", "wait 1 1 1", false, "waits 1", "5*5", true);
    // For all, variants not in use included; other pages untouched.
    row("for all waits", "chk 2 3 0; wait 2 2 9; allseq 2 12", true, "waits 2", "9*5", true);
    // The box number and the lists.
    row("mode 0, 16 modules: box 46", "count 16", true, "box", "45", true);
    row("mode 1: box stays", "mode 1; box 7; count 16", true, "box", "7", true);
    row("box past the list refused", "box 50", false, "box", "0", false);
    row("channel 70", "ch 0 1 69", true, "ch 0 1", "69", true);
    row("channel past the list refused", "ch 8 5 70", false, "ch 8 5", "54", false);
}

void TestProgramDocument::rules() {
    QFETCH(QString, script);
    QFETCH(bool, result);
    QFETCH(QString, what);
    QFETCH(QString, expected);
    QFETCH(bool, modified);
    ProgramDocument d;
    QCOMPARE(run(d, script), result);
    QCOMPARE(probe(d, what), expected);
    QCOMPARE(d.isModified(), modified);
}

// New takes the start values back; the macros stay.
void TestProgramDocument::resetToNew() {
    ProgramDocument d; // box mode 0
    run(d, "box 20; count 16; set 4 99; grp 2 2 40; wait 3 5 200; chk 1 1 0; ch 8 5 0; call 2 21");
    d.setPath("/x/y.kvx");
    const vz::Macro macro = d.program().macros[2];
    d.resetToNew();
    vz::BoxProgram expected = vz::BoxProgram::startValues();
    expected.boxNr = 35; // box 36 for the 6 modules
    expected.macros[2] = macro;
    QVERIFY(d.program() == expected);
    QVERIFY(d.path().isEmpty());
}

// One row per kind of change: the change is one step, its undo gives back the record as it
// was field for field (everything the rules brought with it included), its redo the record
// after it; the modified flag is clear exactly at the saved state.
void TestProgramDocument::undoRedo_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("label");
    auto row = [](const char* name, const char* setup, const char* change, const char* label) {
        QTest::newRow(name) << setup << change << label;
    };
    row("single time, pass-on", "", "set 6 12", "fire time, single 6");
    row("group time", "", "grp 1 2 40", "fire time, odd 2");
    row("sequence fire", "", "fire 2 3 9", "fire time, AI 3");
    row("sequence wait", "", "wait 4 1 30", "wait time, X 1");
    row("for all singles", "count 16; set 3 70; set 16 1; count 6", "all 16",
        "fire time for all, from single 16");
    row("for all groups", "grp 0 2 77", "allgrp 0 2", "fire time for all, from all 2");
    row("for all waits, one not in use", "chk 1 4 0; wait 1 2 9", "allseq 1 12",
        "wait time for all, from RL 2");
    row("in use", "", "chk 3 5 0", "in use, IA 5");
    row("channel", "", "ch 5 2 44", "channel, RL 2");
    row("count: hidden modules and box number", "count 16; set 12 40; count 6", "count 9",
        "module count");
    row("box number", "mode 1", "box 7", "box number");
    row("macro: add call", "", "call 2 17", "add call, macro 3");
    row("macro: delete last", "call 9 5; call 9 6", "del 9", "delete last step, macro 10");
}

void TestProgramDocument::undoRedo() {
    QFETCH(QString, setup);
    QFETCH(QString, change);
    QFETCH(QString, label);
    ProgramDocument d;
    {
        const ProgramDocument::Replacement opened(d);
        run(d, "apply 6;" + setup); // as start-up leaves it
        d.setModified(false);
    }
    QVERIFY(!d.canUndo());
    const vz::BoxProgram before = d.program();
    QVERIFY(run(d, change));
    const vz::BoxProgram after = d.program();
    QVERIFY(after != before);
    QCOMPARE(d.history().count(), 1);
    QCOMPARE(d.history().undoLabel().text(), label);

    QVERIFY(d.undo());
    QVERIFY(d.program() == before);
    QVERIFY(!d.isModified());
    QVERIFY(!d.undo());
    QVERIFY(d.redo());
    QVERIFY(d.program() == after);
    QVERIFY(d.isModified());
    QVERIFY(!d.redo());
}

// Scripts from a saved project at start values: steps kept, steps done, modified flag and
// the single times after them.
void TestProgramDocument::history_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("state"); // steps, index, modified
    QTest::addColumn<QString>("singles");
    auto row = [](const char* name, const char* script, const char* state, const char* singles) {
        QTest::newRow(name) << script << state << expand(singles);
    };
    row("arrow clicks on one field merge", "set 3 6; set 3 7; set 3 8", "1 1 1", "5*2 8 5*13");
    row("clicks back to the start leave no step", "set 3 6; set 3 5", "0 0 1", "5*16");
    row("save breaks the run", "set 3 6; clear; set 3 7", "2 2 1", "5*2 7 5*13");
    row("undo back to the save is clean", "set 3 6; clear; set 3 7; undo", "2 1 0", "5*2 6 5*13");
    row("an edit after undoing past the save is unsaved",
        "set 3 6; clear; undo; set 4 9; undo; redo", "1 1 1", "5*3 9 5*12");
    row("new change drops the redo steps", "set 3 6; set 4 6; undo; set 5 9", "2 2 1",
        "5*2 6 5 9 5*11");
}

void TestProgramDocument::history() {
    QFETCH(QString, script);
    QFETCH(QString, state);
    QFETCH(QString, singles);
    ProgramDocument d;
    {
        const ProgramDocument::Replacement start(d);
        run(d, "apply 6; clear");
    }
    run(d, script);
    const vz::ProgramHistory& h = d.history();
    QCOMPARE(QStringLiteral("%1 %2 %3").arg(h.count()).arg(h.index()).arg(int(d.isModified())),
             state);
    QCOMPARE(probe(d, "singles"), singles);
}

void TestProgramDocument::keepsThousandSteps() {
    ProgramDocument d;
    {
        const ProgramDocument::Replacement start(d);
        run(d, "apply 6; clear");
    }
    // Two fields in turn, so that no click merges with the one before.
    for (int i = 0; i < 1010; ++i)
        d.setSingleFire(i % 2 ? 3 : 4, 10 + i % 200);
    QCOMPARE(d.history().count(), vz::ProgramHistory::kDefaultLimit);
    while (d.undo()) {
    }
    // The ten oldest steps were dropped: the record goes back to the state after them,
    // and the saved state is out of reach.
    QCOMPARE(probe(d, "singles"), expand("5*2 19 18 5*12"));
    QVERIFY(d.isModified());
}

QTEST_GUILESS_MAIN(TestProgramDocument)
#include "tst_program_document.moc"
