#include "msglib/CEvent.h"

#include <chrono>

void CEvent::signal()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_pulses;
    }
    m_cv.notify_all();
}

void CEvent::wait(std::uint32_t limitMs)
{
    std::unique_lock lock(m_mutex);
    const auto seen = m_pulses;
    m_cv.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return m_pulses != seen; });
}

void CEvent::wait()
{
    std::unique_lock lock(m_mutex);
    const auto seen = m_pulses;
    m_cv.wait(lock, [&] { return m_pulses != seen; });
}
