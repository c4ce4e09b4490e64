#pragma once

#include <QByteArray>
#include <QVector>

#include <atomic>
#include <mutex>
#include <thread>

// Records what arrives at the far end of a line (e.g. a PtyPair's master descriptor) on a
// thread of its own, with the arrival time of every read, so a test can measure timing
// while the Qt event loop of the program under test keeps running.
class FarEndRecorder {
public:
    struct Chunk {
        qint64 us = 0; // steady clock, microseconds (same clock as nowUs())
        QByteArray bytes;
    };

    explicit FarEndRecorder(int fd);
    ~FarEndRecorder();
    FarEndRecorder(const FarEndRecorder&) = delete;
    FarEndRecorder& operator=(const FarEndRecorder&) = delete;

    static qint64 nowUs();

    QVector<Chunk> chunks() const;
    QByteArray bytes() const;
    int size() const;
    void clear();

    // Turns the Qt event loop until count bytes in all arrived; false on time-out.
    bool waitFor(int count, int timeoutMs = 3000) const;

private:
    void run();

    int m_fd;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QVector<Chunk> m_chunks;
    std::thread m_thread;
};
