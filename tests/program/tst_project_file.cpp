#include "base/ini_file.h"
#include "core/file_fixtures.h"
#include "program/program_document.h"
#include "program/project_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

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
    for (int m = 0; m < vz::kMacros; ++m) {
        p.macros[m].active = m % 3 == 0;
        for (int k = 0; k < m * 20; ++k)
            p.macros[m].steps[k] = {k % 3, k * 7};
    }
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
    d.setSingleFire(1, 17);
    d.forAllSingle(1);
    d.setModuleCountPosition(9);
    d.setSingleChannel(1, 60);
    d.setSingleChannel(2, 61);
    d.setGroupChannel(0, 1, 50);
    d.setSeqWait(0, 1, 77);
    d.setSeqChannel(4, 5, 3);
    d.setActiveTab(4);
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
    void partialProjectsReadDefaults_data();
    void partialProjectsReadDefaults();
    void unreadableFilesAreRefused_data();
    void unreadableFilesAreRefused();
    void failedSaveKeepsPreviousFile_data();
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
    // Writing over an existing file replaces it whole.
    QVERIFY(ProjectFile::write(first, vz::BoxProgram::startValues()));
    QVERIFY(vztest::readBytes(first) != vztest::readBytes(second));
}

void TestProjectFile::readValues_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("boxMode");
    QTest::addColumn<QString>("key"); // section/key of the value as a save would write it
    QTest::addColumn<int>("expected");
    // The document holds preset() before every read. The INI engine's own rules (case, hex,
    // duplicates, junk) are tst_ini_file's.
    auto row = [](const char* name, const char* content, int mode, const char* key, int value) {
        QTest::newRow(name) << content << mode << key << value;
    };
    row("time out of range keeps the old", "[sgl]\nmod3=300", 1, "sgl/mod3", 17);
    row("wait of 1 keeps the old", "[seqLR]\nvar1wait=1", 1, "seqLR/var1wait", 77);
    row("count 6 in box mode 0: box 36", "[misc]\nBoxNr=3\nCount=5", 0, "misc/BoxNr", 35);
    row("box mode 1 takes BoxNr", "[misc]\nBoxNr=3\nCount=5", 1, "misc/BoxNr", 3);
    row("Count refused, box mode 0 still fixes the box", "[misc]\nBoxNr=3\nCount=16", 0,
        "misc/BoxNr", 39);
    row("sections ignore case", "[SeqIa]\nVAR2FIRE=44", 1, "seqIA/var2fire", 44);
    row("missing BoxNr: box 1", "[misc]\nCount=7", 1, "misc/BoxNr", 0);
    row("missing Count: 6 modules", "[misc]\nBoxNr=2", 1, "misc/Count", 5);
    row("missing single channel", "[misc]", 1, "sgl/ch1", 0);
    row("missing group channel", "[misc]", 1, "all/ch1", 20);
    row("missing sequence channel", "[misc]", 1, "seqX/var5ch", 54);
    row("missing in use: not in use", "[misc]", 1, "seqLR/var2chk", 0);
    row("BoxNr past the list kept", "[misc]\nBoxNr=50", 1, "misc/BoxNr", 9);
    row("Count past the list kept", "[misc]\nCount=16", 1, "misc/Count", 9);
    row("channel 71 kept", "[sgl]\nch1=70", 1, "sgl/ch1", 60);
    row("channel -1 kept", "[sgl]\nch2=-1", 1, "sgl/ch2", 61);
    row("in use: any non-zero", "[seqRL]\nvar3chk=2", 1, "seqRL/var3chk", 1);
    row("ActiveTab 9 shows page 0", "[misc]\nActiveTab=9", 1, "misc/ActiveTab", 0);
    row("macro values are raw", "[macro3]\nvalue7=-2147483648", 1, "macro3/value7",
        std::numeric_limits<int>::min());
    row("macro active non-zero", "[macro9]\nactive=5", 1, "macro9/active", 1);
}

void TestProjectFile::readValues() {
    QFETCH(QString, content);
    QFETCH(int, boxMode);
    QFETCH(QString, key);
    QFETCH(int, expected);
    const QString path = m_dir.filePath("read.kvx");
    QVERIFY(vztest::writeBytes(path, content.toUtf8()));
    ProgramDocument d;
    preset(d);
    d.setBoxMode(boxMode);
    QCOMPARE(ProjectFile::read(path, d), vz::ProjectReadStatus::Read);
    QVERIFY(!d.isModified());
    QCOMPARE(d.path(), path);
    const IniFile saved = ProjectFile::toIni(d.program());
    QCOMPARE(saved.readInt(key.section('/', 0, 0), key.section('/', 1), -999), expected);
}

void TestProjectFile::partialProjectsReadDefaults_data() {
    QTest::addColumn<QByteArray>("bytes");
    // Projects with their own keys broken or missing: what is there is read, the rest
    // takes its default.
    static const char nul[] = "[sgl\0]\nmod1=\0"
                              "12\n[misc]\nCo\0unt=3\n";
    QTest::newRow("NUL bytes") << QByteArray(nul, sizeof(nul) - 1);
    QTest::newRow("1 MB time") << "[sgl]\nmod1=" + QByteArray(1 << 20, '7') + "\n";
    QTest::newRow("keys without values") << QByteArray("[sgl]\nmod1\nmod2=\n=7\n[misc]\nCount");
    QTest::newRow("huge numbers") << QByteArray("[misc]\nCount=0x100000005\nBoxNr=-9999999999");
    QTest::newRow("one macro section") << QByteArray("[MACRO7]\n");
}

void TestProjectFile::partialProjectsReadDefaults() {
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath("partial.kvx");
    QVERIFY(vztest::writeBytes(path, bytes));
    ProgramDocument fromEmpty;
    fromEmpty.setBoxMode(1);
    ProjectFile::read(IniFile(), fromEmpty);

    ProgramDocument d;
    preset(d);
    QCOMPARE(ProjectFile::read(path, d), vz::ProjectReadStatus::Read);
    QVERIFY(d.program() == fromEmpty.program());
    QVERIFY(!d.isModified());
    QCOMPARE(d.path(), path);
}

void TestProjectFile::unreadableFilesAreRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<vz::ProjectReadStatus>("status");
    // The shared corpus of broken INI files (junk, 1 MB lines, UTF-16, ...): none holds a
    // project section.
    for (const QString& path : vztest::brokenCorpus(VZ_TEST_DATA_DIR, m_dir.path()))
        QTest::newRow(qPrintable(QFileInfo(path).fileName()))
            << path << vz::ProjectReadStatus::NotAProject;
    const QString noSections = m_dir.filePath("no sections.kvx");
    QVERIFY(vztest::writeBytes(noSections, "mod1=9\nch1=4\nBoxNr=3\n"));
    QTest::newRow("keys without sections") << noSections << vz::ProjectReadStatus::NotAProject;
    const QString huge = m_dir.filePath("huge.kvx");
    QFile sparse(huge);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(65 * 1024 * 1024));
    QTest::newRow("65 MB") << huge << vz::ProjectReadStatus::NotAProject;
    QTest::newRow("missing file") << m_dir.filePath("no such file.kvx")
                                  << vz::ProjectReadStatus::Missing;
    QTest::newRow("folder") << m_dir.path() << vz::ProjectReadStatus::Folder;
    // Reading this process's memory at offset 0 fails with EIO.
    QTest::newRow("I/O error") << "/proc/self/mem" << vz::ProjectReadStatus::IoError;
    const QString locked = m_dir.filePath("locked.kvx");
    QVERIFY(ProjectFile::write(locked, busyProgram()));
    QVERIFY(QFile::setPermissions(locked, QFile::WriteOwner));
    QTest::newRow("no permission") << locked << vz::ProjectReadStatus::NoPermission;
}

void TestProjectFile::unreadableFilesAreRefused() {
    QFETCH(QString, path);
    QFETCH(vz::ProjectReadStatus, status);
    if (status == vz::ProjectReadStatus::NoPermission && QFileInfo(path).isReadable())
        QSKIP("this user reads any file");
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

void TestProjectFile::failedSaveKeepsPreviousFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("path is a folder") << "folder";
    QTest::newRow("read-only folder") << "readonly";
    QTest::newRow("no room for the temporary name") << "longname";
    QTest::newRow("folder missing") << "nofolder";
}

void TestProjectFile::failedSaveKeepsPreviousFile() {
    QFETCH(QString, kind);
    const QString folder = m_dir.filePath(kind);
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + "/old.kvx";
    if (kind == "folder") {
        path = folder + "/sub.kvx";
        QVERIFY(QDir().mkpath(path));
    } else if (kind == "longname") {
        // A name at the file system's limit leaves no room for a temporary file beside it.
        path = folder + "/" + QString(250, 'p') + ".kvx";
    } else if (kind == "nofolder") {
        path = folder + "/missing/old.kvx";
    }
    const QByteArray previous = "[misc]\r\nBoxNr=4\r\n";
    if (kind != "folder" && kind != "nofolder")
        QVERIFY(vztest::writeBytes(path, previous));
    if (kind == "readonly") {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(folder + "/probe");
        if (probe.open(QIODevice::WriteOnly)) { // root writes anywhere
            probe.remove();
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("the folder stays writable for this user");
        }
    }
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    QString error;
    QVERIFY(!ProjectFile::write(path, busyProgram(), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    if (kind == "folder")
        QVERIFY(QFileInfo(path).isDir());
    else if (kind != "nofolder")
        QCOMPARE(vztest::readBytes(path), previous);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_GUILESS_MAIN(TestProjectFile)
#include "tst_project_file.moc"
