// The port chooser window and the shared port choice behind the port buttons.
#include "base/settings.h"
#include "base/unit_service.h"
#include "core/pty_pair.h"
#include "gui/scripted_prompts.h"
#include "serial/choose_port.h"
#include "serial/com_select_form.h"
#include "serial/port_names.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TstComSelectForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(languageTable().load(QStringLiteral(VZ_SOURCE_DIR "/resources"),
                                     QStringLiteral("english")));
    }

    void choosePort_data() {
        QTest::addColumn<bool>("opens");
        QTest::newRow("no port present, OK") << false;
        QTest::newRow("COM8 chosen") << true;
    }
    void choosePort() {
        QFETCH(bool, opens);
        QTemporaryDir dir;
        PtyPair pty, past; // a port above COM50 is not offered
        QVERIFY(past.linkAs(dir.path(), 51));
        if (opens)
            QVERIFY(pty.linkAs(dir.path(), 8));
        const QString settings = SettingsFile::pathIn(dir.path());
        QVERIFY(SettingsFile::writePort(settings, 5));
        TApdComPort port(dir.path());
        port.setComNumber(5);
        QStringList offered;
        port.setPortChooser([&]() {
            // Presence by the ports/ folder alone: the machine's own ports do not matter.
            TComSelectForm form(dir.path(),
                                [&](int n) { return vz::ports::isPresent(dir.path(), n, {}); });
            auto* box = form.findChild<QComboBox*>("PortsComboBox");
            for (int i = 0; i < box->count(); ++i)
                offered << box->itemText(i);
            form.show();
            QTest::mouseClick(form.findChild<QPushButton*>("OkBtn"), Qt::LeftButton);
            return form.answer();
        });
        ScriptedPrompts prompts;
        QString label;
        int saved = 5;
        QCOMPARE(choose_port(
                     port, [&](const QString& t) { label = t; }, saved, settings, prompts, nullptr),
                 opens);
        QCOMPARE(offered, opens ? QStringList{"COM8"} : QStringList{});
        QCOMPARE(port.Open(), opens);
        QCOMPARE(label, opens ? QString("COM8") : get_text("msg_selectcomport"));
        QCOMPARE(saved, opens ? 8 : 0);
        QCOMPARE(SettingsFile::load(settings).settings.port, saved);
        QCOMPARE(prompts.texts(),
                 opens ? QStringList{} : QStringList{get_text("msg_comport_error")});
        if (opens) {
            port.WriteChar('_');
            QCOMPARE(pty.readFar(1), QByteArray("_"));
        }
    }
};

QTEST_MAIN(TstComSelectForm)
#include "tst_com_select_form.moc"
