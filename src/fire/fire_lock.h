#pragma once

#include <QtGlobal>

#include <chrono>
#include <mutex>

#ifdef Q_OS_UNIX
#include <pthread.h>
#else
#include <condition_variable>
#endif

// The lock between the window and the fire thread. The window holds it only for a moment, but
// a window thread that loses its processor in that moment would keep the fire thread waiting
// behind every other program of the machine: the lock lends its holder the waiting thread's
// priority (priority inheritance) where the system has it.
namespace vz {

#ifdef Q_OS_UNIX

class FireMutex {
public:
    FireMutex();
    ~FireMutex();
    FireMutex(const FireMutex&) = delete;
    FireMutex& operator=(const FireMutex&) = delete;

    void lock() { pthread_mutex_lock(&m_mutex); }
    void unlock() { pthread_mutex_unlock(&m_mutex); }
    bool try_lock() { return pthread_mutex_trylock(&m_mutex) == 0; }
    pthread_mutex_t* native() { return &m_mutex; }

private:
    pthread_mutex_t m_mutex;
};

// Waits on a FireMutex, timed on the steady clock.
class FireCondition {
public:
    using Lock = std::unique_lock<FireMutex>;

    FireCondition();
    ~FireCondition();
    FireCondition(const FireCondition&) = delete;
    FireCondition& operator=(const FireCondition&) = delete;

    void notify_all() { pthread_cond_broadcast(&m_cond); }
    void wait_until(Lock& lock, std::chrono::steady_clock::time_point until);
    template <typename Pred> void wait(Lock& lock, Pred pred) {
        while (!pred())
            pthread_cond_wait(&m_cond, lock.mutex()->native());
    }
    template <typename Rep, typename Period, typename Pred>
    bool wait_for(Lock& lock, std::chrono::duration<Rep, Period> d, Pred pred) {
        const auto until = std::chrono::steady_clock::now() + d;
        while (!pred()) {
            if (std::chrono::steady_clock::now() >= until)
                return false;
            wait_until(lock, until);
        }
        return true;
    }

private:
    pthread_cond_t m_cond;
};

#else

using FireMutex = std::mutex;
using FireCondition = std::condition_variable;

#endif

} // namespace vz
