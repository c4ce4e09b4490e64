#include "base/ini_file.h"
#include "base/settings.h"
#include "base/unit_service.h"
#include "transfer/gui_adv_settings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace vz;

class TstGuiAdvSettings : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(languageTable().load(VZ_SOURCE_DIR "/resources", "english"));
        // Until the dialog writes, the file holds the active language only.
        QVERIFY(SettingsFile::writeLanguage(settingsPath(), "english"));
        m_dlg = std::make_unique<Tfrm_gui_adv_settings>(settingsPath(), m_ball, m_boxMode);
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // The time shown for the position; a value outside 1..255 is refused, and the arrows
    // never leave the range.
    void ballTime_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("ball"); // as the settings menu sets it before showing
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("text");
        QTest::newRow("255") << "C" << 255 << 255 << "5.10s";
        QTest::newRow("0 refused: position stays, German") << "de_DE" << 0 << 40 << "0,80s";
        QTest::newRow("256 refused") << "C" << 256 << 40 << "0.80s";
    }
    void ballTime() {
        QFETCH(QString, locale);
        QFETCH(int, ball);
        QFETCH(int, shown);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QVERIFY(m_dlg->setBallPosition(40));
        QCOMPARE(m_dlg->setBallPosition(ball), ball == shown);
        m_dlg->show();
        QCOMPARE(child<QLineEdit>("ball_edit")->text(), text);
        child<QSpinBox>("ball_ud")->stepUp();
        QCOMPARE(m_dlg->ballPosition(), qMin(255, shown + 1));
    }

    // OK stores both values in the variables and the file; Cancel stores nothing.
    void closing_data() {
        QTest::addColumn<int>("boxIn");
        QTest::addColumn<int>("boxSet"); // by the operator, -1: untouched
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("boxOut");
        QTest::newRow("OK with changes") << 0 << 1 << true << 1;
        QTest::newRow("OK, box mode 1 to 0") << 1 << 0 << true << 0;
        QTest::newRow("box mode 7 shows and stores as 0") << 7 << -1 << true << 0;
        QTest::newRow("Cancel after changes") << 0 << 1 << false << 0;
    }
    void closing() {
        QFETCH(int, boxIn);
        QFETCH(int, boxSet);
        QFETCH(bool, ok);
        QFETCH(int, boxOut);
        m_ball = 9;
        m_boxMode = boxIn;
        QVERIFY(m_dlg->setBallPosition(m_ball));
        m_dlg->show();
        auto* cb = child<QComboBox>("boxmode_cb");
        QCOMPARE(cb->currentIndex(), boxIn == 1 ? 1 : 0);
        QCOMPARE(cb->itemText(1), get_text("boxmode_cb_1"));
        child<QSpinBox>("ball_ud")->setValue(200);
        if (boxSet >= 0)
            cb->setCurrentIndex(boxSet);
        QTest::mouseClick(child<QPushButton>(ok ? "btn_ok" : "btn_cancel"), Qt::LeftButton);

        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_ball, ok ? 200 : 9);
        QCOMPARE(m_boxMode, ok ? boxOut : boxIn);
        IniFile file(settingsPath());
        QVERIFY(file.load());
        QCOMPARE(file.readInt("adv", "ball", -1), ok ? 200 : -1);
        QCOMPARE(file.readInt("misc", "new_boxmode", -1), ok ? boxOut : -1);
        QCOMPARE(file.readString("languagefiles", "active"), QString("english"));
    }

private:
    template <typename T> T* child(const char* name) { return m_dlg->findChild<T*>(name); }
    QString settingsPath() const { return SettingsFile::pathIn(m_dir->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tfrm_gui_adv_settings> m_dlg;
    int m_ball = 5;
    int m_boxMode = 0;
};

QTEST_MAIN(TstGuiAdvSettings)
#include "tst_gui_adv_settings.moc"
