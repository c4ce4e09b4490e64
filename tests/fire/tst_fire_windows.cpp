// The console's two small windows on their own: the hotkey capture window and the macro
// pause dialog.
#include "base/unit_service.h"
#include "fire/gui_firebtn_hotkey.h"
#include "fire/gui_macropause.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

class TestFireWindows : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QLocale::setDefault(QLocale::c());
        languageTable().setEntries({{"lbl_enter_hotkey", "Press a key"}});
    }

    void captureWindow_data() {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result");
        QTest::newRow("letter") << int(Qt::Key_K) << "k" << int('k');
        QTest::newRow("upper case refused") << int(Qt::Key_K) << "K" << -1;
        QTest::newRow("other character") << int(Qt::Key_Plus) << "+" << -1;
    }
    void captureWindow() {
        QFETCH(int, qtKey);
        QFETCH(QString, text);
        QFETCH(int, result);
        Tfrm_firebtn_hotkey w;
        w.setHoldMs(50);
        QTimer::singleShot(0, &w, [&] {
            for (auto [key, t] : {std::pair{int(Qt::Key_Shift), QString()},
                                  {qtKey, text},
                                  {int(Qt::Key_B), QString("b")}}) { // Shift types nothing
                QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, t);
                QApplication::sendEvent(&w, &e);
            }
        });
        QCOMPARE(w.capture(-1), result); // the first key typed stands
    }

    void pauseDialog() {
        Tfrm_gui_macropause d;
        auto* ud = d.findChild<QSpinBox*>("macropause_ud");
        QString after;
        QTimer::singleShot(0, &d, [&] {
            ud->stepBy(-9); // 0.20 s - 0.18 s: the lowest pause
            ud->stepBy(-1);
            after = d.findChild<QLineEdit*>("macropause_edit")->text();
            QTest::mouseClick(d.findChild<QPushButton*>("btn_cancel"), Qt::LeftButton);
        });
        QCOMPARE(d.choose(), -1);
        QCOMPARE(after, QString("0.02s"));
    }
};

QTEST_MAIN(TestFireWindows)
#include "tst_fire_windows.moc"
