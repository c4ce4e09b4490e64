// The fire console in a window: switching fire mode on and off, the frames on a real
// pseudo-terminal, the safety rules, and the fire panel's buttons and layout.
#include "app/unit_service.h"
#include "device/device_decoder.h"
#include "fire/fire_panel.h"
#include "fire/fire_panel_layout.h"
#include "fire/fire_setup.h"
#include "gui/fire_harness.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <termios.h>

using vz::FireRoute;

namespace {

speed_t lineSpeed(int fd) {
    termios t{};
    ::tcgetattr(fd, &t);
    return ::cfgetospeed(&t);
}

QPushButton* button(FireHarness& h, int f, int n) {
    return h.console->firePage()->fireButton(f, n);
}

// Frames as the device on the far end decodes them.
QVector<vz::DeviceEvent> decode(const FarEndRecorder& far, qint64 originUs) {
    vz::DeviceDecoder d;
    for (const FarEndRecorder::Chunk& c : far.chunks())
        d.feed(c.bytes, (c.us - originUs) / 1000);
    d.finish();
    return d.takeEvents();
}

} // namespace

class TestFireConsole : public QObject {
    Q_OBJECT
private slots:
    void init();

    void switching_data();
    void switching();
    void questionClosedOrNo_data();
    void questionClosedOrNo();
    void portFailsToOpen();

    void framesOnTheLine_data();
    void framesOnTheLine();
    void nothingWithoutRoute();
    void clicksNeverInterleave();
    void portErrorWhileArmed();

    void panelLayout_data();
    void panelLayout();
    void buttonsFollowTheProgram();
    void portButton();
    void armedScreenshot();
};

void TestFireConsole::init() {
    QLocale::setDefault(QLocale::c());
    languageTable().setEntries({
        {"msg_selectcomport", "Select port"},
        {"msg_comport_error", "Port error"},
        {"msg_firemode", "Switch fire mode on?"},
        {"tab_single_caption2_A", "Fire time"},
        {"firemode_sent", "Sent: channel"},
        {"firemode_sent_macro", "Macro call sent: channel"},
        {"lbl_firemode_warning", "FIRE MODE ON - the box is armed"},
    });
}

// ---------------------------------------------------------------- switching

void TestFireConsole::switching_data() {
    QTest::addColumn<int>("route");
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("baud");
    QTest::newRow("master module, box mode 0") << int(FireRoute::MasterModule) << 0 << 1200;
    QTest::newRow("master module, box mode 1") << int(FireRoute::MasterModule) << 1 << 1200;
    QTest::newRow("rk40, box mode 0") << int(FireRoute::Rk40) << 0 << 2400;
    QTest::newRow("rk40, box mode 1") << int(FireRoute::Rk40) << 1 << 2400;
}

void TestFireConsole::switching() {
    QFETCH(int, route);
    QFETCH(int, boxMode);
    QFETCH(int, baud);
    const FireRoute r = FireRoute(route);
    FireHarness h(boxMode);
    h.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h));
    QAction* entry = r == FireRoute::Rk40 ? h.rk40 : h.master;
    QAction* other = r == FireRoute::Rk40 ? h.master : h.rk40;
    QCOMPARE(entry->property("imageIndex").toInt(), 0);

    QVERIFY(h.arm(r));
    QCOMPARE(h.prompts.kinds(), QStringList{"confirm"});
    QCOMPARE(h.prompts.texts(), QStringList{"Switch fire mode on?"});
    QCOMPARE(entry->property("imageIndex").toInt(), 1);
    QVERIFY(!other->isEnabled());
    QVERIFY(!h.transfer->isEnabled());
    for (int i = 0; i <= vz::kPageFireSetup; ++i)
        QCOMPARE(h.tabs->isTabVisible(i), i == vz::kPageFireMode);
    QCOMPARE(h.tabs->currentIndex(), vz::kPageFireMode);
    QVERIFY(h.console->warningLabel()->isVisible());
    QVERIFY(h.console->firePage()->isArmed());
    QVERIFY(h.port.Open());
    QCOMPARE(h.port.Baud(), baud);
    QCOMPARE(lineSpeed(h.pty.masterFd()), baud == 1200 ? speed_t(B1200) : speed_t(B2400));
    QCOMPARE(h.console->firePage()->portLabel()->text(), QString("COM7"));
    QCOMPARE(h.settingsPort(), 7);
    // The box list stands in for the label only on the RK40 route.
    const bool rk = r == FireRoute::Rk40;
    QCOMPARE(h.boxList->isVisible(), rk || boxMode == 1);
    QCOMPARE(h.boxLabel->isVisible(), !rk && boxMode == 0);
    QCOMPARE(h.doc.rk40Active(), rk);
    if (rk)
        h.doc.setBoxNr(2); // the operator picks another box meanwhile

    entry->trigger();
    QVERIFY(!h.console->controller().isArmed());
    QCOMPARE(entry->property("imageIndex").toInt(), 0);
    QVERIFY(other->isEnabled());
    QVERIFY(h.transfer->isEnabled());
    for (int i = 0; i <= vz::kPageFireSetup; ++i)
        QCOMPARE(h.tabs->isTabVisible(i), i != vz::kPageFireMode);
    QCOMPARE(h.tabs->currentIndex(), vz::kPageSingle);
    QVERIFY(!h.console->warningLabel()->isVisible());
    QVERIFY(!h.port.Open());
    QVERIFY(!h.doc.rk40Active());
    if (boxMode == 0) {
        // The derived number comes back, whatever was picked.
        QVERIFY(h.boxLabel->isVisible());
        QVERIFY(!h.boxList->isVisible());
        QCOMPARE(h.boxLabel->text(), QString("36"));
        QCOMPARE(h.doc.program().boxNr, 6 + 29);
    } else {
        QVERIFY(h.boxList->isVisible());
    }
    QCOMPARE(h.prompts.records.size(), 1);
}

void TestFireConsole::questionClosedOrNo_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("transfers");
    QTest::newRow("closed without an answer") << int(Prompts::Answer::Closed) << 0;
    QTest::newRow("no opens the transfer") << int(Prompts::Answer::No) << 1;
}

void TestFireConsole::questionClosedOrNo() {
    QFETCH(int, answer);
    QFETCH(int, transfers);
    FireHarness h;
    h.show();
    h.prompts.answers.enqueue(Prompts::Answer(answer));
    h.master->trigger();
    QVERIFY(!h.console->controller().isArmed());
    QCOMPARE(h.transfers, transfers);
    QCOMPARE(h.master->property("imageIndex").toInt(), 0);
    QVERIFY(h.rk40->isEnabled());
    QVERIFY(h.transfer->isEnabled());
    QVERIFY(!h.port.Open());
    QVERIFY(!h.tabs->isTabVisible(vz::kPageFireMode));
    QVERIFY(!h.console->warningLabel()->isVisible());
    QCOMPARE(h.settingsPort(), -1); // nothing written
}

void TestFireConsole::portFailsToOpen() {
    FireHarness h;
    h.show();
    h.console->setSavedPort(9); // no such port here
    QVERIFY(!h.arm(FireRoute::Rk40));
    QCOMPARE(h.prompts.kinds(), (QStringList{"confirm", "error"}));
    QCOMPARE(h.prompts.texts().last(), QString("Port error"));
    QVERIFY(!h.port.Open());
    QVERIFY(!h.tabs->isTabVisible(vz::kPageFireMode));
    QVERIFY(h.tabs->isTabVisible(vz::kPageFireSetup));
    QCOMPARE(h.tabs->currentIndex(), vz::kPageSingle);
    QVERIFY(h.master->isEnabled());
    QVERIFY(h.transfer->isEnabled());
    QCOMPARE(h.rk40->property("imageIndex").toInt(), 0);
    QCOMPARE(h.console->savedPort(), 9);
    QCOMPARE(h.settingsPort(), -1);
}

// ---------------------------------------------------------------- frames

void TestFireConsole::framesOnTheLine_data() {
    QTest::addColumn<int>("route");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("master module, box 1, channel 21")
        << int(FireRoute::MasterModule) << 1 << 21 << QByteArray::fromHex("5f5f7332 6515ac00");
    QTest::newRow("rk40, box 1, channel 21")
        << int(FireRoute::Rk40) << 1 << 21 << QByteArray::fromHex("0000ff32 65151f0000");
    QTest::newRow("master module, box 200, channel 70")
        << int(FireRoute::MasterModule) << 200 << 70 << QByteArray::fromHex("5f5f7332 2c46a400");
    QTest::newRow("rk40, box 255, channel 70")
        << int(FireRoute::Rk40) << 255 << 70 << QByteArray::fromHex("0000ff32 6346500000");
}

void TestFireConsole::framesOnTheLine() {
    QFETCH(int, route);
    QFETCH(int, box);
    QFETCH(int, channel);
    QFETCH(QByteArray, frame);
    FireHarness h;
    h.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h));
    h.console->setConfiguredBox(box);
    h.doc.setSingleChannel(2, channel - 1);
    QVERIFY(h.arm(FireRoute(route)));
    QPushButton* b = button(h, 0, 2);
    QCOMPARE(b->text(), QString::number(channel));
    h.far->clear();

    const qint64 t0 = FarEndRecorder::nowUs();
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(h.far->waitFor(2 * frame.size()));
    FarEndRecorder::spin(60); // nothing else follows
    QCOMPARE(h.far->bytes(), frame + frame);
    const qint64 first = h.far->byteTimeUs(0) - t0;
    const qint64 gap = h.far->byteTimeUs(frame.size()) - h.far->byteTimeUs(0);
    // Tolerances leave room for a loaded machine; bench_fire measures the real figures.
    QVERIFY2(first < 20000, qPrintable(QString("first byte after %1 us").arg(first)));
    QVERIFY2(gap > 16000 && gap < 26000, qPrintable(QString("gap %1 us").arg(gap)));

    const QVector<vz::DeviceEvent> ev = decode(*h.far, t0);
    QCOMPARE(ev.size(), 2);
    for (const vz::DeviceEvent& e : ev) {
        QVERIFY2(e.valid, qPrintable(e.fault));
        QCOMPARE(e.kind, route == int(FireRoute::Rk40) ? vz::DeviceEvent::Kind::Rk40
                                                       : vz::DeviceEvent::Kind::MasterModule);
        QCOMPARE(e.channel, channel);
    }
    // The window says the frame was sent (not that anything fired).
    QCOMPARE(h.console->firePage()->sentLabel()->text(), QString("Sent: channel %1").arg(channel));
}

void TestFireConsole::nothingWithoutRoute() {
    FireHarness h;
    h.show();
    // The port is open from somewhere else, fire mode is off: a click sends nothing.
    QVERIFY(h.firePort.open());
    h.console->tab_fire_modeShow();
    for (QPushButton* b : h.console->firePage()->fireButtons())
        b->click();
    FarEndRecorder::spin(100);
    QCOMPARE(h.far->size(), 0);
    QVERIFY(h.prompts.records.isEmpty());
}

void TestFireConsole::clicksNeverInterleave() {
    FireHarness h;
    h.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h));
    QVERIFY(h.arm(FireRoute::MasterModule));
    h.far->clear();
    // Three clicks in quick succession: each frame's two copies stay together.
    QTest::mouseClick(button(h, 0, 1), Qt::LeftButton);
    QTest::mouseClick(button(h, 1, 1), Qt::LeftButton);
    QTest::mouseClick(button(h, 0, 3), Qt::LeftButton);
    QVERIFY(h.far->waitFor(6 * 8));
    FarEndRecorder::spin(40);
    QCOMPARE(h.far->size(), 48);
    const QByteArray a = h.far->bytes();
    const QList<int> channels{1, 1, 21, 21, 3, 3};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(int(quint8(a.at(i * 8 + 5))), channels[i]);
    for (int i = 0; i < 6; i += 2) {
        const qint64 gap = h.far->byteTimeUs((i + 1) * 8) - h.far->byteTimeUs(i * 8);
        QVERIFY2(gap > 16000 && gap < 30000, qPrintable(QString("gap %1 us").arg(gap)));
    }
}

void TestFireConsole::portErrorWhileArmed() {
    FireHarness h;
    h.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h));
    QVERIFY(h.arm(FireRoute::MasterModule));
    h.prompts.clear();
    h.pty.hangUp(); // the adapter was pulled out
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(button(h, 0, 1), Qt::LeftButton);
        QTest::qWait(30);
    }
    QTRY_VERIFY(!h.console->controller().isArmed());
    QTest::qWait(100);
    QCOMPARE(h.prompts.kinds(), QStringList{"error"});
    QCOMPARE(h.prompts.texts(), QStringList{"Port error"});
    QVERIFY(!h.port.Open());
    QVERIFY(!h.tabs->isTabVisible(vz::kPageFireMode));
    QCOMPARE(h.tabs->currentIndex(), vz::kPageSingle);
    QVERIFY(h.transfer->isEnabled());
    QVERIFY(h.rk40->isEnabled());
    QCOMPARE(h.master->property("imageIndex").toInt(), 0);
    QVERIFY(!h.console->warningLabel()->isVisible());
}

// ---------------------------------------------------------------- panel

void TestFireConsole::panelLayout_data() {
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    const QSize s(737, 306);
    QTest::newRow("sgl1") << s << "btn_firemode_sgl1" << QRect(33, 8, 49, 25);
    QTest::newRow("sgl6") << s << "btn_firemode_sgl6" << QRect(33, 173, 49, 25);
    QTest::newRow("all1") << s << "btn_firemode_all1" << QRect(164, 8, 49, 25);
    QTest::newRow("evn3") << s << "btn_firemode_evn3" << QRect(306, 74, 49, 25);
    QTest::newRow("seqLR5") << s << "btn_firemode_seqLR5" << QRect(377, 140, 49, 25);
    QTest::newRow("seqX2") << s << "btn_firemode_seqX2" << QRect(661, 41, 49, 25);
    QTest::newRow("macro1") << s << "btn_firemode_macro1" << QRect(164, 206, 49, 25);
    QTest::newRow("macro4") << s << "btn_firemode_macro4" << QRect(344, 206, 49, 25);
    const QSize big(1000, 500); // bw 75, bh 46
    QTest::newRow("big sgl6") << big << "btn_firemode_sgl6" << QRect(33, 278, 75, 46);
    QTest::newRow("big odd2") << big << "btn_firemode_odd2" << QRect(313, 62, 75, 46);
    QTest::newRow("big seqX5") << big << "btn_firemode_seqX5" << QRect(895, 224, 75, 46);
    QTest::newRow("big macro4") << big << "btn_firemode_macro4" << QRect(474, 332, 75, 46);
}

void TestFireConsole::panelLayout() {
    QFETCH(QSize, panel);
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    vz::FireModePage page;
    page.resize(panel); // not armed: the panel fills the page
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.panel()->size(), panel);
    auto* b = page.panel()->findChild<QPushButton*>(name);
    QVERIFY(b);
    QCOMPARE(b->geometry(), rect);
    // A window resized later lays the panel out again.
    page.resize(panel + QSize(100, 90));
    QTRY_VERIFY(b->geometry() != rect);
    page.resize(panel);
    QTRY_COMPARE(b->geometry(), rect);
}

void TestFireConsole::buttonsFollowTheProgram() {
    FireHarness h;
    h.doc.setSeqInUse(1, 2, false);
    h.doc.setMacroActive(0, true);
    h.hotkeys.setEntry('a', {0, 3}); // only a file can give a button two keys
    h.hotkeys.setEntry('7', {0, 3});
    h.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h));
    QVERIFY(h.arm(FireRoute::MasterModule)); // shows the fire page
    // 6 modules: singles 7..16 hidden, all groups shown.
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(!button(h, 0, n)->isHidden(), n <= 6);
    for (int f = 1; f <= 3; ++f)
        for (int v = 1; v <= 3; ++v)
            QVERIFY(!button(h, f, v)->isHidden());
    QVERIFY(button(h, 5, 2)->isHidden());
    QVERIFY(!button(h, 9, 1)->isHidden());
    QVERIFY(button(h, 9, 2)->isHidden());
    QCOMPARE(button(h, 0, 3)->toolTip(), QString("Fire time: 0.10s\n\rHotkey: 7\n\rHotkey: a"));
    QCOMPARE(button(h, 0, 3)->property("tag").toInt(), 3);
    QCOMPARE(button(h, 9, 1)->toolTip(), QString());

    const QWidget* panel = h.console->firePage()->panel();
    // A hidden button keeps its place through a layout ...
    const QRect hiddenPlace = button(h, 5, 2)->geometry();
    h.tabs->resize(900, 427);
    QTRY_COMPARE(button(h, 5, 1)->geometry(),
                 vz::fireButtonRect(5, 1, panel->width(), panel->height()));
    QCOMPARE(button(h, 5, 2)->geometry(), hiddenPlace);
    // ... and is placed when it is shown again.
    h.doc.setSeqInUse(1, 2, true);
    h.doc.setSingleChannel(9, 59);
    h.console->tab_fire_modeShow();
    QCOMPARE(button(h, 5, 2)->geometry(),
             vz::fireButtonRect(5, 2, panel->width(), panel->height()));
    QVERIFY(button(h, 5, 2)->geometry() != hiddenPlace);
    h.doc.setModuleCountPosition(9); // 10 modules: shown and placed at once
    QVERIFY(!button(h, 0, 10)->isHidden());
    QCOMPARE(button(h, 0, 10)->geometry(),
             vz::fireButtonRect(0, 10, panel->width(), panel->height()));
    QCOMPARE(button(h, 0, 9)->text(), QString("60"));
}

void TestFireConsole::portButton() {
    FireHarness h;
    h.show();
    h.tabs->setCurrentIndex(vz::kPageFireSetup);
    vz::FireSetupPage* setup = h.console->setupPage();
    QVERIFY(setup->isVisible());
    h.chooserAnswer = 7;
    QTest::mouseClick(setup->portButton(), Qt::LeftButton);
    QCOMPARE(setup->portLabel()->text(), QString("COM7"));
    QCOMPARE(h.settingsPort(), 7);
    QVERIFY(!h.port.Open());
    h.chooserAnswer = 0; // cancelled
    QTest::mouseClick(setup->portButton(), Qt::LeftButton);
    QCOMPARE(setup->portLabel()->text(), QString("Select port"));
    QCOMPARE(h.settingsPort(), 0);
    QCOMPARE(h.console->savedPort(), 0);
    QCOMPARE(h.prompts.kinds(), QStringList{"error"});
}

void TestFireConsole::armedScreenshot() {
    FireHarness h;
    h.doc.setMacroActive(0, true);
    h.doc.setMacroActive(2, true);
    h.doc.setSeqInUse(3, 4, false);
    h.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h));
    QVERIFY(h.arm(FireRoute::MasterModule));
    QTest::mouseClick(button(h, 1, 2), Qt::LeftButton);
    QVERIFY(h.far->waitFor(16));
    const QString path = QDir(VZ_BIN_DIR).filePath("../screens/fire_armed.png");
    QDir().mkpath(QFileInfo(path).path());
    QVERIFY(h.grab().save(path));
}

QTEST_MAIN(TestFireConsole)
#include "tst_fire_console.moc"
