#include "base/ini_file.h"
#include "base/settings.h"
#include "base/unit_service.h"
#include "transfer/gui_adv_settings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

class TstGuiAdvSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void ballTime_data();
    void ballTime();
    void closing_data();
    void closing();

private:
    template <typename T> T* child(const char* name) { return m_dlg->findChild<T*>(name); }
    QString settingsPath() const { return SettingsFile::pathIn(m_dir->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tfrm_gui_adv_settings> m_dlg;
    int m_ball = 5;
    int m_boxMode = 0;
};

void TstGuiAdvSettings::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath("language");
    QVERIFY(QFile::copy(VZ_SOURCE_DIR "/resources/language/english.lng",
                        m_dir->filePath("language/english.lng")));
    // Until the dialog writes, the file holds the active language only.
    QVERIFY(languageTable().load(m_dir->path(), "english"));
    QVERIFY(SettingsFile::writeLanguage(settingsPath(), "english"));
    m_dlg = std::make_unique<Tfrm_gui_adv_settings>(settingsPath(), m_ball, m_boxMode);
}

void TstGuiAdvSettings::ballTime_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("ball"); // as the settings menu sets it before showing
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("text");
    QTest::newRow("255") << "C" << 255 << 255 << "5.10s";
    QTest::newRow("1") << "C" << 1 << 1 << "0.02s";
    QTest::newRow("5, German") << "de_DE" << 5 << 5 << "0,10s";
    QTest::newRow("0 refused: position stays") << "C" << 0 << 40 << "0.80s";
    QTest::newRow("256 refused") << "C" << 256 << 40 << "0.80s";
    QTest::newRow("300 from a settings file, German") << "de_DE" << 300 << 40 << "0,80s";
}

// The time shown for the position; a value outside 1..255 is refused, and OK stores the
// position the dialog shows.
void TstGuiAdvSettings::ballTime() {
    QFETCH(QString, locale);
    QFETCH(int, ball);
    QFETCH(int, shown);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    QVERIFY(m_dlg->setBallPosition(40));
    QCOMPARE(m_dlg->setBallPosition(ball), ball == shown);
    m_dlg->show();
    QCOMPARE(m_dlg->ballPosition(), shown);
    QCOMPARE(child<QLineEdit>("ball_edit")->text(), text);

    // The operator's arrows go through the same check and never leave the range.
    child<QSpinBox>("ball_ud")->stepUp();
    const int up = qMin(255, shown + 1);
    QCOMPARE(m_dlg->ballPosition(), up);
    QCOMPARE(child<QLineEdit>("ball_edit")->text(), QLocale().toString(up * 0.02, 'f', 2) + "s");
    QTest::mouseClick(child<QPushButton>("btn_ok"), Qt::LeftButton);
    QCOMPARE(m_ball, up);
    QCOMPARE(SettingsFile::load(settingsPath()).settings.ball, up);
}

void TstGuiAdvSettings::closing_data() {
    QTest::addColumn<int>("boxIn");
    QTest::addColumn<int>("selected"); // item selected when shown
    QTest::addColumn<int>("ballSet");  // by the operator, 0: untouched
    QTest::addColumn<int>("boxSet");   // by the operator, -1: untouched
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("boxOut");
    QTest::newRow("OK without a change writes both") << 0 << 0 << 0 << -1 << true << 0;
    QTest::newRow("OK with changes") << 0 << 0 << 200 << 1 << true << 1;
    QTest::newRow("OK, box mode 1 to 0") << 1 << 1 << 0 << 0 << true << 0;
    QTest::newRow("box mode 7 shows and stores as 0") << 7 << 0 << 0 << -1 << true << 0;
    QTest::newRow("Cancel after changes") << 0 << 0 << 200 << 1 << false << 0;
    QTest::newRow("Cancel, box mode 1 stays") << 1 << 1 << 0 << 0 << false << 1;
}

void TstGuiAdvSettings::closing() {
    QFETCH(int, boxIn);
    QFETCH(int, selected);
    QFETCH(int, ballSet);
    QFETCH(int, boxSet);
    QFETCH(bool, ok);
    QFETCH(int, boxOut);
    m_ball = 9;
    m_boxMode = boxIn;
    QVERIFY(m_dlg->setBallPosition(m_ball));
    m_dlg->show();
    m_dlg->hide();
    m_dlg->show(); // the list is filled anew on every showing
    auto* cb = child<QComboBox>("boxmode_cb");
    QCOMPARE(cb->count(), 2);
    QCOMPARE(cb->itemText(1), get_text("boxmode_cb_1"));
    QCOMPARE(cb->currentIndex(), selected);
    QCOMPARE(cb->toolTip(), get_text("hint_boxmode"));
    QCOMPARE(child<QLabel>("adv_settings_boxmode_lbl")->toolTip(), get_text("hint_boxmode"));
    if (ballSet > 0)
        child<QSpinBox>("ball_ud")->setValue(ballSet);
    if (boxSet >= 0)
        cb->setCurrentIndex(boxSet);
    QTest::mouseClick(child<QPushButton>(ok ? "btn_ok" : "btn_cancel"), Qt::LeftButton);

    QVERIFY(!m_dlg->isVisible());
    const int ballOut = ok && ballSet > 0 ? ballSet : 9;
    QCOMPARE(m_ball, ballOut);
    QCOMPARE(m_boxMode, ok ? boxOut : boxIn);
    IniFile file(settingsPath());
    QVERIFY(file.load());
    QCOMPARE(file.readInt("adv", "ball", -1), ok ? ballOut : -1);
    QCOMPARE(file.readInt("misc", "new_boxmode", -1), ok ? boxOut : -1);
    QCOMPARE(file.readString("languagefiles", "active"), QString("english"));
    if (!ok && ballSet > 0)
        QCOMPARE(m_dlg->ballPosition(), ballSet); // kept until the next opening sets it
}

QTEST_MAIN(TstGuiAdvSettings)
#include "tst_gui_adv_settings.moc"
