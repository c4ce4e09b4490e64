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

} // namespace

class TstComSelectForm : public QObject {
    Q_OBJECT
private:
    QScopedPointer<QTemporaryDir> m_dir;
private slots:
    void initTestCase() {
        QVERIFY(languageTable().load(QStringLiteral(VZ_SOURCE_DIR "/resources"),
                                     QStringLiteral("english")));
    }

    void init() { m_dir.reset(new QTemporaryDir); }

    void listsPresentPortsUpTo50() {
        PtyPair a, b, c, d;
        QVERIFY(a.linkAs(m_dir->path(), 12));
        QVERIFY(b.linkAs(m_dir->path(), 3));
        QVERIFY(c.linkAs(m_dir->path(), 50));
        QVERIFY(d.linkAs(m_dir->path(), 51));
        TComSelectForm form(m_dir->path(), linkedOnly(m_dir->path()));
        QCOMPARE(entries(form), (QStringList{"COM3", "COM12", "COM50"}));
        QCOMPARE(form.chosenNumber(), std::optional<int>(3));
        QCOMPARE(deviceText(form), b.slavePath() + " (ports/COM3)");
        form.findChild<QComboBox*>("PortsComboBox")->setCurrentIndex(1);
        QCOMPARE(form.chosenNumber(), std::optional<int>(12));
    }

    void choosePort_data() {
        QTest::addColumn<bool>("portPresent");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("no port present, OK") << false << "OkBtn" << false;
        QTest::newRow("COM8 chosen") << true << "OkBtn" << true;
    }

    void choosePort() {
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
        QCOMPARE(SettingsFile::load(settings).settings.port, saved);
    }
};

QTEST_MAIN(TstComSelectForm)
#include "tst_com_select_form.moc"
