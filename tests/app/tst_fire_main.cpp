// The fire console inside the real main window: fire mode through the fire menu, frames on a
// pseudo-terminal linked as the saved port, hotkeys through the window's own key handling,
// macros and their editor, the port button, port failures, the hotkey file in the working
// folder.

#include "core/far_end_recorder.h"
#include "core/pty_pair.h"
#include "gui/main_window_fixture.h"

#include "base/ini_file.h"
#include "device/device_decoder.h"
#include "fire/fire_console.h"
#include "fire/fire_panel.h"
#include "fire/fire_panel_layout.h"
#include "fire/fire_setup.h"
#include "fire/gui_firebtn_hotkey.h"
#include "fire/gui_macropause.h"
#include "fire/gui_macroseq.h"
#include "preview/preview_area.h"
#include "program/edit_wiring.h"
#include "program/program_document.h"
#include "program/project_file.h"
#include "transfer/backend_transmit.h"
#include "transfer/transfer_wiring.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <termios.h>

#include <memory>

using vz::DeviceEvent;

namespace {

constexpr int kCom = 7;

QByteArray settingsWith(int port, int box = 1, int boxMode = 0,
                        const QString& language = QStringLiteral("english")) {
    return QStringLiteral("[languagefiles]\nactive=%4\n[com]\nport=%1\n[df]\nbox=%2\n"
                          "[misc]\nnew_boxmode=%3\n")
        .arg(port)
        .arg(box)
        .arg(boxMode)
        .arg(language)
        .toUtf8();
}

// The main window on a program folder whose ports/COM7 is a pseudo-terminal; the far end
// is recorded from the start.
struct FireMain {
    MainWindowFixture f;
    PtyPair pty;
    std::unique_ptr<FarEndRecorder> far;

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
        w.fireConsole()->hotkeyWindow()->setHoldMs(10);
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
        for (const char* route : {"menu_fire_mastermodul", "menu_fire_rk40"}) {
            QCOMPARE(entry(route)->property("imageIndex").toInt(), 0);
            QVERIFY(entry(route)->isEnabled());
        }
        QVERIFY(entry("menu_transmit_caption")->isEnabled());
        for (int page = 0; page <= vz::kPageFireSetup; ++page)
            QCOMPARE(w().pageControl()->isTabVisible(page), page != vz::kPageFireMode);
        QCOMPARE(w().pageControl()->currentIndex(), vz::kPageSingle);
        QVERIFY(!w().previewArea()->firemodeWarning()->isVisible());
        QVERIFY(!w().transmitDialog()->com_port().Open());
    }
    // Fire frames as the device on the far end decodes them (times from the first byte).
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

speed_t lineSpeed(int fd) {
    termios t{};
    ::tcgetattr(fd, &t);
    return ::cfgetospeed(&t);
}

void sendKey(QWidget* to, QEvent::Type type, int key, const QString& text,
             Qt::KeyboardModifiers mods = Qt::NoModifier, bool autoRepeat = false) {
    QKeyEvent e(type, key, mods, text, autoRepeat);
    QApplication::sendEvent(to, &e);
}

void tapKey(QWidget* to, int key, const QString& text, Qt::KeyboardModifiers mods = {}) {
    sendKey(to, QEvent::KeyPress, key, text, mods);
    sendKey(to, QEvent::KeyRelease, key, text, mods);
}

double msSince(const FarEndRecorder& far, int byte, qint64 t0Us) {
    return (far.byteTimeUs(byte) - t0Us) / 1000.0;
}

// Runs action on the next modal window, then presses its button named button. Timers die
// with the window, so a test that ends early leaves nothing behind.
void answerModal(QObject* context, const QString& button, std::function<void(QWidget*)> action) {
    QTimer::singleShot(50, context, [=] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        if (action)
            action(box);
        if (auto* b = box->findChild<QPushButton*>(button))
            QTest::mouseClick(b, Qt::LeftButton);
    });
    QTimer::singleShot(5000, context, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close(); // keeps a failing test from hanging
    });
}

QString writeProject(const QString& path, const std::function<void(vz::BoxProgram&)>& edit) {
    vz::BoxProgram p = vz::BoxProgram::startValues();
    edit(p);
    return vz::ProjectFile::write(path, p) ? path : QString();
}

} // namespace

class TestFireMain : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUp();
    void armAndFire_data();
    void armAndFire();
    void questionNotYes_data();
    void questionNotYes();
    void portFailures_data();
    void portFailures();
    void savedPortIsShared();
    void fireLogOffShownOnPage();
    void unplugWhileArmed();
    void portButton();
    void hotkeys();
    void keysStayOffTheControls_data();
    void keysStayOffTheControls();
    void macroFromProject_data();
    void macroFromProject();
    void macroEdges();
    void abortDropsQueued_data();
    void abortDropsQueued();
    void macroEndsWithItsDocument_data();
    void macroEndsWithItsDocument();
    void macroEditor();
    void newAndOpenWhileArmed();
    void undoWhileArmed();
    void hiddenButtonKeepsItsPlace();
    void languageChangeWhileArmed();
    void saveHotkeys_data();
    void saveHotkeys();
    void layoutInEachLanguage_data();
    void layoutInEachLanguage();

private:
    std::unique_ptr<QTemporaryDir> m_cwd;
    QString m_oldCwd;
};

void TestFireMain::init() {
    // hotkeys.ini lives in the working folder: every test gets a fresh one.
    m_oldCwd = QDir::currentPath();
    m_cwd = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_cwd->path()));
}

void TestFireMain::cleanup() {
    QDir::setCurrent(m_oldCwd);
    m_cwd.reset();
}

void TestFireMain::startUp() {
    FireMain m;
    Tfrm_gui_main& w = m.start();
    // Created once, in the start-up order, after the main window.
    QStringList dialogs;
    for (QObject* child : w.children())
        if (auto* d = qobject_cast<QDialog*>(child))
            dialogs << d->objectName();
    QCOMPARE(dialogs, (QStringList{"frm_language", "frm_gui_info", "frm_gui_transmit",
                                   "frm_gui_adv_settings", "frm_firebtn_hotkey",
                                   "frm_gui_macropause", "frm_gui_macroseq"}));
    // The pages in their places, the fire page's tab hidden.
    QTabWidget* tabs = w.pageControl();
    QCOMPARE(tabs->count(), 11);
    QCOMPARE(tabs->widget(vz::kPageFireMode), m.console().firePage());
    QCOMPARE(tabs->widget(vz::kPageFireSetup), m.console().setupPage());
    QVERIFY(!tabs->isTabVisible(vz::kPageFireMode));
    QCOMPARE(tabs->tabText(vz::kPageFireSetup), get_text("tab_fire_setup"));
    // One warning label, the preview's, hidden.
    const QList<QLabel*> warnings = w.findChildren<QLabel*>("lbl_firemode_warning");
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(warnings.constFirst(), w.previewArea()->firemodeWarning());
    QCOMPARE(m.console().warningLabel(), warnings.constFirst());
    QVERIFY(!warnings.constFirst()->isVisible());
    QCOMPARE(warnings.constFirst()->text(), get_text("lbl_firemode_warning"));
    // The macro list, filled on show.
    auto* macros = m.f.find<QComboBox>("firesetup_macro_select_cb");
    QCOMPARE(macros->count(), 10);
    QCOMPARE(macros->itemText(9), get_text("macro") + " 10");
    QCOMPARE(macros->currentIndex(), 0);
    // The saved port on the set-up page, before and after the page is shown.
    QLabel* port = m.console().setupPage()->portLabel();
    QCOMPARE(port->text(), QString("COM7"));
    tabs->setCurrentIndex(vz::kPageFireSetup);
    QCOMPARE(port->text(), QString("COM7"));
    for (const char* route : {"menu_fire_mastermodul", "menu_fire_rk40"}) {
        QCOMPARE(m.entry(route)->property("imageIndex").toInt(), 0);
        QVERIFY(!m.entry(route)->icon().isNull());
    }
}

void TestFireMain::armAndFire_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("master module, box mode 0") << "menu_fire_mastermodul" << 1 << 0 << 1 << 1200
                                               << QByteArray::fromHex("5f5f733265019800");
    QTest::newRow("master module, box 3, channel 21, box mode 1")
        << "menu_fire_mastermodul" << 3 << 1 << 21 << 1200
        << QByteArray::fromHex("5f5f73326715ae00");
    QTest::newRow("rk40, box mode 0")
        << "menu_fire_rk40" << 1 << 0 << 1 << 2400 << QByteArray::fromHex("0000ff3265010b0000");
    QTest::newRow("rk40, box 3, channel 21, box mode 1")
        << "menu_fire_rk40" << 3 << 1 << 21 << 2400 << QByteArray::fromHex("0000ff3267151f0000");
}

void TestFireMain::armAndFire() {
    QFETCH(QString, route);
    QFETCH(int, box);
    QFETCH(int, boxMode);
    QFETCH(int, channel);
    QFETCH(int, baud);
    QFETCH(QByteArray, frame);
    const bool rk40 = route == "menu_fire_rk40";
    FireMain m(settingsWith(kCom, box, boxMode));
    Tfrm_gui_main& w = m.start();
    w.document().setSingleChannel(1, channel - 1);
    QAction* entry = m.entry(qPrintable(route));
    QAction* other = m.entry(rk40 ? "menu_fire_mastermodul" : "menu_fire_rk40");
    auto* boxList = m.f.find<QComboBox>("box_nr_cb");
    auto* boxLabel = m.f.find<QLabel>("box_nr_cblbl");
    vz::FireModePage* page = m.console().firePage();

    QVERIFY(m.arm(qPrintable(route)));
    QCOMPARE(m.f.prompts.texts(), QStringList{get_text("msg_firemode")});
    QCOMPARE(entry->property("imageIndex").toInt(), 1);
    QVERIFY(!other->isEnabled());
    QVERIFY(!m.entry("menu_transmit_caption")->isEnabled());
    for (int p = 0; p <= vz::kPageFireSetup; ++p)
        QCOMPARE(w.pageControl()->isTabVisible(p), p == vz::kPageFireMode);
    QCOMPARE(w.pageControl()->currentIndex(), vz::kPageFireMode);
    QVERIFY(w.previewArea()->firemodeWarning()->isVisible());
    QVERIFY(page->isArmed());
    QCOMPARE(w.transmitDialog()->com_port().Baud(), baud);
    QCOMPARE(lineSpeed(m.pty.masterFd()), baud == 1200 ? speed_t(B1200) : speed_t(B2400));
    QCOMPARE(page->portLabel()->text(), QString("COM7"));
    QCOMPARE(m.fireButton(0, 1)->text(), QString::number(channel));
    // The RK40 lets the box be chosen in either box mode.
    QCOMPARE(w.document().rk40Active(), rk40);
    QCOMPARE(boxList->isVisible(), rk40 || boxMode == 1);
    QCOMPARE(boxLabel->isVisible(), !rk40 && boxMode == 0);

    // The transfer cannot take the armed port, not even by a direct call.
    QString opened;
    answerModal(&w, QStringLiteral("btn_close"),
                [&opened](QWidget* dialog) { opened = dialog->objectName(); });
    w.transfer()->menu_transmit_captionClick();
    QCOMPARE(opened, QString());
    QVERIFY(w.transmitDialog()->com_port().Open());

    const qint64 t0 = FarEndRecorder::nowUs();
    QTest::mouseClick(m.fireButton(0, 1), Qt::LeftButton);
    QVERIFY(m.far->waitFor(2 * frame.size()));
    QTest::qWait(60);
    QCOMPARE(m.far->bytes(), frame + frame);
    // Tolerances leave room for a loaded machine; bench_fire measures the real figures.
    const double first = msSince(*m.far, 0, t0);
    QVERIFY2(first < 20, qPrintable(QString("first byte after %1 ms").arg(first)));
    const QVector<DeviceEvent> ev = m.events();
    QCOMPARE(ev.size(), 2);
    QCOMPARE(ev[0].kind, rk40 ? DeviceEvent::Kind::Rk40 : DeviceEvent::Kind::MasterModule);
    QVERIFY2(ev[0].valid, qPrintable(ev[0].fault));
    QCOMPARE(ev[0].channel, channel);
    QCOMPARE(ev[0].box, box);
    const qint64 gap = ev[1].timeMs - ev[0].timeMs;
    QVERIFY2(gap >= 15 && gap <= 60, qPrintable(QString::number(gap)));
    // The window says the frame was sent, not that anything fired.
    QCOMPARE(page->sentLabel()->text(), get_text("firemode_sent") + ' ' + QString::number(channel));

    if (rk40 && boxMode == 0) {
        chooseListEntry(boxList, 2); // the operator picks box 3 meanwhile
        QCOMPARE(w.document().program().boxNumber(), 3);
    }
    entry->trigger();
    m.verifyOff();
    QVERIFY(!w.document().rk40Active());
    QCOMPARE(boxList->isVisible(), boxMode == 1);
    QCOMPARE(boxLabel->isVisible(), boxMode == 0);
    if (boxMode == 0) {
        // The derived number comes back whatever was picked.
        QCOMPARE(boxLabel->text(), QString("36"));
        QCOMPARE(w.document().program().boxNumber(), 36);
    }
    QCOMPARE(m.f.prompts.kinds(), QStringList{"confirm"});
}

void TestFireMain::questionNotYes_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("transfer");
    QTest::newRow("No opens the transfer") << int(Prompts::Answer::No) << true;
    QTest::newRow("closed box changes nothing") << int(Prompts::Answer::Closed) << false;
}

void TestFireMain::questionNotYes() {
    QFETCH(int, answer);
    QFETCH(bool, transfer);
    FireMain m;
    Tfrm_gui_main& w = m.start();
    QString shown;
    answerModal(&w, QStringLiteral("btn_close"),
                [&shown](QWidget* dialog) { shown = dialog->objectName(); });
    m.f.prompts.answers.enqueue(Prompts::Answer(answer));
    m.entry("menu_fire_rk40")->trigger();
    QCOMPARE(shown, transfer ? QString("frm_gui_transmit") : QString());
    QCOMPARE(m.f.prompts.kinds(), QStringList{"confirm"});
    m.verifyOff();
    // The transfer dialog streamed its idle bytes at 1200 baud; the question alone, nothing.
    QTest::qWait(80);
    QCOMPARE(m.far->size() > 0, transfer);
}

void TestFireMain::portFailures_data() {
    QTest::addColumn<QString>("route");
    QTest::newRow("master module") << "menu_fire_mastermodul";
    QTest::newRow("rk40") << "menu_fire_rk40";
}

void TestFireMain::portFailures() {
    QFETCH(QString, route);
    // The saved port is a link to nothing: no chooser, no fallback, the open fails.
    FireMain m(settingsWith(9));
    QDir(m.f.folder.path()).mkpath("ports");
    QVERIFY(QFile::link(m.f.folder.filePath("gone"), m.f.folder.filePath("ports/COM9")));
    Tfrm_gui_main& w = m.start();
    QVERIFY(!m.arm(qPrintable(route)));
    QCOMPARE(m.f.prompts.kinds(), (QStringList{"confirm", "error"}));
    QCOMPARE(m.f.prompts.texts().last(), get_text("msg_comport_error"));
    m.verifyOff();
    QVERIFY(!m.f.find<QLabel>("box_nr_cblbl")->isHidden());
    QCOMPARE(w.settings().port, 9);
    QVERIFY(m.f.folder.settingsText().contains("port=9"));
}

void TestFireMain::savedPortIsShared() {
    // The transmit dialog's port choice writes the window's [com] port; fire mode must open
    // that port, not a copy taken at start-up.
    FireMain m(settingsWith(9));
    Tfrm_gui_main& w = m.start();
    w.settings().port = kCom;
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QCOMPARE(w.transmitDialog()->com_port().ComNumber(), kCom);
    QCOMPARE(m.console().savedPort(), kCom);
    QVERIFY(m.f.folder.settingsText().contains("port=7"));
    m.entry("menu_fire_mastermodul")->trigger();
    QCOMPARE(m.f.prompts.kinds(), QStringList{"confirm"});
}

void TestFireMain::fireLogOffShownOnPage() {
    // A file where the log folder belongs: no log, whoever runs the test; the set-up page
    // names the file all the same.
    FireMain m;
    QVERIFY(m.f.folder.writeFile("logs", "x"));
    Tfrm_gui_main& w = m.start();
    w.pageControl()->setCurrentIndex(vz::kPageFireSetup);
    QVERIFY(m.f.find<QLabel>("firesetup_log_path")
                ->text()
                .startsWith(QDir::toNativeSeparators(m.f.folder.filePath("logs/fire-"))));
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QLabel* off = m.f.find<QLabel>("firemode_log_off_lbl");
    QTRY_VERIFY(off->isVisible());
    QVERIFY2(off->text().startsWith(get_text("firemode_log_off") + " ") &&
                 off->text().contains(QDir::toNativeSeparators(m.f.folder.filePath("logs"))),
             qPrintable(off->text()));
    // Firing goes on, and no message box stands in the way.
    QTest::mouseClick(m.fireButton(0, 1), Qt::LeftButton);
    QVERIFY(m.far->waitFor(16));
    QCOMPARE(m.f.prompts.kinds(), QStringList{"confirm"});
}

void TestFireMain::unplugWhileArmed() {
    FireMain m;
    m.start();
    m.far.reset(); // nobody reads a line that is about to die
    QVERIFY(m.arm("menu_fire_mastermodul"));
    m.f.prompts.clear();
    m.pty.hangUp();
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(m.fireButton(2, 1), Qt::LeftButton);
        QTest::qWait(30);
    }
    QTRY_VERIFY(!m.console().controller().isArmed());
    QTest::qWait(100);
    QCOMPARE(m.f.prompts.kinds(), QStringList{"error"});
    QCOMPARE(m.f.prompts.texts(), QStringList{get_text("msg_comport_error")});
    m.verifyOff();
}

void TestFireMain::portButton() {
    FireMain m(settingsWith(9));
    Tfrm_gui_main& w = m.start();
    w.pageControl()->setCurrentIndex(vz::kPageFireSetup);
    vz::FireSetupPage* setup = m.console().setupPage();
    // Chosen: the label and the settings file take it; the port opens only in fire mode.
    answerModal(&w, QStringLiteral("OkBtn"), [](QWidget* chooser) {
        auto* list = chooser->findChild<QComboBox*>(QStringLiteral("PortsComboBox"));
        list->setCurrentIndex(list->findText(QStringLiteral("COM7")));
    });
    QTest::mouseClick(setup->portButton(), Qt::LeftButton);
    QCOMPARE(setup->portLabel()->text(), QString("COM7"));
    QCOMPARE(w.settings().port, kCom);
    QVERIFY(m.f.folder.settingsText().contains("port=7"));
    QVERIFY(!w.transmitDialog()->com_port().Open());
    // Cancelled: no port, written as 0, and the operator is told.
    answerModal(&w, QStringLiteral("AbortBtn"), {});
    QTest::mouseClick(setup->portButton(), Qt::LeftButton);
    QCOMPARE(setup->portLabel()->text(), get_text("msg_selectcomport"));
    QCOMPARE(w.settings().port, 0);
    QVERIFY(m.f.folder.settingsText().contains("port=0"));
    QCOMPARE(m.f.prompts.kinds(), QStringList{"error"});
}

void TestFireMain::hotkeys() {
    // From the file in the working folder: 7 and a on single 2, q on single 3, 1 on all 1,
    // k on all 2 and p on single 9, hidden with 6 modules. By their key numbers the keypad's
    // + would be k and F1 would be p.
    {
        IniFile ini(QStringLiteral("./hotkeys.ini"));
        const int bindings[][3] = {{'7', 0, 2}, {'a', 0, 2}, {'q', 0, 3},
                                   {'1', 1, 1}, {'k', 1, 2}, {'p', 0, 9}};
        for (const auto& b : bindings) {
            ini.writeInt(QString::number(b[0]), "1", b[1]);
            ini.writeInt(QString::number(b[0]), "2", b[2]);
        }
        QVERIFY(ini.save());
    }
    FireMain m;
    Tfrm_gui_main& w = m.start();
    QCOMPARE(w.hotkeys().entry('a'), (HotkeyTable::Entry{0, 2}));
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QPushButton* single2 = m.fireButton(0, 2);
    QPushButton* single3 = m.fireButton(0, 3);
    const QString base2 = m.console().baseHint(0, 2);
    QVERIFY(base2.startsWith(get_text("tab_single_caption2_A") + ": "));
    QCOMPARE(single2->toolTip(), base2 + "\n\rHotkey: 7\n\rHotkey: a"); // ascending

    // Right button on single 3, the pop-up's entry, the key typed in the capture window.
    // The press records the button; the platform then asks for the menu.
    QTest::mousePress(single3, Qt::RightButton);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                single3->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(single3, &menuEvent);
    QTest::mouseRelease(single3, Qt::RightButton);
    QMenu* popup = m.console().firePage()->popup();
    QTRY_VERIFY(popup->isVisible());
    QString captured;
    QString asked;
    QTimer::singleShot(50, &w, [&captured, &asked] {
        QWidget* capture = QApplication::activeModalWidget();
        if (!capture)
            return;
        captured = capture->objectName();
        asked = capture->findChild<QLabel*>(QStringLiteral("lbl_enter_hotkey"))->text();
        QTest::keyClick(capture, 'a');
    });
    QAction* bind = m.console().firePage()->popupHotkey();
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(bind).center());
    QCOMPARE(captured, QString("frm_firebtn_hotkey"));
    QCOMPARE(asked, get_text("lbl_enter_hotkey") + " [q]");
    // The key moved: single 2's hint lost its key lines, single 3's old key is free.
    QCOMPARE(w.hotkeys().entry('a'), (HotkeyTable::Entry{0, 3}));
    QVERIFY(w.hotkeys().entry('q').isFree());
    QCOMPARE(single2->toolTip(), base2);
    QCOMPARE(single3->toolTip(), m.console().baseHint(0, 3) + "\n\rHotkey: a");

    // Keys reach the console through the window, once per press, whatever has the focus.
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
    m.far->clear();
    sendKey(focus, QEvent::KeyPress, Qt::Key_A, "A"); // Caps Lock: still the a key
    sendKey(focus, QEvent::KeyRelease, Qt::Key_A, "A", Qt::NoModifier, true); // held
    sendKey(focus, QEvent::KeyPress, Qt::Key_A, "A", Qt::NoModifier, true);
    sendKey(focus, QEvent::KeyPress, Qt::Key_7, "7"); // a second key while a is down
    sendKey(focus, QEvent::KeyRelease, Qt::Key_A, "A");
    tapKey(focus, Qt::Key_A, "A", Qt::ShiftModifier); // Shift blocks
    tapKey(focus, Qt::Key_Q, "q");                    // freed
    tapKey(focus, Qt::Key_F1, QString());
    tapKey(focus, Qt::Key_Plus, "+", Qt::KeypadModifier);
    tapKey(focus, Qt::Key_7, "7");
    tapKey(focus, Qt::Key_1, "1", Qt::KeypadModifier); // the keypad's digits are digits
    QVERIFY(m.fireButton(0, 9)->isHidden());
    tapKey(focus, Qt::Key_P, "p");
    QVERIFY(m.far->waitFor(8 * 8));
    QTest::qWait(80);
    // Quick presses: each frame's two copies stay together.
    const QVector<DeviceEvent> ev = m.events();
    QCOMPARE(m.channels(), (QList<int>{3, 3, 2, 2, 21, 21, 9, 9}));
    for (int i = 0; i < ev.size(); i += 2) {
        const qint64 gap = ev[i + 1].timeMs - ev[i].timeMs;
        QVERIFY2(gap >= 15 && gap <= 60, qPrintable(QString::number(gap)));
    }

    // A release that went to another window: the window's deactivation frees the latch.
    m.far->clear();
    sendKey(focus, QEvent::KeyPress, Qt::Key_7, "7");
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&w, &deactivate);
    sendKey(focus, QEvent::KeyPress, Qt::Key_7, "7");
    sendKey(focus, QEvent::KeyRelease, Qt::Key_7, "7");
    QVERIFY(m.far->waitFor(32));

    // Off the fire page the keys are the program pages' again.
    m.entry("menu_fire_mastermodul")->trigger();
    m.far->clear();
    tapKey(&w, Qt::Key_7, "7");
    QTest::qWait(80);
    QCOMPARE(m.far->size(), 0);
}

void TestFireMain::keysStayOffTheControls_data() {
    QTest::addColumn<bool>("armed");
    QTest::addColumn<int>("count");
    QTest::newRow("fire page: the key is a hotkey") << true << 6;
    QTest::newRow("program pages: the list takes it") << false << 9;
}

void TestFireMain::keysStayOffTheControls() {
    QFETCH(bool, armed);
    QFETCH(int, count);
    FireMain m;
    Tfrm_gui_main& w = m.start();
    w.hotkeys().bind('9', 1, 1);
    if (armed)
        QVERIFY(m.arm("menu_fire_mastermodul"));
    auto* countList = m.f.find<QComboBox>("gasmod_count_cb");
    countList->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), countList);
    QTest::keyClick(countList, Qt::Key_9, Qt::NoModifier);
    QCOMPARE(w.document().program().moduleCount(), count);
    // Ctrl steps the time up-downs by 5 only off the fire page.
    auto* ud = m.f.find<UpDown>("tab_single_modnr_1_ud");
    sendKey(countList, QEvent::KeyPress, Qt::Key_Control, QString(), Qt::ControlModifier);
    QCOMPARE(ud->increment(), armed ? 1 : 5);
    sendKey(countList, QEvent::KeyRelease, Qt::Key_Control, QString());
    QCOMPARE(ud->increment(), 1);
    if (armed) {
        QVERIFY(m.far->waitFor(16));
        QCOMPARE(m.events().constFirst().channel, 21);
    }
}

void TestFireMain::macroFromProject_data() {
    QTest::addColumn<QString>("stop");
    QTest::addColumn<int>("pause");
    QTest::newRow("runs to its end") << "" << 150;
    QTest::newRow("fire mode off stops it") << "off" << 30;
    QTest::newRow("Escape stops it") << "escape" << 30;
    QTest::newRow("the stop button stops it") << "button" << 30;
}

void TestFireMain::macroFromProject() {
    QFETCH(QString, stop);
    QFETCH(int, pause);
    FireMain m;
    const QString project =
        writeProject(m.f.folder.filePath("show.kvx"), [pause](vz::BoxProgram& p) {
            p.macros[0].steps[0] = {vz::MacroCall, 21};
            p.macros[0].steps[1] = {vz::MacroPause, pause};
            p.macros[0].steps[2] = {vz::MacroCall, 31};
            p.macros[0].active = true;
        });
    QVERIFY(!project.isEmpty());
    Tfrm_gui_main& w = m.start({project});
    QVERIFY(m.arm("menu_fire_mastermodul"));
    vz::FireModePage* page = m.console().firePage();
    QPushButton* macro1 = m.fireButton(9, 1);
    QVERIFY(macro1->isVisible());
    QVERIFY(!m.fireButton(9, 2)->isVisible());

    const qint64 t0 = FarEndRecorder::nowUs();
    QTest::mouseClick(macro1, Qt::LeftButton);
    QVERIFY(!page->panel()->isVisible());
    QVERIFY(page->macroRunningLabel()->isVisible());
    QVERIFY(page->stopButton()->isVisible());
    QVERIFY(m.far->waitFor(18));
    // 20 ms after the click; the first tick may wait behind the repaint of the hidden panel.
    const double first = msSince(*m.far, 0, t0);
    QVERIFY2(first >= 15 && first < 80, qPrintable(QString::number(first)));
    if (stop == "off")
        m.entry("menu_fire_mastermodul")->trigger();
    else if (stop == "escape")
        tapKey(&w, Qt::Key_Escape, "\x1b");
    else if (stop == "button")
        QTest::mouseClick(page->stopButton(), Qt::LeftButton);
    if (!stop.isEmpty()) {
        QVERIFY(!m.console().runner().isRunning());
        QVERIFY(!m.console().macroTimer()->isActive());
        QTest::qWait(pause * 10 + 200); // past the second call's time
    } else {
        QVERIFY(m.far->waitFor(36, 4000));
        QTRY_VERIFY(page->panel()->isVisible());
        QCOMPARE(page->macroNrLabel()->text(), get_text("firemode_macro_nr") + " 1..");
    }
    QVERIFY(!page->stopButton()->isVisible());
    QCOMPARE(page->panel()->isVisible(), stop != "off");
    QTest::qWait(60);
    const QVector<DeviceEvent> ev = m.events();
    for (const DeviceEvent& e : ev) {
        QCOMPARE(e.kind, DeviceEvent::Kind::MacroCall);
        QCOMPARE(e.box, 36); // box number of the program: 30 + 6 modules
    }
    QCOMPARE(m.channels(), stop.isEmpty() ? (QList<int>{21, 21, 31, 31}) : (QList<int>{21, 21}));
    if (stop.isEmpty()) {
        const qint64 copy = ev[1].timeMs - ev[0].timeMs;
        QVERIFY2(copy >= 15 && copy <= 60, qPrintable(QString::number(copy)));
        const qint64 ms = ev[2].timeMs - ev[0].timeMs;
        QVERIFY2(ms >= pause * 10 && ms <= pause * 10 + 150, qPrintable(QString::number(ms)));
    }
}

void TestFireMain::macroEdges() {
    FireMain m;
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    d.setMacroActive(1, true); // empty: its first slot is the end mark
    d.setMacroSlot(2, 0, vz::MacroCall, 5);
    d.setMacroSlot(2, 1, vz::MacroPause, 50); // ends with a pause
    d.setMacroActive(2, true);
    w.hotkeys().bind('m', 9, 3);
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QWidget* panel = m.console().firePage()->panel();

    QTest::mouseClick(m.fireButton(9, 2), Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible(), 500);
    QCOMPARE(m.far->size(), 0);

    // Started by its key; the panel stays hidden through the closing pause, and the next
    // start again begins 20 ms after the key.
    for (int run = 0; run < 2; ++run) {
        m.far->clear();
        const qint64 t0 = FarEndRecorder::nowUs();
        tapKey(&w, Qt::Key_M, "m");
        QVERIFY(!panel->isVisible());
        QVERIFY(m.far->waitFor(18));
        const double ms = msSince(*m.far, 0, t0);
        QVERIFY2(ms >= 15 && ms < 80, qPrintable(QString::number(ms)));
        QTest::qWait(300);
        QVERIFY(!panel->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible(), 1000);
    }
    QCOMPARE(m.channels(), (QList<int>{5, 5}));
}

void TestFireMain::abortDropsQueued_data() {
    QTest::addColumn<QString>("abort");
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Stop") << "stop";
    QTest::newRow("fire mode off, then on again") << "off";
}

void TestFireMain::abortDropsQueued() {
    QFETCH(QString, abort);
    FireMain m;
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    d.setMacroSlot(0, 0, vz::MacroPause, 60); // the call comes 0.6 s after the click
    d.setMacroSlot(0, 1, vz::MacroCall, 9);
    d.setMacroActive(0, true);
    w.hotkeys().bind('a', 1, 1); // channel 21
    w.hotkeys().bind('b', 1, 2); // channel 22
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QTest::mouseClick(m.fireButton(9, 1), Qt::LeftButton);
    // A frame on the line, one queued behind it, then the abort: only the second copy of
    // the first may follow.
    tapKey(&w, Qt::Key_A, "a");
    tapKey(&w, Qt::Key_B, "b");
    if (abort == "escape")
        tapKey(&w, Qt::Key_Escape, "\x1b");
    else if (abort == "stop")
        QTest::mouseClick(m.console().firePage()->stopButton(), Qt::LeftButton);
    else
        m.entry("menu_fire_mastermodul")->trigger();
    QVERIFY(!m.console().runner().isRunning());
    if (abort == "off")
        QVERIFY(m.arm("menu_fire_mastermodul")); // never resumes the macro
    QTest::qWait(900);
    QCOMPARE(m.channels(), (QList<int>{21, 21}));
}

void TestFireMain::macroEndsWithItsDocument_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("close request") << "close";
    QTest::newRow("New") << "new";
    QTest::newRow("Open") << "open";
}

void TestFireMain::macroEndsWithItsDocument() {
    QFETCH(QString, action);
    FireMain m;
    const auto macro = [](vz::BoxProgram& p, int first, int second) {
        p.macros[0].steps[0] = {vz::MacroCall, first};
        p.macros[0].steps[1] = {vz::MacroPause, 40};
        p.macros[0].steps[2] = {vz::MacroCall, second};
        p.macros[0].active = true;
    };
    const QString project =
        writeProject(m.f.folder.filePath("show.kvx"), [&](vz::BoxProgram& p) { macro(p, 21, 22); });
    // Another show whose macro would carry on at the same step, with a call no box knows.
    const QString other = writeProject(m.f.folder.filePath("other.kvx"), [&](vz::BoxProgram& p) {
        macro(p, 31, 32);
        p.macros[0].steps[3] = {vz::MacroCall, 277};
    });
    Tfrm_gui_main& w = m.start({project});
    w.document().setModified(true); // the close request asks about saving
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QTest::mouseClick(m.fireButton(9, 1), Qt::LeftButton);
    QVERIFY(m.far->waitFor(18));
    m.f.prompts.clear();
    if (action == "close") {
        m.f.prompts.answers.enqueue(Prompts::Answer::Cancel); // the window stays
        QVERIFY(!w.close());
        QCOMPARE(m.f.prompts.kinds(), QStringList{"warningYesNoCancel"});
    } else if (action == "new") {
        m.f.prompts.answers.enqueue(Prompts::Answer::Yes);
        m.entry("menu_file_new")->trigger();
    } else {
        m.f.prompts.answers.enqueue(Prompts::Answer::Yes);
        m.f.prompts.fileNames.enqueue(other);
        m.entry("menu_file_open")->trigger();
        // The steps that will not run as written, told once on reading.
        QCOMPARE(m.f.prompts.kinds().constLast(), QString("error"));
        QVERIFY(m.f.prompts.texts().constLast().contains("277"));
    }
    QVERIFY(!m.console().runner().isRunning());
    QTest::qWait(700); // past the second call's time
    QCOMPARE(m.channels(), (QList<int>{21, 21}));
}

void TestFireMain::macroEditor() {
    FireMain m;
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    d.setSingleChannel(2, 20); // single 2 now also calls 21
    d.setModified(false);
    w.pageControl()->setCurrentIndex(vz::kPageFireSetup);
    vz::FireSetupPage* s = m.console().setupPage();
    QVERIFY(s->macroGroup()->isVisible());
    chooseListEntry(s->macroSelect(), 1);
    QVERIFY(!s->editor()->isEnabled());
    QVERIFY(!s->addButton()->isEnabled());
    QTest::mouseClick(s->macroActive(), Qt::LeftButton, {},
                      QPoint(8, s->macroActive()->height() / 2));
    QVERIFY(d.program().macros[1].active);
    QVERIFY(d.isModified());
    QVERIFY(s->editor()->isEnabled());

    // A call through the sequence dialog: ascending, repeated channels repeated.
    QStringList listed;
    answerModal(&w, QStringLiteral("btn_ok"), [&listed](QWidget* dialog) {
        auto* cb = dialog->findChild<QComboBox*>(QStringLiteral("macroseq_cb"));
        for (int i = 0; i < cb->count(); ++i)
            listed << cb->itemText(i);
        cb->setCurrentIndex(cb->findText(QStringLiteral("21")));
    });
    QTest::mouseClick(s->addButton(), Qt::LeftButton);
    QCOMPARE(listed.mid(0, 8), (QStringList{"1", "3", "4", "5", "6", "21", "21", "22"}));
    QCOMPARE(listed.size(), 6 + 9 + 25);
    // A pause through the pause dialog, with the Ctrl step.
    answerModal(&w, QStringLiteral("btn_ok"), [](QWidget* dialog) {
        auto* ud = dialog->findChild<QSpinBox*>(QStringLiteral("macropause_ud"));
        // As the platform sends them: the state before the key; Qt adds the key itself.
        sendKey(ud, QEvent::KeyPress, Qt::Key_Control, QString());
        ud->stepBy(1); // 20 + 100
        sendKey(ud, QEvent::KeyRelease, Qt::Key_Control, QString(), Qt::ControlModifier);
        ud->stepBy(1); // + 2
    });
    QTest::mouseClick(s->addPauseButton(), Qt::LeftButton);
    // A cancelled dialog adds nothing.
    answerModal(&w, QStringLiteral("btn_cancel"), {});
    QTest::mouseClick(s->addButton(), Qt::LeftButton);
    const vz::Macro& macro = d.program().macros[1];
    QCOMPARE(macro.stepCount(), 2);
    QCOMPARE(macro.steps[0], (vz::MacroStep{vz::MacroCall, 21}));
    QCOMPARE(macro.steps[1], (vz::MacroStep{vz::MacroPause, 122}));
    QTableWidget* grid = s->editor();
    QCOMPARE(grid->columnCount(), 3);
    QCOMPARE(grid->item(1, 1)->text(), "Pause\n\r" + QLocale().toString(1.22, 'f', 2) + " s");

    d.setModified(false);
    QTest::mouseClick(s->deleteButton(), Qt::LeftButton);
    QCOMPARE(macro.stepCount(), 1);
    QVERIFY(d.isModified());
    QCOMPARE(grid->columnCount(), 2);

    // A full macro refuses at once: no dialog, the message.
    while (d.appendMacroStep(1, vz::MacroPause, 2)) {
    }
    m.f.prompts.clear();
    answerModal(&w, QStringLiteral("btn_cancel"), {}); // should a dialog open after all
    QTest::mouseClick(s->addButton(), Qt::LeftButton);
    QTest::mouseClick(s->addPauseButton(), Qt::LeftButton);
    QCOMPARE(m.f.prompts.kinds(), (QStringList{"error", "error"}));
    QCOMPARE(m.f.prompts.texts().constFirst(), get_text("msg_macro_full"));
    QCOMPARE(macro.stepCount(), vz::kMacroMaxSteps);
}

void TestFireMain::newAndOpenWhileArmed() {
    FireMain m;
    const QString project = writeProject(m.f.folder.filePath("nine.kvx"), [](vz::BoxProgram& p) {
        p.gasmodCount = 8;
        p.singleAt(1).ch = 49;
        p.seqAt(0, 2).chk = false;
    });
    Tfrm_gui_main& w = m.start();
    w.document().setSingleChannel(1, 29);
    QVERIFY(m.arm("menu_fire_rk40"));
    QCOMPARE(m.fireButton(0, 1)->text(), QString("30"));

    // Open: the click right after the load fires the loaded channel.
    m.f.prompts.answers.enqueue(Prompts::Answer::Yes);
    m.f.prompts.fileNames.enqueue(project);
    m.entry("menu_file_open")->trigger();
    QTest::mouseClick(m.fireButton(0, 1), Qt::LeftButton);
    QVERIFY(m.far->waitFor(18));
    QCOMPARE(m.events().constFirst().channel, 50);
    QCOMPARE(m.fireButton(0, 1)->text(), QString("50"));
    QVERIFY(m.fireButton(0, 9)->isVisible());
    QVERIFY(!m.fireButton(0, 10)->isVisible());
    // Laid out for the new count: single 9 heads the second column.
    const QRect sgl1 = m.fireButton(0, 1)->geometry();
    QCOMPARE(m.fireButton(0, 9)->geometry(), sgl1.translated(sgl1.width() + 11, 0));
    QVERIFY(!m.fireButton(4, 2)->isVisible());
    QCOMPARE(m.f.find<QComboBox>("gasmod_count_cb")->currentIndex(), 8);
    QCOMPARE(w.pageControl()->currentIndex(), vz::kPageFireMode);

    // New: start values, the fire page stays and shows them.
    m.f.prompts.answers.enqueue(Prompts::Answer::Yes);
    m.entry("menu_file_new")->trigger();
    QTRY_COMPARE(m.fireButton(0, 1)->text(), QString("1"));
    QVERIFY(!m.fireButton(0, 9)->isVisible());
    QVERIFY(m.fireButton(4, 2)->isVisible());
    for (int family = 1; family <= 3; ++family) // the groups whatever the count
        for (int variant = 1; variant <= 3; ++variant)
            QVERIFY(m.fireButton(family, variant)->isVisible());
    QCOMPARE(w.pageControl()->currentIndex(), vz::kPageFireMode);
    QVERIFY(m.f.find<QComboBox>("box_nr_cb")->isVisible()); // still the RK40's list
    QVERIFY(m.console().controller().isArmed());
    // Beside the list the RK40 shows, the box its buttons and hotkeys fire ([df] box).
    QLabel* box = m.console().firePage()->buttonBoxLabel();
    QVERIFY(box->isVisible());
    QCOMPARE(box->text(), get_text("firemode_button_box").replace("%1", "1"));
    m.entry("menu_fire_rk40")->trigger();
    QVERIFY(!box->isVisible());
}

void TestFireMain::hiddenButtonKeepsItsPlace() {
    FireMain m;
    Tfrm_gui_main& w = m.start();
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QWidget* panel = m.console().firePage()->panel();
    const auto placed = [panel](int family, int number) {
        return vz::fireButtonRect(family, number, panel->width(), panel->height());
    };
    QPushButton* rl1 = m.fireButton(5, 1);
    QPushButton* rl2 = m.fireButton(5, 2);
    QCOMPARE(rl2->geometry(), placed(5, 2));
    w.document().setSeqInUse(1, 2, false);
    QTRY_VERIFY(rl2->isHidden());
    const QRect before = rl2->geometry();
    const QSize panelBefore = panel->size();
    w.resize(w.size() + QSize(160, 90));
    QTRY_VERIFY(panel->size() != panelBefore);
    QCOMPARE(rl1->geometry(), placed(5, 1));
    QCOMPARE(rl2->geometry(), before);
    // Shown again, it gets its place at once.
    w.document().setSeqInUse(1, 2, true);
    QTRY_VERIFY(!rl2->isHidden());
    QCOMPARE(rl2->geometry(), placed(5, 2));
    QVERIFY(rl2->geometry() != before);
}

void TestFireMain::languageChangeWhileArmed() {
    FireMain m;
    Tfrm_gui_main& w = m.start();
    QVERIFY(m.arm("menu_fire_mastermodul"));
    QLabel* warning = w.previewArea()->firemodeWarning();
    const QString english = warning->text();
    answerModal(&w, QStringLiteral("btn_ok"), [](QWidget* dialog) {
        auto* drop = dialog->findChild<QComboBox*>(QStringLiteral("language_drop"));
        drop->setCurrentIndex(drop->findText(QStringLiteral("deutsch")));
    });
    m.entry("menu_settings_language")->trigger();
    QCOMPARE(w.settings().language, QString("deutsch"));
    QVERIFY(warning->text() != english);
    QCOMPARE(warning->text(), get_text("lbl_firemode_warning"));
    QVERIFY(warning->isVisible());
    QCOMPARE(m.console().firePage()->popupHotkey()->text(), get_text("firebtn_popup_hotkey"));
    QCOMPARE(w.pageControl()->tabText(vz::kPageFireMode), get_text("tab_fire_mode"));
    // The labels of a running macro keep their boxes across the page.
    vz::FireModePage* page = m.console().firePage();
    QCOMPARE(page->macroRunningLabel()->text(), get_text("firemode_macro_running"));
    QCOMPARE(page->macroRunningLabel()->width(), page->width());
    QCOMPARE(page->macroNrLabel()->width(), page->width());
    // Texts only: the console stays armed on its page.
    QVERIFY(m.console().controller().isArmed());
    QCOMPARE(w.pageControl()->currentIndex(), vz::kPageFireMode);
}

void TestFireMain::saveHotkeys_data() {
    QTest::addColumn<bool>("blocked");
    QTest::newRow("written") << false;
    QTest::newRow("hotkeys.ini is a folder") << true;
}

void TestFireMain::saveHotkeys() {
    QFETCH(bool, blocked);
    FireMain m;
    Tfrm_gui_main& w = m.start();
    if (blocked)
        QVERIFY(QDir().mkdir("hotkeys.ini"));
    w.hotkeys().bind('a', 4, 2);
    m.f.prompts.clear();
    m.entry("menu_settings_save_hotkeys")->trigger();
    if (blocked) {
        QCOMPARE(m.f.prompts.kinds(), QStringList{"error"});
        QCOMPARE(m.f.prompts.texts(), QStringList{get_text("msg_hotkeys_notsaved")});
        return;
    }
    QVERIFY(m.f.prompts.records.isEmpty());
    HotkeyTable read;
    read.load(QDir::current().filePath("hotkeys.ini"));
    QCOMPARE(read.entry('a'), (HotkeyTable::Entry{4, 2}));
    QCOMPARE(read.entry('b'), HotkeyTable::Entry{});
    // Not beside the program: the working folder only.
    QVERIFY(!QFile::exists(m.f.folder.filePath("hotkeys.ini")));
}

void TestFireMain::layoutInEachLanguage_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("english") << "english";
    QTest::newRow("deutsch") << "deutsch";
}

void TestFireMain::layoutInEachLanguage() {
    QFETCH(QString, language);
    FireMain m(settingsWith(kCom, 1, 0, language));
    Tfrm_gui_main& w = m.start();
    vz::ProgramDocument& d = w.document();
    d.setMacroSlot(2, 0, vz::MacroCall, 21);
    d.setMacroSlot(2, 1, vz::MacroPause, 150);
    d.setMacroSlot(2, 2, vz::MacroCall, 31);
    d.setMacroActive(0, true);
    d.setMacroActive(2, true);
    d.setMacroActive(9, true);
    d.setSeqInUse(3, 4, false);

    w.pageControl()->setCurrentIndex(vz::kPageFireSetup);
    m.f.find<QComboBox>("firesetup_macro_select_cb")->setCurrentIndex(2);
    auto* editor = m.f.find<QTableWidget>("firesetup_macro_editor");
    QCOMPARE(editor->columnCount(), 4);
    QVERIFY(editor->isEnabled());
    QGroupBox* group = m.console().setupPage()->macroGroup();
    // The editor and its buttons lie inside their group, the group inside the page.
    for (QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(group->rect().contains(child->geometry()), qPrintable(child->objectName()));
    QVERIFY(m.console().setupPage()->rect().contains(group->geometry()));

    QVERIFY(m.arm("menu_fire_mastermodul"));
    QTest::mouseClick(m.fireButton(1, 2), Qt::LeftButton);
    QVERIFY(m.far->waitFor(16));
    // Every button the operator can see lies on the panel.
    vz::FireModePage* page = m.console().firePage();
    QWidget* panel = page->panel();
    for (QPushButton* b : panel->findChildren<QPushButton*>())
        if (b->isVisible())
            QVERIFY2(panel->rect().contains(b->geometry()), qPrintable(b->objectName()));
    // From the smallest window up: every button whole on the panel, none under Stop.
    const QSize start = w.size();
    for (const QSize size : {w.minimumSize(), QSize(1000, 600), QSize(1600, 900)}) {
        w.resize(size);
        QTRY_COMPARE(w.size(), size);
        const QRect stop = page->stopButton()->geometry().translated(-panel->pos());
        for (QPushButton* b : panel->findChildren<QPushButton*>()) {
            if (!b->isVisible())
                continue;
            QVERIFY2(panel->rect().contains(b->geometry()), qPrintable(b->objectName()));
            QVERIFY2(!b->geometry().intersects(stop), qPrintable(b->objectName()));
        }
    }
    w.resize(start);

    // A macro running: its labels across the whole page, whatever the texts did to them.
    QTest::mouseClick(m.fireButton(9, 3), Qt::LeftButton);
    QVERIFY(m.far->waitFor(16 + 18));
    for (QLabel* label : {page->macroRunningLabel(), page->macroNrLabel()}) {
        QVERIFY(label->isVisible());
        QCOMPARE(label->width(), page->width());
    }

    // The console's dialogs with the texts of the language file.
    m.entry("menu_fire_mastermodul")->trigger();
    m.console().sequenceDialog()->FormShow();
    m.console().pauseDialog()->FormShow();
    for (QDialog* dialog : {static_cast<QDialog*>(m.console().sequenceDialog()),
                            static_cast<QDialog*>(m.console().pauseDialog())})
        for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(dialog->rect().contains(child->geometry()), qPrintable(child->objectName()));
}

// Armed, Undo and Redo are off, by the menu and by the keys: an undo must never change what
// the console fires. The fire buttons show the channel an undo gave back before.
void TestFireMain::undoWhileArmed() {
    FireMain m;
    Tfrm_gui_main& w = m.start();
    auto* list = m.f.find<QComboBox>("tab_single_modnr_1_cb");
    chooseListEntry(list, 29);
    chooseListEntry(list, 39);
    m.entry("menu_edit_undo")->trigger();
    QCOMPARE(list->currentIndex(), 29);
    QVERIFY(m.arm("menu_fire_rk40"));
    QCOMPARE(m.fireButton(0, 1)->text(), QString("30"));
    QVERIFY(!m.entry("menu_edit_undo")->isEnabled());
    QVERIFY(!m.entry("menu_edit_redo")->isEnabled());
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    w.editWiring()->menu_edit_redoClick(); // the entry's own handler refuses too
    QCOMPARE(w.document().program().singleAt(1).ch, 29);
    QTest::mouseClick(m.fireButton(0, 1), Qt::LeftButton);
    QVERIFY(m.far->waitFor(18));
    QCOMPARE(m.events().constFirst().channel, 30);

    m.entry("menu_fire_rk40")->trigger();
    QVERIFY(!m.console().controller().isArmed());
    QVERIFY(m.entry("menu_edit_undo")->isEnabled());
    QVERIFY(m.entry("menu_edit_redo")->isEnabled());
}

QTEST_MAIN(TestFireMain)
#include "tst_fire_main.moc"
