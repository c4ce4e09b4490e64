// The small modal windows of the console, each through its own controls while it is shown,
// and the macro editor's buttons reaching the document through them.

#include "core/pty_pair.h"
#include "gui/main_window_fixture.h"

#include "base/settings.h"

#include "fire/fire_console.h"
#include "fire/fire_panel.h"
#include "fire/gui_firebtn_hotkey.h"
#include "fire/gui_macropause.h"
#include "fire/gui_macroseq.h"
#include "program/program_document.h"
#include "serial/port_catalog.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace vz;

namespace {

// Runs what the operator does once the next modal window is up.
void whenShown(const std::function<void()>& act) {
    QTimer::singleShot(0, [act] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        act();
    });
}

void clickIn(const QString& name) {
    QWidget* modal = QApplication::activeModalWidget();
    auto* button = modal ? modal->findChild<QPushButton*>(name) : nullptr;
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestFireDialogs : public QObject {
    Q_OBJECT
private slots:
    void hotkeyCapture_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::newRow("digit") << "5" << int('5');
        QTest::newRow("letter") << "k" << int('k');
        QTest::newRow("other key cancels") << "#" << -1;
    }
    void hotkeyCapture() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        Tfrm_firebtn_hotkey window;
        window.setHoldMs(0);
        whenShown([&] { QTest::keyClicks(QApplication::activeModalWidget(), typed); });
        QCOMPARE(window.capture('a'), key);
    }

    void pauseDialog_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("pause");
        // 0.20 s, then Ctrl+Up (1 s) and Up (0.02 s).
        QTest::newRow("ok") << "btn_ok" << 122;
        QTest::newRow("cancel") << "btn_cancel" << -1;
    }
    void pauseDialog() {
        QFETCH(QString, button);
        QFETCH(int, pause);
        Tfrm_gui_macropause dialog;
        whenShown([&] {
            auto* ud = dialog.findChild<QSpinBox*>(QStringLiteral("macropause_ud"));
            QVERIFY(ud);
            QTest::keyClick(ud, Qt::Key_Up, Qt::ControlModifier);
            QTest::keyClick(ud, Qt::Key_Up);
            clickIn(button);
        });
        QCOMPARE(dialog.choose(), pause);
    }

    void sequenceDialogOffersTheProgramsChannels() {
        vz::ProgramDocument doc;
        doc.setSingleChannel(2, 40); // single 2 now calls channel 41
        Tfrm_gui_macroseq dialog;
        whenShown([&] {
            auto* list = dialog.findChild<QComboBox*>(QStringLiteral("macroseq_cb"));
            QVERIFY(list);
            list->setCurrentIndex(list->findText(QStringLiteral("41")));
            clickIn(QStringLiteral("btn_ok"));
        });
        QCOMPARE(dialog.choose(doc.program()), 41);
        whenShown([] { clickIn(QStringLiteral("btn_cancel")); });
        QCOMPARE(dialog.choose(doc.program()), -1);
    }

    // The set-up page's buttons and the fire buttons' hotkey entry, in the real window.
    void consoleReachesDocumentAndHotkeys() {
        MainWindowFixture f;
        Tfrm_gui_main& w = f.start();
        const vz::Macro& macro = w.document().program().macros[0];
        w.pageControl()->setCurrentWidget(f.find(QStringLiteral("tab_fire_setup")));

        QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("firesetup_macro_active_cb")),
                          Qt::LeftButton);
        QVERIFY(macro.active);
        whenShown([] { clickIn(QStringLiteral("btn_ok")); });
        QTest::mouseClick(f.find<QPushButton>(QStringLiteral("firesetup_macro_add")),
                          Qt::LeftButton);
        whenShown([] { clickIn(QStringLiteral("btn_ok")); });
        QTest::mouseClick(f.find<QPushButton>(QStringLiteral("firesetup_macro_addpause")),
                          Qt::LeftButton);
        QCOMPARE(macro.stepCount(), 2);
        QCOMPARE(macro.steps[0].type, int(vz::MacroCall));
        QCOMPARE(macro.steps[0].value, 1); // the first channel offered
        QCOMPARE(macro.steps[1].type, int(vz::MacroPause));
        QCOMPARE(macro.steps[1].value, Tfrm_gui_macropause::kStart);
        QTest::mouseClick(f.find<QPushButton>(QStringLiteral("firesetup_macro_del")),
                          Qt::LeftButton);
        QCOMPARE(macro.stepCount(), 1);

        vz::FireConsole* console = w.fireConsole();
        console->hotkeyWindow()->setHoldMs(0);
        console->btn_firemode_seqX5MouseDown(6, 4); // family AI, variant 4
        whenShown([] { QTest::keyClicks(QApplication::activeModalWidget(), QStringLiteral("7")); });
        console->firePage()->popupHotkey()->trigger();
        QCOMPARE(w.hotkeys().keyOf(6, 4), int('7'));
    }

    // The set-up page's port button asks the chooser, which names the USB adapter and links
    // it by its stable name when chosen; the choice is shown and saved.
    void portButtonChoosesThePort() {
        MainWindowFixture f;
        PtyPair pty, adapter;
        QVERIFY(pty.linkAs(f.folder.path(), 7));
        const QString root = f.folder.path() + "/root";
        const QString byId = vz::ports::addStandInAdapter(root, adapter.slavePath(),
                                                          {"FTDI", "FT232R USB UART", "A10K3XYZ"});
        QVERIFY(!byId.isEmpty());
        qputenv("VZ_SERIAL_ROOT", root.toUtf8());
        Tfrm_gui_main& w = f.start();
        QString hint;
        whenShown([&] {
            QWidget* form = QApplication::activeModalWidget();
            auto* list = form->findChild<QComboBox*>(QStringLiteral("PortsComboBox"));
            QVERIFY(list && list->findText("COM7 (" + pty.slavePath() + ")") >= 0);
            chooseListEntry(list, list->findText("FTDI FT232R USB UART, serial A10K3XYZ (" +
                                                     adapter.slavePath() + ")",
                                                 Qt::MatchEndsWith));
            hint = form->findChild<QLabel*>(QStringLiteral("DeviceLbl"))->text();
            clickIn(QStringLiteral("OkBtn"));
        });
        w.pageControl()->setCurrentWidget(f.find(QStringLiteral("tab_fire_setup")));
        QTest::mouseClick(f.find<QPushButton>(QStringLiteral("firesetup_comport_btn")),
                          Qt::LeftButton);
        qunsetenv("VZ_SERIAL_ROOT");
        const int port = SettingsFile::load(w.settingsPath()).settings.port;
        QVERIFY2(hint.startsWith(QStringLiteral("OK links ports/COM%1 to this adapter").arg(port)),
                 qPrintable(hint));
        QCOMPARE(f.find<QLabel>(QStringLiteral("firemode_comport_lbl"))->text(),
                 QStringLiteral("COM%1").arg(port));
        QCOMPARE(
            QFileInfo(f.folder.path() + QStringLiteral("/ports/COM%1").arg(port)).symLinkTarget(),
            byId);
    }
};

QTEST_MAIN(TestFireDialogs)
#include "tst_fire_dialogs.moc"
