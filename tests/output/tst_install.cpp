#include "base/unit_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSize>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString buildDir() {
    return QFileInfo(QStringLiteral(VZ_BIN_DIR "/..")).canonicalFilePath();
}

QString helpFileOf(const QString& lngPath) {
    QFile f(lngPath);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const LanguageTable::Entry& e : LanguageTable::parse(f.readAll()))
        if (e.key == QLatin1String("help_file"))
            return e.text;
    return QString();
}

QString desktopValue(const QString& path, const QString& key) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return QString();
}

// Width and height from a PNG's header.
QSize pngSize(const QByteArray& head) {
    if (head.size() < 24 || !head.startsWith("\x89PNG\r\n\x1a\n") || head.mid(12, 4) != "IHDR")
        return QSize();
    auto be32 = [&](int at) {
        return int((uchar(head[at]) << 24) | (uchar(head[at + 1]) << 16) |
                   (uchar(head[at + 2]) << 8) | uchar(head[at + 3]));
    };
    return QSize(be32(16), be32(20));
}

} // namespace

// cmake --install lays out the program folder the program expects, with links and a desktop
// entry that name the folder where it will run.
class TestInstall : public QObject {
    Q_OBJECT
private slots:
    void layout_data() {
        QTest::addColumn<bool>("staged");
        QTest::newRow("into a prefix") << false;
        QTest::newRow("staged with DESTDIR") << true;
    }
    void layout() {
        QFETCH(bool, staged);
        if (!QFileInfo::exists(QStringLiteral(VZ_BIN_DIR "/vestro-zandor")))
            QSKIP("the program is not built");
        QTemporaryDir tmp;
        // The prefix the files name; with DESTDIR they are written below the staging folder.
        const QString prefix = tmp.filePath(QStringLiteral("opt/vz"));
        const QString root = staged ? tmp.filePath(QStringLiteral("stage")) + prefix : prefix;
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (staged)
            env.insert(QStringLiteral("DESTDIR"), tmp.filePath(QStringLiteral("stage")));
        install.setProcessEnvironment(env);
        install.start(QStringLiteral("cmake"), {QStringLiteral("--install"), buildDir(),
                                                QStringLiteral("--prefix"), prefix});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());

        const QString programDir = root + QStringLiteral("/lib/vestro-zandor");
        const QFileInfo exe(programDir + QStringLiteral("/vestro-zandor"));
        QVERIFY(exe.isFile() && exe.isExecutable());
        if (QFileInfo::exists(QStringLiteral(VZ_BIN_DIR "/vzctl")))
            QVERIFY(QFileInfo(programDir + QStringLiteral("/vzctl")).isExecutable());
        if (QFileInfo::exists(QStringLiteral(VZ_SOURCE_DIR "/resources/examples")))
            QVERIFY(!QDir(programDir + QStringLiteral("/examples"))
                         .entryList({QStringLiteral("*.kvx")})
                         .isEmpty());

        // Every shipped language with the help document it names.
        for (const char* language : {"english", "deutsch"}) {
            const QString lng = programDir + QStringLiteral("/language/") +
                                QLatin1String(language) + QStringLiteral(".lng");
            QVERIFY2(QFileInfo(lng).isFile(), qPrintable(lng));
            const QString help = helpFileOf(lng);
            QVERIFY(!help.isEmpty());
            QVERIFY2(QFileInfo(programDir + QStringLiteral("/help/") + help).isFile(),
                     qPrintable(help));
        }
        QVERIFY(!QFileInfo::exists(programDir + QStringLiteral("/help/.gitkeep")));

        // bin/vestro-zandor leads to the program in its folder, by a relative link.
        const QFileInfo link(root + QStringLiteral("/bin/vestro-zandor"));
        QVERIFY(link.isSymLink());
        // Staged, only a relative link leads to the staged program.
        QCOMPARE(link.canonicalFilePath(), exe.canonicalFilePath());

        // The desktop entry starts the program where it will lie after installing, and its
        // icon is installed.
        const QString desktop = root + QStringLiteral("/share/applications/vestro-zandor.desktop");
        QCOMPARE(desktopValue(desktop, QStringLiteral("Exec")),
                 QStringLiteral("\"%1/lib/vestro-zandor/vestro-zandor\" %f").arg(prefix));
        QCOMPARE(desktopValue(desktop, QStringLiteral("Icon")), QStringLiteral("vestro-zandor"));
        for (int size : {48, 128, 256}) {
            QFile icon(QStringLiteral("%1/share/icons/hicolor/%2x%2/apps/vestro-zandor.png")
                           .arg(root)
                           .arg(size));
            QVERIFY(icon.open(QIODevice::ReadOnly));
            QCOMPARE(pngSize(icon.read(24)), QSize(size, size));
        }
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
