#include "app/ini_file.h"
#include "app/settings.h"
#include "app/unit_service.h"
#include "transfer/gui_adv_settings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TstGuiAdvSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ballText_data();
    void ballText();
    void ballRefused_data();
    void ballRefused();
    void boxModeList_data();
    void boxModeList();
    void closing_data();
    void closing();

private:
    template <typename T> T* child(const char* name) { return m_dlg->findChild<T*>(name); }
    QString settingsPath() const { return SettingsFile::pathIn(m_dir->path()); }
    IniFile readFile() const {
        IniFile file(settingsPath());
        file.load();
        return file;
    }

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
    // The language load is the only key in the file until the dialog writes.
    QVERIFY(languageTable().load(m_dir->path(), "english", settingsPath()));
    m_ball = 5;
    m_boxMode = 0;
    m_dlg = std::make_unique<Tfrm_gui_adv_settings>(settingsPath(), m_ball, m_boxMode);
}

void TstGuiAdvSettings::cleanup() {
    m_dlg.reset();
    QLocale::setDefault(QLocale::c());
}

void TstGuiAdvSettings::ballText_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("ball");
    QTest::addColumn<QString>("text");
    QTest::newRow("255") << "C" << 255 << "5.10s";
    QTest::newRow("1") << "C" << 1 << "0.02s";
    QTest::newRow("default 5, German") << "de_DE" << 5 << "0,10s";
    QTest::newRow("255, German") << "de_DE" << 255 << "5,10s";
    QTest::newRow("100, English") << "en_US" << 100 << "2.00s";
}

void TstGuiAdvSettings::ballText() {
    QFETCH(QString, locale);
    QFETCH(int, ball);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    QVERIFY(m_dlg->setBallPosition(ball));
    m_dlg->show();
    QCOMPARE(child<QLineEdit>("ball_edit")->text(), text);
    QVERIFY(child<QLineEdit>("ball_edit")->isReadOnly());

    // The operator's arrows run the same check.
    child<QSpinBox>("ball_ud")->stepDown();
    const int down = qMax(1, ball - 1); // no step below the range
    QCOMPARE(m_dlg->ballPosition(), down);
    QCOMPARE(child<QLineEdit>("ball_edit")->text(),
             QLocale(locale).toString(down * 0.02, 'f', 2) + "s");
}

void TstGuiAdvSettings::ballRefused_data() {
    QTest::addColumn<int>("value");
    QTest::newRow("0") << 0;
    QTest::newRow("256") << 256;
    QTest::newRow("-5") << -5;
    QTest::newRow("300 from a settings file") << 300;
}

// A ball time outside 1..255 is not taken over: the position stays, and OK stores it.
void TstGuiAdvSettings::ballRefused() {
    QFETCH(int, value);
    QVERIFY(m_dlg->setBallPosition(40));
    QVERIFY(!m_dlg->setBallPosition(value));
    QCOMPARE(m_dlg->ballPosition(), 40);
    QVERIFY(!m_dlg->ball_udChangingEx(value));
    m_dlg->show();
    QCOMPARE(child<QLineEdit>("ball_edit")->text(), QString("0.80s"));
    QTest::mouseClick(child<QPushButton>("btn_ok"), Qt::LeftButton);
    QCOMPARE(m_ball, 40);
    QCOMPARE(SettingsFile::load(settingsPath()).settings.ball, 40);
}

void TstGuiAdvSettings::boxModeList_data() {
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<int>("selected");
    QTest::newRow("box mode 0") << 0 << 0;
    QTest::newRow("box mode 1") << 1 << 1;
    QTest::newRow("box mode 7: as 0") << 7 << 0;
}

void TstGuiAdvSettings::boxModeList() {
    QFETCH(int, boxMode);
    QFETCH(int, selected);
    m_boxMode = boxMode;
    m_dlg->show();
    auto* cb = child<QComboBox>("boxmode_cb");
    QCOMPARE(cb->count(), 2); // emptied on every showing
    m_dlg->hide();
    m_dlg->show();
    QCOMPARE(cb->count(), 2);
    QCOMPARE(cb->itemText(0), get_text("boxmode_cb_0"));
    QCOMPARE(cb->itemText(1), get_text("boxmode_cb_1"));
    QVERIFY(!cb->isEditable());
    QCOMPARE(cb->currentIndex(), selected);
    QCOMPARE(cb->toolTip(), get_text("hint_boxmode"));
    QCOMPARE(child<QLabel>("adv_settings_boxmode_lbl")->toolTip(), get_text("hint_boxmode"));
    QVERIFY(child<QLabel>("adv_settings_boxmode_lbl")->wordWrap());
    QCOMPARE(m_dlg->windowTitle(), get_text("frm_gui_adv_settings"));
    if (boxMode == 1)
        QVERIFY(m_dlg->grab().save(
            QDir(QCoreApplication::applicationDirPath()).filePath("tst_gui_adv_settings.png")));

    QTest::mouseClick(child<QPushButton>("btn_ok"), Qt::LeftButton);
    QCOMPARE(m_boxMode, selected);
    QCOMPARE(readFile().readInt("misc", "new_boxmode", -99), selected);
}

void TstGuiAdvSettings::closing_data() {
    QTest::addColumn<int>("ballIn");
    QTest::addColumn<int>("boxIn");
    QTest::addColumn<int>("ballSet"); // by the operator, 0: untouched
    QTest::addColumn<int>("boxSet");  // by the operator, -1: untouched
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("ballOut");
    QTest::addColumn<int>("boxOut");
    QTest::newRow("OK without a change writes both") << 5 << 0 << 0 << -1 << true << 5 << 0;
    QTest::newRow("OK with changes") << 5 << 0 << 200 << 1 << true << 200 << 1;
    QTest::newRow("OK, box mode 1 to 0") << 12 << 1 << 0 << 0 << true << 12 << 0;
    QTest::newRow("Cancel after changes") << 5 << 0 << 200 << 1 << false << 5 << 0;
    QTest::newRow("Cancel, box mode 1 stays") << 9 << 1 << 0 << 0 << false << 9 << 1;
}

void TstGuiAdvSettings::closing() {
    QFETCH(int, ballIn);
    QFETCH(int, boxIn);
    QFETCH(int, ballSet);
    QFETCH(int, boxSet);
    QFETCH(bool, ok);
    QFETCH(int, ballOut);
    QFETCH(int, boxOut);
    m_ball = ballIn;
    m_boxMode = boxIn;
    // As the settings menu opens it.
    QVERIFY(m_dlg->setBallPosition(m_ball));
    m_dlg->show();
    if (ballSet > 0)
        child<QSpinBox>("ball_ud")->setValue(ballSet);
    if (boxSet >= 0)
        child<QComboBox>("boxmode_cb")->setCurrentIndex(boxSet);
    QTest::mouseClick(child<QPushButton>(ok ? "btn_ok" : "btn_cancel"), Qt::LeftButton);

    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(m_ball, ballOut);
    QCOMPARE(m_boxMode, boxOut);
    const IniFile file = readFile();
    QCOMPARE(file.hasKey("adv", "ball"), ok);
    QCOMPARE(file.hasKey("misc", "new_boxmode"), ok);
    if (ok) {
        const Settings s = SettingsFile::load(settingsPath()).settings;
        QCOMPARE(s.ball, ballOut);
        QCOMPARE(s.newBoxmode, boxOut);
        QCOMPARE(s.language, QString("english")); // other keys kept
    } else if (ballSet > 0) {
        QCOMPARE(m_dlg->ballPosition(), ballSet); // kept until the next opening sets it
    }
}

QTEST_MAIN(TstGuiAdvSettings)
#include "tst_gui_adv_settings.moc"
