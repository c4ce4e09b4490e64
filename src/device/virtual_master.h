#pragma once

#include "device/device_decoder.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace vz {

// The virtual master module: a pseudo-terminal linked as <data folder>/ports/COM<n>, so the
// program (or vzctl) can open COM<n> and send to it; everything that arrives is decoded into
// events. The link is removed again when the module stops.
class VirtualMasterModule : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstAutoNumber = 9;
    static constexpr int kLastAutoNumber = 255;

    explicit VirtualMasterModule(const QString& dataDir, QObject* parent = nullptr);
    ~VirtualMasterModule() override;

    // Opens the pseudo-terminal and links it as COM<comNumber>; 0 takes the first number from
    // 9 up that no port uses. A link left behind by a module whose process ended is replaced;
    // any other existing entry (a link to a real device, even an unplugged one) is left alone
    // and the number refused. False with errorString() on failure.
    bool start(int comNumber = 0);
    void stop();

    int comNumber() const { return m_number; }
    QString devicePath() const { return m_device; } // e.g. /dev/pts/3
    QString linkPath() const { return m_link; }
    QString errorString() const { return m_error; }
    // The last start failed because the number is taken, not for want of a pseudo-terminal.
    bool numberTaken() const { return m_taken; }
    // Milliseconds since start, the clock of the events' time stamps.
    qint64 elapsedMs() const { return m_clock.elapsed(); }

signals:
    void deviceEvent(const vz::DeviceEvent& event);

private:
    void readAvailable();
    void poll();
    void deliver();
    bool linkAs(int n);

    QString m_dataDir;
    int m_master = -1;
    int m_slave = -1; // held open, so the line stays up while the program closes its port
    int m_number = 0;
    QString m_device;
    QString m_link;
    QByteArray m_record; // what this module wrote beside its link
    QString m_error;
    bool m_taken = false;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_pollTimer;
    QElapsedTimer m_clock;
    DeviceDecoder m_decoder;
};

} // namespace vz
