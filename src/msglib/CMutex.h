// A recursive mutex and its scoped lock.
// Thread safety: CMutex is shared between threads; a CMutexGuard belongs to one.
#pragma once

#include <mutex>

class CMutex {
public:
    CMutex();
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    // The owning thread may lock again and must unlock as often.
    void lock();
    void unlock();
    bool tryLock();

private:
    std::recursive_mutex m_mutex;
};

class CMutexGuard {
public:
    // An empty pointer locks and unlocks nothing.
    explicit CMutexGuard(CMutex* mutex);
    explicit CMutexGuard(CMutex& mutex) : CMutexGuard(&mutex) {}
    CMutexGuard(const CMutexGuard&) = delete;
    CMutexGuard& operator=(const CMutexGuard&) = delete;
    virtual ~CMutexGuard();

private:
    CMutex* m_mutex;
};
