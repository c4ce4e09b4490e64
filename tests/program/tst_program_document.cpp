#include "program/program_document.h"

#include <QSignalSpy>
#include <QTest>

using vz::ProgramDocument;

namespace {

// Runs a script of edits separated by ";" on the document, e.g. "count 16; set 8 12".
// Returns the result of the last edit that has one.
bool run(ProgramDocument& d, const QString& script) {
    bool result = true;
    for (const QString& cmd : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList w = cmd.simplified().split(QLatin1Char(' '));
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
        else if (op == "maxbox")
            d.setMaxBox(a(1));
        else if (op == "rk40")
            d.setRk40Active(a(1) != 0);
        else if (op == "clear")
            d.setModified(false);
        else
            qFatal("unknown script op %s", qPrintable(op));
    }
    return result;
}

QString singles(const ProgramDocument& d) {
    QStringList out;
    for (int n = 1; n <= vz::kModules; ++n)
        out << QString::number(d.program().singleAt(n).fire);
    return out.join(' ');
}

// "5*5 12*11" -> "5 5 5 5 5 12 12 ... "
QString expand(const QString& compact) {
    QStringList out;
    for (const QString& part : compact.split(' ', Qt::SkipEmptyParts)) {
        const QStringList vc = part.split('*');
        for (int i = 0; i < (vc.size() > 1 ? vc[1].toInt() : 1); ++i)
            out << vc[0];
    }
    return out.join(' ');
}

} // namespace

class TestProgramDocument : public QObject {
    Q_OBJECT
private slots:
    void singleTimesAndCount_data();
    void singleTimesAndCount();
    void timeLimits_data();
    void timeLimits();
    void forAllSequenceIncludesUnusedVariants();
    void boxNumberFollowsCount_data();
    void boxNumberFollowsCount();
    void listPositions_data();
    void listPositions();
    void signalsOncePerChange_data();
    void signalsOncePerChange();
    void macros();
    void resetToNew_data();
    void resetToNew();
};

void TestProgramDocument::singleTimesAndCount_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("times");
    QTest::addColumn<bool>("modified");
    // Every script starts at 6 modules, all times 5, modified flag clear.
    QTest::newRow("last shown module passes on") << "set 6 12" << true << "5*5 12*11" << true;
    QTest::newRow("shown module alone") << "set 3 20" << true << "5*2 20 5*13" << true;
    QTest::newRow("hidden module passes on") << "set 10 30" << true << "5*9 30*7" << true;
    QTest::newRow("module 16 has nobody after it") << "set 16 7" << true << "5*15 7" << true;
    QTest::newRow("all 16 shown: no pass-on")
        << "count 16; clear; set 6 12" << true << "5*5 12 5*10" << true;
    QTest::newRow("one module passes on to all") << "count 1; set 1 9" << true << "9*16" << true;
    QTest::newRow("above range refused, flag set") << "set 6 256" << false << "5*16" << true;
    QTest::newRow("below range refused, flag set") << "set 1 0" << false << "5*16" << true;
    QTest::newRow("Ctrl step 253+5 refused")
        << "set 2 253; clear; set 2 258" << false << "5 253 5*14" << true;
    QTest::newRow("same value does nothing") << "set 3 5" << true << "5*16" << false;
    QTest::newRow("pass-on stops at a module holding the value")
        << "count 16; set 8 12; set 9 40; count 6; set 7 12" << true << "5*6 12 12 40 5*7" << true;
    QTest::newRow("count 6 to 9: hidden take module 6")
        << "count 16; set 6 12; set 7 7; set 10 10; set 16 16; count 6; clear; count 9" << true
        << "5*5 12*11" << true;
    QTest::newRow("count 9 to 4: 5..9 keep, 10..16 take module 9")
        << "count 16; set 5 50; set 9 9; set 12 77; count 9; count 4" << true << "5*4 50 5*3 9*8"
        << true;
    QTest::newRow("same count through the list does nothing")
        << "count 16; set 7 7; count 6; clear; count 6" << true << "5*6 7 5*9" << false;
    QTest::newRow("applied count runs even when unchanged")
        << "count 16; set 7 7; count 6; clear; apply 6" << true << "5*16" << true;
    QTest::newRow("count out of list refused") << "clear; count 17" << false << "5*16" << false;
    QTest::newRow("for all from a hidden module")
        << "count 16; set 3 70; set 16 1; count 6; all 16" << true << "1*16" << true;
    QTest::newRow("for all from a shown module") << "set 2 40; all 2" << true << "40*16" << true;
}

void TestProgramDocument::singleTimesAndCount() {
    QFETCH(QString, script);
    QFETCH(bool, result);
    QFETCH(QString, times);
    QFETCH(bool, modified);
    ProgramDocument d;
    QCOMPARE(d.isModified(), false);
    QCOMPARE(run(d, script), result);
    QCOMPARE(singles(d), expand(times));
    QCOMPARE(d.isModified(), modified);
}

void TestProgramDocument::timeLimits_data() {
    QTest::addColumn<QString>("field"); // grp, fire, wait
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("proposed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("group 255 up") << "grp" << 255 << 256 << false;
    QTest::newRow("group Ctrl 253+5") << "grp" << 253 << 258 << false;
    QTest::newRow("group 1 down") << "grp" << 1 << 0 << false;
    QTest::newRow("group 250+5") << "grp" << 250 << 255 << true;
    QTest::newRow("fire Ctrl 253+5") << "fire" << 253 << 258 << false;
    QTest::newRow("fire 6-5") << "fire" << 6 << 1 << true;
    QTest::newRow("wait Ctrl 4-5") << "wait" << 4 << -1 << false;
    QTest::newRow("wait Ctrl 7-5") << "wait" << 7 << 2 << true;
    QTest::newRow("wait 2-1") << "wait" << 2 << 1 << false;
    QTest::newRow("wait 255+1") << "wait" << 255 << 256 << false;
}

void TestProgramDocument::timeLimits() {
    QFETCH(QString, field);
    QFETCH(int, start);
    QFETCH(int, proposed);
    QFETCH(bool, accepted);
    ProgramDocument d;
    auto value = [&] {
        return field == "grp"    ? d.program().groupAt(2, 3).fire
               : field == "fire" ? d.program().seqAt(4, 2).fire
                                 : d.program().seqAt(4, 2).wait;
    };
    auto set = [&](int v) {
        return field == "grp"    ? d.setGroupFire(2, 3, v)
               : field == "fire" ? d.setSeqFire(4, 2, v)
                                 : d.setSeqWait(4, 2, v);
    };
    QVERIFY(set(start));
    d.setModified(false);
    QSignalSpy groups(&d, &ProgramDocument::groupChanged);
    QSignalSpy seqs(&d, &ProgramDocument::seqChanged);
    QCOMPARE(set(proposed), accepted);
    QCOMPARE(value(), accepted ? proposed : start);
    QVERIFY(d.isModified()); // also when refused
    QCOMPARE(groups.count() + seqs.count(), accepted ? 1 : 0);
}

void TestProgramDocument::forAllSequenceIncludesUnusedVariants() {
    ProgramDocument d;
    const int ai = 2;
    run(d, "chk 2 3 0; wait 2 2 9; fire 2 4 33; clear; allseq 2 12");
    for (int v = 1; v <= 5; ++v) {
        QCOMPARE(d.program().seqAt(ai, v).wait, 9);
        QCOMPARE(d.program().seqAt(ai, v).fire, v == 4 ? 33 : 5);
    }
    QVERIFY(!d.program().seqAt(ai, 3).chk);
    QVERIFY(d.isModified());
    run(d, "allseq 2 4"); // fire of variant 4
    for (int v = 1; v <= 5; ++v)
        QCOMPARE(d.program().seqAt(ai, v).fire, 33);
    QCOMPARE(d.program().seqAt(1, 1).fire, 5); // other pages untouched
    run(d, "grp 1 2 77; allgrp 1 2");
    for (int v = 1; v <= 3; ++v)
        QCOMPARE(d.program().groupAt(1, v).fire, 77);
    QCOMPARE(d.program().groupAt(0, 1).fire, 5);
}

void TestProgramDocument::boxNumberFollowsCount_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("boxNr");
    QTest::newRow("mode 0, 16 modules: box 46") << "mode 0; count 16" << 45;
    QTest::newRow("mode 0, maxbox 40 keeps 46") << "mode 0; maxbox 40; count 16" << 45;
    QTest::newRow("mode 0, 1 module: box 31") << "mode 0; count 1" << 30;
    QTest::newRow("mode 0, RK40 on: untouched") << "mode 0; box 7; rk40 1; count 16" << 7;
    QTest::newRow("mode 1: chosen box stays") << "mode 1; box 7; count 16" << 7;
    QTest::newRow("mode 0 applied by itself") << "box 3; mode 0; count 6" << 3;
}

void TestProgramDocument::boxNumberFollowsCount() {
    QFETCH(QString, script);
    QFETCH(int, boxNr);
    ProgramDocument d;
    run(d, script);
    QCOMPARE(d.program().boxNr, boxNr);
    if (d.boxMode() == 0 && !d.rk40Active()) {
        d.applyBoxMode();
        QCOMPARE(d.program().boxNr, d.program().moduleCount() + 29);
    }
}

void TestProgramDocument::listPositions_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("modified");
    QTest::newRow("box last") << "box 49" << true << true;
    QTest::newRow("box past the list") << "box 50" << false << false;
    QTest::newRow("box -1") << "box -1" << false << false;
    QTest::newRow("box within a longer list") << "maxbox 255; box 254" << true << true;
    QTest::newRow("channel 70") << "ch 0 1 69" << true << true;
    QTest::newRow("channel past the list") << "ch 8 5 70" << false << false;
    QTest::newRow("channel -1") << "ch 2 1 -1" << false << false;
    QTest::newRow("no such program") << "ch 1 4 3" << false << false;
    QTest::newRow("no such page") << "ch 9 1 3" << false << false;
    QTest::newRow("same channel") << "ch 4 1 30" << true << false;
}

void TestProgramDocument::listPositions() {
    QFETCH(QString, script);
    QFETCH(bool, result);
    QFETCH(bool, modified);
    ProgramDocument d;
    const vz::BoxProgram before = d.program();
    QCOMPARE(run(d, script), result);
    QCOMPARE(d.isModified(), modified);
    if (!modified)
        QVERIFY(d.program() == before);
}

void TestProgramDocument::signalsOncePerChange_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected"); // signal counts, in the order of the spies below
    QTest::addColumn<QString>("lastArgs"); // arguments of the last signal that changed a field
    // Box mode 0, 6 modules, flag clear.      single group seq ch count box modified
    QTest::newRow("pass-on") << "set 6 12"
                             << "11 0 0 0 0 0 1"
                             << "16";
    QTest::newRow("refused") << "set 6 0"
                             << "0 0 0 0 0 0 1"
                             << "";
    QTest::newRow("no-op sets") << "set 6 5; grp 0 1 5; wait 0 1 5; chk 0 1 1; ch 0 1 0; box 35"
                                << "0 0 0 0 0 0 0"
                                << "";
    QTest::newRow("in use off") << "chk 3 5 0"
                                << "0 0 1 0 0 0 1"
                                << "3 5";
    QTest::newRow("channel") << "ch 5 2 44"
                             << "0 0 0 1 0 0 1"
                             << "5 2";
    QTest::newRow("count in mode 0") << "count 16"
                                     << "0 0 0 0 1 1 1"
                                     << "45";
    QTest::newRow("count down 16 to 3") << "count 16; set 16 9; count 3"
                                        << "1 0 0 0 2 2 1"
                                        << "32";
    QTest::newRow("two edits, flag once") << "grp 1 1 9; fire 2 2 9"
                                          << "0 1 1 0 0 0 1"
                                          << "2 2";
}

void TestProgramDocument::signalsOncePerChange() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QFETCH(QString, lastArgs);
    ProgramDocument d; // box mode 0 by default
    d.applyModuleCountPosition(vz::kStartCountPosition);
    d.setModified(false);
    QStringList last;
    auto record = [&](auto... args) { last = QStringList{QString::number(args)...}; };
    connect(&d, &ProgramDocument::singleChanged, this, record);
    connect(&d, &ProgramDocument::groupChanged, this, record);
    connect(&d, &ProgramDocument::seqChanged, this, record);
    connect(&d, &ProgramDocument::channelChanged, this, record);
    connect(&d, &ProgramDocument::boxNrChanged, this, record);
    QSignalSpy spies[] = {
        {&d, &ProgramDocument::singleChanged},      {&d, &ProgramDocument::groupChanged},
        {&d, &ProgramDocument::seqChanged},         {&d, &ProgramDocument::channelChanged},
        {&d, &ProgramDocument::moduleCountChanged}, {&d, &ProgramDocument::boxNrChanged},
        {&d, &ProgramDocument::modifiedChanged}};
    run(d, script);
    QStringList counts;
    for (const QSignalSpy& s : spies)
        counts << QString::number(s.count());
    QCOMPARE(counts.join(' '), expected);
    QCOMPARE(last.join(' '), lastArgs);
    // The count signal carries the count before and after each change.
    int before = 6;
    for (const QVariantList& args : spies[4]) {
        QCOMPARE(args.at(0).toInt(), before);
        before = args.at(1).toInt();
    }
    QCOMPARE(before, d.program().moduleCount());
}

void TestProgramDocument::macros() {
    ProgramDocument d;
    QSignalSpy changed(&d, &ProgramDocument::macrosChanged);
    for (int i = 0; i < vz::kMacroMaxSteps; ++i)
        QVERIFY(d.appendMacroStep(4, i % 2, 100 + i));
    QVERIFY(d.isModified());
    QCOMPARE(changed.count(), vz::kMacroMaxSteps);
    QVERIFY(!d.appendMacroStep(4, 1, 3)); // slot 200 stays the end mark
    QCOMPARE(d.program().macros[4].steps[200], vz::MacroStep{});
    QCOMPARE(d.program().macros[4].stepCount(), 200);
    QVERIFY(!d.appendMacroStep(3, -1, 5)); // an end mark is no step
    QVERIFY(d.removeLastMacroStep(4));
    QCOMPARE(d.program().macros[4].stepCount(), 199);
    QVERIFY(!d.removeLastMacroStep(0));

    d.setModified(false);
    changed.clear();
    d.setMacroSlot(0, 0, -1, -1); // same value
    d.setMacroActive(0, false);
    d.setMacroSlot(10, 0, 1, 1);  // no such macro
    d.setMacroSlot(0, 201, 1, 1); // no such slot
    QCOMPARE(changed.count(), 0);
    QVERIFY(!d.isModified());
    d.setMacroActive(9, true);
    QVERIFY(d.isModified());
    QCOMPARE(changed.takeFirst().at(0).toInt(), 9);
}

void TestProgramDocument::resetToNew_data() {
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("boxNr");
    QTest::newRow("mode 1: box 1") << 1 << 0;
    QTest::newRow("mode 0: box 36") << 0 << 35;
}

void TestProgramDocument::resetToNew() {
    QFETCH(int, boxMode);
    QFETCH(int, boxNr);
    ProgramDocument d;
    d.setBoxMode(boxMode);
    run(d, "maxbox 255; box 200; count 16; set 4 99; set 16 1; grp 2 2 40; wait 3 5 200;"
           "fire 0 1 2; chk 1 1 0; ch 0 1 69; ch 8 5 0; count 11");
    d.appendMacroStep(2, 1, 21);
    d.setActiveTab(7);
    d.setPath("/x/y.kvx");
    const vz::Macro macro = d.program().macros[2];
    d.setModified(false);

    d.resetToNew();
    vz::BoxProgram expected = vz::BoxProgram::startValues();
    expected.boxNr = boxNr;
    expected.macros[2] = macro; // the macros and the page stay
    expected.activeTab = 7;
    QVERIFY(d.program() == expected);
    QVERIFY(d.path().isEmpty());
    QVERIFY(d.isModified());
}

QTEST_GUILESS_MAIN(TestProgramDocument)
#include "tst_program_document.moc"
