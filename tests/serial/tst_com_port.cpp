#include "core/pty_pair.h"
#include "serial/com_port.h"
#include "serial/port_catalog.h"
#include "serial/port_names.h"

#include <QtTest>

#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace vz;

namespace {

const char kXoff = 0x13;

// Stops the line as a device with software handshake would, so the port's output stays queued;
// waits until the line is seen stopped (no room to write) rather than for a fixed time.
bool stopLine(PtyPair& pty) {
    termios t{};
    ::tcgetattr(pty.slaveFd(), &t);
    t.c_iflag |= IXON;
    ::tcsetattr(pty.slaveFd(), TCSANOW, &t);
    pty.writeFar(QByteArray(1, kXoff));
    pollfd p{pty.slaveFd(), POLLOUT, 0};
    return QTest::qWaitFor([&] { return ::poll(&p, 1, 0) == 0; }, 3000);
}

} // namespace

class TstComPort : public QObject {
    Q_OBJECT
private:
    QScopedPointer<QTemporaryDir> m_dir;
private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void deviceTable_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("device");
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM17") << 17 << "/dev/ttyUSB0";
        QTest::newRow("COM33") << 33 << "/dev/ttyACM0";
        QTest::newRow("COM48") << 48 << "/dev/ttyACM15";
        QTest::newRow("COM49 has none") << 49 << "";
    }

    void deviceTable() {
        QFETCH(int, n);
        QFETCH(QString, device);
        QCOMPARE(ports::deviceFor(m_dir->path(), n), device);
    }

    void presentPorts() {
        PtyPair a, b;
        QVERIFY(a.linkAs(m_dir->path(), 4));
        QVERIFY(b.linkAs(m_dir->path(), 50));
        QVERIFY(::symlink("/nonexistent/tty", qPrintable(m_dir->filePath("ports/COM7"))) == 0);
        const QSet<QString> none;
        QVERIFY(!ports::isPresent(m_dir->path(), 7, none)); // dangling link
        // The fixed table counts only what the system reports.
        QVERIFY(!ports::isPresent(m_dir->path(), 1, none));
        QVERIFY(ports::isPresent(m_dir->path(), 1, {QStringLiteral("/dev/ttyS0")}));
        // A dangling link hides the fixed device rather than silently opening another line.
        QCOMPARE(ports::deviceFor(m_dir->path(), 7), m_dir->filePath("ports/COM7"));

        // A USB adapter as the system names it; a link made by hand reaching it by position
        // is listed as it stands, with the adapter's stable name beside it.
        PtyPair adapter;
        const QString root = m_dir->filePath("root");
        const ports::SerialSystem system = ports::SerialSystem::at(root);
        const QString byId = ports::addStandInAdapter(root, adapter.slavePath(),
                                                      {"FTDI", "FT232R USB UART", "A10K3XYZ"});
        QVERIFY(!byId.isEmpty());
        QVERIFY(adapter.linkAs(m_dir->path(), 5));
        auto entries = [&](bool withMissing) {
            QMap<int, ports::PortEntry> out;
            for (const ports::PortEntry& e :
                 ports::catalog(m_dir->path(), system, 1, 50, withMissing))
                out.insert(e.number, e);
            return out;
        };
        auto adapterEntry = [&] {
            for (const ports::PortEntry& e : entries(false))
                if (e.device == adapter.slavePath())
                    return e;
            return ports::PortEntry();
        };
        QVERIFY(entries(false).contains(4) && entries(false).contains(50) &&
                !entries(false).contains(7));
        ports::PortEntry e = adapterEntry();
        QCOMPARE(e.number, 5);
        QCOMPARE(e.stableName, byId);
        QVERIFY(!e.linkOnChoice);
        QCOMPARE(ports::entryText(e, "serial %1"),
                 "COM5 \u2014 FTDI FT232R USB UART, serial A10K3XYZ (" + adapter.slavePath() + ")");

        // Without it, the adapter is offered under a free number and choosing links it by its
        // stable name; an entry in ports/ is never replaced.
        QVERIFY(QFile::remove(m_dir->filePath("ports/COM5")));
        e = adapterEntry();
        QVERIFY(e.number >= 17 && e.linkOnChoice && e.link.isEmpty());
        QString error;
        QVERIFY(ports::linkChoice(m_dir->path(), e, &error));
        QCOMPARE(QFileInfo(ports::linkPath(m_dir->path(), e.number)).symLinkTarget(), byId);
        QVERIFY(!ports::linkChoice(m_dir->path(), e, &error));
        const ports::PortEntry chosen = adapterEntry();
        QVERIFY(chosen.number == e.number && !chosen.linkOnChoice && chosen.linkTarget == byId);
        QVERIFY(!entries(true).value(7).present);
        QCOMPARE(entries(true).value(7).linkTarget, QStringLiteral("/nonexistent/tty"));

        // A replug: the adapter is gone, then back on another device; its number follows it.
        TApdComPort port(m_dir->path());
        port.setComNumber(static_cast<quint16>(e.number));
        QVERIFY(QFile::remove(byId));
        QVERIFY_THROWS_EXCEPTION(ComPortError, port.setOpen(true));
        PtyPair replugged;
        QVERIFY(QFile::link(replugged.slavePath(), byId));
        port.setOpen(true);
        port.WriteString("again");
        QCOMPARE(replugged.readFar(5), QByteArray("again"));
    }

    // The group that may use a port is named to a user who may not open it.
    void portWithoutPermission() {
        PtyPair pty;
        QCOMPARE(ports::deniedGroupOf(pty.slavePath()), QString());
        QCOMPARE(::chmod(qPrintable(pty.slavePath()), 0), 0);
        int out[2];
        QCOMPARE(::pipe(out), 0);
        const pid_t child = ::fork();
        if (child == 0) { // root may open anything: ask as nobody
            if (::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(1);
            const QByteArray group = ports::deniedGroupOf(pty.slavePath()).toUtf8();
            ::_exit(::write(out[1], group.constData(), group.size()) == group.size() ? 0 : 1);
        }
        ::close(out[1]);
        char buf[64] = {};
        const ssize_t n = ::read(out[0], buf, sizeof buf - 1);
        ::close(out[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(n > 0);
        QCOMPARE(QString::fromUtf8(buf, int(n)), QFileInfo(pty.slavePath()).group());
    }

    // COM77: a number above the chooser's 50 still opens unchanged.

    void openWriteAndSettings() {
        PtyPair pty;
        QVERIFY(pty.linkAs(m_dir->path(), 77));
        TApdComPort port(m_dir->path());
        port.setOpen(false); // closed already: nothing, no error
        port.setComNumber(77);
        QVERIFY(!port.Open()); // never opens by itself
        QVERIFY_THROWS_EXCEPTION(ComPortError, port.WriteString("abc"));
        port.setOpen(true);
        QCOMPARE(port.ComNumber(), quint16(77));

        termios t{};
        QCOMPARE(::tcgetattr(pty.slaveFd(), &t), 0);
        QCOMPARE(cfgetospeed(&t), speed_t(B1200));
        // A pseudo-terminal always reports 8 data bits and no parity, so only these can show.
        QCOMPARE(t.c_cflag & (CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(t.c_iflag & (IXON | IXOFF), tcflag_t(0));

        port.WriteString(QByteArray("W\x00\x01", 3));
        port.setOpen(true); // open already: the line is not reopened, the queue stays
        port.WriteChar('_');
        port.WriteString(QByteArray("\n\r\xFF", 3));
        // Refused whole: not even a part of it reaches the line.
        QVERIFY_THROWS_EXCEPTION(ComPortError, port.WriteString(QByteArray(4097, 'x')));
        QCOMPARE(pty.readFar(7).toHex(' '), QByteArray("57 00 01 5f 0a 0d ff"));
        QCOMPARE(pty.readUntilQuiet(50), QByteArray());
        port.setBaud(2400); // on the open line at once
        QCOMPARE(::tcgetattr(pty.slaveFd(), &t), 0);
        QCOMPARE(cfgetospeed(&t), speed_t(B2400));
        port.setOpen(false);
        QVERIFY(!port.Open());
    }

    void openFailures_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("setup");
        QTest::newRow("no device for the number") << 49 << "";
        QTest::newRow("dangling link") << 5 << "dangling";
        QTest::newRow("link to a file that is no terminal") << 6 << "file";
    }

    void openFailures() {
        QFETCH(int, n);
        QFETCH(QString, setup);
        QDir().mkpath(m_dir->filePath("ports"));
        const QString link = m_dir->filePath(QStringLiteral("ports/COM%1").arg(n));
        if (setup == QLatin1String("dangling"))
            QVERIFY(::symlink("/nonexistent/tty", qPrintable(link)) == 0);
        if (setup == QLatin1String("file"))
            QVERIFY(::symlink("/dev/null", qPrintable(link)) == 0);
        TApdComPort port(m_dir->path());
        port.setComNumber(static_cast<quint16>(n));
        QVERIFY_THROWS_EXCEPTION(ComPortError, port.setOpen(true));
        QVERIFY(!port.Open());
        QCOMPARE(port.ComNumber(), quint16(n)); // falling back to 0 is the caller's
    }

    void outputSentOncePerArming() {
        PtyPair pty;
        QVERIFY(pty.linkAs(m_dir->path(), 3));
        TApdComPort port(m_dir->path());
        port.setComNumber(3);
        port.setOpen(true);
        QSignalSpy spy(&port, &TApdComPort::TriggerOutSent);
        const quint16 a = port.AddOutputSentTrigger();
        const quint16 b = port.AddOutputSentTrigger();

        port.WriteChar('0'); // nothing armed: no event
        port.ArmOutputSentTrigger(a);
        QCOMPARE(spy.count(), 0); // armed, nothing written yet
        port.WriteString("1234");
        QCOMPARE(spy.count(), 0); // never from inside the write
        QVERIFY(spy.wait(1000));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<quint16>(), a);
        QCOMPARE(pty.readFar(5), QByteArray("01234"));

        port.WriteString("5678"); // not armed again
        QVERIFY(!spy.wait(50));

        // An armed trigger fires only after the queue ran empty: stop the line, and it waits.
        QVERIFY(stopLine(pty));
        port.ArmOutputSentTrigger(b);
        port.WriteString("9");
        QVERIFY(!spy.wait(50));
        pty.writeFar(QByteArray(1, 0x11)); // XON
        QVERIFY(spy.wait(1000));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<quint16>(), b);
        QVERIFY_THROWS_EXCEPTION(ComPortError, port.ArmOutputSentTrigger(99));
    }

    void deadLineReportedOnce() {
        PtyPair pty;
        QVERIFY(pty.linkAs(m_dir->path(), 3));
        TApdComPort port(m_dir->path());
        port.setComNumber(3);
        port.setOpen(true);
        QSignalSpy failed(&port, &TApdComPort::PortFailed);
        // What a hang-up throws away was never sent: no output-sent event for it.
        QSignalSpy sent(&port, &TApdComPort::TriggerOutSent);
        port.ArmOutputSentTrigger(port.AddOutputSentTrigger());
        port.WriteString("12");
        pty.hangUp();
        QVERIFY(failed.wait(1000));
        QTest::qWait(100); // a dead pseudo-terminal keeps raising errors until closed
        QCOMPARE(failed.count() + sent.count(), 1);
        QVERIFY(!port.Open());
        try {
            port.WriteChar('x');
            QFAIL("a write on the dead port went through");
        } catch (const ComPortError& e) {
            QVERIFY2(e.text().contains(failed.at(0).at(0).toString()), qPrintable(e.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TstComPort)
#include "tst_com_port.moc"
