#include "data/CLiveSource.h"

void CReaderCount::enter()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_count;
}

void CReaderCount::leave()
{
    // Notified under the lock: a waiter that then destroys the owner cannot
    // run before this call has stopped touching it.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_count == 0)
        m_none.notify_all();
}

int CReaderCount::count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}

bool CReaderCount::waitUntilNone(std::chrono::milliseconds limit) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_none.wait_for(lock, limit, [this] { return m_count == 0; });
}
