// Fire console logic without windows: panel grid, hints, keys, latch, macro runner,
// editor texts and the fire-mode switching with its safety rules.
#include "base/unit_service.h"
#include "fire/fire_buttons.h"
#include "fire/fire_keys.h"
#include "fire/fire_mode.h"
#include "fire/fire_panel_layout.h"
#include "fire/frame_sender.h"
#include "fire/hotkeys.h"
#include "fire/macro_runner.h"
#include "fire/macro_texts.h"

#include <QtTest>

#include <climits>

using namespace vz;

Q_DECLARE_METATYPE(QVector<int>)

namespace {

Macro macroOf(const QVector<QPair<int, int>>& steps) {
    Macro m;
    for (int i = 0; i < steps.size(); ++i)
        m.steps[i] = MacroStep{steps[i].first, steps[i].second};
    m.active = true;
    return m;
}

// Records what fire mode asks of the window, in order.
class FakeHost : public FireModeHost {
public:
    Answer answer = Answer::Yes;
    QStringList log;
    int errors = 0;
    int transfers = 0;
    bool transferEnabled = true;
    bool firePages = false;
    QString firePort;
    QString setupPort;
    int savedSetting = -100;
    FireModeController* controller = nullptr;
    bool failAgainInsideError = false;

    Answer askFireMode() override {
        log << "ask";
        return answer;
    }
    void runTransfer() override {
        ++transfers;
        log << "transfer";
    }
    void setRouteActive(FireRoute r, bool a) override {
        log << QStringLiteral("route%1=%2").arg(int(r)).arg(a);
    }
    void setRouteEnabled(FireRoute r, bool e) override {
        log << QStringLiteral("enabled%1=%2").arg(int(r)).arg(e);
    }
    void setTransferEnabled(bool e) override {
        transferEnabled = e;
        log << QStringLiteral("transfer=%1").arg(e);
    }
    void setFirePagesShown(bool on) override {
        firePages = on;
        log << QStringLiteral("pages=%1").arg(on);
    }
    void setFirePortText(const QString& t) override { firePort = t; }
    void setSetupPortText(const QString& t) override { setupPort = t; }
    void setRk40BoxList(bool on) override { log << QStringLiteral("boxlist=%1").arg(on); }
    void stopMacro() override { log << "stopMacro"; }
    void showError(const QString& t) override {
        ++errors;
        log << "error:" + t;
        // A modal box lets events through: a second failure arriving now must not
        // bring a second box.
        if (failAgainInsideError && controller) {
            failAgainInsideError = false;
            controller->portFailed();
        }
    }
    void savePortSetting(int p) override { savedSetting = p; }
};

class FakePort : public FirePort {
public:
    int number = 0;
    int baud = 0;
    bool opened = false;
    bool openFails = false;
    bool writeFails = false;
    int chooserAnswer = 0; // number the chooser gives; 0 = cancelled
    QList<QByteArray> written;

    int comNumber() const override { return number; }
    void setComNumber(int n) override { number = n; }
    void setBaud(int b) override { baud = b; }
    bool open() override {
        if (number == 0) {
            if (chooserAnswer == 0)
                return false;
            number = chooserAnswer;
        }
        if (openFails)
            return false;
        opened = true;
        return true;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    bool writeString(const QByteArray& b) override {
        if (!opened || writeFails)
            return false;
        written << b;
        return true;
    }
};

// The controller on the two fakes, its sender writing to the fake port.
struct Rig {
    FakeHost host;
    FakePort port;
    FireFrameSender sender;
    FireModeController c{host, port, sender};

    explicit Rig(int savedPort) {
        sender.setWriter([this](const QByteArray& b) { return port.writeString(b); });
        c.setSavedPort(savedPort);
    }
};

} // namespace

class TestFireCore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void panelGrid_data();
    void panelGrid();
    void panelStaysClear_data();
    void panelStaysClear();

    void keyCode_data();
    void keyCode();
    void latch_data();
    void latch();

    void hints_data();
    void hints();
    void buttonShownAndTag();

    void runnerTimeline_data();
    void runnerTimeline();
    void runnerDeadlines();
    void problemMessage();
    void runnerStopsAtSlot200();

    void callChoices();
    void editorCells();

    void switching_data();
    void switching();
    void questionNotYes();
    void portFailsToOpen_data();
    void portFailsToOpen();
    void portErrorWhileArmed();
    void sendsOnlyWhileArmed();
    void choosePort_data();
    void choosePort();
    void senderQueuesWithoutInterleaving();
    void shippedLanguageKeys_data();
    void shippedLanguageKeys();
};

void TestFireCore::initTestCase() {
    languageTable().setEntries({
        {"tab_single_caption2_A", "Fire time"},
        {"tab_all_caption2_A", "All time"},
        {"tab_seqAI_caption1_A", "Fire"},
        {"tab_seqAI_caption2_A", "Wait"},
        {"msg_selectcomport", "Select port"},
        {"msg_comport_error", "Port error"},
        {"msg_firemode", "Fire?"},
        {"macro", "Macro"},
        {"macro_step", "step"},
        {"macro_problem_pause", "pause of %1 s runs as %2 s"},
        {"macro_problem_call", "channel %1 is outside 1..70"},
        {"macro_problems_more", "and %1 more"},
    });
}

// ---------------------------------------------------------------- panel grid

void TestFireCore::panelGrid_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("number");
    QTest::addColumn<QRect>("rect");
    // The panel the window is laid out with: bw 49, bh 25.
    QTest::newRow("737 sgl1") << 737 << 306 << 0 << 1 << QRect(33, 8, 49, 25);
    QTest::newRow("737 sgl16") << 737 << 306 << 0 << 16 << QRect(93, 239, 49, 25);
    QTest::newRow("737 all1") << 737 << 306 << 1 << 1 << QRect(164, 8, 49, 25);
    QTest::newRow("737 X5") << 737 << 306 << 8 << 5 << QRect(661, 140, 49, 25);
    // Macros from column 2 to the right edge of column 9, one gap apart.
    QTest::newRow("737 macro1") << 737 << 306 << 9 << 1 << QRect(164, 206, 44, 25);
    QTest::newRow("737 macro10") << 737 << 306 << 9 << 10 << QRect(659, 206, 44, 25);
    // A bigger window: bw = 658 div 10 = 65, bh = 320 div 9 = 35 (remainders dropped).
    QTest::newRow("900 sgl12") << 900 << 400 << 0 << 12 << QRect(109, 137, 65, 35);
    QTest::newRow("900 all3") << 900 << 400 << 1 << 3 << QRect(196, 94, 65, 35);
    QTest::newRow("900 macro3") << 900 << 400 << 9 << 3 << QRect(332, 266, 57, 35);
    QTest::newRow("too small: empty, never negative") << 100 << 50 << 0 << 1 << QRect(33, 8, 0, 0);
    QTest::newRow("no button") << 737 << 306 << 1 << 4 << QRect();
}

void TestFireCore::panelGrid() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, family);
    QFETCH(int, number);
    QFETCH(QRect, rect);
    QCOMPARE(fireButtonRect(family, number, w, h), rect);
}

void TestFireCore::panelStaysClear_data() {
    QTest::addColumn<QSize>("panel");
    // From the panel of the smallest window (armed: 3 pixels of frame) up.
    for (const QSize s : {QSize(731, 300), QSize(737, 306), QSize(739, 308), QSize(800, 300),
                          QSize(731, 600), QSize(1200, 320), QSize(1913, 1000), QSize(2553, 1400)})
        QTest::newRow(qPrintable(QStringLiteral("%1x%2").arg(s.width()).arg(s.height()))) << s;
}

void TestFireCore::panelStaysClear() {
    QFETCH(QSize, panel);
    const QRect all(QPoint(0, 0), panel);
    const QRect stop = fireStopRect(panel.width(), panel.height());
    QVERIFY(all.contains(stop));
    QVERIFY(stop.width() >= 100 && stop.height() >= 20);
    QVector<QRect> placed;
    for (int f = 0; f <= 9; ++f)
        for (int n = 1; n <= 16; ++n) {
            if (!isFireButton(f, n))
                continue;
            const QRect r = fireButtonRect(f, n, panel.width(), panel.height());
            const QString name = names::fireButton(f, n);
            QVERIFY2(r.width() > 0 && all.contains(r), qPrintable(name));
            QVERIFY2(!r.intersects(stop), qPrintable(name));
            for (const QRect& other : placed)
                QVERIFY2(!r.intersects(other), qPrintable(name));
            placed << r;
        }
}

// ---------------------------------------------------------------- keys

void TestFireCore::keyCode_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    const int none = int(Qt::NoModifier);
    const int pad = int(Qt::KeypadModifier);
    QTest::newRow("0") << int(Qt::Key_0) << none << 48;
    QTest::newRow("z, Caps Lock or not") << int(Qt::Key_Z) << none << 122;
    QTest::newRow("keypad 1 is 1") << int(Qt::Key_1) << pad << 49;
    QTest::newRow("keypad 0 is 0") << int(Qt::Key_0) << pad << 48;
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << pad << -1;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << -1;
    // Characters between the digits and the letters are no keys to fire with.
    QTest::newRow("underscore") << int(Qt::Key_Underscore) << none << -1;
    QTest::newRow("shift a") << int(Qt::Key_A) << int(Qt::ShiftModifier) << -1;
    QTest::newRow("ctrl 1") << int(Qt::Key_1) << int(Qt::ControlModifier) << -1;
    QTest::newRow("alt x") << int(Qt::Key_X) << int(Qt::AltModifier) << -1;
    QTest::newRow("meta q") << int(Qt::Key_Q) << int(Qt::MetaModifier) << -1;
}

void TestFireCore::keyCode() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    QCOMPARE(fireKeyCode(key, Qt::KeyboardModifiers(modifiers)), code);
}

void TestFireCore::latch_data() {
    // Events: P press, R release, p auto-repeat press, r auto-repeat release.
    // Expected: for each press, whether it may fire.
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("fires");
    QTest::newRow("one press") << "P"
                               << "1";
    QTest::newRow("held key repeats (release/press pairs)") << "PrprpR"
                                                            << "100";
    QTest::newRow("held key repeats (press only)") << "PpppR"
                                                   << "1000";
    QTest::newRow("a modifier, then a key") << "PP"
                                            << "10";
    QTest::newRow("press release press") << "PRP"
                                         << "11";
}

void TestFireCore::latch() {
    QFETCH(QString, events);
    QFETCH(QString, fires);
    KeyLatch l;
    QString got;
    for (QChar e : events) {
        if (e == 'P' || e == 'p')
            got += l.press(e == 'p') ? '1' : '0';
        else
            l.release(e == 'r');
    }
    QCOMPARE(got, fires);
}

// ---------------------------------------------------------------- hints and buttons

void TestFireCore::hints_data() {
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("number");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("hint");
    QTest::newRow("single, keys a and 7 in ascending order")
        << 0 << 3 << QList<int>{'a', '7'} << "Fire time: 0.10s\n\rHotkey: 7\n\rHotkey: a";
    QTest::newRow("group without key") << 1 << 2 << QList<int>{} << "All time: 0.10s";
    QTest::newRow("sequence, two lines")
        << 6 << 4 << QList<int>{'z'} << "Fire: 0.10s\n\rWait: 0.24s\n\rHotkey: z";
    QTest::newRow("macro with q starts with the break")
        << 9 << 2 << QList<int>{'q'} << "\n\rHotkey: q";
    QTest::newRow("macro without key is empty") << 9 << 3 << QList<int>{} << "";
}

void TestFireCore::hints() {
    QFETCH(int, family);
    QFETCH(int, number);
    QFETCH(QList<int>, keys);
    QFETCH(QString, hint);
    BoxProgram p = BoxProgram::startValues();
    p.seqAt(2, 4).wait = 12;
    HotkeyTable t;
    // Another button's key must not show up.
    t.bind('b', 0, 4);
    for (int k : keys)
        t.setEntry(k, {family, number});
    const QLocale c(QLocale::C);
    QCOMPARE(fireHint(fireBaseHint(p, family, number, c), t, family, number), hint);
}

void TestFireCore::buttonShownAndTag() {
    BoxProgram p = BoxProgram::startValues(); // 6 modules
    p.seqAt(1, 3).chk = false;
    p.macros[4].active = true;
    p.singleAt(3).ch = 39;
    QVERIFY(fireButtonShown(p, 0, 6));
    QVERIFY(!fireButtonShown(p, 0, 7));
    QVERIFY(!fireButtonShown(p, 0, 16));
    for (int f = 1; f <= 3; ++f)
        for (int v = 1; v <= 3; ++v)
            QVERIFY(fireButtonShown(p, f, v));
    QVERIFY(!fireButtonShown(p, 5, 3));
    QVERIFY(fireButtonShown(p, 5, 2));
    QVERIFY(fireButtonShown(p, 9, 5));
    QVERIFY(!fireButtonShown(p, 9, 1));
    QCOMPARE(fireButtonTag(p, 0, 3), 40);
    QCOMPARE(fireButtonTag(p, 2, 1), 22);
    QCOMPARE(fireButtonTag(p, 8, 5), 55);
    QCOMPARE(fireButtonTag(p, 9, 10), 10);
}

// ---------------------------------------------------------------- macro runner

void TestFireCore::runnerTimeline_data() {
    QTest::addColumn<QVector<int>>("steps"); // type, value pairs
    QTest::addColumn<QString>("ticks");      // kind@time, kinds C P S E
    QTest::addColumn<QString>("problems");   // per step: - none, R refused, U raised, D lowered,
                                             // N no meaning
    QTest::newRow("call, pause 1.5 s, call")
        << QVector<int>{1, 21, 0, 150, 1, 31} << "C21@20 P@41 C31@1541 E@1562"
        << "---";
    QTest::newRow("empty macro ends after one tick") << QVector<int>{} << "E@20"
                                                     << "";
    QTest::newRow("ends with a pause") << QVector<int>{1, 5, 0, 50} << "C5@20 P@41 E@541"
                                       << "--";
    QTest::newRow("pause below 2 runs as 2")
        << QVector<int>{0, 0, 0, 1, 0, -7, 1, 3} << "P@20 P@40 P@60 C3@80 E@101"
        << "UUU-";
    QTest::newRow("unknown type keeps the interval")
        << QVector<int>{0, 30, 7, 99, 1, 4} << "P@20 S@320 C4@620 E@641"
        << "-N-";
    QTest::newRow("calls outside 1..70 are skipped, never sent")
        << QVector<int>{1, 277, 1, 0, 1, 71, 1, -5, 1, 70} << "S@20 S@40 S@60 S@80 C70@100 E@121"
        << "RRRR-";
    QTest::newRow("pauses above 60 s run as 60 s, without overflow")
        << QVector<int>{0, 300000000, 0, INT_MAX, 1, 1} << "P@20 P@60020 C1@120020 E@120041"
        << "DD-";
}

void TestFireCore::runnerTimeline() {
    QFETCH(QVector<int>, steps);
    QFETCH(QString, ticks);
    QFETCH(QString, problems);
    QVector<QPair<int, int>> pairs;
    for (int i = 0; i + 1 < steps.size(); i += 2)
        pairs << qMakePair(steps[i], steps[i + 1]);
    const Macro m = macroOf(pairs);
    const MacroRunner::Plan plan = MacroRunner::plan(m);
    QStringList got;
    QString kinds;
    static const char kCodes[] = {'-', 'R', 'U', 'D', 'N'};
    for (int i = 0; i < plan.steps.size(); ++i) {
        const MacroRunner::Action& a = plan.steps[i];
        static const char kKinds[] = {'C', 'P', 'S', 'E'};
        QString t = QChar(kKinds[a.kind]);
        if (a.kind == MacroRunner::Action::Call)
            t += QString::number(a.channel);
        got << t + "@" + QString::number(plan.times[i]);
        kinds += kCodes[a.check.problem];
    }
    got << "E@" + QString::number(plan.endMs);
    QCOMPARE(got.join(' '), ticks);
    QCOMPARE(kinds, problems);
    // The message on reading lists exactly these steps.
    BoxProgram p = BoxProgram::startValues();
    p.macros[4] = m;
    const QVector<MacroProblem> listed = macroProblems(p);
    QCOMPARE(listed.size(), int(problems.size() - problems.count(QLatin1Char('-'))));
    for (const MacroProblem& x : listed)
        QCOMPARE(x.macro, 4);
}

void TestFireCore::runnerDeadlines() {
    // Each deadline counts from the step that ran: a stall delays the rest of the macro
    // and never shortens a pause.
    const Macro m = macroOf({{1, 21}, {0, 150}, {1, 31}, {7, 0}, {1, 32}});
    MacroRunner r;
    QCOMPARE(r.start(1, 1000), qint64(1020));
    QCOMPARE(r.tick(m, 1020).nextDueMs, qint64(1041));
    QCOMPARE(r.tick(m, 1900).nextDueMs, qint64(3400)); // late by 859 ms: the pause stays 1.5 s
    const MacroRunner::Action call = r.tick(m, 3401);
    QCOMPARE(call.kind, MacroRunner::Action::Call);
    QCOMPARE(call.nextDueMs, qint64(3422));
    QCOMPARE(r.tick(m, 3430).nextDueMs, qint64(3451)); // a skip keeps the interval in force
    QCOMPARE(r.tick(m, 3451).channel, 32);
    QCOMPARE(r.tick(m, 3472).kind, MacroRunner::Action::End);
    QVERIFY(!r.isRunning());
}

void TestFireCore::problemMessage() {
    BoxProgram p = BoxProgram::startValues();
    for (int i = 0; i < 25; ++i)
        p.macros[2].steps[i] = {MacroCall, 100 + i};
    p.macros[0].steps[0] = {MacroPause, 7000};
    const QString msg = macroProblemsMessage(
        macroProblems(p), [](const QString& k) { return languageTable().getText(k); },
        QLocale::c());
    const QStringList lines = msg.split("\n\r");
    QCOMPARE(lines.size(), 2 + 20 + 1); // heading, empty line, the first 20, how many more
    QCOMPARE(lines[2], QString("Macro 1, step 1: pause of 70.00 s runs as 60.00 s"));
    QCOMPARE(lines[3], QString("Macro 3, step 1: channel 100 is outside 1..70"));
    QCOMPARE(lines.last(), QString("and 6 more"));
}

void TestFireCore::runnerStopsAtSlot200() {
    Macro m;
    for (int i = 0; i < kMacroSlots; ++i)
        m.steps[i] = MacroStep{1, 1}; // a raw table with no end mark at all
    MacroRunner r;
    r.start(3, 0);
    QCOMPARE(r.macroIndex(), 2);
    int calls = 0;
    for (int i = 0; i < 500 && r.isRunning(); ++i)
        if (r.tick(m, i).kind == MacroRunner::Action::Call)
            ++calls;
    QVERIFY(!r.isRunning());
    QCOMPARE(calls, kMacroSlots);
}

// ---------------------------------------------------------------- editor texts

void TestFireCore::callChoices() {
    BoxProgram p = BoxProgram::startValues(); // 6 modules: channels 1..6
    p.singleAt(2).ch = 21 - 1;                // repeats group all1's channel 21
    p.seqAt(0, 2).chk = false;                // channel 32 not in use
    p.seqAt(4, 5).ch = 8;                     // 9: sorts before 10 numerically
    const QVector<int> got = macroCallChoices(p);
    QVector<int> want{1, 3, 4, 5, 6, 9, 21, 21, 22, 23, 24, 25, 26, 27, 28, 29, 31};
    for (int c = 33; c <= 54; ++c)
        want << c;
    QCOMPARE(got, want);
    QCOMPARE(got.size(), 6 + 9 + 24);
}

void TestFireCore::editorCells() {
    BoxProgram p = BoxProgram::startValues();
    p.macros[1] = macroOf({{1, 21}, {0, 150}, {1, 31}, {0, 1}, {1, 69}, {5, 5}, {0, 20}, {1, 277}});
    const QVector<MacroStepCells> c = macroEditorCells(p, 1, QLocale(QLocale::German));
    QCOMPARE(c.size(), 8);
    QCOMPARE(c[0].time, QString("0,00 s"));
    QCOMPARE(c[0].action, QString("Sequenz 21\n\rLaufzeit: 0,40 s"));
    QCOMPARE(c[1].action, QString("Pause\n\r1,50 s"));
    QCOMPARE(c[2].time, QString("1,50 s"));
    // LR with 6 modules and all times 5: 0.90 s.
    QCOMPARE(c[2].action, QString("Sequenz 31\n\rLaufzeit: 0,90 s"));
    QCOMPARE(c[3].action, QString("Pause\n\r0,01 s -> 0,02 s"));
    QCOMPARE(c[3].problem, QString("pause of 0,01 s runs as 0,02 s"));
    // The short pause runs as 0.02 s.
    QCOMPARE(c[4].time, QString("1,52 s"));
    QCOMPARE(c[4].action, QString("Sequenz 69\n\rLaufzeit: "));
    QCOMPARE(c[5].action, get_text("macro_not_runnable"));
    QCOMPARE(c[6].time, QString("1,52 s"));
    QCOMPARE(c[7].action, "Sequenz 277\n\r" + get_text("macro_not_runnable"));
    QCOMPARE(c[7].problem, QString("channel 277 is outside 1..70"));
}

// ---------------------------------------------------------------- fire mode

void TestFireCore::switching_data() {
    QTest::addColumn<int>("route");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("master module")
        << int(FireRoute::MasterModule) << 1200 << QByteArray::fromHex("5f5f7332651fb600");
    QTest::newRow("rk40") << int(FireRoute::Rk40) << 2400
                          << QByteArray::fromHex("0000ff32651f290000");
}

void TestFireCore::switching() {
    QFETCH(int, route);
    QFETCH(int, baud);
    QFETCH(QByteArray, frame);
    const FireRoute which = FireRoute(route);
    const FireRoute other = which == FireRoute::Rk40 ? FireRoute::MasterModule : FireRoute::Rk40;
    Rig r(4);

    r.c.toggle(which);
    QVERIFY(r.c.isArmed());
    QCOMPARE(r.c.route(), which);
    QVERIFY(r.port.opened);
    QCOMPARE(r.port.number, 4);
    QCOMPARE(r.port.baud, baud);
    QCOMPARE(r.host.firePort, QString("COM4"));
    QCOMPARE(r.host.savedSetting, 4);
    QVERIFY(!r.host.transferEnabled);
    QVERIFY(r.host.firePages);
    QVERIFY(r.host.log.contains(QStringLiteral("route%1=1").arg(route)));
    QVERIFY(r.host.log.contains(QStringLiteral("enabled%1=0").arg(int(other))));
    QCOMPARE(r.host.log.contains("boxlist=1"), which == FireRoute::Rk40);

    // The other route's entry cannot change the route.
    r.c.toggle(other);
    QCOMPARE(r.c.route(), which);

    r.c.fire(31);
    QCOMPARE(r.port.written, QList<QByteArray>{frame});

    r.host.log.clear();
    r.c.toggle(which);
    QVERIFY(!r.c.isArmed());
    QVERIFY(!r.port.opened);
    QVERIFY(r.host.transferEnabled);
    QVERIFY(!r.host.firePages);
    QVERIFY(r.host.log.contains("stopMacro"));
    QVERIFY(r.host.log.contains(QStringLiteral("route%1=0").arg(route)));
    QVERIFY(r.host.log.contains(QStringLiteral("enabled%1=1").arg(int(other))));
    QCOMPARE(r.host.log.contains("boxlist=0"), which == FireRoute::Rk40);
    // The frame in flight got its second copy before the port closed.
    QCOMPARE(r.port.written, (QList<QByteArray>{frame, frame}));
    QCOMPARE(r.host.errors, 0);
}

void TestFireCore::questionNotYes() {
    // Closing the question without an answer arms nothing and opens no transfer;
    // No opens the transfer and arms nothing.
    for (FireModeHost::Answer a : {FireModeHost::Answer::Closed, FireModeHost::Answer::No}) {
        Rig r(2);
        r.host.answer = a;
        r.c.toggle(FireRoute::MasterModule);
        QVERIFY(!r.c.isArmed());
        QVERIFY(!r.port.opened);
        QCOMPARE(r.host.transfers, a == FireModeHost::Answer::No ? 1 : 0);
        QCOMPARE(r.host.log.size(), a == FireModeHost::Answer::No ? 2 : 1);
        QCOMPARE(r.host.savedSetting, -100);
    }
}

void TestFireCore::portFailsToOpen_data() {
    QTest::addColumn<int>("saved");
    QTest::newRow("saved port") << 7;
    QTest::newRow("no saved port: the chooser's port fails") << 0;
}

void TestFireCore::portFailsToOpen() {
    QFETCH(int, saved);
    Rig r(saved);
    r.port.chooserAnswer = 6;
    r.port.openFails = true;
    r.c.toggle(FireRoute::Rk40);
    QVERIFY(!r.c.isArmed());
    QVERIFY(!r.port.opened);
    QCOMPARE(r.host.errors, 1);
    QVERIFY(r.host.log.contains("error:Port error"));
    // Disarmed before the box, so the console never looks armed under it.
    QVERIFY(r.host.log.indexOf("pages=0") < r.host.log.indexOf("error:Port error"));
    QVERIFY(r.host.log.contains("boxlist=0"));
    QVERIFY(r.host.transferEnabled);
    QCOMPARE(r.c.savedPort(), saved);
    QCOMPARE(r.host.savedSetting, -100);
    QCOMPARE(r.c.portLabel(), QStringLiteral("Select port")); // not the port that failed
    r.c.fire(5);
    QVERIFY(r.port.written.isEmpty());
}

void TestFireCore::portErrorWhileArmed() {
    Rig r(3);
    r.host.failAgainInsideError = true;
    r.host.controller = &r.c;
    QObject::connect(&r.sender, &FireFrameSender::writeFailed, [&] { r.c.portFailed(); });
    r.c.toggle(FireRoute::MasterModule);
    QVERIFY(r.c.isArmed());
    r.port.writeFails = true; // the device went away
    r.c.fire(1);
    r.c.fire(2);
    QVERIFY(!r.c.isArmed());
    QVERIFY(!r.port.opened);
    QVERIFY(!r.host.firePages);
    QVERIFY(r.host.transferEnabled);
    QCOMPARE(r.host.errors, 1);
    QCOMPARE(r.c.portLabel(), QStringLiteral("Select port"));
    // A later port error report changes nothing and shows nothing.
    r.c.portFailed();
    QCOMPARE(r.host.errors, 1);
}

void TestFireCore::sendsOnlyWhileArmed() {
    Rig r(1);
    r.port.opened = true; // open from somewhere else: fire mode off still sends nothing
    r.c.fire(21);
    r.c.callMacroChannel(36, 40);
    QVERIFY(r.port.written.isEmpty());
    QCOMPARE(r.host.errors, 0);
    r.c.toggle(FireRoute::Rk40);
    r.c.callMacroChannel(36, 40);
    QCOMPARE(r.port.written, QList<QByteArray>{QByteArray::fromHex("000073c82428140000")});
}

void TestFireCore::choosePort_data() {
    QTest::addColumn<int>("chooser");
    QTest::addColumn<bool>("openFails");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("saved");
    QTest::addColumn<int>("errors");
    QTest::newRow("chosen") << 5 << false << "COM5" << 5 << 0;
    QTest::newRow("cancelled") << 0 << false << "Select port" << 0 << 1;
    QTest::newRow("cannot open") << 6 << true << "Select port" << 0 << 1;
}

void TestFireCore::choosePort() {
    QFETCH(int, chooser);
    QFETCH(bool, openFails);
    QFETCH(QString, label);
    QFETCH(int, saved);
    QFETCH(int, errors);
    Rig r(9);
    r.port.number = 9;
    r.port.chooserAnswer = chooser;
    r.port.openFails = openFails;
    r.c.choosePort();
    QCOMPARE(r.host.setupPort, label);
    QCOMPARE(r.c.savedPort(), saved);
    QCOMPARE(r.host.savedSetting, saved);
    QCOMPARE(r.host.errors, errors);
    QVERIFY(!r.port.opened); // the choice takes effect at the next switching on
    QCOMPARE(r.c.portLabel(), label);
}

void TestFireCore::senderQueuesWithoutInterleaving() {
    QList<QByteArray> log;
    FireFrameSender s;
    s.setWriter([&](const QByteArray& b) {
        log << b;
        return true;
    });
    s.send("A");
    s.send("B");
    s.send("C");
    QCOMPARE(log, QList<QByteArray>{"A"});
    QCOMPARE(s.queued(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(log.size(), 6, 1000);
    QCOMPARE(log, (QList<QByteArray>{"A", "A", "B", "B", "C", "C"}));
    QVERIFY(!s.isBusy());
    // Finishing before a close: the copy in flight goes, frames not started are dropped.
    s.send("D");
    s.send("E");
    s.finishAndDrop();
    QCOMPARE(log.mid(6), (QList<QByteArray>{"D", "D"}));
    QTest::qWait(50);
    QCOMPARE(log.size(), 8);
    // Stop: the frame not started is dropped, the copy of the one on the line still goes.
    s.send("F");
    s.send("G");
    s.abort();
    QTest::qWait(60);
    QCOMPARE(log.mid(8), (QList<QByteArray>{"F", "F"}));
}

void TestFireCore::shippedLanguageKeys_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("english") << "english";
    QTest::newRow("deutsch") << "deutsch";
}

void TestFireCore::shippedLanguageKeys() {
    QFETCH(QString, file);
    QFile f(QStringLiteral(VZ_SOURCE_DIR "/resources/language/%1.lng").arg(file));
    QVERIFY(f.open(QIODevice::ReadOnly));
    LanguageTable t;
    t.setEntries(LanguageTable::parse(f.readAll()));
    // The keys the check of the shipped files does not find: captions the console sets on its
    // pages and dialogs, and the texts of the sent label.
    for (const char* key :
         {"firemode_macro_running", "btn_firemode_stop", "com_port_lbl", "firemode_sent",
          "firemode_sent_macro", "firesetup_comport_gb", "firesetup_comport_btn",
          "firesetup_macro_gb", "firesetup_macro_active_cb", "firesetup_macro_add",
          "firesetup_macro_addpause", "firesetup_macro_del", "macroseq_lbl", "macropause_lbl",
          "macropause_lbl2"})
        QVERIFY2(!t.findText(key).isEmpty(), key);
}

QTEST_GUILESS_MAIN(TestFireCore)
#include "tst_fire_core.moc"
