// Fire mode inside the real main window: each route through the fire menu, frames by button,
// hotkey and macro on a pseudo-terminal linked as the saved port, the aborts, the port
// failures, and the window's own paths that must stop or lock the console.

#include "core/far_end_recorder.h"
#include "core/pty_pair.h"
#include "gui/main_window_fixture.h"

#include "device/device_decoder.h"
#include "fire/fire_console.h"
#include "fire/fire_engine.h"
#include "fire/fire_frames.h"
#include "fire/fire_log.h"
#include "fire/fire_panel.h"
#include "fire/macro_run_view.h"
#include "preview/preview_area.h"
#include "program/program_document.h"
#include "program/project_file.h"
#include "transfer/backend_transmit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <QtTest>
#include <algorithm>
#include <chrono>

#include <memory>

using namespace vz;

using vz::DeviceEvent;

namespace {

constexpr int kCom = 7;

QByteArray settingsWith(int port, int box = 1, const QString& language = "english") {
    return QStringLiteral("[languagefiles]\nactive=%3\n[com]\nport=%1\n[df]\nbox=%2\n")
        .arg(port)
        .arg(box)
        .arg(language)
        .toUtf8();
}

// The main window on a program folder whose ports/COM7 is a pseudo-terminal; the far end is
// recorded from the start.
struct FireMain {
    MainWindowFixture f;
    PtyPair pty;
    std::unique_ptr<FarEndRecorder> far;
    // When the port took each copy, stamped by the fire thread at the write: the far end's
    // read times carry the test's own scheduling jitter, these do not.
    QVector<qint64> copiesUs;
    QVector<QByteArray> copyFrames; // what each of copiesUs carried

    explicit FireMain(const QByteArray& settings = settingsWith(kCom)) : f(settings) {
        pty.linkAs(f.folder.path(), kCom);
        far = std::make_unique<FarEndRecorder>(pty.masterFd());
    }
    ~FireMain() {
        f.window.reset();
        far.reset();
    }

    Tfrm_gui_main& start(const QStringList& args = {}) {
        Tfrm_gui_main& w = f.start(args);
        QObject::connect(
            &console().engine(), &vz::FireEngine::copyWritten, &w,
            [this](const QByteArray& frame, const QString&, bool written, qint64 atNs) {
                if (written) {
                    copiesUs << atNs / 1000;
                    copyFrames << frame;
                }
            });
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("main window not active");
        return w;
    }
    Tfrm_gui_main& w() { return *f.window; }
    vz::FireConsole& console() { return *f.window->fireConsole(); }
    QAction* entry(const char* name) { return f.window->findChild<QAction*>(name); }
    QPushButton* fireButton(int family, int number) {
        return console().firePage()->fireButton(family, number);
    }
    bool arm(const char* route) {
        f.prompts.answers.enqueue(Prompts::Answer::Yes);
        entry(route)->trigger();
        return console().controller().isArmed();
    }
    // Fire mode off as the operator sees it: both routes offered, the program pages back, the
    // transfer available, no warning, the port closed.
    void verifyOff() {
        QVERIFY(!console().controller().isArmed());
        for (const char* route :
             {"menu_fire_mastermodul", "menu_fire_rk40", "menu_fire_rehearsal"}) {
            QCOMPARE(entry(route)->property("imageIndex").toInt(), 0);
            QVERIFY(entry(route)->isEnabled());
        }
        QVERIFY(entry("menu_transmit_caption")->isEnabled());
        for (int page = 0; page <= vz::kPageFireSetup; ++page)
            QCOMPARE(w().pageControl()->isTabVisible(page), page != vz::kPageFireMode);
        QVERIFY(!w().previewArea()->firemodeWarning()->isVisible());
        QVERIFY(!w().transmitDialog()->com_port().Open());
    }
    // The lines of today's fire log, once everything queued is written.
    QStringList logLines() {
        vz::FireLog* log = console().controller().log();
        QFile file(log->fileFor(QDate::currentDate()));
        if (!log->drain(5000) || !file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    // Frames as the device on the far end decodes them.
    QVector<DeviceEvent> events() const {
        vz::DeviceDecoder d;
        const QVector<FarEndRecorder::Chunk> chunks = far->chunks();
        const qint64 origin = chunks.isEmpty() ? 0 : chunks.constFirst().us;
        for (const FarEndRecorder::Chunk& c : chunks)
            d.feed(c.bytes, (c.us - origin) / 1000);
        d.finish();
        return d.takeEvents();
    }
    QList<int> channels() const {
        QList<int> out;
        for (const DeviceEvent& e : events())
            out << e.channel;
        return out;
    }
};

void tapKey(QWidget* to, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &release);
}

} // namespace

class TestFireMain : public QObject {
    Q_OBJECT
private slots:
    void fireOnEachRoute_data();
    void fireOnEachRoute();
    void question();
    void portFailures_data();
    void portFailures();
    void abortDropsQueued_data();
    void abortDropsQueued();
    void aShowOnTheArmedConsole();
    void rehearsal();
    void firePageAtEverySize_data();
    void firePageAtEverySize();
};

void TestFireMain::fireOnEachRoute_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("kind"); // DeviceEvent::Kind
    QTest::addColumn<int>("box");
    const int mm = int(DeviceEvent::Kind::MasterModule), rk40 = int(DeviceEvent::Kind::Rk40);
    const int macro = int(DeviceEvent::Kind::MacroCall);
    // Buttons and hotkeys fire the configured box ([df] box 3), a macro the program's (36).
    for (const char* route : {"menu_fire_mastermodul", "menu_fire_rk40"}) {
        const int kind = QByteArray(route).endsWith("rk40") ? rk40 : mm;
        QTest::addRow("%s, button", route) << route << "button" << kind << 3;
        QTest::addRow("%s, hotkey", route) << route << "hotkey" << kind << 3;
        QTest::addRow("%s, macro", route) << route << "macro" << macro << 36;
    }
}

void TestFireMain::fireOnEachRoute() {
    QFETCH(QString, route);
    QFETCH(QString, how);
    QFETCH(int, kind);
    QFETCH(int, box);
    const bool rk40 = route == "menu_fire_rk40";
    FireMain m(settingsWith(kCom, 3));
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    d.setSingleChannel(1, 20);
    d.setMacroSlot(0, 0, vz::MacroCall, 21);
    d.setMacroActive(0, true);
    w.hotkeys().bind('a', 0, 1);

    QVERIFY(m.arm(qPrintable(route)));
    QCOMPARE(m.entry(qPrintable(route))->property("imageIndex").toInt(), 1);
    QVERIFY(!m.entry(rk40 ? "menu_fire_mastermodul" : "menu_fire_rk40")->isEnabled());
    QVERIFY(!m.entry("menu_transmit_caption")->isEnabled());
    for (int p = 0; p <= vz::kPageFireSetup; ++p)
        QCOMPARE(w.pageControl()->isTabVisible(p), p == vz::kPageFireMode);
    QVERIFY(w.previewArea()->firemodeWarning()->isVisible());
    QCOMPARE(w.transmitDialog()->com_port().Baud(), rk40 ? 2400 : 1200);
    QCOMPARE(m.console().firePage()->armedLabel()->text(),
             rk40 ? "RK40, 2400 Bd, COM7, box 3, macros box 36"
                  : "Master module, 1200 Bd, COM7, box 3, macros box 36");
    // The RK40 lets the box be chosen even in box mode 0.
    QCOMPARE(m.f.find<QComboBox>("box_nr_cb")->isVisible(), rk40);

    const qint64 t0 = FarEndRecorder::nowUs();
    if (how == "button")
        QTest::mouseClick(m.fireButton(0, 1), Qt::LeftButton);
    else if (how == "hotkey")
        tapKey(&w, Qt::Key_A, "a");
    else
        QTest::mouseClick(m.fireButton(9, 1), Qt::LeftButton);
    // A button or a key writes at once (a loaded machine may have the second copy out too); a
    // macro's first step comes on its tick, 20 ms on.
    if (how != "macro")
        QVERIFY(!m.copiesUs.isEmpty());
    const int frameSize = kind == int(DeviceEvent::Kind::MasterModule) ? 8 : 9;
    QVERIFY(m.far->waitFor(2 * frameSize));
    QTest::qWait(50); // nothing else follows
    const QVector<DeviceEvent> ev = m.events();
    QCOMPARE(ev.size(), 2);
    for (const DeviceEvent& e : ev) {
        QVERIFY2(e.valid, qPrintable(e.fault));
        QCOMPARE(int(e.kind), kind);
        QCOMPARE(e.channel, 21);
        QCOMPARE(e.box, box);
    }
    QCOMPARE(m.copiesUs.size(), 2);
    const double gap = (m.copiesUs[1] - m.copiesUs[0]) / 1000.0;
    QVERIFY2(gap >= 15 && gap < 500, qPrintable(QString("second copy after %1 ms").arg(gap)));
    if (how == "macro") {
        const double first = (m.copiesUs[0] - t0) / 1000.0;
        QVERIFY2(first >= 15 && first < 500, qPrintable(QString("first after %1 ms").arg(first)));
    }

    m.entry(qPrintable(route))->trigger();
    m.verifyOff();
    QVERIFY(m.f.find<QLabel>("box_nr_cblbl")->isVisible());
    QCOMPARE(m.f.prompts.kinds(), QStringList{"confirm"});
}

// The question names what would fire and arms only on Yes: No, what Enter gives, opens the
// transfer instead; a box closed without an answer changes nothing.
void TestFireMain::question() {
    for (Prompts::Answer answer : {Prompts::Answer::No, Prompts::Answer::Closed}) {
        FireMain m(settingsWith(kCom, 3));
        Tfrm_gui_main& w = m.start();
        QString shown;
        QTimer::singleShot(50, &w, [&shown] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                shown = dialog->objectName();
                dialog->close();
            }
        });
        m.f.prompts.answers.enqueue(answer);
        m.entry("menu_fire_rk40")->trigger();
        QCOMPARE(shown, answer == Prompts::Answer::No ? "frm_gui_transmit" : QString());
        QCOMPARE(m.f.prompts.records.size(), 1);
        QCOMPARE(m.f.prompts.records[0].defaultButton, Prompts::Answer::No);
        QVERIFY2(m.f.prompts.texts()[0].contains("for RK40, 2400 Bd, COM7, box 3, macros box 36?"),
                 qPrintable(m.f.prompts.texts()[0]));
        m.verifyOff();
    }
}

// The rehearsal arms like the master module but opens no port: a button plays on the flame row,
// the page counts what the box took, and the fire log names the route.
void TestFireMain::rehearsal() {
    FireMain m(settingsWith(kCom, 3));
    Tfrm_gui_main& w = m.start();
    w.document().setSingleFire(1, 100); // 2 s of flame, channel 1
    QVERIFY(m.arm("menu_fire_rehearsal"));
    QVERIFY(
        m.f.prompts.texts()[0].contains("for Rehearsal – nothing reaches box 3, macros box 36?"));
    QCOMPARE(m.console().firePage()->armedLabel()->text(),
             "Rehearsal – nothing reaches box 3, macros box 36");
    QVERIFY(!m.entry("menu_fire_mastermodul")->isEnabled());
    QVERIFY(!w.previewArea()->firemodeWarning()->isVisible()); // it would cover the row

    QTest::mouseClick(m.fireButton(0, 1), Qt::LeftButton);
    QTRY_COMPARE(w.previewArea()->slotState(1), quint8(vz::preview::SlotFlame));
    QCOMPARE(w.previewArea()->slotState(2), quint8(vz::preview::SlotOff));
    QTRY_COMPARE(m.copiesUs.size(), 2);
    QCOMPARE(m.console().firePage()->rehearsalLabel()->text(),
             "Rehearsal box – calls played: 1 · frames rejected: 0");

    m.entry("menu_fire_rehearsal")->trigger();
    m.verifyOff();
    QCOMPARE(w.previewArea()->slotState(1), quint8(vz::preview::SlotOff));
    QVERIFY(m.far->chunks().isEmpty());
    QCOMPARE(
        m.logLines().filter(",frame,rehearsal,,3,1,button,5F 5F 73 32 67 01 9A 00,written").size(),
        2);
}

void TestFireMain::portFailures_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<bool>("unplug"); // the line dies while armed
    QTest::newRow("master module, port missing") << "menu_fire_mastermodul" << false;
    QTest::newRow("rk40, port missing") << "menu_fire_rk40" << false;
    QTest::newRow("master module, unplugged") << "menu_fire_mastermodul" << true;
}

void TestFireMain::portFailures() {
    QFETCH(QString, route);
    QFETCH(bool, unplug);
    // Port 9 is a link to nothing: no chooser, no fallback, the open fails.
    FireMain m(settingsWith(unplug ? kCom : 9));
    QDir(m.f.folder.path()).mkpath("ports");
    QVERIFY(QFile::link(m.f.folder.filePath("gone"), m.f.folder.filePath("ports/COM9")));
    m.start();
    if (unplug) {
        m.far.reset(); // nobody reads a line that is about to die
        QVERIFY(m.arm(qPrintable(route)));
        m.pty.hangUp();
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(m.fireButton(2, 1), Qt::LeftButton);
            QTest::qWait(30);
        }
        QTRY_VERIFY(!m.console().controller().isArmed());
        QTest::qWait(100); // told once
    } else {
        QVERIFY(!m.arm(qPrintable(route)));
    }
    QCOMPARE(m.f.prompts.kinds(), (QStringList{"confirm", "error"}));
    QCOMPARE(m.f.prompts.texts().last(), get_text("msg_comport_error"));
    m.verifyOff();
}

void TestFireMain::abortDropsQueued_data() {
    QTest::addColumn<QString>("abort");
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Stop") << "stop";
    QTest::newRow("fire mode off, then on again") << "off";
    QTest::newRow("close request, answered Cancel") << "close";
    QTest::newRow("New") << "new";
}

void TestFireMain::abortDropsQueued() {
    QFETCH(QString, abort);
    FireMain m;
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    d.setMacroSlot(0, 0, vz::MacroPause, 40); // the call comes 0.4 s after the click
    d.setMacroSlot(0, 1, vz::MacroCall, 9);
    d.setMacroActive(0, true);
    w.hotkeys().bind('a', 1, 1); // channel 21
    w.hotkeys().bind('b', 1, 2); // channel 24
    QVERIFY(m.arm("menu_fire_mastermodul"));
    m.f.prompts.answers.enqueue(abort == "close" ? Prompts::Answer::Cancel : Prompts::Answer::Yes);
    QTest::mouseClick(m.fireButton(9, 1), Qt::LeftButton);
    // A frame on the line, one queued behind it, then the abort: only the second copy of
    // the first may follow.
    tapKey(&w, Qt::Key_A, "a");
    tapKey(&w, Qt::Key_B, "b");
    const qint64 abortUs = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
    if (abort == "escape")
        tapKey(&w, Qt::Key_Escape, "\x1b");
    else if (abort == "stop")
        QTest::mouseClick(m.console().firePage()->stopButton(), Qt::LeftButton);
    else if (abort == "off")
        m.entry("menu_fire_mastermodul")->trigger();
    else if (abort == "close")
        QVERIFY(!w.close()); // Cancel: the window stays
    else
        m.entry("menu_file_new")->trigger();
    QVERIFY(!m.console().runner().isRunning());
    if (abort == "off")
        QVERIFY(m.arm("menu_fire_mastermodul")); // never resumes the macro
    QTest::qWait(500);
    // On a loaded machine b may have begun before the abort; then only its second copy follows.
    const bool bBegan = m.copiesUs.size() > 2 && m.copiesUs[2] < abortUs;
    const QList<int> expected = bBegan ? QList<int>{21, 21, 24, 24} : QList<int>{21, 21};
    QCOMPARE(m.channels(), expected);
    QVERIFY(std::count_if(m.copiesUs.begin(), m.copiesUs.end(),
                          [abortUs](qint64 t) { return t > abortUs; }) <= 1);
    // What was dropped is in the fire log, once.
    QCOMPARE(m.logLines().filter(",24,hotkey b,5F 5F 73 32 65 18 AF 00,dropped").size(),
             bBegan ? 0 : 1);
}

// A show on the armed console: what changes a frame takes no input; only what the project
// shows fires (else a refused line), a held key once; a pause counts from the call's last copy;
// a modal window stops a running macro first; after Open the new channels fire; closing is fire
// mode off with the copy on the line still sent.
void TestFireMain::aShowOnTheArmedConsole() {
    FireMain m;
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    chooseListEntry(m.f.find<QComboBox>("tab_single_modnr_1_cb"), 29); // a step to undo
    const auto macro = [&d](int index, const QVector<int>& steps) {
        for (int i = 0; i + 1 < steps.size(); i += 2)
            d.setMacroSlot(index, i / 2, steps[i], steps[i + 1]);
        d.setMacroActive(index, true);
    };
    macro(0, {vz::MacroCall, 30, vz::MacroPause, 10, vz::MacroCall, 31});
    macro(1, {vz::MacroPause, 1}); // would run as 0.02 s
    macro(3, {vz::MacroPause, 500, vz::MacroCall, 9});
    // Single 9 (6 modules), macros 3 (inactive), 2 and 4, all 1 and 2.
    const int bound[][3] = {{'a', 0, 9}, {'d', 9, 3}, {'e', 9, 2},
                            {'f', 9, 4}, {'g', 1, 1}, {'b', 1, 2}};
    for (const auto& b : bound)
        w.hotkeys().bind(b[0], b[1], b[2]);
    QVERIFY(m.arm("menu_fire_rk40"));

    for (const char* name : {"gasmod_count_cb", "box_nr_cb"}) {
        auto* list = m.f.find<QComboBox>(name);
        QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
        QTest::mouseClick(list, Qt::LeftButton);
        QVERIFY(list->isVisible() && !list->view()->isVisible());
    }
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(QList<int>(
                 {d.program().moduleCount(), d.program().boxNumber(), d.program().singleAt(1).ch}),
             QList<int>({6, 36, 29}));
    for (const char* entry : {"menu_edit_undo", "menu_edit_redo", "menu_transmit_caption"})
        QVERIFY2(!m.entry(entry)->isEnabled(), entry);

    QTest::mouseClick(m.fireButton(9, 1), Qt::LeftButton);
    tapKey(&w, Qt::Key_G, "g");
    for (bool autoRepeat : {false, true, true}) { // b held, queued behind g
        QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b", autoRepeat);
        QApplication::sendEvent(&w, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, "b");
    QApplication::sendEvent(&w, &release);
    for (QChar key : QString("ade"))
        tapKey(&w, Qt::Key_A + (key.unicode() - 'a'), key);
    QTRY_VERIFY(!m.console().runner().isRunning());
    // Whether the first call went before g and b or waited behind them, the pause after it ran
    // in full from its last copy.
    const int call30 = m.copyFrames.lastIndexOf(vz::macroCallFrame(36, 30));
    const int call31 = m.copyFrames.indexOf(vz::macroCallFrame(36, 31));
    QVERIFY(call30 >= 0 && call31 > call30);
    const double pause = (m.copiesUs[call31] - m.copiesUs[call30]) / 1000.0;
    QVERIFY2(pause >= 100, qPrintable(QString("pause of %1 ms").arg(pause)));
    tapKey(&w, Qt::Key_E, "e");
    QVERIFY(m.f.prompts.texts().last().contains("Macro 2, step 1: pause of "));

    tapKey(&w, Qt::Key_F, "f");
    bool runningBehind = true;
    QTimer::singleShot(0, &w, [&] {
        runningBehind = m.console().runner().isRunning();
        QApplication::activeModalWidget()->close();
    });
    m.entry("menu_help_info")->trigger();
    QVERIFY(!runningBehind);

    vz::BoxProgram next = vz::BoxProgram::startValues();
    next.singleAt(1).ch = 43;
    QVERIFY(vz::ProjectFile::write(m.f.folder.filePath("next.kvx"), next));
    m.f.prompts.answers.enqueue(Prompts::Answer::Yes); // discard the changes
    m.f.prompts.fileNames.enqueue(m.f.folder.filePath("next.kvx"));
    m.entry("menu_file_open")->trigger();
    QTest::mouseClick(m.fireButton(0, 1), Qt::LeftButton);
    QVERIFY(w.close());
    QVERIFY(!w.transmitDialog()->com_port().Open());
    QVERIFY(m.far->waitFor(10 * 9));
    QCOMPARE(m.channels(), (QList<int>{21, 21, 24, 24, 30, 30, 31, 31, 44, 44}));
    const QStringList lines = m.logLines();
    QStringList refused; // source, frame, outcome
    for (const QString& line : lines)
        if (line.contains(",refused: "))
            refused << line.section(',', 6);
    QCOMPARE(refused, (QStringList{"hotkey a,,refused: single 9 is not shown (6 modules)",
                                   "hotkey d,,refused: macro 3 is not shown (inactive)",
                                   "hotkey e,,refused: macro 1 is running",
                                   "hotkey e,,refused: macro 2 does not run as written"}));
    QCOMPARE(lines.filter(",macro abort,").size(), 1);
    QVERIFY2(lines.last().contains(",fire mode off,"), qPrintable(lines.last()));
}

void TestFireMain::firePageAtEverySize_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QSize>("size"); // invalid: the window's smallest
    QTest::addColumn<QString>("armed");
    QTest::addColumn<QString>("next");
    QTest::newRow("english, smallest")
        << "english" << QSize() << "Master module, 1200 Bd, COM7, box 3, macros box 46"
        << "Next call: channel 31 in 1";
    QTest::newRow("deutsch, large")
        << "deutsch" << QSize(1600, 1000) << "Mastermodul, 1200 Bd, COM7, Box 3, Makros Box 46"
        << "Nächster Aufruf: Kanal 31 in 1";
}

// What the operator sees: what is armed on top, macro buttons unlike channel buttons, and a
// running macro's steps where the panel was, all clear of Stop.
void TestFireMain::firePageAtEverySize() {
    QFETCH(QString, language);
    QFETCH(QSize, size);
    QFETCH(QString, armed);
    QFETCH(QString, next);
    FireMain m(settingsWith(kCom, 3, language));
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    d.setModuleCountPosition(15);
    d.setMacroSlot(0, 0, vz::MacroCall, 21);
    d.setMacroSlot(0, 1, vz::MacroPause, 150);
    d.setMacroSlot(0, 2, vz::MacroCall, 31);
    d.setMacroActive(0, true);
    d.setMacroActive(9, true);
    w.resize(size.isValid() ? size : w.minimumSize());
    QVERIFY(m.arm("menu_fire_mastermodul"));
    vz::FireModePage* page = m.console().firePage();
    QLabel* head = page->armedLabel();
    QTRY_COMPARE(head->text(), armed);
    QVERIFY(head->isVisible() && head->y() <= vz::FireModePage::kArmedBorder);
    QVERIFY(head->geometry().bottom() < page->panel()->y());
    QVERIFY(head->fontMetrics().horizontalAdvance(armed) <= head->width());

    QPushButton* macro = m.fireButton(9, 10);
    QCOMPARE(macro->text(), QString("M10"));
    QVERIFY(macro->fontMetrics().horizontalAdvance("M10") < macro->width());
    const QPoint inside(4, macro->height() / 2);
    QVERIFY(macro->grab().toImage().pixelColor(inside) !=
            m.fireButton(1, 1)->grab().toImage().pixelColor(inside));

    QTest::mouseClick(m.fireButton(9, 1), Qt::LeftButton);
    vz::MacroRunView* view = page->runView();
    QTRY_COMPARE(view->monitor().current(), 1); // the pause after the first call
    QVERIFY(view->isVisible() && !page->panel()->isVisible());
    QCOMPARE(view->monitor().calledChannels(), QVector<int>{21});
    QVERIFY2(view->nextLabel()->text().startsWith(next), qPrintable(view->nextLabel()->text()));
    const QRect stop = page->stopButton()->geometry();
    QVector<QRect> parts{view->stripRect().translated(view->pos())};
    for (QLabel* part :
         {view->nextLabel(), view->calledLabel(), page->macroRunningLabel(), page->macroNrLabel()})
        parts << QRect(part->mapTo(page, QPoint()), part->size());
    for (QPushButton* b : page->fireButtons()) // where the panel comes back
        if (!b->isHidden())
            parts << b->geometry().translated(page->panel()->pos());
    for (const QRect& r : parts)
        QVERIFY(!r.isEmpty() && page->rect().contains(r) && !r.intersects(stop));
    QTest::mouseClick(page->stopButton(), Qt::LeftButton);
    QVERIFY(!view->monitor().isRunning() && page->panel()->isVisible());
}

QTEST_MAIN(TestFireMain)
#include "tst_fire_main.moc"
