#include "device/virtual_master.h"

#include "serial/port_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace vz {

namespace {

constexpr int kPollMs = 100;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Beside each link a module keeps a record of its own, "<pid> <device>": only an entry the
// record vouches for is ever removed.
QString recordPath(const QString& link) {
    const QFileInfo info(link);
    return info.dir().filePath(QStringLiteral(".%1.sim").arg(info.fileName()));
}

QByteArray readRecord(const QString& link) {
    QFile f(recordPath(link));
    return f.open(QIODevice::ReadOnly) ? f.read(4096) : QByteArray();
}

bool processRuns(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

} // namespace

VirtualMasterModule::VirtualMasterModule(const QString& dataDir, QObject* parent)
    : QObject(parent), m_dataDir(dataDir) {
    m_pollTimer.setInterval(kPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &VirtualMasterModule::poll);
}

VirtualMasterModule::~VirtualMasterModule() {
    stop();
}

bool VirtualMasterModule::start(int comNumber) {
    stop();
    m_error.clear();
    m_taken = false;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || !::ptsname(master)) {
        m_error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(systemError());
        if (master >= 0)
            ::close(master);
        return false;
    }
    m_master = master;
    m_device = QString::fromLocal8Bit(::ptsname(master));
    m_slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    if (m_slave >= 0) {
        termios t{};
        ::tcgetattr(m_slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_slave, TCSANOW, &t);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    QDir().mkpath(ports::portsDir(m_dataDir));
    bool linked = false;
    if (comNumber > 0) {
        linked = linkAs(comNumber);
    } else {
        const QSet<QString> system = ports::systemPorts();
        for (int n = kFirstAutoNumber; n <= kLastAutoNumber && !linked; ++n)
            if (!ports::isPresent(m_dataDir, n, system))
                linked = linkAs(n);
        if (!linked) {
            m_taken = false;
            m_error = QStringLiteral("no free COM number from %1 to %2")
                          .arg(kFirstAutoNumber)
                          .arg(kLastAutoNumber);
        }
    }
    if (!linked) {
        stop();
        return false;
    }
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &VirtualMasterModule::readAvailable);
    m_clock.start();
    m_pollTimer.start();
    return true;
}

bool VirtualMasterModule::linkAs(int n) {
    const QString link = ports::linkPath(m_dataDir, n);
    const QFileInfo info(link);
    if (info.exists() || info.isSymLink()) {
        // Only a link of a module that ended without removing it is replaced.
        const QList<QByteArray> record = readRecord(link).split(' ');
        const bool ours = info.isSymLink() && record.size() == 2 &&
                          QFile::decodeName(record[1]) == info.symLinkTarget();
        if (!ours || processRuns(record[0].toLongLong())) {
            m_taken = true;
            m_error =
                ours ? QStringLiteral("COM%1 is taken by the virtual master module of "
                                      "process %2")
                           .arg(n)
                           .arg(QString::fromLatin1(record[0]))
                     : QStringLiteral("COM%1 is taken: %2%3 was not made by a virtual "
                                      "master module and is left alone")
                           .arg(n)
                           .arg(link, info.isSymLink()
                                          ? QStringLiteral(" (-> %1)").arg(info.symLinkTarget())
                                          : QString());
            return false;
        }
        QFile::remove(link);
    }
    if (::symlink(QFile::encodeName(m_device).constData(), QFile::encodeName(link).constData()) !=
        0) {
        // Another module may have taken the number a moment ago: the caller tries the next.
        m_error = QStringLiteral("cannot link %1: %2").arg(link, systemError());
        return false;
    }
    m_number = n;
    m_link = link;
    m_record = QByteArray::number(::getpid()) + ' ' + QFile::encodeName(m_device);
    QFile record(recordPath(link));
    if (!record.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        record.write(m_record) != m_record.size())
        m_record.clear(); // the link then stays behind if this run dies, as it always did
    return true;
}

void VirtualMasterModule::stop() {
    m_pollTimer.stop();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0) {
        readAvailable();
        m_decoder.finish();
        deliver();
    }
    // Only our own link: the number may have been taken over in the meantime.
    if (!m_link.isEmpty() && QFileInfo(m_link).symLinkTarget() == m_device)
        QFile::remove(m_link);
    if (!m_record.isEmpty() && readRecord(m_link) == m_record)
        QFile::remove(recordPath(m_link));
    m_link.clear();
    m_record.clear();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
    m_number = 0;
    m_decoder = DeviceDecoder();
}

void VirtualMasterModule::readAvailable() {
    if (m_master < 0)
        return;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        m_decoder.feed(QByteArray(buf, static_cast<int>(n)), m_clock.elapsed());
    }
    deliver();
}

void VirtualMasterModule::poll() {
    m_decoder.poll(m_clock.elapsed());
    deliver();
}

void VirtualMasterModule::deliver() {
    const QVector<DeviceEvent> events = m_decoder.takeEvents();
    for (const DeviceEvent& e : events)
        emit deviceEvent(e);
}

} // namespace vz
