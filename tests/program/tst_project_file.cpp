#include "base/ini_file.h"
#include "core/file_fixtures.h"
#include "program/program_document.h"
#include "program/project_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <sys/stat.h>

using namespace vz;

Q_DECLARE_METATYPE(vz::ProjectReadStatus)

using vz::ProgramDocument;
using vz::ProjectFile;

namespace {

// Values away from the start values in every field, macros at the 32-bit ends.
vz::BoxProgram busyProgram() {
    vz::BoxProgram p = vz::BoxProgram::startValues();
    p.boxNr = 200;
    p.gasmodCount = 10;
    p.activeTab = 8;
    for (int n = 1; n <= vz::kModules; ++n)
        p.singleAt(n) = {n * 15, 70 - n};
    for (int k = 0; k < vz::kGroupKinds; ++k)
        for (int v = 1; v <= vz::kGroupVariants; ++v)
            p.groupAt(k, v) = {255 - k * 3 - v, k * 3 + v};
    for (int f = 0; f < vz::kSeqFamilies; ++f)
        for (int v = 1; v <= vz::kSeqVariants; ++v)
            p.seqAt(f, v) = {1 + f * 5 + v, 2 + f * 7 + v, 69 - f * 5 - v, (f + v) % 2 == 0};
    for (int k = 0; k < 150; ++k)
        p.macros[k % vz::kMacros].steps[k] = {k % 3, k * 7};
    p.macros[3].active = true;
    p.macros[9].steps[0] = {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    p.macros[9].steps[200] = {5, -2};
    return p;
}

// A document far from the start values, so a refused or missing value shows as "kept".
void preset(ProgramDocument& d) {
    d.setBoxMode(1);
    d.setMaxBox(50);
    d.setBoxNr(9);
    d.setModuleCountPosition(15);
    d.setSingleFire(3, 17);
    d.setSingleChannel(1, 60);
    d.setActiveTab(6);
}

} // namespace

class TestProjectFile : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void defaultProjectMatchesGoldenFile_data();
    void defaultProjectMatchesGoldenFile();
    void roundTripIsByteIdentical();
    void readValues_data();
    void readValues();
    void unreadableFilesAreRefused_data();
    void unreadableFilesAreRefused();
    void failedSaveKeepsPreviousFile();

private:
    QTemporaryDir m_dir;
};

void TestProjectFile::defaultProjectMatchesGoldenFile_data() {
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<QString>("golden");
    QTest::newRow("box mode 0") << 0 << "project_default_mode0.kvx";
    QTest::newRow("box mode 1") << 1 << "project_default_mode1.kvx";
}

void TestProjectFile::defaultProjectMatchesGoldenFile() {
    QFETCH(int, boxMode);
    QFETCH(QString, golden);
    ProgramDocument d;
    d.setBoxMode(boxMode);
    d.resetToNew();
    const QString path = m_dir.filePath(golden);
    QVERIFY(ProjectFile::write(path, d.program()));
    const QByteArray expected = vztest::readBytes(QStringLiteral(VZ_TEST_DATA_DIR "/") + golden);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(vztest::readBytes(path), expected);
}

void TestProjectFile::roundTripIsByteIdentical() {
    const vz::BoxProgram busy = busyProgram();
    const QString first = m_dir.filePath("first.kvx");
    const QString second = m_dir.filePath("second.kvx");
    QVERIFY(ProjectFile::write(first, busy));

    ProgramDocument d;
    d.setBoxMode(1);
    d.setMaxBox(255);
    d.setModified(true);
    ProjectFile::read(first, d);
    QVERIFY(!d.isModified());
    QCOMPARE(d.path(), first);
    QVERIFY(d.program() == busy);

    QVERIFY(ProjectFile::write(second, d.program()));
    QCOMPARE(vztest::readBytes(second), vztest::readBytes(first));
}

void TestProjectFile::readValues_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<QString>("key"); // section/key of the value as a save would write it
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("listed"); // values told as out of range
    // The document holds preset() before every read: none of it may stay. The INI engine's
    // own rules (case, hex, duplicates, junk) are tst_ini_file's.
    auto row = [](const char* name, const char* content, int mode, const char* key, int value,
                  int listed) { QTest::newRow(name) << content << mode << key << value << listed; };
    row("time out of range: a new project's", "[sgl]\nmod3=300", 1, "sgl/mod3", 5, 1);
    row("count 6 in box mode 0: box 36", "[misc]\nBoxNr=3\nCount=5", 0, "misc/BoxNr", 35, 0);
    row("missing BoxNr: box 1", "[misc]\nCount=7", 1, "misc/BoxNr", 0, 0);
    row("missing Count: 6 modules", "[misc]\nBoxNr=2", 1, "misc/Count", 5, 0);
    row("BoxNr past the list", "[misc]\nBoxNr=50", 1, "misc/BoxNr", 0, 1);
    row("channel 71", "[sgl]\nch1=70", 1, "sgl/ch1", 0, 1);
    row("sequence wait 1", "[seqLR]\nvar1wait=1", 1, "seqLR/var1wait", 5, 1);
    row("ActiveTab past the pages", "[misc]\nActiveTab=42", 1, "misc/ActiveTab", 0, 1);
    row("ActiveTab of the fire set-up page", "[misc]\nActiveTab=9", 1, "misc/ActiveTab", 0, 0);
}

void TestProjectFile::readValues() {
    QFETCH(QString, content);
    QFETCH(int, boxMode);
    QFETCH(QString, key);
    QFETCH(int, expected);
    QFETCH(int, listed);
    const QString path = m_dir.filePath("read.kvx");
    QVERIFY(vztest::writeBytes(path, content.toUtf8()));
    ProgramDocument d;
    preset(d);
    d.setBoxMode(boxMode);
    vz::ProjectValueProblems problems;
    QCOMPARE(ProjectFile::read(path, d, &problems), vz::ProjectReadStatus::Read);
    QVERIFY(!d.isModified());
    QCOMPARE(d.path(), path);
    QCOMPARE(problems.size(), listed);
    const IniFile saved = ProjectFile::toIni(d.program());
    QCOMPARE(saved.readInt(key.section('/', 0, 0), key.section('/', 1), -999), expected);
}

void TestProjectFile::unreadableFilesAreRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<vz::ProjectReadStatus>("status");
    // The shared corpus of broken INI files (junk, 1 MB lines, UTF-16, ...): none holds a
    // project section.
    for (const QString& path : vztest::brokenCorpus(VZ_TEST_DATA_DIR, m_dir.path()))
        QTest::newRow(qPrintable(QFileInfo(path).fileName()))
            << path << vz::ProjectReadStatus::NotAProject;
    QTest::newRow("missing file") << m_dir.filePath("no such file.kvx")
                                  << vz::ProjectReadStatus::Missing;
    QTest::newRow("folder") << m_dir.path() << vz::ProjectReadStatus::Folder;
    // Opened, a FIFO would wait for a writer and a device would never end.
    QVERIFY(QFile::link("/dev/zero", m_dir.filePath("zero.kvx")));
    for (const char* name : {"fifo.kvx", "socket.kvx"})
        QVERIFY(::mknod(QFile::encodeName(m_dir.filePath(name)),
                        (name[0] == 'f' ? S_IFIFO : S_IFSOCK) | 0600, 0) == 0);
    for (const char* name : {"zero.kvx", "fifo.kvx", "socket.kvx"})
        QTest::newRow(name) << m_dir.filePath(name) << vz::ProjectReadStatus::NotAProject;
}

void TestProjectFile::unreadableFilesAreRefused() {
    QFETCH(QString, path);
    QFETCH(vz::ProjectReadStatus, status);
    ProgramDocument d;
    preset(d);
    d.setPath(QStringLiteral("current.kvx"));
    const vz::BoxProgram before = d.program();
    QCOMPARE(ProjectFile::read(path, d), status);
    QVERIFY(!vz::projectReadReason(status).isEmpty());
    QVERIFY(d.program() == before);
    QVERIFY(d.isModified());
    QCOMPARE(d.path(), QStringLiteral("current.kvx"));
}

// A save that cannot be made leaves the file there as it was, and says why.
void TestProjectFile::failedSaveKeepsPreviousFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString(250, 'p') + ".kvx"); // no room for a temp name
    const QByteArray previous = "[misc]\r\nBoxNr=4\r\n";
    QVERIFY(vztest::writeBytes(path, previous));
    QString error;
    QVERIFY(!ProjectFile::write(path, busyProgram(), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(vztest::readBytes(path), previous);
    QVERIFY(!ProjectFile::write(dir.filePath("missing/new.kvx"), busyProgram(), &error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
}

QTEST_GUILESS_MAIN(TestProjectFile)
#include "tst_project_file.moc"
