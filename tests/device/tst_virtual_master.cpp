#include "device/virtual_master.h"
#include "fire/fire_frames.h"
#include "serial/com_port.h"
#include "transfer/transfer_image.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace vz;

class TstVirtualMaster : public QObject {
    Q_OBJECT
private slots:
    void receivesWhatThePortSends();
    void numbering_data();
    void numbering();
};

void TstVirtualMaster::receivesWhatThePortSends() {
    QTemporaryDir dir;
    VirtualMasterModule sim(dir.path());
    QVERIFY2(sim.start(5), qPrintable(sim.errorString()));
    QCOMPARE(sim.comNumber(), 5);
    QCOMPARE(QFileInfo(sim.linkPath()).symLinkTarget(), sim.devicePath());
    QSignalSpy events(&sim, &VirtualMasterModule::deviceEvent);

    TApdComPort port(dir.path());
    port.setComNumber(5);
    port.setOpen(true);
    port.WriteString("___");
    port.WriteString(build_transfer_image(buildRecordTable(BoxProgram::startValues(), 0)));
    port.setOpen(false); // the module holds the line: closing the port ends nothing
    port.setOpen(true);
    port.WriteString(macroCallFrame(36, 40));
    QTRY_COMPARE(events.count(), 3);
    const auto kind = [&](int i) { return events.at(i).at(0).value<DeviceEvent>().kind; };
    QCOMPARE(kind(0), DeviceEvent::Kind::Idle);
    QCOMPARE(kind(1), DeviceEvent::Kind::Image);
    QVERIFY(events.at(1).at(0).value<DeviceEvent>().valid);
    QCOMPARE(kind(2), DeviceEvent::Kind::MacroCall);

    // What is still held comes out when the module stops, and the link goes with it.
    port.WriteString(QByteArray("\x00\x00", 2));
    QTest::qWait(50);
    const QString link = sim.linkPath();
    sim.stop();
    QCOMPARE(events.count(), 4);
    QCOMPARE(kind(3), DeviceEvent::Kind::Bytes);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TstVirtualMaster::numbering_data() {
    QTest::addColumn<QString>("existing"); // what ports/COM9 is before the start
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("taken"); // 0: refused
    QTest::newRow("free: 9") << "" << 0 << 9;
    QTest::newRow("link left by a dead module is taken over") << "dangling" << 0 << 9;
    QTest::newRow("live link: the next number") << "live" << 0 << 10;
    QTest::newRow("plain file: the next number") << "file" << 0 << 10;
    QTest::newRow("asked for a live number: refused") << "live" << 9 << 0;
    QTest::newRow("asked for a free number") << "live" << 60 << 60;
}

void TstVirtualMaster::numbering() {
    QFETCH(QString, existing);
    QFETCH(int, asked);
    QFETCH(int, taken);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("ports"));
    const QString com9 = dir.filePath("ports/COM9");
    if (existing == QLatin1String("dangling"))
        QVERIFY(::symlink("/dev/pts/nonexistent", qPrintable(com9)) == 0);
    if (existing == QLatin1String("live"))
        QVERIFY(::symlink("/dev/null", qPrintable(com9)) == 0); // any character device
    if (existing == QLatin1String("file")) {
        QFile f(com9);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    VirtualMasterModule sim(dir.path());
    QCOMPARE(sim.start(asked), taken != 0);
    QCOMPARE(sim.comNumber(), taken);
    if (taken == 0) {
        QVERIFY(sim.errorString().contains(QStringLiteral("COM9")));
        QCOMPARE(QFileInfo(com9).symLinkTarget(), QStringLiteral("/dev/null"));
    } else {
        QCOMPARE(sim.linkPath(), dir.filePath(QStringLiteral("ports/COM%1").arg(taken)));
    }
}

QTEST_GUILESS_MAIN(TstVirtualMaster)
#include "tst_virtual_master.moc"
