#include "transfer/idle_stream.h"

#include "serial/com_port.h"

#include <QTimer>

namespace vz {

IdleStream::IdleStream(TApdComPort& port, QObject* parent)
    : QObject(parent), m_port(port), m_timer(new QTimer(this)) {
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &IdleStream::tick);
}

void IdleStream::start() {
    m_timer->start();
}

void IdleStream::stop() {
    m_timer->stop();
}

bool IdleStream::isRunning() const {
    return m_timer->isActive();
}

void IdleStream::tick() {
    if (!isRunning() || !m_port.Open() || m_port.OutputFree() <= kMinFree)
        return;
    const QByteArray idle(1, kIdleByte);
    try {
        m_port.WriteChar(kIdleByte);
    } catch (const ComPortError& e) {
        emit failed(e.text());
        return;
    }
    ++m_sent;
    emit sent(idle);
}

} // namespace vz
