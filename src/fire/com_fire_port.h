#pragma once

#include "fire/fire_mode.h"

#include <QObject>

namespace vz {

class TApdComPort;

// Fire frames onto a port: a write the port refuses is a false result, and its reason is kept.
class ComPortWriter : public FireWriter {
public:
    explicit ComPortWriter(TApdComPort& port) : m_port(port) {}
    bool write(const QByteArray& bytes) override;
    // Why the last write was refused.
    QString error() const { return m_error; }

private:
    TApdComPort& m_port;
    QString m_error;
};

// Fire mode's view of the program's one serial port. The port's errors become false results.
// While armed the port object stays closed (the transfer, which shares it, is locked then)
// and the fire thread opens a port object of its own on the same number: a QObject is used
// only on the thread it lives on, and the one whose writes are timed lives on the fire thread.
class ComFirePort : public QObject, public FirePort {
    Q_OBJECT
public:
    explicit ComFirePort(TApdComPort& port, QObject* parent = nullptr);

    int comNumber() const override;
    void setComNumber(int number) override;
    void setBaud(int baud) override;
    bool choose() override;
    bool open() override;
    void close() override;
    bool isOpen() const override;
    std::unique_ptr<FireWriter> openLine(const FireLineFailed& failed) override;

private:
    TApdComPort& m_port;
};

} // namespace vz
