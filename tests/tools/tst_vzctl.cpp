#include "core/pty_pair.h"
#include "fire/fire_frames.h"
#include "program/project_file.h"
#include "serial/port_catalog.h"

#include <QtTest>

#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

using namespace vz;

namespace {

const QString kVzctl = QStringLiteral(VZ_BIN_DIR "/vzctl");
const QString kDemo = QStringLiteral(VZ_SOURCE_DIR "/resources/examples/demo.kvx");

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

Run vzctl(const QStringList& args) {
    QProcess p;
    p.start(kVzctl, args);
    const bool done = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit;
    return {done ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}

// The demo's image in box mode 0, worked out by hand from the byte layout: hex pairs, "#"
// comments. Not the encoder's output, so a fault there cannot hide.
QByteArray demoImage() {
    QFile f(QStringLiteral(VZ_TEST_DATA_DIR "/demo_image.hex"));
    QString text = f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    return QByteArray::fromHex(text.remove(QRegularExpression("#[^\n]*")).toLatin1());
}

} // namespace

class TstVzctl : public QObject {
    Q_OBJECT
private:
    QScopedPointer<QTemporaryDir> m_dir;
private slots:
    void init() {
        m_dir.reset(new QTemporaryDir);
        // The program folder of the runs: the shipped language files, no settings file.
        const QString lang = m_dir->filePath("language");
        QDir().mkpath(lang);
        for (const char* name : {"english.lng", "deutsch.lng"})
            QVERIFY(QFile::copy(QStringLiteral(VZ_SOURCE_DIR "/resources/language/") + name,
                                lang + "/" + QLatin1String(name)));
        // A project using channel 3 twice; a file that is no project.
        BoxProgram p = BoxProgram::startValues();
        p.singleAt(5).ch = 2;
        QVERIFY(ProjectFile::write(m_dir->filePath("twice.kvx"), p));
        QFile junk(m_dir->filePath("junk.kvx"));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(5000, '\x9c')) == 5000);
        p = BoxProgram::startValues();
        p.macros[1].steps[0] = {1, 277}; // a call that does not run as written
        QVERIFY(ProjectFile::write(m_dir->filePath("badmacro.kvx"), p));
        QFile de(m_dir->filePath("de.ini"));
        QVERIFY(de.open(QIODevice::WriteOnly) && de.write("[languagefiles]\nactive=deutsch\n") > 0);
        QFile bad(m_dir->filePath("bad.ini"));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("[df]\nbox=300\n") > 0);
    }

    // One row per command and outcome: the exit code, and the start of stdout (exit 0) or
    // of stderr (any other exit, with nothing on stdout). "twice.kvx" uses channel 3 twice.
    void commands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const QStringList& args, int code, const char* text) {
            QTest::newRow(name) << args << code << QString(text);
        };
        row("help", {"--help"}, 0, "Usage: vzctl");
        row("unknown command", {"transmit"}, 2, "vzctl");
        row("frame mm, default box", {"frame", "mm", "21"}, 0, "5F 5F 73 32 65 15 AC 00");
        row("frame refuses channel 0", {"frame", "mm", "0"}, 2,
            "vzctl frame: CHANNEL must be a number from 1 to 70, not '0'");
        row("frame macro", {"frame", "macro", "--box", "36", "40"}, 0,
            "00 00 73 C8 24 28 14 00 00");
        row("check", {"check", kDemo}, 0, "");
        row("check refuses, German texts", {"check", "twice.kvx", "--settings", "de.ini"}, 1,
            "Mehrfach belegter Kanal 3:\nEinzelmodul 3\nEinzelmodul 5");
        row("send refuses before the port", {"send", "twice.kvx", "--port", "49"}, 1,
            "Duplicate channel 3:");
        row("image of no project", {"image", "junk.kvx"}, 2, "vzctl: cannot read project file");
        row("image refuses a settings file out of range", {"image", kDemo, "--settings", "bad.ini"},
            2, "vzctl: settings file");
        row("send fails on the port", {"send", kDemo, "--port", "49"}, 2, "vzctl send: COM49");
        // Demo macro 1: LR 1 (channel 18, 8 modules, balls of 100 ms every 160 ms) from 20 ms,
        // RL 1 (channel 19) from 541 ms: 1 ms after the first call's last copy and its pause.
        row("rehearse, JSON", {"rehearse", kDemo, "1", "--json"}, 0,
            R"({"macro":1,"events":[{"t_ms":20,"flame":[],"ball":[1]},)"
            R"({"t_ms":120,"flame":[],"ball":[]},{"t_ms":180,"flame":[],"ball":[2]},)"
            R"({"t_ms":280,"flame":[],"ball":[]},{"t_ms":340,"flame":[],"ball":[3]},)"
            R"({"t_ms":440,"flame":[],"ball":[]},{"t_ms":500,"flame":[],"ball":[4]},)"
            R"({"t_ms":541,"flame":[],"ball":[4,8]},{"t_ms":600,"flame":[],"ball":[8]},)");
        row("rehearse refuses a macro, nothing played", {"rehearse", "badmacro.kvx", "2"}, 1,
            "This macro does not run as written and was not started:");
        row("rehearse without a macro number", {"rehearse", kDemo}, 2, "vzctl rehearse: expected");
        row("fire fails on the port", {"fire", "--route", "mm", "--port", "49", "3"}, 2,
            "vzctl fire: COM49");
    }

    void commands() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, text);
        QStringList all;
        for (const QString& a : args)
            all << (a.contains('.') && !a.startsWith('/') ? m_dir->filePath(a) : a);
        const Run r = vzctl(all + QStringList{"--program-dir", m_dir->path()});
        QVERIFY2(r.code == code, qPrintable(r.err));
        if (code == 0)
            QVERIFY2(r.out.startsWith(text.toUtf8()), r.out.constData());
        else
            QVERIFY2(r.out.isEmpty() && r.err.startsWith(text), qPrintable(r.err));
    }

    void macroJson() {
        BoxProgram p = BoxProgram::startValues();
        const QVector<int> steps{1, 277, 0, 300000000, 7, 1, 1, 40};
        for (int i = 0; i + 1 < steps.size(); i += 2)
            p.macros[3].steps[i / 2] = {steps[i], steps[i + 1]};
        const QString path = m_dir->filePath("macro.kvx");
        QVERIFY(ProjectFile::write(path, p));
        const Run r = vzctl({"macro", path, "4", "--json", "--program-dir", m_dir->path()});
        QCOMPARE(r.code, 1); // problems found
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o["macro"].toInt(), 4);
        QCOMPARE(o["box"].toInt(), 36); // box mode 0, 6 modules: what a call would carry
        QCOMPARE(o["end_ms"].toInt(), 120061);
        QStringList got;
        for (const QJsonValue& v : o["steps"].toArray()) {
            const QJsonObject step = v.toObject();
            got << step["kind"].toString() + "@" + QString::number(step["t_ms"].toInt()) +
                       (step.contains("problem") ? "!" : "") +
                       (step.contains("pause_ms") ? "=" + QString::number(step["pause_ms"].toInt())
                                                  : "");
            if (step["kind"] == "call")
                QCOMPARE(step["frame"].toString(),
                         QString(macroCallFrame(36, 40).toHex().toUpper()));
        }
        QCOMPARE(got.join(' '), QString("skip@20! pause@40!=60000 skip@60040! call@120040"));
    }

    void imageRaw() {
        QFile f(m_dir->filePath("other.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("[misc]\nnew_boxmode=1\n") > 0);
        f.close();
        const Run r = vzctl(
            {"image", kDemo, "--raw", "--settings", f.fileName(), "--program-dir", m_dir->path()});
        QCOMPARE(r.code, 0);
        QByteArray image = demoImage();
        image[424] = 8; // box mode 1: the demo's 8 modules in the box record, and its check byte
        image[426] = 0x4E;
        QCOMPARE(r.out.toHex(' '), image.toHex(' '));
    }

    void sendExactBytesInBlocks() {
        PtyPair pty;
        QVERIFY(pty.linkAs(m_dir->path(), 14));
        QProcess p;
        p.start(kVzctl,
                {"send", kDemo, "--port", "14", "--block", "5", "--program-dir", m_dir->path()});
        const QByteArray got = pty.readFar(430, 5000);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(got.toHex(' '), demoImage().toHex(' '));
        QVERIFY(p.readAllStandardError().contains("86 blocks of 5,"));
        // A line lost while idling ends the command at once, with the reason in words.
        p.start(kVzctl,
                {"send", kDemo, "--port", "14", "--idle", "10", "--program-dir", m_dir->path()});
        QCOMPARE(pty.readFar(2), QByteArray("__"));
        pty.hangUp();
        QVERIFY(p.waitForFinished(1000)); // not only when the idle time is over
        QVERIFY2(p.exitCode() == 2 && p.readAllStandardError().contains(
                                          "COM14: the line is lost: the device /dev/pts/"),
                 "no lost line reported");
    }

    void fireTwice20msApart() {
        PtyPair pty;
        QVERIFY(pty.linkAs(m_dir->path(), 15));
        const Run r = vzctl({"fire", "--route", "rk40", "--port", "15", "--box", "200", "70",
                             "--program-dir", m_dir->path()});
        QCOMPARE(r.code, 0);
        const QByteArray frame = QByteArray::fromHex("0000FF322C46500000");
        QCOMPARE(pty.readFar(18), frame + frame);
        // Both copies in the fire log of the (writable) program folder. The gap is read from
        // the log, stamped where the copies are written: no reading jitter of this side.
        const QStringList files = QDir(m_dir->filePath("logs")).entryList({"fire-*.csv"});
        QCOMPARE(files.size(), 1);
        QFile file(m_dir->filePath("logs/" + files.first()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 4); // header, two copies, end
        const QRegularExpression copy("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}) "
                                      "[+-]\\d\\d:\\d\\d,frame,rk40,COM15,200,70,"
                                      "vzctl,00 00 FF 32 2C 46 50 00 00,written$");
        QList<QDateTime> at;
        for (int i : {1, 2}) {
            const QRegularExpressionMatch m = copy.match(QString::fromUtf8(lines.at(i)));
            QVERIFY2(m.hasMatch(), lines.at(i).constData());
            at << QDateTime::fromString(m.captured(1), "yyyy-MM-dd HH:mm:ss.zzz");
        }
        const qint64 gap = at[0].msecsTo(at[1]);
        QVERIFY2(gap >= 19 && gap < 1000, qPrintable(QString::number(gap)));

        // A copy the port refuses is exit 2 with the port's reason, never "sent twice". The
        // line is stopped, so nothing ever counts as sent, and dies once the command opens it.
        QVERIFY(::tcflow(pty.slaveFd(), TCOOFF) == 0);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(pty.slavePath()), IN_OPEN) >= 0);
        QProcess p;
        p.start(kVzctl,
                {"fire", "--route", "mm", "--port", "15", "3", "--program-dir", m_dir->path()});
        pollfd opened{watch, POLLIN, 0};
        QVERIFY(::poll(&opened, 1, 5000) == 1);
        pty.hangUp();
        ::close(watch);
        QVERIFY(p.waitForFinished(5000));
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(p.exitCode() == 2 && err.startsWith("vzctl fire: "), err.constData());
    }

    void simAndPorts() {
        // A link the sim did not make is left alone, even one leading nowhere.
        const QString unplugged = "/dev/serial/by-id/usb-unplugged";
        const QString com9 = m_dir->filePath("ports/COM9");
        QVERIFY(QDir().mkpath(m_dir->filePath("ports")) && QFile::link(unplugged, com9));
        QProcess sim;
        sim.start(kVzctl, {"sim", "--json", "--program-dir", m_dir->path()});
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 5000);
        const QJsonObject ready = QJsonDocument::fromJson(sim.readLine()).object();
        QCOMPARE(ready.value("com").toInt(), 10); // the first free number from 9 up
        const QString link = ready.value("link").toString();
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(vzctl({"ports", "--program-dir", m_dir->path()}).out.contains("COM10"));
        // A USB adapter where the system keeps stable names: named, and what choosing links.
        PtyPair adapter;
        const QString root = m_dir->filePath("root");
        const QString byId =
            ports::addStandInAdapter(root, adapter.slavePath(), {"FTDI", "FT232R", "A1"});
        qputenv("VZ_SERIAL_ROOT", root.toUtf8());
        const Run json = vzctl({"ports", "--json", "--program-dir", m_dir->path()});
        qunsetenv("VZ_SERIAL_ROOT");
        QStringList got;
        for (const QJsonValue& v : QJsonDocument::fromJson(json.out).array()) {
            const QJsonObject o = v.toObject();
            got << QStringLiteral("%1 %2 %3 %4 %5 %6")
                       .arg(o["device"].toString(), o["maker"].toString(), o["serial"].toString(),
                            o["stable_name"].toString(), o["link_target"].toString())
                       .arg(o["links_on_choice"].toBool());
        }
        const QString simDevice = ready.value("device").toString();
        QVERIFY2(got.contains(QStringLiteral("%1 FTDI A1 %2  1").arg(adapter.slavePath(), byId)) &&
                     got.contains(simDevice + "    " + simDevice + " 0") &&
                     got.contains("    " + unplugged + " 0"),
                 qPrintable(got.join('\n')));
        const Run taken = vzctl({"sim", "--port", "9", "--program-dir", m_dir->path()});
        QVERIFY2(taken.code == 1 && QFileInfo(com9).symLinkTarget() == unplugged,
                 qPrintable(taken.err));
        sim.terminate();
        QVERIFY(sim.waitForFinished(3000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TstVzctl)
#include "tst_vzctl.moc"
