#include "serial/port_catalog.h"

#include "serial/port_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace vz::ports {

namespace {

constexpr int kUsbStart = 17;     // where the fixed table puts USB adapters
constexpr int kFixedNumbers = 48; // COM1..COM48 have a device of the fixed table
constexpr int kMaxDetail = 128;   // a USB string longer than this is cut

QString canonicalDevice(const QString& path) {
    const QString device = QFileInfo(path).canonicalFilePath();
    return !device.isEmpty() && isCharacterDevice(device) ? device : QString();
}

// A USB string comes from the device itself: one line of printable text, of bounded length.
QString cleanDetail(QString text) {
    text.truncate(kMaxDetail);
    for (QChar& c : text)
        if (!c.isPrint())
            c = QLatin1Char(' ');
    return text.simplified();
}

QString readAttribute(const QString& dir, const char* name) {
    QFile file(QDir(dir).filePath(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return cleanDetail(QString::fromUtf8(file.read(4 * kMaxDetail)));
}

// Devices the system reports as serial ports, with what it knows of them.
QMap<QString, UsbDetails> reportedPorts() {
    QMap<QString, UsbDetails> out;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        out.insert(info.systemLocation(),
                   {cleanDetail(info.manufacturer()), cleanDetail(info.description()),
                    cleanDetail(info.serialNumber())});
    return out;
}

// Device -> its stable name (the first by name when there are several).
QHash<QString, QString> stableNames(const QString& byIdDir) {
    QHash<QString, QString> out;
    const QDir dir(byIdDir);
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString device = canonicalDevice(dir.filePath(name));
        if (!device.isEmpty() && !out.contains(device))
            out.insert(device, dir.filePath(name));
    }
    return out;
}

int fixedNumberOf(const QString& device) {
    for (int n = 1; n <= kFixedNumbers; ++n)
        if (fixedDevice(n) == device)
            return n;
    return 0;
}

} // namespace

QString deniedGroupOf(const QString& device) {
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return QString();
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return QStringLiteral("?");
    if (const group* g = ::getgrgid(st.st_gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(st.st_gid);
#else
    Q_UNUSED(device);
    return QString();
#endif
}

SerialSystem SerialSystem::at(const QString& root) {
    const QDir base(root.isEmpty() ? QStringLiteral("/") : root);
    return {QDir::cleanPath(base.filePath(QStringLiteral("dev/serial/by-id"))),
            QDir::cleanPath(base.filePath(QStringLiteral("sys")))};
}

SerialSystem SerialSystem::fromEnvironment() {
    return at(qEnvironmentVariable("VZ_SERIAL_ROOT"));
}

UsbDetails usbDetailsOf(const QString& device, const QString& sysDir) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return {};
    const QString top = QFileInfo(sysDir).canonicalFilePath() + QLatin1Char('/');
    // sysfs names each character device by its numbers; the USB device sits above the tty.
    QString dir = QFileInfo(QStringLiteral("%1/dev/char/%2:%3")
                                .arg(sysDir)
                                .arg(major(st.st_rdev))
                                .arg(minor(st.st_rdev)))
                      .canonicalFilePath();
    while (dir.startsWith(top)) {
        if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("idVendor"))))
            return {readAttribute(dir, "manufacturer"), readAttribute(dir, "product"),
                    readAttribute(dir, "serial")};
        dir = QFileInfo(dir).path();
    }
#else
    Q_UNUSED(device);
    Q_UNUSED(sysDir);
#endif
    return {};
}

QList<PortEntry> catalog(const QString& dataDir, const SerialSystem& system, int first, int last,
                         bool withMissing) {
    const QMap<QString, UsbDetails> reported = reportedPorts();
    const QHash<QString, QString> stable = stableNames(system.byIdDir);
    QMap<int, PortEntry> byNumber;
    QSet<QString> reached;
    auto add = [&](PortEntry e) {
        if (e.present) {
            e.stableName = stable.value(e.device);
            e.usb = usbDetailsOf(e.device, system.sysDir);
            if (e.usb.isEmpty())
                e.usb = reported.value(e.device);
            e.deniedGroup = deniedGroupOf(e.device);
            reached.insert(e.device);
        }
        byNumber.insert(e.number, e);
    };

#ifdef Q_OS_WIN
    const QSet<QString> present = systemPorts();
    for (int n = std::max(first, 1); n <= last; ++n)
        if (isPresent(dataDir, n, present)) {
            PortEntry e;
            e.number = n;
            e.device = fixedDevice(n);
            add(e);
        }
#else
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,4})$"));
    const QDir links(portsDir(dataDir));
    for (const QString& name : links.entryList(QDir::AllEntries | QDir::System)) {
        const QRegularExpressionMatch m = comName.match(name);
        const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
        if (n < 1 || n > 0xFFFF)
            continue;
        PortEntry e;
        e.number = n;
        e.link = links.filePath(name);
        e.linkTarget = QFileInfo(e.link).symLinkTarget();
        e.device = canonicalDevice(e.link);
        e.present = !e.device.isEmpty();
        add(e);
    }
    for (int n = 1; n <= kFixedNumbers; ++n) {
        const QString device = fixedDevice(n);
        if (byNumber.contains(n) || !reported.contains(device))
            continue;
        PortEntry e;
        e.number = n;
        e.device = canonicalDevice(device);
        if (e.device.isEmpty() || reached.contains(e.device))
            continue;
        add(e);
        byNumber[n].linkOnChoice = !byNumber[n].stableName.isEmpty();
    }
    // Devices no number reaches yet, each under the first free number.
    QStringList loose = stable.keys();
    for (auto it = reported.cbegin(); it != reported.cend(); ++it)
        loose << canonicalDevice(it.key());
    loose.sort();
    loose.removeDuplicates();
    auto freeFrom = [&](int start) {
        auto isFree = [&](int n) {
            return !byNumber.contains(n) && !reported.contains(fixedDevice(n));
        };
        for (int n = start; n <= kLastOffered; ++n)
            if (isFree(n))
                return n;
        for (int n = 1; n < start; ++n)
            if (isFree(n))
                return n;
        return 0;
    };
    for (const QString& device : loose) {
        if (device.isEmpty() || reached.contains(device))
            continue;
        const int n = freeFrom(fixedNumberOf(device) > 0 ? fixedNumberOf(device) : kUsbStart);
        if (n == 0)
            continue; // every number is taken
        PortEntry e;
        e.number = n;
        e.device = device;
        e.linkOnChoice = true;
        add(e);
    }
#endif

    QList<PortEntry> out;
    for (const PortEntry& e : std::as_const(byNumber))
        if (e.number >= first && e.number <= last && (e.present || withMissing))
            out << e;
    return out;
}

QString adapterName(const UsbDetails& usb, const QString& serialFormat) {
    QString name = usb.product;
    if (!usb.maker.isEmpty() && !usb.product.startsWith(usb.maker, Qt::CaseInsensitive))
        name = (usb.maker + QLatin1Char(' ') + usb.product).trimmed();
    if (!usb.serial.isEmpty())
        name += (name.isEmpty() ? QString() : QStringLiteral(", ")) + serialFormat.arg(usb.serial);
    return name;
}

QString entryText(const PortEntry& entry, const QString& serialFormat) {
    const QString name = adapterName(entry.usb, serialFormat);
    return QStringLiteral("%1%2 (%3)")
        .arg(comName(entry.number), name.isEmpty() ? QString() : QStringLiteral(" \u2014 ") + name,
             entry.present ? entry.device : entry.linkTarget);
}

QString choiceTarget(const PortEntry& entry) {
    return entry.stableName.isEmpty() ? entry.device : entry.stableName;
}

bool linkChoice(const QString& dataDir, const PortEntry& entry, QString* error) {
    if (!entry.linkOnChoice)
        return true;
    const QString link = linkPath(dataDir, entry.number);
#ifdef Q_OS_UNIX
    // Never over an entry someone made meanwhile.
    if (entryExists(link)) {
        *error = QStringLiteral("%1: %2").arg(link, QString::fromLocal8Bit(std::strerror(EEXIST)));
        return false;
    }
    QDir().mkpath(portsDir(dataDir));
    if (::symlink(QFile::encodeName(choiceTarget(entry)).constData(),
                  QFile::encodeName(link).constData()) != 0) {
        *error = QStringLiteral("%1: %2").arg(link, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
#else
    *error = link;
    return false;
#endif
}

QString addStandInAdapter(const QString& root, const QString& device, const UsbDetails& usb) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return QString();
    const SerialSystem system = SerialSystem::at(root);
    QString id = QStringLiteral("%1_%2_%3").arg(usb.maker, usb.product, usb.serial);
    id.replace(QLatin1Char(' '), QLatin1Char('_'));
    const QString byId = QDir(system.byIdDir).filePath(QStringLiteral("usb-%1-if00-port0").arg(id));
    const QString usbDir =
        QDir(system.sysDir).filePath(QStringLiteral("devices/usb1/1-%1").arg(minor(st.st_rdev)));
    const QString ttyDir = usbDir + QStringLiteral("/1-1:1.0/tty");
    const QString charLink = QStringLiteral("%1/dev/char/%2:%3")
                                 .arg(system.sysDir)
                                 .arg(major(st.st_rdev))
                                 .arg(minor(st.st_rdev));
    bool ok = QDir().mkpath(system.byIdDir) && QDir().mkpath(ttyDir) &&
              QDir().mkpath(QFileInfo(charLink).path());
    const QList<std::pair<const char*, QString>> attributes = {{"idVendor", QStringLiteral("0403")},
                                                               {"manufacturer", usb.maker},
                                                               {"product", usb.product},
                                                               {"serial", usb.serial}};
    for (const auto& [name, value] : attributes) {
        QFile file(QDir(usbDir).filePath(QLatin1String(name)));
        ok = ok && file.open(QIODevice::WriteOnly) && file.write(value.toUtf8() + '\n') > 0;
    }
    ok = ok && QFile::link(device, byId) && QFile::link(ttyDir, charLink);
    return ok ? byId : QString();
#else
    Q_UNUSED(root);
    Q_UNUSED(device);
    Q_UNUSED(usb);
    return QString();
#endif
}

} // namespace vz::ports
