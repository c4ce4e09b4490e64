#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>
#include <optional>
#include <stdexcept>

namespace vz {

// The master module takes a transfer at this speed; the port starts at it.
constexpr qint32 kTransferBaud = 1200;

// Time bytes take on the line at baud (8N1: 10 bits a byte), in whole milliseconds rounded
// up; 0 without a speed.
qint64 lineTimeMs(qint64 bytes, qint32 baud);

// A failing port operation. Callers catch it and show their own text.
class ComPortError : public std::runtime_error {
public:
    explicit ComPortError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// The one serial port of the program, over QSerialPort. COM numbers resolve to devices as
// vz::ports says. Settings are fixed (8N1, no handshake, DTR and RTS raised, 4096-byte
// buffers); only the number, the speed and the open state change.
//
// Output-sent means the operating system's output queue of the port is empty, not merely that
// Qt handed the bytes over. The event is a signal delivered on the thread that owns the port,
// never from inside a write.
class TApdComPort : public QObject {
    Q_OBJECT
public:
    // Asks the operator for a port: the chosen number, or nothing when he cancelled.
    using PortChooser = std::function<std::optional<int>()>;

    static constexpr int kInSize = 4096;
    static constexpr int kOutSize = 4096;
    static constexpr int kBufferFull = 3686;  // 90 %; only matters with hardware handshake
    static constexpr int kBufferResume = 409; // 10 %

    explicit TApdComPort(const QString& dataDir, QObject* parent = nullptr);
    ~TApdComPort() override;

    quint16 ComNumber() const { return m_number; }
    // On an open port: closes it and opens the new number (which may fail and throw).
    void setComNumber(quint16 number);

    qint32 Baud() const { return m_baud; }
    void setBaud(qint32 baud); // at once, on an open port too

    bool Open() const { return m_port.isOpen(); }
    // true: opens ComNumber; with ComNumber 0 the chooser is asked first. Throws ComPortError
    // when the chooser is cancelled or the port is missing or cannot be opened.
    // Setting the state the port already has does nothing.
    void setOpen(bool open);
    // With ComNumber 0 the chooser is asked for a number. Throws ComPortError when it was
    // cancelled.
    void chooseIfUnset();

    // Fixed settings, for callers and tests that want to see them.
    int DataBits() const { return 8; }
    QSerialPort::Parity Parity() const { return QSerialPort::NoParity; }
    QSerialPort::StopBits StopBits() const { return QSerialPort::OneStop; }
    QSerialPort::FlowControl FlowControl() const { return QSerialPort::NoFlowControl; }
    bool DTR() const { return true; }
    bool RTS() const { return true; }
    int InSize() const { return kInSize; }
    int OutSize() const { return kOutSize; }
    bool AutoOpen() const { return false; }
    bool PromptForPort() const { return true; }

    // Queues all bytes or none: throws when the port is closed or the bytes do not fit.
    void WriteString(const QByteArray& bytes);
    void WriteChar(char c);
    // Free bytes of the output buffer (Qt's queue plus the system's); kOutSize when closed.
    int OutputFree() const;
    // Drops output not sent yet. Throws when the port is closed.
    void FlushOutput();

    quint16 AddOutputSentTrigger();
    // After the next write, once the output has run empty, TriggerOutSent(handle) comes once.
    void ArmOutputSentTrigger(quint16 handle);

    void setPortChooser(PortChooser chooser) { m_chooser = std::move(chooser); }

    QString dataDir() const { return m_dataDir; }
    // The device ComNumber stands for (empty when none).
    QString deviceName() const;
    // Bytes still in the system's output queue (0 when closed or unknown).
    int systemOutputQueue() const;

signals:
    void TriggerOutSent(quint16 handle);
    // A read, write or resource error closed the open port (raised once per failure).
    void PortFailed(const QString& text);

private:
    void openNow();
    void closeNow();
    void queueBytes(const QByteArray& bytes);
    void scheduleSentCheck(int ms);
    void checkOutputSent();
    void onError(QSerialPort::SerialPortError error);
    void fail(const QString& text);
    bool lineHungUp() const;
    QString lostLineReason() const;
    ComPortError notOpen() const;

    struct Trigger {
        bool armed = false;
        bool written = false;
    };

    QString m_dataDir;
    QSerialPort m_port;
    quint16 m_number = 0;
    qint32 m_baud = vz::kTransferBaud;
    PortChooser m_chooser;
    QVector<Trigger> m_triggers; // handle = index + 1
    QTimer m_sentTimer;
    bool m_failing = false;
    bool m_draining = false; // the line time of the queue was waited for once already
    QString m_failure;       // why the line died, for the errors of later calls
    quint64 m_openCount = 0; // tells a late error of an earlier opening from the current one
};

} // namespace vz
