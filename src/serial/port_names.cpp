#include "serial/port_names.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace vz::ports {

namespace {

constexpr int kTableSize = 16;

} // namespace

bool isCharacterDevice(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
#else
    return QFileInfo::exists(path);
#endif
}

// A dangling link still counts as the port's entry: opening it then fails, instead of
// silently reaching a device of the fixed table.
bool entryExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString portsDir(const QString& dataDir) {
    return QDir(dataDir).filePath(QStringLiteral("ports"));
}

QString linkPath(const QString& dataDir, int n) {
    return QDir(portsDir(dataDir)).filePath(comName(n));
}

QString comName(int n) {
    return QStringLiteral("COM%1").arg(n);
}

QString fixedDevice(int n) {
#ifdef Q_OS_WIN
    return n >= 1 ? QStringLiteral("\\\\.\\COM%1").arg(n) : QString();
#else
    if (n >= 1 && n <= kTableSize)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n > kTableSize && n <= 2 * kTableSize)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 1 - kTableSize);
    if (n > 2 * kTableSize && n <= 3 * kTableSize)
        return QStringLiteral("/dev/ttyACM%1").arg(n - 1 - 2 * kTableSize);
    return QString();
#endif
}

QString deviceFor(const QString& dataDir, int n) {
    if (n < 1)
        return QString();
#ifndef Q_OS_WIN
    const QString link = linkPath(dataDir, n);
    if (entryExists(link))
        return link;
#else
    Q_UNUSED(dataDir);
#endif
    return fixedDevice(n);
}

QSet<QString> systemPorts() {
    QSet<QString> out;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        out.insert(info.systemLocation());
    return out;
}

bool isPresent(const QString& dataDir, int n, const QSet<QString>& system) {
    if (n < 1)
        return false;
#ifndef Q_OS_WIN
    const QString link = linkPath(dataDir, n);
    if (entryExists(link))
        return isCharacterDevice(link);
#endif
    const QString device = fixedDevice(n);
    if (device.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return system.contains(QStringLiteral("COM%1").arg(n)) || system.contains(device);
#else
    return system.contains(device);
#endif
}

} // namespace vz::ports
