#include "fire/fire_lock.h"

#ifdef Q_OS_UNIX

#include <ctime>

namespace vz {

FireMutex::FireMutex() {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    // Without it (a system that lacks it) the lock still works, only without the lending.
    pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

FireMutex::~FireMutex() {
    pthread_mutex_destroy(&m_mutex);
}

FireCondition::FireCondition() {
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    // The steady clock: a change of the wall clock moves no deadline.
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&m_cond, &attr);
    pthread_condattr_destroy(&attr);
}

FireCondition::~FireCondition() {
    pthread_cond_destroy(&m_cond);
}

void FireCondition::wait_until(Lock& lock, std::chrono::steady_clock::time_point until) {
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(until.time_since_epoch()).count();
    timespec at{};
    at.tv_sec = time_t(ns / 1000000000);
    at.tv_nsec = long(ns % 1000000000);
    pthread_cond_timedwait(&m_cond, lock.mutex()->native(), &at);
}

} // namespace vz

#endif
