#include "msglib/CThreadManager.h"

#include <algorithm>

#include "errors/CThreadError.h"
#include "msglib/CRecycleThread.h"
#include "msglib/ThreadLibFile.h"

CThreadManager::CThreadManager()
{
    if (m_threads.empty())
        addThread(std::make_unique<CRecycleThread>());
}

CThreadManager::~CThreadManager()
{
    stop();
    // Only the recycle thread is left, and it has returned from its body.
    m_threads.clear();
}

void CThreadManager::addThread(CSemThread* thread)
{
    if (!thread)
        return;
    std::unique_ptr<CSemThread> owned(thread);
    CMutexGuard guard(m_lock);
    const bool known = std::any_of(m_threads.begin(), m_threads.end(),
                                   [thread](const auto& t) { return t.get() == thread; });
    if (known) {
        // Already ours: deleting it here would free a running thread.
        (void)owned.release();
        throwThreadError(CThreadError::errThreadLib, "CThreadManager::addThread()", 210,
                         kThreadLibFile);
    }
    // Once stopping, the recycle thread may already be gone and nobody would
    // reclaim a new thread.
    if (m_stopping)
        throwThreadError(CThreadError::errThreadLib, "CThreadManager::addThread()", 216,
                         kThreadLibFile);
    thread->m_manager = this;
    thread->create(nullptr, &managedEntry);
    m_threads.push_back(std::move(owned));
}

void CThreadManager::stop(CMutex* callerLock)
{
    stopUntil(callerLock, nullptr);
}

bool CThreadManager::stop(CMutex* callerLock, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    return stopUntil(callerLock, &deadline);
}

bool CThreadManager::shutdown(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    {
        CMutexGuard guard(m_lock);
        for (auto& thread : m_threads)
            thread->requestStop();
    }
    return stopUntil(nullptr, &deadline);
}

std::size_t CThreadManager::threadCount()
{
    CMutexGuard guard(m_lock);
    return m_threads.size();
}

bool CThreadManager::stopping()
{
    CMutexGuard guard(m_lock);
    return m_stopping;
}

bool CThreadManager::stopUntil(CMutex* callerLock,
                               const std::chrono::steady_clock::time_point* deadline)
{
    bool released = false;
    {
        CMutexGuard guard(m_lock);
        m_stopping = true;
        if (m_threads.size() > 1 && callerLock) {
            callerLock->unlock();
            released = true;
        }
        // With no worker left nothing else would wake the recycle thread.
        if (m_threads.size() == 1)
            m_wake.up(1);
    }

    bool ended = false;
    for (;;) {
        std::uint64_t seen = 0;
        {
            CMutexGuard guard(m_lock);
            if (m_recycleEnded) {
                ended = true;
                break;
            }
            seen = m_done.pulses();
        }
        if (!deadline) {
            m_done.waitAfter(seen);
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= *deadline)
            break;
        m_done.waitAfter(seen, std::chrono::ceil<std::chrono::milliseconds>(*deadline - now));
    }

    if (released)
        callerLock->lock();
    return ended;
}

bool CThreadManager::stoppingAlone()
{
    CMutexGuard guard(m_lock);
    return m_stopping && m_threads.size() == 1;
}

void CThreadManager::reclaim()
{
    while (!stoppingAlone()) {
        m_wake.down();
        if (stoppingAlone())
            break;
        CSemThread* finished = popFinished();
        if (!finished)
            continue;
        CMutexGuard guard(m_lock);
        // Deleting waits for the thread to leave its entry, which takes no lock.
        std::erase_if(m_threads, [finished](const auto& t) { return t.get() == finished; });
    }
}

void CThreadManager::pushFinished(CSemThread* thread)
{
    CMutexGuard guard(m_finishedLock);
    m_finished.push_back(thread);
}

CSemThread* CThreadManager::popFinished()
{
    CMutexGuard guard(m_finishedLock);
    if (m_finished.empty())
        return nullptr;
    CSemThread* thread = m_finished.front();
    m_finished.pop_front();
    return thread;
}

void managedEntry(void* thread)
{
    auto* self = static_cast<CSemThread*>(thread);
    CThreadManager* manager = self->manager();
    defaultEntry(self);
    // From here on the recycle thread may delete the object at any moment.
    manager->pushFinished(self);
    manager->m_wake.up(1);
}

void recycleEntry(void* thread)
{
    CThreadManager* manager = static_cast<CSemThread*>(thread)->manager();
    defaultEntry(thread);
    {
        CMutexGuard guard(manager->m_lock);
        manager->m_recycleEnded = true;
    }
    manager->m_done.signal();
}
