#include "far_end_recorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>

#include <poll.h>
#include <unistd.h>

FarEndRecorder::FarEndRecorder(int fd) : m_fd(fd), m_thread([this] { run(); }) {}

FarEndRecorder::~FarEndRecorder() {
    m_stop = true;
    m_thread.join();
}

qint64 FarEndRecorder::nowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void FarEndRecorder::run() {
    while (!m_stop) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
            continue;
        char buf[4096];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        const qint64 t = nowUs();
        if (n <= 0)
            continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_chunks.append({t, QByteArray(buf, int(n))});
    }
}

// Copied element by element: a shallow copy would share the list with the reading thread,
// whose next append then grows it in place while this thread still reads it.
QVector<FarEndRecorder::Chunk> FarEndRecorder::chunks() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<Chunk> out;
    out.reserve(m_chunks.size());
    for (const Chunk& c : m_chunks)
        out.append(c);
    return out;
}

QByteArray FarEndRecorder::bytes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray out;
    for (const Chunk& c : m_chunks)
        out += c.bytes;
    return out;
}

int FarEndRecorder::size() const {
    return int(bytes().size());
}

void FarEndRecorder::clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_chunks.clear();
}

bool FarEndRecorder::waitFor(int count, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    while (size() < count) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        ::usleep(200);
    }
    return true;
}
