#include "data/CLiveHistory.h"

#include <algorithm>
#include <chrono>

void CLiveHistory::add(double seconds, const diag_t& rec)
{
    CMutexGuard guard(m_mutex);
    if (m_count > 0) {
        const std::size_t newest = (m_first + m_count - 1) % LIVE_HISTORY_CAPACITY;
        if (seconds < m_ring[newest].m_seconds) {
            m_first = 0;
            m_count = 0;
        }
    }
    // Allocated whole on first use, so a process that never plots pays nothing.
    if (m_ring.empty())
        m_ring.resize(LIVE_HISTORY_CAPACITY);
    if (m_count == LIVE_HISTORY_CAPACITY) {
        m_first = (m_first + 1) % LIVE_HISTORY_CAPACITY;
        --m_count;
    }
    m_ring[(m_first + m_count) % LIVE_HISTORY_CAPACITY] = {seconds, rec};
    ++m_count;
    ++m_added;
    dropOlderThan(seconds - LIVE_HISTORY_SECONDS);
}

void CLiveHistory::dropOlderThan(double seconds)
{
    while (m_count > 0 && m_ring[m_first].m_seconds < seconds) {
        m_first = (m_first + 1) % LIVE_HISTORY_CAPACITY;
        --m_count;
    }
}

void CLiveHistory::clear()
{
    CMutexGuard guard(m_mutex);
    m_first = 0;
    m_count = 0;
}

std::size_t CLiveHistory::count()
{
    CMutexGuard guard(m_mutex);
    return m_count;
}

std::uint64_t CLiveHistory::added()
{
    CMutexGuard guard(m_mutex);
    return m_added;
}

std::uint64_t CLiveHistory::copySince(double since, std::vector<STimedRecord>& target)
{
    CMutexGuard guard(m_mutex);
    for (std::size_t i = 0; i < m_count; ++i) {
        const STimedRecord& r = m_ring[(m_first + i) % LIVE_HISTORY_CAPACITY];
        if (r.m_seconds > since)
            target.push_back(r);
    }
    return m_added;
}

void CLiveHistory::copyAddedSince(std::uint64_t& seen, std::vector<STimedRecord>& target)
{
    CMutexGuard guard(m_mutex);
    const std::uint64_t fresh = seen < m_added ? m_added - seen : 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(fresh, m_count));
    for (std::size_t i = m_count - n; i < m_count; ++i)
        target.push_back(m_ring[(m_first + i) % LIVE_HISTORY_CAPACITY]);
    seen = m_added;
}

double liveHistorySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
