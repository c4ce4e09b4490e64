// The fire page and the console's two small windows on their own, without the main window:
// the panel's layout at a given size, the hotkey capture window, the macro pause dialog.
#include "base/unit_service.h"
#include "fire/fire_panel.h"
#include "fire/gui_firebtn_hotkey.h"
#include "fire/gui_macropause.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

void sendKey(QWidget* w, int key, const QString& text,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TestFireWindows : public QObject {
    Q_OBJECT
private slots:
    void init();
    void panelLayout_data();
    void panelLayout();
    void captureWindow_data();
    void captureWindow();
    void pauseDialog();
};

void TestFireWindows::init() {
    QLocale::setDefault(QLocale::c());
    languageTable().setEntries({{"lbl_enter_hotkey", "Press a key"}});
}

void TestFireWindows::panelLayout_data() {
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    const QSize s(737, 306); // bw 49, bh 25
    QTest::newRow("sgl1") << s << "btn_firemode_sgl1" << QRect(33, 8, 49, 25);
    QTest::newRow("macro4") << s << "btn_firemode_macro4" << QRect(329, 206, 44, 25);
    const QSize big(1000, 500); // bw 75, bh 46
    QTest::newRow("big macro4") << big << "btn_firemode_macro4" << QRect(444, 332, 65, 46);
}

void TestFireWindows::panelLayout() {
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

void TestFireWindows::captureWindow_data() {
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("label");
    QTest::newRow("letter") << int(Qt::Key_K) << "k" << int('k') << "Hotkey: k";
    QTest::newRow("digit") << int(Qt::Key_9) << "9" << int('9') << "Hotkey: 9";
    QTest::newRow("upper case refused") << int(Qt::Key_K) << "K" << -1 << "Abgebrochen";
    QTest::newRow("other character") << int(Qt::Key_Plus) << "+" << -1 << "Abgebrochen";
}

void TestFireWindows::captureWindow() {
    QFETCH(int, qtKey);
    QFETCH(QString, text);
    QFETCH(int, result);
    QFETCH(QString, label);
    Tfrm_firebtn_hotkey w;
    QCOMPARE(w.size(), QSize(273, 22));
    w.setHoldMs(150);
    QString shown;
    QElapsedTimer held;
    QTimer::singleShot(0, &w, [&] {
        sendKey(&w, Qt::Key_Shift, QString(), Qt::ShiftModifier); // types nothing: ignored
        sendKey(&w, qtKey, text);
        sendKey(&w, Qt::Key_B, "b"); // the result stands
        shown = w.findChild<QLabel*>("lbl_enter_hotkey")->text();
        held.start();
    });
    QCOMPARE(w.capture(-1), result);
    QCOMPARE(shown, label);
    QVERIFY(held.elapsed() >= 140);
    QCOMPARE(Tfrm_firebtn_hotkey::kHoldMs, 1500);
}

void TestFireWindows::pauseDialog() {
    Tfrm_gui_macropause d;
    auto* ud = d.findChild<QSpinBox*>("macropause_ud");
    auto* edit = d.findChild<QLineEdit*>("macropause_edit");
    QCOMPARE(ud->minimum(), 2);
    QCOMPARE(ud->maximum(), 6000);
    QString before;
    QString after;
    QTimer::singleShot(0, &d, [&] {
        before = edit->text();
        ud->stepBy(-9); // 20 - 18
        after = edit->text();
        QTest::mouseClick(d.findChild<QPushButton*>("btn_cancel"), Qt::LeftButton);
    });
    QCOMPARE(d.choose(), -1);
    QCOMPARE(before, QString("0.20s"));
    QCOMPARE(after, QString("0.02s"));
}

QTEST_MAIN(TestFireWindows)
#include "tst_fire_windows.moc"
