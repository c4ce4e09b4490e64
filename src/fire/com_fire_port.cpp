#include "fire/com_fire_port.h"

#include "serial/com_port.h"

namespace vz {

ComFirePort::ComFirePort(TApdComPort& port, QObject* parent) : QObject(parent), m_port(port) {
    connect(&m_port, &TApdComPort::PortFailed, this, &ComFirePort::failed);
}

int ComFirePort::comNumber() const {
    return m_port.ComNumber();
}

void ComFirePort::setComNumber(int number) {
    try {
        m_port.setComNumber(quint16(qBound(0, number, 0xFFFF)));
    } catch (const ComPortError&) {
        // Only an open port reopens on a new number; fire mode closes it first.
    }
}

void ComFirePort::setBaud(int baud) {
    m_port.setBaud(baud);
}

bool ComFirePort::open() {
    try {
        m_port.setOpen(true);
        return true;
    } catch (const ComPortError&) {
        return false;
    }
}

void ComFirePort::close() {
    try {
        m_port.setOpen(false);
    } catch (const ComPortError&) {
    }
}

bool ComFirePort::isOpen() const {
    return m_port.Open();
}

bool ComFirePort::writeString(const QByteArray& bytes) {
    try {
        m_port.WriteString(bytes);
        return true;
    } catch (const ComPortError&) {
        return false;
    }
}

} // namespace vz
