#include "data/CDiagData.h"

#include <algorithm>

void CDiagData::add(const diag_t& rec)
{
    CMutexGuard guard(m_mutex);
    if (m_records.size() > DIAG_KEEP) {
        m_records.erase(m_records.begin(), m_records.begin() + DIAG_DROP);
    }
    m_records.push_back(rec);
}

std::size_t CDiagData::count()
{
    CMutexGuard guard(m_mutex);
    return m_records.size();
}

void CDiagData::getLast(diag_t& rec)
{
    CMutexGuard guard(m_mutex);
    if (!m_records.empty()) {
        rec = m_records.back();
    }
}

void CDiagData::copyRange(std::vector<diag_t>& target, std::size_t first, std::size_t end)
{
    CMutexGuard guard(m_mutex);
    const std::size_t last = std::min(end, m_records.size());
    if (first > m_records.size() || first >= last) {
        return;
    }
    target.insert(target.end(), m_records.begin() + static_cast<std::ptrdiff_t>(first),
                  m_records.begin() + static_cast<std::ptrdiff_t>(last));
}

void CDiagData::clear()
{
    CMutexGuard guard(m_mutex);
    m_records.clear();
}

std::size_t CDiagData::takeAll(std::vector<diag_t>& target)
{
    CMutexGuard guard(m_mutex);
    const std::size_t n = m_records.size();
    target.insert(target.end(), m_records.begin(), m_records.end());
    m_records.clear();
    return n;
}
