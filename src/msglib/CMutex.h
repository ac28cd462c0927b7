// A recursive mutex and its scoped lock.
// Thread safety: CMutex is shared between threads; a CMutexGuard belongs to one.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class CMutex {
public:
    CMutex();
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    // The owning thread may lock again and must unlock as often. Threads
    // that wait take the mutex in the order they came: the live-data reader
    // takes the link lock again the moment it lets go, and with a plain
    // mutex a command from the window could wait behind it for a minute.
    void lock();
    void unlock();
    // Only when nobody holds the mutex and nobody waits for it.
    bool tryLock();

private:
    std::mutex m_state;
    std::condition_variable m_turnChanged;
    std::thread::id m_owner;
    unsigned m_depth = 0;
    // Tickets drawn and the one whose turn it is.
    std::uint64_t m_nextTicket = 0;
    std::uint64_t m_turn = 0;
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
