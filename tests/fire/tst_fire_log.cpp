#include "core/pty_pair.h"
#include "fire/com_fire_port.h"
#include "fire/fire_frames.h"
#include "fire/fire_log.h"
#include "fire/fire_mode.h"
#include "fire/frame_sender.h"
#include "serial/com_port.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

using namespace vz;

namespace {

// The window's side of fire mode: always Yes, nothing to show.
class Host : public FireModeHost {
public:
    Answer askFireMode() override { return Answer::Yes; }
    void runTransfer() override {}
    void setRouteActive(FireRoute, bool) override {}
    void setRouteEnabled(FireRoute, bool) override {}
    void setTransferEnabled(bool) override {}
    void setFirePagesShown(bool) override {}
    void setFirePortText(const QString&) override {}
    void setSetupPortText(const QString&) override {}
    void setRk40BoxList(bool) override {}
    void stopMacro() override {}
    void showError(const QString&) override {}
    void savePortSetting(int) override {}
};

} // namespace

class TstFireLog : public QObject {
    Q_OBJECT
private slots:
    void linesOfADay() {
        QTemporaryDir tmp;
        FireLog log(tmp.filePath("data/logs"));
        QDateTime now(QDate(2026, 12, 7), QTime(23, 59, 59, 995), QTimeZone(5400));
        log.setClock([&now] { return now; });

        FireLogLine frame;
        frame.event = "frame";
        frame.route = "mm";
        frame.port = "COM7";
        frame.box = 1;
        frame.channel = 21;
        frame.source = "hotkey a";
        frame.frame = QByteArray::fromHex("5f5f7332651599");
        frame.outcome = "written";
        log.append(frame);
        FireLogLine error;
        error.event = "port error";
        error.route = "rk40";
        error.outcome = "gone, \"unplugged\"";
        log.append(error);
        now = now.addMSecs(10); // past midnight: the next day's file
        log.append(frame);
        QVERIFY(log.drain(5000) && !log.isStopped());

        QFile first(tmp.filePath("data/logs/fire-2026-12-07.csv"));
        QVERIFY(first.open(QIODevice::ReadOnly));
        QCOMPARE(first.readAll(),
                 QByteArray("time,event,route,port,box,channel,source,frame,outcome\n"
                            "2026-12-07 23:59:59.995 +01:30,frame,mm,COM7,1,21,hotkey a,"
                            "5F 5F 73 32 65 15 99,written\n"
                            "2026-12-07 23:59:59.995 +01:30,port error,rk40,,,,,,"
                            "\"gone, \"\"unplugged\"\"\"\n"));
        QVERIFY(QFileInfo::exists(tmp.filePath("data/logs/fire-2026-12-08.csv")));
    }

    void fireOverPty_data() {
        // A log that cannot be written, in ways that hold for root too (who may write anywhere).
        QTest::addColumn<QString>("log");
        QTest::newRow("log written") << "ok";
        QTest::newRow("log folder below a file") << "folder";
        QTest::newRow("log disk full") << "full";
    }

    void fireOverPty() {
        QFETCH(QString, log);
        QTemporaryDir tmp;
        PtyPair pty;
        QVERIFY(pty.isValid() && pty.linkAs(tmp.path(), 7));
        QString folder = tmp.filePath("logs");
        const QDate day(2026, 12, 7);
        if (log == "folder") {
            QFile file(tmp.filePath("file"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            folder = tmp.filePath("file/logs");
        } else if (log == "full") {
            if (!QFileInfo::exists("/dev/full"))
                QSKIP("no /dev/full");
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::link("/dev/full", folder + "/fire-2026-12-07.csv"));
        }

        TApdComPort com(tmp.path());
        ComFirePort port(com);
        FireFrameSender sender;
        sender.setWriter([&port](const QByteArray& b) { return port.writeString(b); });
        Host host;
        FireModeController c(host, port, sender);
        FireLog fireLog(folder);
        fireLog.setClock([day] { return QDateTime(day, QTime::currentTime()); });
        QSignalSpy stopped(&fireLog, &FireLog::stopped);
        c.setLog(&fireLog);
        c.setSavedPort(7);
        c.switchOn(FireRoute::MasterModule);
        QVERIFY(c.isArmed());

        QFile file(folder + "/fire-2026-12-07.csv");
        auto lines = [&file] {
            file.close();
            if (!file.open(QIODevice::ReadOnly))
                return QStringList();
            return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        };
        c.fire(21, "hotkey a");
        const QByteArray frame = masterModuleFrame(1, 21);
        // Both copies go whatever becomes of the log.
        QCOMPARE(pty.readFar(2 * frame.size()), frame + frame);
        if (log == "ok") {
            // Each line is in the file, read through a handle of its own, while still armed.
            QTRY_COMPARE(lines().size(), 4); // header, fire mode on, two copies
            QVERIFY(lines().at(1).endsWith(",fire mode on,mm,COM7,,,,,"));
            for (int i : {2, 3})
                QVERIFY2(lines().at(i).endsWith(",frame,mm,COM7,1,21,hotkey a," +
                                                frame.toHex(' ').toUpper() + ",written"),
                         qPrintable(lines().at(i)));
            c.switchOff();
            QTRY_COMPARE(lines().size(), 5);
            QVERIFY(lines().last().endsWith(",fire mode off,mm,COM7,,,,,"));
            QCOMPARE(stopped.count(), 0);
        } else {
            // Said once, with the reason; firing went on regardless.
            QTRY_COMPARE(stopped.count(), 1);
            QVERIFY2(stopped.at(0).at(0).toString().contains(
                         log == "folder" ? QDir::toNativeSeparators(folder)
                                         : QStringLiteral("No space left on device")),
                     qPrintable(stopped.at(0).at(0).toString()));
        }
    }
};

QTEST_GUILESS_MAIN(TstFireLog)
#include "tst_fire_log.moc"
