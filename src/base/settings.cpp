#include "base/settings.h"

#include "base/ini_file.h"

#include <QDir>

namespace vz {

namespace {

const QString kCom = QStringLiteral("com");
const QString kAdv = QStringLiteral("adv");
const QString kMisc = QStringLiteral("misc");
const QString kDf = QStringLiteral("df");
const QString kLastProject = QStringLiteral("last_project");
const QString kLanguageFiles = QStringLiteral("languagefiles");

struct Observer {
    const void* owner = nullptr;
    SettingsFile::WriteObserver tell;
};

Observer& observer() {
    static Observer instance;
    return instance;
}

bool told(const QString& path, bool written) {
    if (observer().tell)
        observer().tell(path, written);
    return written;
}

bool writeKey(const QString& path, const QString& section, const QString& key,
              const QString& value) {
    return told(path, IniFile::writeKey(path, section, key, value));
}

// A value that goes into a frame is taken only within its range: wrapped, box 300 would
// fire box 44.
int rangedInt(const IniFile& ini, const QString& section, const QString& key, int def, int min,
              int max, QStringList* refused) {
    const int value = ini.readInt(section, key, def);
    if (value >= min && value <= max)
        return value;
    *refused
        << QStringLiteral("[%1] %2=%3 (%4..%5)").arg(section, key).arg(value).arg(min).arg(max);
    return def;
}

} // namespace

void SettingsFile::setWriteObserver(const void* owner, WriteObserver tell) {
    observer() = Observer{owner, std::move(tell)};
}

void SettingsFile::removeWriteObserver(const void* owner) {
    if (observer().owner == owner)
        observer() = Observer{};
}

QString SettingsFile::pathIn(const QString& dataDir) {
    return QDir(dataDir).filePath(fileName());
}

SettingsFile::LoadResult SettingsFile::load(const QString& path) {
    LoadResult result;
    IniFile ini(path);
    // An unreadable file is treated like a missing one: defaults, and the caller says so.
    // The writers refuse to replace it, so nothing in it is lost.
    result.fileFound = ini.load();
    if (!result.fileFound)
        return result;

    Settings& s = result.settings;
    const Settings def;
    s.box = rangedInt(ini, kDf, QStringLiteral("box"), def.box, kMinBox, kMaxBox, &result.refused);
    s.port = ini.readInt(kCom, QStringLiteral("port"), def.port);
    s.ball = ini.readInt(kAdv, QStringLiteral("ball"), def.ball);
    s.maxbox = clampMaxbox(ini.readInt(kAdv, QStringLiteral("maxbox"), def.maxbox));
    s.block = ini.readInt(kCom, QStringLiteral("block"), def.block);
    // The box mode decides the box of macro calls and of the transfer record.
    s.newBoxmode =
        rangedInt(ini, kMisc, QStringLiteral("new_boxmode"), def.newBoxmode, 0, 1, &result.refused);
    s.lastProject = ini.readString(kLastProject, QStringLiteral("filename"), def.lastProject);
    s.language = ini.readString(kLanguageFiles, QStringLiteral("active"), def.language);
    return result;
}

int SettingsFile::clampMaxbox(int maxbox) {
    if (maxbox > kMaxboxLimit)
        return kMaxboxLimit;
    // An empty box list would leave no box number at all.
    if (maxbox < 1)
        return 1;
    return maxbox;
}

bool SettingsFile::writeDefaults(const QString& path) {
    const Settings def;
    IniFile ini(path);
    ini.writeInt(kCom, QStringLiteral("port"), def.port);
    ini.writeInt(kCom, QStringLiteral("block"), def.block);
    ini.writeInt(kAdv, QStringLiteral("ball"), def.ball);
    ini.writeInt(kAdv, QStringLiteral("maxbox"), def.maxbox);
    ini.writeInt(kMisc, QStringLiteral("new_boxmode"), def.newBoxmode);
    ini.writeInt(kDf, QStringLiteral("box"), def.box);
    ini.writeString(kLastProject, QStringLiteral("filename"), def.lastProject);
    ini.writeString(kLanguageFiles, QStringLiteral("active"), def.language);
    return told(path, ini.save());
}

bool SettingsFile::writePort(const QString& path, int port) {
    return writeKey(path, kCom, QStringLiteral("port"), QString::number(port));
}

bool SettingsFile::writeBall(const QString& path, int ball) {
    return writeKey(path, kAdv, QStringLiteral("ball"), QString::number(ball));
}

bool SettingsFile::writeBoxmode(const QString& path, int boxmode) {
    return writeKey(path, kMisc, QStringLiteral("new_boxmode"), QString::number(boxmode));
}

bool SettingsFile::writeLastProject(const QString& path, const QString& fileName) {
    return writeKey(path, kLastProject, QStringLiteral("filename"), fileName);
}

bool SettingsFile::writeLanguage(const QString& path, const QString& name) {
    return writeKey(path, kLanguageFiles, QStringLiteral("active"), name);
}

} // namespace vz
