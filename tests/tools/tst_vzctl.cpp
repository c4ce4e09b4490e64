#include "core/pty_pair.h"
#include "fire/fire_frames.h"
#include "program/program_document.h"
#include "program/project_file.h"
#include "transfer/transfer_image.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <termios.h>

using namespace vz;

namespace {

const QString kVzctl = QStringLiteral(VZ_BIN_DIR "/vzctl");
const QString kDemo = QStringLiteral(VZ_SOURCE_DIR "/resources/examples/demo.kvx");

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

Run vzctl(const QStringList& args, int timeoutMs = 10000) {
    QProcess p;
    p.start(kVzctl, args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A running "vzctl sim --json": reads its events line by line.
class Sim {
public:
    Sim(const QString& programDir, const QStringList& extra) {
        m_p.start(kVzctl, QStringList{"sim", "--json", "--program-dir", programDir} + extra);
    }
    ~Sim() {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.terminate();
            if (!m_p.waitForFinished(3000))
                m_p.kill();
            m_p.waitForFinished();
        }
    }
    QJsonObject next(int timeoutMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!m_p.canReadLine() && clock.elapsed() < timeoutMs)
            m_p.waitForReadyRead(50);
        if (!m_p.canReadLine())
            return {};
        return QJsonDocument::fromJson(m_p.readLine()).object();
    }
    QProcess& process() { return m_p; }

private:
    QProcess m_p;
};

QByteArray expectedImage(const QString& project, int boxMode) {
    ProgramDocument doc;
    doc.setBoxMode(boxMode);
    ProjectFile::read(project, doc);
    return build_transfer_image(buildRecordTable(doc.program(), boxMode));
}

} // namespace

class TstVzctl : public QObject {
    Q_OBJECT
private slots:
    void init();
    void usage_data();
    void usage();
    void macroDryRun_data();
    void macroDryRun();
    void imageHex();
    void imageRaw_data();
    void imageRaw();
    void refusal_data();
    void refusal();
    void unreadableProject_data();
    void unreadableProject();
    void sendReceivedWholeBySimulator();
    void sendExactBytesInBlocks();
    void sendStoppedThenHungUp_data();
    void sendStoppedThenHungUp();
    void fireTwice20msApart();
    void frames_data();
    void frames();
    void simRemovesItsLink();

private:
    QString writeDuplicateProject();
    QScopedPointer<QTemporaryDir> m_dir;
};

void TstVzctl::init() {
    m_dir.reset(new QTemporaryDir);
    // The program folder of the runs: the shipped language files, no settings file.
    const QString lang = m_dir->filePath("language");
    QDir().mkpath(lang);
    for (const char* name : {"english.lng", "deutsch.lng"})
        QVERIFY(QFile::copy(QStringLiteral(VZ_SOURCE_DIR "/resources/language/") + name,
                            lang + "/" + QLatin1String(name)));
}

void TstVzctl::usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("no command") << QStringList{} << 2;
    QTest::newRow("--help") << QStringList{"--help"} << 0;
    QTest::newRow("unknown command") << QStringList{"transmit"} << 2;
    QTest::newRow("unknown option") << QStringList{"image", kDemo, "--hex"} << 2;
    QTest::newRow("missing project") << QStringList{"check", "/nonexistent/x.kvx"} << 2;
    QTest::newRow("send without port") << QStringList{"send", kDemo} << 2;
    QTest::newRow("block 0") << QStringList{"send", kDemo, "--port", "9", "--block", "0"} << 2;
    QTest::newRow("channel 71") << QStringList{"frame", "mm", "71"} << 2;
    QTest::newRow("fire without route") << QStringList{"fire", "--port", "9", "3"} << 2;
    QTest::newRow("macro 11") << QStringList{"macro", kDemo, "11"} << 2;
}

void TstVzctl::usage() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    const Run r = vzctl(args + QStringList{"--program-dir", m_dir->path()});
    QCOMPARE(r.code, code);
    if (code == 0)
        QVERIFY(r.out.startsWith("Usage: vzctl"));
    else
        QVERIFY2(!r.err.isEmpty(), "an error says why on stderr");
}

void TstVzctl::macroDryRun_data() {
    QTest::addColumn<QVector<int>>("steps"); // type, value pairs of macro 4
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("kinds"); // kind@t_ms
    QTest::addColumn<int>("problems");
    QTest::addColumn<int>("end");
    QTest::newRow("as written") << QVector<int>{1, 21, 0, 150, 1, 40} << 0
                                << "call@20 pause@41 call@1541" << 0 << 1562;
    QTest::newRow("a refused call, a lowered pause, a type without meaning")
        << QVector<int>{1, 277, 0, 300000000, 7, 1, 1, 40} << 1
        << "skip@20 pause@40 skip@60040 call@120040" << 3 << 120061;
}

void TstVzctl::macroDryRun() {
    QFETCH(QVector<int>, steps);
    QFETCH(int, code);
    QFETCH(QString, kinds);
    QFETCH(int, problems);
    QFETCH(int, end);
    BoxProgram p = BoxProgram::startValues();
    for (int i = 0; i + 1 < steps.size(); i += 2)
        p.macros[3].steps[i / 2] = {steps[i], steps[i + 1]};
    const QString path = m_dir->filePath("macro.kvx");
    QVERIFY(ProjectFile::write(path, p));
    const Run r = vzctl({"macro", path, "4", "--json", "--program-dir", m_dir->path()});
    QCOMPARE(r.code, code);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o["macro"].toInt(), 4);
    QCOMPARE(o["active"].toBool(), false);
    QCOMPARE(o["box"].toInt(), 36); // box mode 0, 6 modules: what a call would carry
    QCOMPARE(o["end_ms"].toInt(), end);
    QStringList got;
    int withProblem = 0;
    for (const QJsonValue& v : o["steps"].toArray()) {
        const QJsonObject step = v.toObject();
        got << step["kind"].toString() + "@" + QString::number(step["t_ms"].toInt());
        withProblem += step.contains("problem") ? 1 : 0;
        QCOMPARE(step.contains("frame"), step["kind"] == "call");
        if (step["kind"] == "call")
            QCOMPARE(step["frame"].toString(),
                     QString(macroCallFrame(36, step["channel"].toInt()).toHex().toUpper()));
    }
    QCOMPARE(got.join(' '), kinds);
    QCOMPARE(withProblem, problems);
    // Plain: one line per step and the end.
    const Run plain = vzctl({"macro", path, "4", "--program-dir", m_dir->path()});
    QCOMPARE(plain.code, code);
    QCOMPARE(plain.out.count('\n'), got.size() + 1);
}

void TstVzctl::imageHex() {
    const Run r = vzctl({"image", kDemo, "--program-dir", m_dir->path()});
    QCOMPARE(r.code, 0);
    // 16 bytes a line, upper case, 27 lines.
    QByteArray expected = expectedImage(kDemo, 0).toHex(' ').toUpper();
    for (int at = 16 * 3 - 1; at < expected.size(); at += 16 * 3)
        expected[at] = '\n';
    QCOMPARE(r.out, expected + '\n');
}

void TstVzctl::imageRaw_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("boxMode");
    QTest::newRow("no settings file: box mode 0") << "" << 0;
    QTest::newRow("box mode 1") << "[misc]\nnew_boxmode=1\n" << 1;
}

void TstVzctl::imageRaw() {
    QFETCH(QString, settings);
    QFETCH(int, boxMode);
    QStringList args{"image", kDemo, "--raw", "--program-dir", m_dir->path()};
    if (!settings.isEmpty()) {
        QFile f(m_dir->filePath("other.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(settings.toUtf8());
        f.close();
        args << "--settings" << f.fileName();
    }
    const Run r = vzctl(args);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.size(), 430);
    QCOMPARE(r.out, expectedImage(kDemo, boxMode));
    // The demo has 8 modules: the count in the box record only in box mode 1.
    QCOMPARE(int(quint8(r.out[424])), boxMode == 1 ? 8 : 0);
}

QString TstVzctl::writeDuplicateProject() {
    BoxProgram p = BoxProgram::startValues();
    p.singleAt(5).ch = 2;      // channel 3, as single 3
    p.seqAt(0, 2).chk = false; // LR 2 not in use, still counted
    p.seqAt(0, 2).ch = 2;
    const QString path = m_dir->filePath("twice.kvx");
    if (!ProjectFile::write(path, p))
        return QString();
    return path;
}

void TstVzctl::refusal_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("message");
    const QString en = "Duplicate channel 3:\nSingle module 3\nSingle module 5\n"
                       "Seq |=====>, Variant 2";
    QTest::newRow("check") << "check"
                           << "english" << en;
    QTest::newRow("send") << "send"
                          << "english" << en;
    QTest::newRow("image, German texts")
        << "image"
        << "deutsch"
        << "Mehrfach belegter Kanal 3:\nEinzelmodul 3\nEinzelmodul 5\nSeq |=====>, Variante 2";
}

void TstVzctl::refusal() {
    QFETCH(QString, command);
    QFETCH(QString, language);
    QFETCH(QString, message);
    const QString project = writeDuplicateProject();
    QVERIFY(!project.isEmpty());
    QFile settings(m_dir->filePath("settings.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral("[languagefiles]\nactive=%1\n").arg(language).toUtf8());
    settings.close();
    QStringList args{command, project, "--program-dir", m_dir->path()};
    if (command == QLatin1String("send"))
        args << "--port"
             << "49"; // refused before the port is touched
    const Run r = vzctl(args);
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.err.trimmed(), message);
}

void TstVzctl::unreadableProject_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("file"); // "random": 100 KB of random bytes; "folder"
    QTest::addColumn<QString>("reason");
    const QString noProject = vz::projectReadReason(vz::ProjectReadStatus::NotAProject);
    QTest::newRow("check, random bytes") << "check"
                                         << "random" << noProject;
    QTest::newRow("image, random bytes") << "image"
                                         << "random" << noProject;
    QTest::newRow("send, random bytes") << "send"
                                        << "random" << noProject;
    QTest::newRow("sheet, random bytes") << "sheet"
                                         << "random" << noProject;
    QTest::newRow("image, a folder")
        << "image"
        << "folder" << vz::projectReadReason(vz::ProjectReadStatus::Folder);
}

// Read as a default project, such a file was imaged and sent with exit 0.
void TstVzctl::unreadableProject() {
    QFETCH(QString, command);
    QFETCH(QString, file);
    QFETCH(QString, reason);
    QString project = m_dir->filePath("folder.kvx");
    if (file == QLatin1String("random")) {
        project = m_dir->filePath("random.kvx");
        QFile f(project);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray bytes(100 * 1024, '\0');
        for (char& c : bytes)
            c = char(QRandomGenerator::global()->generate());
        QCOMPARE(f.write(bytes), bytes.size());
    } else {
        QVERIFY(QDir().mkpath(project));
    }
    QStringList args{command, project, "--program-dir", m_dir->path()};
    if (command == QLatin1String("send"))
        args << "--port"
             << "49";
    if (command == QLatin1String("sheet"))
        args << "--pdf" << m_dir->filePath("out.pdf");
    const Run r = vzctl(args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.out.isEmpty());
    // The sheet's graphical side may add warnings of its own before it.
    QVERIFY2(r.err.trimmed().endsWith(
                 QStringLiteral("vzctl: cannot read project file '%1': %2").arg(project, reason)),
             qPrintable(r.err));
    QVERIFY(!QFile::exists(m_dir->filePath("out.pdf")));
}

void TstVzctl::sendReceivedWholeBySimulator() {
    Sim sim(m_dir->path(), {"--port", "12"});
    const QJsonObject ready = sim.next();
    QCOMPARE(ready.value("event").toString(), QStringLiteral("ready"));
    QCOMPARE(ready.value("com").toInt(), 12);

    const Run r =
        vzctl({"send", kDemo, "--port", "12", "--idle", "0.2", "--program-dir", m_dir->path()});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("107 blocks of 4 + 2 bytes"), qPrintable(r.err));

    const QJsonObject idle = sim.next();
    QCOMPARE(idle.value("event").toString(), QStringLiteral("idle"));
    QVERIFY(idle.value("count").toInt() >= 4);
    const QJsonObject image = sim.next();
    QCOMPARE(image.value("event").toString(), QStringLiteral("image"));
    QVERIFY2(image.value("valid").toBool(), qPrintable(image.value("fault").toString()));
    QCOMPARE(image.value("offset").toInt(), idle.value("count").toInt());
    QCOMPARE(image.value("box").toInt(), 38);
    QCOMPARE(image.value("records").toArray().size(), 70);
}

void TstVzctl::sendExactBytesInBlocks() {
    PtyPair pty;
    QVERIFY(pty.linkAs(m_dir->path(), 14));
    QProcess p;
    p.start(kVzctl,
            {"send", kDemo, "--port", "14", "--block", "5", "--program-dir", m_dir->path()});
    const QByteArray got = pty.readFar(430, 5000);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(got, expectedImage(kDemo, 0));
    QVERIFY(p.readAllStandardError().contains("86 blocks of 5,"));
}

void TstVzctl::sendStoppedThenHungUp_data() {
    QTest::addColumn<int>("block");
    QTest::newRow("small blocks, each waited") << 4;
    QTest::newRow("one part larger than the image") << 1000;
}

// XOFF stops the line while the image goes out, then the far end hangs up: no image byte
// arrived, so the command must fail with the port's error, whatever the block size.
void TstVzctl::sendStoppedThenHungUp() {
    QFETCH(int, block);
    PtyPair pty;
    QVERIFY(pty.linkAs(m_dir->path(), 16));
    QProcess p;
    p.start(kVzctl, {"send", kDemo, "--port", "16", "--block", QString::number(block), "--idle",
                     "0.3", "--program-dir", m_dir->path()});
    QCOMPARE(pty.readFar(1, 5000), QByteArray("_")); // open and idling
    termios t{};
    ::tcgetattr(pty.slaveFd(), &t);
    t.c_iflag |= IXON;
    ::tcsetattr(pty.slaveFd(), TCSANOW, &t);
    pty.writeFar(QByteArray(1, 0x13));
    const QByteArray arrived = pty.readUntilQuiet(100, 500);
    QTest::qWait(400); // the idle time ends; the image goes into the stopped line
    pty.hangUp();
    QVERIFY(p.waitForFinished(9000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(arrived, QByteArray(arrived.size(), '_'));
    QVERIFY2(p.exitCode() == 2 && err.startsWith("vzctl send: COM16") && !err.contains("sent"),
             qPrintable(err));
}

void TstVzctl::fireTwice20msApart() {
    Sim sim(m_dir->path(), {"--port", "15"});
    QCOMPARE(sim.next().value("com").toInt(), 15);
    const Run r = vzctl({"fire", "--route", "rk40", "--port", "15", "--box", "200", "70",
                         "--program-dir", m_dir->path()});
    QCOMPARE(r.code, 0);
    const QJsonObject first = sim.next();
    const QJsonObject second = sim.next();
    for (const QJsonObject& e : {first, second}) {
        QCOMPARE(e.value("event").toString(), QStringLiteral("rk40"));
        QVERIFY(e.value("valid").toBool());
        QCOMPARE(e.value("hex").toString(), QStringLiteral("00 00 FF 32 2C 46 50 00 00"));
    }
    const int gap = second.value("time_ms").toInt() - first.value("time_ms").toInt();
    QVERIFY2(gap >= 18 && gap < 80, qPrintable(QString::number(gap)));
    QCOMPARE(second.value("offset").toInt(), 9);

    // Both copies in the fire log of the (writable) program folder.
    const QDir logs(m_dir->filePath("logs"));
    const QStringList files = logs.entryList({"fire-*.csv"});
    QCOMPARE(files.size(), 1);
    QFile file(logs.filePath(files.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // header, two copies, end
    const QRegularExpression copy("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "
                                  "[+-]\\d\\d:\\d\\d,frame,rk40,COM15,200,70,"
                                  "vzctl,00 00 FF 32 2C 46 50 00 00,written$");
    for (int i : {1, 2})
        QVERIFY2(copy.match(QString::fromUtf8(lines.at(i))).hasMatch(), lines.at(i).constData());
}

void TstVzctl::frames_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("hex");
    QTest::newRow("mm, box from the settings default")
        << QStringList{"mm", "21"} << "5F 5F 73 32 65 15 AC 00";
    QTest::newRow("mm box 200 channel 70")
        << QStringList{"mm", "--box", "200", "70"} << "5F 5F 73 32 2C 46 A4 00";
    QTest::newRow("macro") << QStringList{"macro", "--box", "36", "40"}
                           << "00 00 73 C8 24 28 14 00 00";
}

void TstVzctl::frames() {
    QFETCH(QStringList, args);
    QFETCH(QString, hex);
    const Run r = vzctl(QStringList{"frame"} + args + QStringList{"--program-dir", m_dir->path()});
    QCOMPARE(r.code, 0);
    QCOMPARE(QString::fromLatin1(r.out).trimmed(), hex);
}

void TstVzctl::simRemovesItsLink() {
    Sim sim(m_dir->path(), {});
    const QJsonObject ready = sim.next();
    QCOMPARE(ready.value("com").toInt(), 9); // the first free number from 9 up
    const QString link = ready.value("link").toString();
    QCOMPARE(link, m_dir->filePath("ports/COM9"));
    QVERIFY(QFileInfo(link).isSymLink());
    const Run ports = vzctl({"ports", "--program-dir", m_dir->path()});
    QVERIFY2(ports.out.contains("COM9"), ports.out.constData());

    // A second one takes the next number.
    Sim other(m_dir->path(), {});
    QCOMPARE(other.next().value("com").toInt(), 10);

    sim.process().terminate();
    QVERIFY(sim.process().waitForFinished(3000));
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo(m_dir->filePath("ports/COM10")).isSymLink());
}

QTEST_GUILESS_MAIN(TstVzctl)
#include "tst_vzctl.moc"
