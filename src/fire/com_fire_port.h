#pragma once

#include "fire/fire_mode.h"

#include <QObject>

class TApdComPort;

namespace vz {

// Fire mode's view of the program's one serial port. The port's errors become false
// results, and a failure the port reports on its own (device gone) becomes failed().
class ComFirePort : public QObject, public FirePort {
    Q_OBJECT
public:
    explicit ComFirePort(TApdComPort& port, QObject* parent = nullptr);

    int comNumber() const override;
    void setComNumber(int number) override;
    void setBaud(int baud) override;
    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool writeString(const QByteArray& bytes) override;

signals:
    void failed();

private:
    TApdComPort& m_port;
};

} // namespace vz
