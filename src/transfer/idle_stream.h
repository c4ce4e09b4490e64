#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTimer;

namespace vz {

class TApdComPort;

// The steady "_" that keeps the master module's input busy while the operator powers it:
// one byte per tick while the port is open and its output buffer has room. The transmit
// dialog and "vzctl send" both run this one.
class IdleStream : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 25;
    static constexpr int kMinFree = 16; // OutputFree must exceed this for a byte
    static constexpr char kIdleByte = '_';

    explicit IdleStream(TApdComPort& port, QObject* parent = nullptr);

    // The 25 ms timer; the dialog names it after its own control.
    QTimer* timer() const { return m_timer; }
    void start();
    void stop();
    bool isRunning() const;

    // One tick: sends one idle byte when running, the port is open and has room.
    void tick();
    qint64 bytesSent() const { return m_sent; }

signals:
    void sent(const QByteArray& bytes);
    // The port refused the byte: the line is gone. The caller closes the port; the timer
    // keeps running and sends nothing while it is closed.
    void failed(const QString& why);

private:
    TApdComPort& m_port;
    QTimer* m_timer;
    qint64 m_sent = 0;
};

} // namespace vz
