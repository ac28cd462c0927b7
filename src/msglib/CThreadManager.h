// Starts threads, owns them, and has its recycle thread delete each one after
// its body has returned.
// Thread safety: every operation may be called from any thread except the
// manager's own threads (stop() and the destructor wait for them).
#pragma once

#include <chrono>
#include <deque>
#include <memory>

#include "msglib/CEvent.h"
#include "msglib/CMutex.h"
#include "msglib/CSemThread.h"
#include "msglib/CSemaphore.h"

class CThreadManager {
public:
    // Starts the recycle thread; throws CThreadError when it cannot start.
    CThreadManager();
    CThreadManager(const CThreadManager&) = delete;
    CThreadManager& operator=(const CThreadManager&) = delete;
    // stop() without a limit, then deletes the recycle thread.
    ~CThreadManager();

    // Takes a thread allocated with new, starts it in the managed entry (or its
    // own) and owns it from then on, also when this throws: CThreadError code 6
    // when it cannot start, code 5 once the manager is stopping.
    void addThread(CSemThread* thread);
    void addThread(std::unique_ptr<CSemThread> thread) { addThread(thread.release()); }

    // Ends the manager once every worker has returned. A caller's lock is let
    // go meanwhile (workers may need it to finish) and taken again.
    void stop(CMutex* callerLock = nullptr);
    // The same with a time limit; false when the workers did not end in time.
    bool stop(CMutex* callerLock, std::chrono::milliseconds limit);
    // Asks every worker to finish (requestStop), then stop() with the limit.
    // On false the running threads and their objects are left alone.
    bool shutdown(std::chrono::milliseconds limit);

    // Threads started and not yet reclaimed, the recycle thread included.
    std::size_t threadCount();
    bool stopping();

private:
    friend class CRecycleThread;
    friend void managedEntry(void* thread);
    friend void recycleEntry(void* thread);

    void reclaim();
    bool stoppingAlone();
    void pushFinished(CSemThread* thread);
    CSemThread* popFinished();
    bool stopUntil(CMutex* callerLock, const std::chrono::steady_clock::time_point* deadline);

    bool m_stopping = false;
    std::deque<std::unique_ptr<CSemThread>> m_threads;
    std::deque<CSemThread*> m_finished;
    CMutex m_finishedLock;
    CEvent m_done;
    CSemaphore m_wake{0};
    CMutex m_lock;
    // Set under m_lock before m_done is pulsed, so stop() cannot miss the end.
    bool m_recycleEnded = false;
};

// Entry of every thread a manager starts without an entry of its own: runs the
// body, then hands the thread to the recycle thread.
void managedEntry(void* thread);
// Entry of the recycle thread: runs the reclaiming loop, then reports its end.
void recycleEntry(void* thread);
