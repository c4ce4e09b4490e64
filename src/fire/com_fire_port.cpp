#include "fire/com_fire_port.h"

#include "serial/com_port.h"

namespace vz {

namespace {

// The fire thread's port: made, written, watched and closed on that thread. A failure the
// port reports on its own (device gone) is passed on.
class PortLine : public FireWriter {
public:
    PortLine(const QString& dataDir, const FireLineFailed& failed) : m_port(dataDir) {
        QObject::connect(&m_port, &TApdComPort::PortFailed, &m_port, failed);
    }
    TApdComPort& port() { return m_port; }
    bool write(const QByteArray& bytes) override { return m_writer.write(bytes); }

private:
    TApdComPort m_port;
    ComPortWriter m_writer{m_port};
};

} // namespace

bool ComPortWriter::write(const QByteArray& bytes) {
    try {
        m_port.WriteString(bytes);
        return true;
    } catch (const ComPortError& e) {
        m_error = e.text();
        return false;
    }
}

ComFirePort::ComFirePort(TApdComPort& port, QObject* parent) : QObject(parent), m_port(port) {}

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

bool ComFirePort::choose() {
    try {
        m_port.chooseIfUnset();
        return true;
    } catch (const ComPortError&) {
        return false;
    }
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

std::unique_ptr<FireWriter> ComFirePort::openLine(const FireLineFailed& failed) {
    // The window's thread waits meanwhile: number and speed are read while nothing changes them.
    auto line = std::make_unique<PortLine>(m_port.dataDir(), failed);
    try {
        line->port().setComNumber(m_port.ComNumber());
        line->port().setBaud(m_port.Baud());
        line->port().setOpen(true);
    } catch (const ComPortError&) {
        return nullptr;
    }
    return line;
}

} // namespace vz
