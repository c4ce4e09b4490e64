#include "base/data_folder.h"

#include <QDir>
#include <QFileInfo>

namespace vz {

namespace {

const QString kAppFolder = QStringLiteral("vestro-zandor");
const QString kLanguage = QStringLiteral("language");

QString clean(const QString& dir) {
    return QDir::cleanPath(QDir(dir).absolutePath());
}

QStringList namesIn(const QString& dir) {
    // Exactly ".lng": the loader builds the file name from the name and that extension.
    QStringList names =
        QDir(QDir(dir).filePath(kLanguage))
            .entryList({QStringLiteral("*.lng")}, QDir::Files | QDir::CaseSensitive);
    for (QString& name : names)
        name.chop(4);
    return names;
}

// A program folder a package manager owns: root can write it, but what one user keeps there
// would be shared by every user and lost with the next update.
[[maybe_unused]] bool isPackaged(const QString& programDir) {
    for (const char* root : {"/usr", "/opt"}) {
        const QString r = QLatin1String(root);
        if (programDir == r || programDir.startsWith(r + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

DataFolder::DataFolder(const QString& programDir, const QString& configHome, const QString& home,
                       const WritableTest& writable)
    : m_programDir(clean(programDir)) {
#ifdef Q_OS_WIN
    // Windows keeps everything beside the program, as it always did.
    Q_UNUSED(configHome);
    Q_UNUSED(home);
    Q_UNUSED(writable);
    m_path = m_programDir;
#else
    const bool canWrite = writable ? writable(m_programDir) : QFileInfo(m_programDir).isWritable();
    if (canWrite && !isPackaged(m_programDir)) {
        m_path = m_programDir;
        return;
    }
    // A relative XDG_CONFIG_HOME is invalid by its own rules and is ignored.
    const QString base = !configHome.isEmpty() && QDir::isAbsolutePath(configHome)
                             ? configHome
                             : QDir(home).filePath(QStringLiteral(".config"));
    m_path = clean(QDir(base).filePath(kAppFolder));
#endif
}

DataFolder DataFolder::forProgram(const QString& programDir) {
    return DataFolder(programDir, qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
}

bool DataFolder::ensure(QString* error, bool* made) const {
    if (made)
        *made = false;
    if (QFileInfo(m_path).isDir())
        return true;
    if (QDir().mkpath(m_path) && QFileInfo(m_path).isDir()) {
        if (made)
            *made = true;
        return true;
    }
    if (error)
        *error = QStringLiteral("Cannot create the data folder %1.\nUsing default settings.")
                     .arg(QDir::toNativeSeparators(m_path));
    return false;
}

QString DataFolder::settingsPath() const {
    return QDir(m_path).filePath(QStringLiteral("settings.ini"));
}

QString DataFolder::hotkeysPath() const {
    if (isProgramDir())
        return QStringLiteral("./hotkeys.ini");
    return QDir(m_path).filePath(QStringLiteral("hotkeys.ini"));
}

QString DataFolder::logDir() const {
    return QDir(m_path).filePath(QStringLiteral("logs"));
}

QString DataFolder::languageFile(const QString& name) const {
    const QString file = kLanguage + QLatin1Char('/') + name + QStringLiteral(".lng");
    const QString own = QDir(m_path).filePath(file);
    if (!isProgramDir() && QFileInfo(own).isFile())
        return own;
    return QDir(m_programDir).filePath(file);
}

QStringList DataFolder::languageNames() const {
    QStringList names = namesIn(m_programDir);
    if (!isProgramDir())
        names += namesIn(m_path);
    names.sort();
    names.removeDuplicates();
    return names;
}

} // namespace vz
