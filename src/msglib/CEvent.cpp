#include "msglib/CEvent.h"

void CEvent::signal()
{
    // Notified under the lock: a waiter that wakes may destroy the event at
    // once, and must not find this thread still inside it.
    std::lock_guard lock(m_mutex);
    ++m_pulses;
    m_cv.notify_all();
}

void CEvent::wait(std::uint32_t limitMs)
{
    waitAfter(pulses(), std::chrono::milliseconds(limitMs));
}

void CEvent::wait()
{
    waitAfter(pulses());
}

std::uint64_t CEvent::pulses()
{
    std::lock_guard lock(m_mutex);
    return m_pulses;
}

bool CEvent::waitAfter(std::uint64_t seen, std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, limit, [&] { return m_pulses != seen; });
}

void CEvent::waitAfter(std::uint64_t seen)
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return m_pulses != seen; });
}
