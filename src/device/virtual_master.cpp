#include "device/virtual_master.h"

#include "serial/port_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
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

} // namespace

VirtualMasterModule::VirtualMasterModule(const QString& programDir, QObject* parent)
    : QObject(parent), m_programDir(programDir) {
    m_pollTimer.setInterval(kPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &VirtualMasterModule::poll);
}

VirtualMasterModule::~VirtualMasterModule() {
    stop();
}

bool VirtualMasterModule::start(int comNumber) {
    stop();
    m_error.clear();
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

    QDir().mkpath(ports::portsDir(m_programDir));
    bool linked = false;
    if (comNumber > 0) {
        linked = linkAs(comNumber);
    } else {
        const QSet<QString> system = ports::systemPorts();
        for (int n = kFirstAutoNumber; n <= kLastAutoNumber && !linked; ++n)
            if (!ports::isPresent(m_programDir, n, system))
                linked = linkAs(n);
        if (!linked && m_error.isEmpty())
            m_error = QStringLiteral("no free COM number from %1 to %2")
                          .arg(kFirstAutoNumber)
                          .arg(kLastAutoNumber);
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
    const QString link = ports::linkPath(m_programDir, n);
    const QFileInfo info(link);
    if (info.isSymLink() && !info.exists())
        QFile::remove(link); // left behind by a module that died
    if (::symlink(QFile::encodeName(m_device).constData(), QFile::encodeName(link).constData()) !=
        0) {
        // Another module may have taken the number a moment ago: the caller tries the next.
        m_error = QStringLiteral("cannot link %1: %2").arg(link, systemError());
        return false;
    }
    m_number = n;
    m_link = link;
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
    m_link.clear();
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
