#include "serial/com_port.h"

#include "serial/port_names.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

#include <algorithm>

namespace vz {

namespace {

// Poll interval while Qt still holds bytes that the system did not take.
constexpr int kBusyPollMs = 10;

} // namespace

qint64 lineTimeMs(qint64 bytes, qint32 baud) {
    // Start bit, 8 data bits, stop bit.
    constexpr qint64 kBitsPerByte = 10;
    return baud > 0 ? (bytes * kBitsPerByte * 1000 + baud - 1) / baud : 0;
}

TApdComPort::TApdComPort(const QString& dataDir, QObject* parent)
    : QObject(parent), m_dataDir(dataDir) {
    m_sentTimer.setSingleShot(true);
    m_sentTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sentTimer, &QTimer::timeout, this, &TApdComPort::checkOutputSent);
    connect(&m_port, &QSerialPort::bytesWritten, this, [this] { scheduleSentCheck(0); });
    // Nothing is ever read back; keep the input from piling up.
    connect(&m_port, &QSerialPort::readyRead, this, [this] { m_port.readAll(); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &TApdComPort::onError);
}

TApdComPort::~TApdComPort() {
    closeNow();
}

QString TApdComPort::deviceName() const {
    return vz::ports::deviceFor(m_dataDir, m_number);
}

void TApdComPort::setComNumber(quint16 number) {
    if (!Open()) {
        m_number = number;
        return;
    }
    closeNow();
    m_number = number;
    openNow();
}

void TApdComPort::setBaud(qint32 baud) {
    m_baud = baud;
    if (Open() && !m_port.setBaudRate(baud))
        throw ComPortError(QStringLiteral("%1: cannot set %2 baud: %3")
                               .arg(vz::ports::comName(m_number))
                               .arg(baud)
                               .arg(m_port.errorString()));
}

void TApdComPort::setOpen(bool open) {
    if (open == Open())
        return;
    if (open)
        openNow();
    else
        closeNow();
}

void TApdComPort::chooseIfUnset() {
    if (m_number != 0)
        return;
    const std::optional<int> chosen = m_chooser ? m_chooser() : std::nullopt;
    if (!chosen || *chosen < 1 || *chosen > 0xFFFF)
        throw ComPortError(QStringLiteral("No port selected"));
    m_number = static_cast<quint16>(*chosen);
}

void TApdComPort::openNow() {
    chooseIfUnset();
    const QString device = deviceName();
    const QString name = vz::ports::comName(m_number);
    if (device.isEmpty())
        throw ComPortError(QStringLiteral("%1: no such port").arg(name));

    m_port.setPortName(device);
    m_port.setBaudRate(m_baud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(kInSize);
    m_failing = false;
    m_failure.clear();
    ++m_openCount;
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QString why = m_port.errorString();
        m_port.clearError();
        throw ComPortError(QStringLiteral("%1 (%2): %3").arg(name, device, why));
    }
    // Pseudo-terminals have no modem lines; the port works without them.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(true);
    m_port.clearError();
}

void TApdComPort::closeNow() {
    m_sentTimer.stop();
    for (Trigger& t : m_triggers)
        t.written = false;
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

ComPortError TApdComPort::notOpen() const {
    if (!m_failure.isEmpty())
        return ComPortError(QStringLiteral("Port not open (closed after: %1)").arg(m_failure));
    return ComPortError(QStringLiteral("Port not open"));
}

void TApdComPort::queueBytes(const QByteArray& bytes) {
    if (!Open())
        throw notOpen();
    if (bytes.size() > OutputFree())
        throw ComPortError(QStringLiteral("%1 bytes do not fit into the output buffer (%2 free)")
                               .arg(bytes.size())
                               .arg(OutputFree()));
    if (bytes.isEmpty())
        return;
    if (m_port.write(bytes) != bytes.size())
        throw ComPortError(QStringLiteral("%1: write failed: %2")
                               .arg(vz::ports::comName(m_number), m_port.errorString()));
    // Hand the bytes to the system now, as far as it takes them without waiting: a caller
    // that pauses the thread right after a write, as the fire commands do, still has them on
    // the line meanwhile. (QSerialPort::flush() would write into a stopped line and take the
    // refusal for a dead port.)
    m_port.waitForBytesWritten(0);
    bool anyArmed = false;
    for (Trigger& t : m_triggers)
        if (t.armed) {
            t.written = true;
            anyArmed = true;
        }
    if (anyArmed) {
        m_draining = false;
        scheduleSentCheck(kBusyPollMs);
    }
}

void TApdComPort::WriteString(const QByteArray& bytes) {
    queueBytes(bytes);
}

void TApdComPort::WriteChar(char c) {
    queueBytes(QByteArray(1, c));
}

int TApdComPort::systemOutputQueue() const {
#ifdef Q_OS_UNIX
    if (!m_port.isOpen())
        return 0;
    int queued = 0;
    if (::ioctl(static_cast<int>(m_port.handle()), TIOCOUTQ, &queued) != 0)
        return 0;
    return std::max(queued, 0);
#else
    return 0;
#endif
}

bool TApdComPort::lineHungUp() const {
#ifdef Q_OS_UNIX
    if (!m_port.isOpen())
        return false;
    pollfd p{static_cast<int>(m_port.handle()), POLLOUT, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

int TApdComPort::OutputFree() const {
    if (!Open())
        return kOutSize;
    const qint64 used = m_port.bytesToWrite() + systemOutputQueue();
    return static_cast<int>(std::max<qint64>(0, kOutSize - used));
}

void TApdComPort::FlushOutput() {
    if (!Open())
        throw notOpen();
    m_port.clear(QSerialPort::Output);
    scheduleSentCheck(0);
}

quint16 TApdComPort::AddOutputSentTrigger() {
    m_triggers.append(Trigger());
    return static_cast<quint16>(m_triggers.size());
}

void TApdComPort::ArmOutputSentTrigger(quint16 handle) {
    if (handle < 1 || handle > m_triggers.size())
        throw ComPortError(QStringLiteral("Unknown trigger %1").arg(handle));
    m_triggers[handle - 1] = Trigger{true, false};
}

void TApdComPort::scheduleSentCheck(int ms) {
    if (!m_sentTimer.isActive() || m_sentTimer.remainingTime() > ms)
        m_sentTimer.start(ms);
}

void TApdComPort::checkOutputSent() {
    const bool waiting = std::any_of(m_triggers.cbegin(), m_triggers.cend(),
                                     [](const Trigger& t) { return t.armed && t.written; });
    if (!waiting || !Open())
        return;
    if (m_port.bytesToWrite() > 0) {
        scheduleSentCheck(kBusyPollMs); // bytesWritten usually comes first
        return;
    }
    const int queued = systemOutputQueue();
    if (queued > 0) {
        // Sleep through most of the line time once, then look every millisecond: the count
        // is in whole bytes, and waiting a byte's time per look would add up to 8 ms a block
        // at 1200 baud.
        scheduleSentCheck(m_draining ? 1 : std::max(1, int(vz::lineTimeMs(queued, m_baud)) - 1));
        m_draining = true;
        return;
    }
    m_draining = false;
    // A hung-up line has an empty queue too: its bytes were thrown away, not sent.
    if (m_failing)
        return;
    if (lineHungUp()) {
        fail(lostLineReason());
        return;
    }
    for (int i = 0; i < m_triggers.size(); ++i) {
        Trigger& t = m_triggers[i];
        if (t.armed && t.written) {
            t = Trigger();
            emit TriggerOutSent(static_cast<quint16>(i + 1));
        }
    }
}

void TApdComPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
        break;
    default:
        return;
    }
    fail(lostLineReason());
}

QString TApdComPort::lostLineReason() const {
    const QString name = vz::ports::comName(m_number);
#ifdef Q_OS_UNIX
    // A hung-up line reads as end of file, and Qt then reports whatever errno an earlier,
    // harmless call left behind ("Inappropriate ioctl for device"): say what happened.
    const QFileInfo device(deviceName());
    if (!device.exists())
        return QStringLiteral("%1: the line is lost: the device %2 is gone (unplugged or closed)")
            .arg(name, device.isSymLink() ? device.symLinkTarget() : device.filePath());
    if (lineHungUp())
        return QStringLiteral("%1: the line is lost: the far end hung up").arg(name);
#endif
    return QStringLiteral("%1: %2").arg(name, m_port.errorString());
}

void TApdComPort::fail(const QString& text) {
    // A dead line keeps raising errors until the port is closed: report the first only.
    if (m_failing || !m_port.isOpen())
        return;
    m_failing = true;
    // Closing from inside QSerialPort's own notification is not safe; do it right after.
    QMetaObject::invokeMethod(
        this,
        [this, text, opening = m_openCount] {
            if (opening != m_openCount || !m_port.isOpen())
                return;
            closeNow();
            m_failure = text;
            emit PortFailed(text);
        },
        Qt::QueuedConnection);
}

} // namespace vz
