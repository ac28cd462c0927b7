#include "msglib/CSemaphore.h"

#include "errors/CThreadError.h"
#include "msglib/ThreadLibFile.h"

CSemaphore::CSemaphore(std::int32_t initialCount, const std::string&) : m_count(initialCount)
{
    if (initialCount < 0)
        throwThreadError(CThreadError::errThreadLib, "CSemaphore::CSemaphore()", 300,
                         kThreadLibFile);
}

void CSemaphore::down()
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return m_count > 0; });
    --m_count;
}

void CSemaphore::up(std::int32_t count)
{
    // Notified under the lock, so that a woken thread may destroy the semaphore.
    std::lock_guard lock(m_mutex);
    if (count < 0 || m_count + count > kMaxCount)
        throwThreadError(CThreadError::errThreadLib, "CSemaphore::up()", 344, kThreadLibFile);
    m_count += count;
    m_cv.notify_all();
}

std::int64_t CSemaphore::count()
{
    std::lock_guard lock(m_mutex);
    return m_count;
}
