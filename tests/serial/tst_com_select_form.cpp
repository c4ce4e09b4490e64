#include "base/settings.h"
#include "base/unit_service.h"
#include "core/pty_pair.h"
#include "gui/scripted_prompts.h"
#include "serial/choose_port.h"
#include "serial/com_select_form.h"
#include "serial/port_names.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Presence by the ports/ folder alone, so the machine's own serial ports do not matter.
TComSelectForm::PresentTest linkedOnly(const QString& dir) {
    return [dir](int n) { return vz::ports::isPresent(dir, n, {}); };
}

QStringList entries(const TComSelectForm& form) {
    const auto* box = form.findChild<QComboBox*>(QStringLiteral("PortsComboBox"));
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QString deviceText(const TComSelectForm& form) {
    return form.findChild<QLabel*>(QStringLiteral("DeviceLbl"))->text();
}

int savedPortInFile(const QString& path) {
    return SettingsFile::load(path).settings.port;
}

} // namespace

class TstComSelectForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void fixedTexts();
    void listsPresentPortsUpTo50();
    void parseEntry_data();
    void parseEntry();
    void choosePort_data();
    void choosePort();
    void looksRight();

private:
    QScopedPointer<QTemporaryDir> m_dir;
};

void TstComSelectForm::initTestCase() {
    QVERIFY(languageTable().load(QStringLiteral(VZ_SOURCE_DIR "/resources"),
                                 QStringLiteral("english")));
}

void TstComSelectForm::init() {
    m_dir.reset(new QTemporaryDir);
}

void TstComSelectForm::fixedTexts() {
    TComSelectForm form(m_dir->path(), linkedOnly(m_dir->path()));
    // Fixed texts: the language table is not asked.
    QCOMPARE(form.windowTitle(), QStringLiteral("Select Port"));
    QCOMPARE(form.findChild<QPushButton*>("AbortBtn")->text(), QStringLiteral("Cancel"));
    QVERIFY(form.findChild<QPushButton*>("OkBtn")->isDefault());
    QVERIFY(form.isModal());
}

void TstComSelectForm::listsPresentPortsUpTo50() {
    PtyPair a, b, c, d;
    QVERIFY(a.linkAs(m_dir->path(), 12));
    QVERIFY(b.linkAs(m_dir->path(), 3));
    QVERIFY(c.linkAs(m_dir->path(), 50));
    QVERIFY(d.linkAs(m_dir->path(), 51));
    TComSelectForm form(m_dir->path(), linkedOnly(m_dir->path()));
    QCOMPARE(entries(form), (QStringList{"COM3", "COM12", "COM50"}));
    QCOMPARE(form.chosenNumber(), std::optional<int>(3));
    QCOMPARE(deviceText(form), b.slavePath() + " (ports/COM3)");
    QCOMPARE(form.findChild<QLabel*>("DeviceLbl")->toolTip(),
             m_dir->filePath("ports/COM3") + " -> " + b.slavePath());
    form.findChild<QComboBox*>("PortsComboBox")->setCurrentIndex(1);
    QCOMPARE(form.chosenNumber(), std::optional<int>(12));
    QCOMPARE(deviceText(form), a.slavePath() + " (ports/COM12)");

    TComSelectForm empty(m_dir->path(), [](int) { return false; });
    QVERIFY(entries(empty).isEmpty());
    QCOMPARE(empty.chosenNumber(), std::nullopt);
    QCOMPARE(deviceText(empty), QStringLiteral("(no serial port found)"));
}

void TstComSelectForm::parseEntry_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // 0: none
    QTest::newRow("COM12") << "COM12" << 12;
    QTest::newRow("no digits") << "COM" << 0;
    QTest::newRow("not a number") << "COMx" << 0;
}

void TstComSelectForm::parseEntry() {
    QFETCH(QString, text);
    QFETCH(int, number);
    const std::optional<int> got = TComSelectForm::parseEntry(text);
    QCOMPARE(got.value_or(0), number);
}

void TstComSelectForm::choosePort_data() {
    QTest::addColumn<bool>("portPresent");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Cancel") << true << "AbortBtn" << false;
    QTest::newRow("no port present, OK") << false << "OkBtn" << false;
    QTest::newRow("COM8 chosen") << true << "OkBtn" << true;
}

void TstComSelectForm::choosePort() {
    QFETCH(bool, portPresent);
    QFETCH(QString, button);
    QFETCH(bool, opens);
    PtyPair pty;
    if (portPresent)
        QVERIFY(pty.linkAs(m_dir->path(), 8));
    const QString settings = SettingsFile::pathIn(m_dir->path());
    QVERIFY(SettingsFile::writePort(settings, 5));

    TApdComPort port(m_dir->path());
    port.setComNumber(5);
    int shown = 0;
    port.setPortChooser([&]() {
        ++shown;
        TComSelectForm form(m_dir->path(), linkedOnly(m_dir->path()));
        form.show();
        QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
        return form.answer();
    });
    ScriptedPrompts prompts;
    QString label = QStringLiteral("unchanged");
    int saved = 5;
    QStringList hooks;
    ChoosePortHooks h;
    h.opened = [&] { hooks << "opened"; };
    h.failed = [&] { hooks << "failed:" + label; };

    const bool open = choose_port(
        port, [&](const QString& t) { label = t; }, saved, settings, prompts, nullptr, h);

    QCOMPARE(shown, 1);
    QCOMPARE(open, opens);
    QCOMPARE(port.Open(), opens);
    if (opens) {
        QVERIFY(prompts.records.isEmpty());
        QCOMPARE(label, QStringLiteral("COM8"));
        QCOMPARE(saved, 8);
        QCOMPARE(hooks, QStringList{"opened"});
        port.WriteChar('_');
        QCOMPARE(pty.readFar(1), QByteArray("_"));
    } else {
        QCOMPARE(prompts.kinds(), QStringList{"error"});
        QCOMPARE(prompts.texts(), QStringList{get_text("msg_comport_error")});
        QCOMPARE(label, get_text("msg_selectcomport"));
        QCOMPARE(saved, 0);
        QCOMPARE(int(port.ComNumber()), 0);
        // The label is set before the caller's own step.
        QCOMPARE(hooks, QStringList{"failed:" + get_text("msg_selectcomport")});
    }
    QCOMPARE(savedPortInFile(settings), saved);
}

void TstComSelectForm::looksRight() {
    PtyPair a, b;
    QVERIFY(a.linkAs(m_dir->path(), 9));
    QVERIFY(b.linkAs(m_dir->path(), 17));
    TComSelectForm form(m_dir->path(), linkedOnly(m_dir->path()));
    form.show();
    // Every control lies inside the window and clear of the others.
    const auto widgets = form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (const QWidget* w : widgets) {
        QVERIFY2(form.rect().contains(w->geometry()), qPrintable(w->objectName()));
        for (const QWidget* o : widgets)
            if (o != w)
                QVERIFY2(!w->geometry().intersects(o->geometry()),
                         qPrintable(w->objectName() + " / " + o->objectName()));
    }
}

QTEST_MAIN(TstComSelectForm)
#include "tst_com_select_form.moc"
