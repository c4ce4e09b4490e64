// Fire console logic without windows: frames, panel grid, hints, keys, latch, macro runner,
// the fire schedule and thread, the fire-mode switching with its safety rules and the fire log.
#include "base/unit_service.h"
#include "core/pty_pair.h"
#include "fire/com_fire_port.h"
#include "fire/fire_buttons.h"
#include "fire/fire_engine.h"
#include "fire/fire_frames.h"
#include "fire/fire_keys.h"
#include "fire/fire_log.h"
#include "fire/fire_log_reader.h"
#include "fire/fire_mode.h"
#include "fire/fire_panel_layout.h"
#include "fire/hotkeys.h"
#include "fire/macro_monitor.h"
#include "fire/macro_runner.h"
#include "fire/macro_texts.h"
#include "serial/com_port.h"

#include <QtTest>

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <climits>
#include <utility>

using namespace vz;

Q_DECLARE_METATYPE(QVector<int>)

namespace {

// A macro of type, value pairs.
Macro macroOf(const QVector<int>& steps) {
    Macro m;
    for (int i = 0; i + 1 < steps.size(); i += 2)
        m.steps[i / 2] = MacroStep{steps[i], steps[i + 1]};
    m.active = true;
    return m;
}

// Records what fire mode asks of the window, in order.
class FakeHost : public FireModeHost {
public:
    QStringList log;
    int errors = 0;
    bool armed = false;
    bool firePages = false;
    int savedSetting = -100;
    FireModeController* controller = nullptr; // set: a second failure arrives inside the box

    Answer askFireMode(FireRoute) override { return Answer::Yes; }
    void runTransfer() override {}
    void setRouteActive(FireRoute r, bool a) override {
        log << QStringLiteral("route%1=%2").arg(int(r)).arg(a);
    }
    void setRouteEnabled(FireRoute r, bool e) override {
        log << QStringLiteral("enabled%1=%2").arg(int(r)).arg(e);
    }
    void setArmedState(bool a) override { armed = a; }
    void setFirePagesShown(bool on) override {
        firePages = on;
        log << QStringLiteral("pages=%1").arg(on);
    }
    void setFirePortText(const QString& t) override { log << "port:" + t; }
    void setSetupPortText(const QString&) override {}
    void setRk40BoxList(bool on) override { log << QStringLiteral("boxlist=%1").arg(on); }
    void stopMacro() override { log << "stopMacro"; }
    void showError(const QString& t) override {
        ++errors;
        log << "error:" + t;
        if (auto* c = std::exchange(controller, nullptr))
            c->portFailed();
    }
    void savePortSetting(int p) override { savedSetting = p; }
};

// Its line is written on the fire thread, while the window's side waits for it.
class FakePort : public FirePort {
public:
    int number = 0;
    int baud = 0;
    bool opened = false;
    bool openFails = false;
    std::atomic<bool> writeFails{false};
    QList<QByteArray> written;

    int comNumber() const override { return number; }
    void setComNumber(int n) override { number = n; }
    void setBaud(int b) override { baud = b; }
    bool choose() override { return number != 0; }
    bool open() override { return opened = number != 0 && !openFails; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    std::unique_ptr<FireWriter> openLine(const FireLineFailed&) override {
        struct Line : FireWriter {
            FakePort& port;
            explicit Line(FakePort& p) : port(p) {}
            bool write(const QByteArray& b) override {
                if (!port.opened || port.writeFails)
                    return false;
                port.written << b;
                return true;
            }
        };
        return open() ? std::make_unique<Line>(*this) : nullptr;
    }
};

// The controller on the two fakes and the fire thread, which writes to the fake port.
struct Rig {
    FakeHost host;
    FakePort port;
    FireEngine engine;
    FireModeController c{host, port, engine};

    explicit Rig(int savedPort) {
        QObject::connect(&engine, &FireEngine::writeFailed, [this] { c.portFailed(); });
        c.setSavedPort(savedPort);
    }
};

} // namespace

class TestFireCore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        languageTable().setEntries({
            {"tab_single_caption2_A", "Fire time"},
            {"tab_seqAI_caption1_A", "Fire"},
            {"tab_seqAI_caption2_A", "Wait"},
            {"msg_selectcomport", "Select port"},
            {"firemode_log_folder", "Ordner %1 nicht anlegbar"},
            {"firemode_log_write", "%1 nicht schreibbar"},
            {"firemode_log_full", "Platte voll"},
            {"firemode_log_notdir", "Datei im Weg"},
        });
    }

    void frames() {
        // Box and channel wrap at 256 in every frame.
        QCOMPARE(masterModuleFrame(1, 21), QByteArray::fromHex("5F5F73326515AC00"));
        QCOMPARE(masterModuleFrame(200, 70), QByteArray::fromHex("5F5F73322C46A400"));
        QCOMPARE(rk40Frame(1, 250), QByteArray::fromHex("0000FF3265FA040000"));
        QCOMPARE(macroCallFrame(255, 70), QByteArray::fromHex("000073C8FF460D0000"));
    }

    void panelGrid() {
        // Macros reach the right edge of column 9; too small a window gives empty buttons.
        QCOMPARE(fireButtonRect(9, 10, 737, 306), QRect(659, 206, 44, 25));
        QCOMPARE(fireButtonRect(0, 1, 100, 50), QRect(33, 8, 0, 0));
    }

    void keyCode_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        const int none = int(Qt::NoModifier);
        QTest::newRow("z, Caps Lock or not") << int(Qt::Key_Z) << none << 122;
        QTest::newRow("keypad 1 is 1") << int(Qt::Key_1) << int(Qt::KeypadModifier) << 49;
        QTest::newRow("underscore") << int(Qt::Key_Underscore) << none << -1;
        QTest::newRow("shift a") << int(Qt::Key_A) << int(Qt::ShiftModifier) << -1;
        QTest::newRow("ctrl 1") << int(Qt::Key_1) << int(Qt::ControlModifier) << -1;
    }

    void keyCode() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, code);
        QCOMPARE(fireKeyCode(key, Qt::KeyboardModifiers(modifiers)), code);
    }

    void latch() {
        // A held key repeats as release/press pairs and fires once; a second press (a modifier,
        // then a key) fires nothing until released.
        KeyLatch l;
        QVERIFY(l.press(false));
        l.release(true);
        QVERIFY(!l.press(true));
        l.release(false);
        QVERIFY(l.press(false));
        QVERIFY(!l.press(false));
    }

    void hints() {
        BoxProgram p = BoxProgram::startValues();
        p.seqAt(2, 4).wait = 12;
        HotkeyTable t;
        t.bind('b', 0, 4); // another button's key must not show up
        t.setEntry('a', {0, 3});
        t.setEntry('7', {0, 3});
        t.setEntry('z', {6, 4});
        const QLocale c(QLocale::C);
        // Keys in ascending order; a sequence shows two times.
        QCOMPARE(fireHint(fireBaseHint(p, 0, 3, c), t, 0, 3),
                 "Fire time: 0.10s\n\rHotkey: 7\n\rHotkey: a");
        QCOMPARE(fireHint(fireBaseHint(p, 6, 4, c), t, 6, 4),
                 "Fire: 0.10s\n\rWait: 0.24s\n\rHotkey: z");
    }

    void buttonShownAndTag() {
        BoxProgram p = BoxProgram::startValues(); // 6 modules
        p.seqAt(1, 3).chk = false;
        p.macros[4].active = true;
        p.singleAt(3).ch = 39;
        QString shown; // single 6 and 7, LR 2 and 3, macro 5 and 1
        for (auto [f, n] : {std::pair{0, 6}, {0, 7}, {5, 2}, {5, 3}, {9, 5}, {9, 1}})
            shown += fireButtonShown(p, f, n) ? '1' : '0';
        QCOMPARE(shown, QString("101010"));
        QCOMPARE(QVector<int>({fireButtonTag(p, 0, 3), fireButtonTag(p, 2, 1),
                               fireButtonTag(p, 8, 5), fireButtonTag(p, 9, 10)}),
                 QVector<int>({40, 22, 55, 10}));
    }

    void runnerTimeline_data() {
        QTest::addColumn<QVector<int>>("steps"); // type, value pairs
        QTest::addColumn<QString>("ticks");      // kind@time, kinds C P S E
        QTest::addColumn<QString>("problems");   // per step: -, Refused, Up, Down, No meaning
        QTest::newRow("call, pause 1.5 s, call")
            << QVector<int>{1, 21, 0, 150, 1, 31} << "C21@20 P@41 C31@1541 E@1562"
            << "---";
        QTest::newRow("pause below 2 runs as 2")
            << QVector<int>{0, 0, 0, 1, 0, -7, 1, 3} << "P@20 P@40 P@60 C3@80 E@101"
            << "UUU-";
        QTest::newRow("calls outside 1..70 are skipped, never sent")
            << QVector<int>{1, 277, 1, 0, 1, 71, 1, -5, 1, 70}
            << "S@20 S@40 S@60 S@80 C70@100 E@121"
            << "RRRR-";
        QTest::newRow("pauses above 60 s run as 60 s, without overflow")
            << QVector<int>{0, 6001, 0, INT_MAX, 0, 6000, 1, 1}
            << "P@20 P@60020 P@120020 C1@180020 E@180041"
            << "DD--";
    }

    void runnerTimeline() {
        QFETCH(QVector<int>, steps);
        QFETCH(QString, ticks);
        QFETCH(QString, problems);
        const Macro m = macroOf(steps);
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
        BoxProgram p = BoxProgram::startValues();
        p.macros[4] = m;
        QCOMPARE(macroProblems(p).size(), int(problems.size() - problems.count(QLatin1Char('-'))));
    }

    void lastSlotStaysEndMark() {
        // Slot 200 holding a step: the run ends before it, and the macro does not run as written.
        BoxProgram p = BoxProgram::startValues();
        p.macros[2].steps.fill(MacroStep{MacroPause, 2});
        p.macros[2].steps[kMacroSlots - 1] = MacroStep{MacroCall, 5};
        QCOMPARE(MacroRunner::plannedCallTimes(p.macros[2]), QVector<int>());
        const QVector<MacroProblem> problems = macroProblems(p, 2);
        QVERIFY(problems.size() == 1 && problems[0].slot == kMacroSlots - 1 &&
                problems[0].check.problem == MacroStepCheck::PastEnd);
    }

    void runnerDeadlines() {
        // Each deadline counts from the step that ran: a stall delays the rest of the macro
        // and never shortens a pause.
        const Macro m = macroOf({1, 21, 0, 150, 1, 31, 7, 0, 1, 32});
        MacroRunner r;
        QCOMPARE(r.start(1, 1000), qint64(1020));
        QCOMPARE(r.tick(m, 1020).nextDueMs, qint64(1041));
        QCOMPARE(r.tick(m, 1900).nextDueMs, qint64(3400)); // late by 859 ms: the pause stays 1.5 s
        QCOMPARE(r.tick(m, 3401).nextDueMs, qint64(3422));
        QCOMPARE(r.tick(m, 3430).nextDueMs, qint64(3431)); // a skip keeps the 1 ms after a call
        QCOMPARE(r.tick(m, 3451).channel, 32);
        QCOMPARE(r.tick(m, 3472).kind, MacroRunner::Action::End);
        QVERIFY(!r.isRunning());

        // The run monitor places the plan's gaps after the next step's real deadline.
        MacroRunMonitor mon;
        mon.start(1, m);
        mon.nextStepDue(1020);
        QCOMPARE(mon.msToNextCall(1000), qint64(20));
        mon.stepRan(0);
        mon.nextStepDue(1041);
        QCOMPARE(mon.msToNextCall(1030), qint64(1511));
        mon.stepRan(1);
        mon.nextStepDue(3400); // late: the call waits for it
        QCOMPARE(mon.msToNextCall(2000), qint64(1400));
        mon.stepRan(2);
        mon.nextStepDue(3422);
        QCOMPARE(mon.msToNextCall(3410), qint64(13)); // past the skipped step
        QCOMPARE(mon.nextCall(), 4);
        mon.stepRan(4);
        mon.nextStepDue(3500);
        QCOMPARE(mon.nextCall(), -1);
        QCOMPARE(mon.msToNextCall(3480), qint64(20)); // to the end
        QCOMPARE(mon.calledChannels(), (QVector<int>{21, 31, 32}));
    }

    void switching_data() {
        QTest::addColumn<int>("route");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("master module")
            << int(FireRoute::MasterModule) << 1200 << QByteArray::fromHex("5f5f7332651fb600");
        QTest::newRow("rk40") << int(FireRoute::Rk40) << 2400
                              << QByteArray::fromHex("0000ff32651f290000");
    }

    void switching() {
        QFETCH(int, route);
        QFETCH(int, baud);
        QFETCH(QByteArray, frame);
        const FireRoute which = FireRoute(route);
        const FireRoute other =
            which == FireRoute::Rk40 ? FireRoute::MasterModule : FireRoute::Rk40;
        const bool rk40 = which == FireRoute::Rk40;
        Rig r(4);
        r.port.opened = true; // open from somewhere else: fire mode off still sends nothing
        r.c.fire(31);
        r.c.callMacroChannel(36, 40);
        QVERIFY(r.port.written.isEmpty());

        r.c.toggle(which);
        QVERIFY(r.c.isArmed() && r.port.opened);
        QCOMPARE(r.port.baud, baud);
        QCOMPARE(r.host.savedSetting, 4);
        QVERIFY(r.host.armed && r.host.firePages);
        for (const QString& e :
             {QStringLiteral("route%1=1").arg(route), QStringLiteral("enabled%1=0").arg(int(other)),
              QString("port:COM4")})
            QVERIFY2(r.host.log.contains(e), qPrintable(e));
        QCOMPARE(r.host.log.contains("boxlist=1"), rk40);
        r.c.toggle(other); // the other route's entry cannot change the route
        QCOMPARE(r.c.route(), which);

        r.c.fire(31);
        r.c.callMacroChannel(36, 40);
        r.host.log.clear();
        r.c.toggle(which);
        QVERIFY(!r.c.isArmed() && !r.port.opened);
        QVERIFY(!r.host.armed && !r.host.firePages);
        QVERIFY(r.host.log.contains("stopMacro"));
        QVERIFY(r.host.log.contains(QStringLiteral("enabled%1=1").arg(int(other))));
        QCOMPARE(r.host.log.contains("boxlist=0"), rk40);
        // The frame in flight got its second copy before the port closed; the call waited.
        QCOMPARE(r.port.written, (QList<QByteArray>{frame, frame}));
        QCOMPARE(r.host.errors, 0);
    }

    void portErrorWhileArmed() {
        QTemporaryDir tmp;
        FireLog log(tmp.path());
        log.setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(20, 0)); });
        Rig r(3);
        r.c.setLog(&log);
        r.host.controller = &r.c;
        r.c.toggle(FireRoute::MasterModule);
        r.c.fire(1);
        r.c.fire(2);
        r.port.writeFails = true; // the device went away before the second copy
        QTRY_VERIFY(!r.c.isArmed());
        QVERIFY(!r.port.opened && !r.host.firePages && !r.host.armed);
        QCOMPARE(r.c.portLabel(), QStringLiteral("Select port"));
        r.c.portFailed(); // a later report changes nothing and shows nothing
        QCOMPARE(r.host.errors, 1);
        // Every line names the port that failed; the frame that never started is dropped.
        QVERIFY(log.drain(5000));
        QFile file(log.fileFor(QDate(2026, 12, 7)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList got;
        for (const QByteArray& l : file.readAll().split('\n').mid(1, 6)) {
            const QList<QByteArray> f = l.split(',');
            got << QString(f.value(1) + ' ' + f.value(3) + ' ' + f.value(5) + ' ' + f.value(8));
        }
        QCOMPARE(got, (QStringList{"fire mode on COM3  ", "frame COM3 1 written",
                                   "frame COM3 1 failed", "frame COM3 2 dropped",
                                   "port error COM3  failed", "fire mode off COM3  "}));
    }

    void scheduleOnAClockOfItsOwn() {
        // No thread: the schedule keeps its time on the clock it is given. Every frame twice,
        // 20 ms apart, one after the other; a Stop drops what has not begun while the copy on
        // the line stays due; a macro's pause counts from its call's last copy.
        using ms = std::chrono::milliseconds;
        struct Clock : FireClock {
            FireTime t;
            FireTime now() const override { return t; }
        } clock;
        struct Line : FireWriter {
            const Clock& clock;
            QList<QByteArray> log;
            QList<ms> at; // since the start
            explicit Line(const Clock& c) : clock(c) {}
            bool write(const QByteArray& b) override {
                log << b;
                at << std::chrono::duration_cast<ms>(clock.t - FireTime());
                return true;
            }
        } line(clock);
        FireSchedule s(clock);
        s.setWriter(&line);
        const auto runUntilIdle = [&] {
            while (const std::optional<FireTime> next = s.advance())
                clock.t = *next;
        };
        s.send("A", {});
        s.send("B", {});
        QVERIFY(s.advance() == clock.t + ms(20));
        QCOMPARE(line.log, QList<QByteArray>{"A"});
        clock.t += ms(23); // a late driver: the gap is the driver's, the order stays
        runUntilIdle();
        QCOMPARE(line.log, (QList<QByteArray>{"A", "A", "B", "B"}));
        QCOMPARE(line.at, (QList<ms>{ms(0), ms(23), ms(23), ms(43)}));

        s.send("F", {});
        s.advance();
        s.send("G", {});
        s.takeEvents();
        s.abort();
        runUntilIdle();
        QCOMPARE(line.log.mid(4), (QList<QByteArray>{"F", "F"}));
        const std::vector<FireEvent> events = s.takeEvents();
        QCOMPARE(std::count_if(events.begin(), events.end(),
                               [](const FireEvent& e) {
                                   return e.kind == FireEvent::Dropped && e.frame == "G";
                               }),
                 1);

        line.at.clear();
        s.startMacro(1, macroOf({MacroCall, 21, MacroPause, 5, MacroCall, 22}), 36);
        s.send("H", {}); // on the line when the first step is due: the call follows it
        runUntilIdle();
        QCOMPARE(line.log.mid(6),
                 (QList<QByteArray>{"H", "H", macroCallFrame(36, 21), macroCallFrame(36, 21),
                                    macroCallFrame(36, 22), macroCallFrame(36, 22)}));
        QCOMPARE(line.at, (QList<ms>{ms(63), ms(83), ms(83), ms(103), ms(154), ms(174)}));
        QVERIFY(!s.macroRunning());
    }

    void stalledWindowHoldsNothingUp() {
        // The window's thread held for 200 ms right after a click and right after a macro
        // start: the second copy and the macro's steps keep their times, stamped at the write.
        using Clock = std::chrono::steady_clock;
        const auto stall = [] {
            const Clock::time_point until = Clock::now() + std::chrono::milliseconds(200);
            while (Clock::now() < until) {
            }
        };
        const auto msAt = [](const QVariant& ns) { return double(ns.toLongLong()) / 1e6; };
        FireEngine engine;
        std::atomic<int> policy{-1}; // what the fire thread runs at, asked on it
        engine.setWriter([&policy](const QByteArray&) {
            sched_param p{};
            int got = -1;
            if (pthread_getschedparam(pthread_self(), &got, &p) == 0)
                policy = got;
            return true;
        });
        QSignalSpy copies(&engine, &FireEngine::copyWritten);
        QSignalSpy ended(&engine, &FireEngine::macroEnded);
        engine.send("F", "button");
        QCOMPARE(copies.count(), 1); // on the line before the click is done with
        stall();
        const double started = double(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          Clock::now().time_since_epoch())
                                          .count()) /
                               1e6;
        engine.startMacro(1, macroOf({MacroCall, 21, MacroPause, 5, MacroCall, 22}), 36);
        stall();
        QTRY_COMPARE(ended.count(), 1);
        QCOMPARE(copies.count(), 6);
        QVector<double> at;
        for (const QList<QVariant>& c : copies)
            at << msAt(c.at(3));
        const double gap = at[1] - at[0], first = at[2] - started, pause = at[4] - at[3];
        QVERIFY2(gap >= 19.5 && gap < 22, qPrintable(QString("copy gap %1 ms").arg(gap)));
        QVERIFY2(first >= 20 && first < 23, qPrintable(QString("first call at %1 ms").arg(first)));
        QVERIFY2(pause >= 51 && pause < 54, qPrintable(QString("pause of %1 ms").arg(pause)));
        // The set-up page says what the thread got.
        QCOMPARE(policy == SCHED_FIFO, engine.priority().kind == FirePriority::RealTime);
    }

    void linesOfADay() {
        QTemporaryDir tmp;
        FireLog log(tmp.filePath("data/logs"));
        QDateTime now(QDate(2026, 12, 7), QTime(23, 59, 59, 995), QTimeZone(5400));
        log.setClock([&now] { return now; });

        // A comma alone and a quote alone are each quoted: the columns stay where they are.
        const FireLogLine frame{
            "frame",  "mm", "COM7", 1, 21, "hotkey ,", QByteArray::fromHex("5f5f7332651599"),
            "written"};
        log.append(frame);
        const FireLogLine error{"port error", "rk40", {}, -1, -1, {}, {}, "gone \"unplugged\""};
        log.append(error);
        now = now.addMSecs(10); // past midnight: the next day's file
        log.append(frame);
        QVERIFY(log.drain(5000) && !log.isStopped());

        QFile first(tmp.filePath("data/logs/fire-2026-12-07.csv"));
        QVERIFY(first.open(QIODevice::ReadOnly));
        QCOMPARE(first.readAll(),
                 QByteArray("time,event,route,port,box,channel,source,frame,outcome\n"
                            "2026-12-07 23:59:59.995 +01:30,frame,mm,COM7,1,21,\"hotkey ,\","
                            "5F 5F 73 32 65 15 99,written\n"
                            "2026-12-07 23:59:59.995 +01:30,port error,rk40,,,,,,"
                            "\"gone \"\"unplugged\"\"\"\n"));
        QVERIFY(QFileInfo::exists(tmp.filePath("data/logs/fire-2026-12-08.csv")));
        // A macro call names the box program's box, a route frame the configured one.
        const FireLogSession session{"mm", "COM7", 1};
        QCOMPARE(session.frameLine(macroCallFrame(36, 40), {}, {}).box, 36);
        QCOMPARE(session.frameLine(masterModuleFrame(1, 40), {}, {}).box, 1);
    }

    void readingADay() {
        // What the log writes reads back (a quoted field with a comma, quotes and a line end
        // too); each line that cannot be read is counted, and the lines after it still read.
        const QDate day(2026, 12, 7);
        const QDateTime t(day, QTime(21, 4, 17, 352), QTimeZone(3600));
        const FireLogLine refused{"frame", "rehearsal", "COM7", 1,
                                  70,      "hotkey q",  {},     "refused: not shown, \"q\"\n"};
        QString text = FireLog::header() + "\n" +
                       FireLog::format(t, {"fire mode on", "mm", "COM7", -1, -1, {}, {}, {}}) +
                       "\n" +
                       FireLog::format(t.addMSecs(20), {"frame", "mm", "COM7", 1, 21, "button",
                                                        masterModuleFrame(1, 21), "written"}) +
                       "\n" + FireLog::format(t.addMSecs(40), refused) + "\n";
        const QString broken[] = {"2026-12-07 24:00:00.000 +01:00,frame,mm,COM7,1,21,button,,",
                                  "2026-12-07 21:05:00.000 +01:00,frame,mm,COM7,1,71,button,,",
                                  "2026-12-07 21:05:00.000 +01:00,frame,mm,COM7,1",
                                  "2026-12-08 21:05:00.000 +01:00,frame,mm,COM7,1,21,button,,",
                                  "2026-12-07 21:05:00.000 +01:00,frame,mm,COM7,1,2x,button,,",
                                  "2026-12-07 21:05:00.000 +01:00,frame,mm,COM7,1,21,\"button,,"};
        for (const QString& line : broken)
            text += line + "\n";
        text += "2026-12-07 21:06:00.000 +01:00,macro start,mm,COM7,,,macro 3,,\n\n"
                "2026-12-07 21:07:00.000 +01:00,fire mode off,mm,COM7,,,,,";
        const FireLogDay d = parseFireLog(text.toUtf8(), day);
        QCOMPARE(d.lines, 11);
        QCOMPARE(d.skipped, int(std::size(broken)));
        QCOMPARE(d.channels, (QVector<int>{0, 21, 70}));
        QCOMPARE(d.marks.size(), 3);
        QCOMPARE(d.marks[1].ms, (21 * 3600 + 4 * 60 + 17) * 1000 + 392);
        QCOMPARE(d.marks[1].source, FireLogSource::Rehearsal);
        QCOMPARE(d.marks[1].outcome, FireLogOutcome::Refused);
        QCOMPARE(d.lineText(d.marks[1]), FireLog::format(t.addMSecs(40), refused));
        QCOMPARE(d.bands.size(), 1);
        QCOMPARE(d.bands[0].toMs - d.bands[0].fromMs, 162648); // 21:04:17.352 to 21:07
    }

    void fireOverPty_data() {
        // A log that cannot be written, in ways that hold for root too (who may write anywhere).
        QTest::addColumn<QString>("log");
        QTest::newRow("log written") << "ok";
        QTest::newRow("log folder below a file") << "folder";
        QTest::newRow("log disk full") << "full";
    }

    void fireOverPty() {
        QFETCH(QString, log);
        QTemporaryDir tmp;
        PtyPair pty;
        QVERIFY(pty.isValid() && pty.linkAs(tmp.path(), 7));
        QString folder = tmp.filePath("logs");
        const QDate day(2026, 12, 7);
        if (log == "folder") {
            QFile file(tmp.filePath("file"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            folder = tmp.filePath("file/logs");
        } else if (log == "full") {
            if (!QFileInfo::exists("/dev/full"))
                QSKIP("no /dev/full");
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::link("/dev/full", folder + "/fire-2026-12-07.csv"));
        }

        TApdComPort com(tmp.path());
        ComFirePort port(com);
        FireEngine engine;
        FakeHost host;
        FireModeController c(host, port, engine);
        FireLog fireLog(folder);
        fireLog.setClock([day] { return QDateTime(day, QTime::currentTime()); });
        QSignalSpy stopped(&fireLog, &FireLog::stopped);
        c.setLog(&fireLog);
        c.setSavedPort(7);
        c.switchOn(FireRoute::MasterModule);
        QVERIFY(c.isArmed());

        QFile file(folder + "/fire-2026-12-07.csv");
        auto lines = [&file] {
            file.close();
            if (!file.open(QIODevice::ReadOnly))
                return QStringList();
            return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        };
        c.fire(21, "hotkey a");
        const QByteArray frame = masterModuleFrame(1, 21);
        // Both copies go whatever becomes of the log.
        QCOMPARE(pty.readFar(2 * frame.size()), frame + frame);
        if (log == "ok") {
            // Each line is in the file, read through a handle of its own, while still armed.
            QTRY_COMPARE(lines().size(), 4); // header, fire mode on, two copies
            c.switchOff();
            QTRY_COMPARE(lines().size(), 5);
            QCOMPARE(stopped.count(), 0);
        } else {
            // Said once, with the reason; firing went on regardless.
            QTRY_COMPARE(stopped.count(), 1);
            QCOMPARE(FireLog::stopText(fireLog.stopInfo()),
                     log == "folder"
                         ? "Ordner " + folder + " nicht anlegbar: Datei im Weg"
                         : folder + "/fire-2026-12-07.csv nicht schreibbar: Platte voll");
        }
    }
};

QTEST_GUILESS_MAIN(TestFireCore)
#include "tst_fire_core.moc"
