#include "pty_pair.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    // Close-on-exec: a tool started by the test must not hold the line up after hangUp().
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ::close(master);
        return;
    }
    const char* name = ::ptsname(master);
    if (!name) {
        ::close(master);
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        ::close(master);
        return;
    }
    termios t{};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slave, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
}

PtyPair::~PtyPair() {
    for (const QString& link : m_links)
        QFile::remove(link);
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyPair::linkAs(const QString& dataDir, int n) {
    if (!isValid())
        return false;
    const QString dir = QDir(dataDir).filePath(QStringLiteral("ports"));
    QDir().mkpath(dir);
    const QString link = QDir(dir).filePath(QStringLiteral("COM%1").arg(n));
    QFile::remove(link);
    if (::symlink(QFile::encodeName(m_slavePath).constData(),
                  QFile::encodeName(link).constData()) != 0)
        return false;
    m_links << link;
    return true;
}

QByteArray PtyPair::readFar(int count, int timeoutMs) {
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (isValid() && out.size() < count && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 2) <= 0)
            continue;
        char buf[4096];
        const ssize_t n =
            ::read(m_master, buf, std::min<qsizetype>(sizeof buf, count - out.size()));
        if (n > 0)
            out.append(buf, static_cast<int>(n));
    }
    return out;
}

QByteArray PtyPair::readUntilQuiet(int quietMs, int timeoutMs) {
    QByteArray out;
    if (!isValid())
        return out;
    QElapsedTimer clock, quiet;
    clock.start();
    quiet.start();
    while (quiet.elapsed() < quietMs && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 2) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<int>(n));
            quiet.restart();
        }
    }
    return out;
}

bool PtyPair::writeFar(const QByteArray& bytes) {
    return isValid() && ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
}

void PtyPair::hangUp() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    // Without the test's own slave descriptor the port is the last one holding the line.
    if (m_slave >= 0)
        ::close(m_slave);
    m_slave = -1;
}
