#include "data/CPlotSeries.h"

#include <algorithm>
#include <limits>

bool CPlotSeries::follow(CLiveHistory& history)
{
    constexpr double kAll = -std::numeric_limits<double>::infinity();
    if (history.added() == m_added)
        return false;
    m_scratch.clear();
    std::uint64_t added = history.copySince(m_samples.empty() ? kAll : newest(), m_scratch);
    // Every record added since the last copy came later than its newest on
    // one clock. Fewer than that many means a clock that went back (a
    // playback after live data), or records the ring dropped before this
    // copy saw them (a long pause): either way the ring is taken whole.
    if (m_scratch.size() < added - m_added && !m_samples.empty()) {
        m_samples.clear();
        ++m_restarts;
        m_scratch.clear();
        added = history.copySince(kAll, m_scratch);
    }
    m_added = added;
    append(m_scratch);
    return true;
}

void CPlotSeries::append(const std::vector<STimedRecord>& records)
{
    for (const STimedRecord& r : records)
        m_samples.push_back({r.m_seconds, plotValues(r.m_rec)});
    // The ring's limits, so that a copy that is followed for hours stays as
    // small as the ring.
    const double oldest = newest() - CLiveHistory::LIVE_HISTORY_SECONDS;
    while (!m_samples.empty() && (m_samples.front().m_seconds < oldest ||
                                  m_samples.size() > CLiveHistory::LIVE_HISTORY_CAPACITY))
        m_samples.pop_front();
}

std::size_t firstSampleFrom(const std::deque<SPlotSample>& samples, double seconds)
{
    const auto it =
        std::lower_bound(samples.begin(), samples.end(), seconds,
                         [](const SPlotSample& s, double t) { return s.m_seconds < t; });
    return static_cast<std::size_t>(it - samples.begin());
}

std::size_t nearestSample(const std::deque<SPlotSample>& samples, double seconds)
{
    const std::size_t after = firstSampleFrom(samples, seconds);
    if (after == 0)
        return 0;
    if (after == samples.size())
        return samples.size() - 1;
    const double before = seconds - samples[after - 1].m_seconds;
    return samples[after].m_seconds - seconds < before ? after : after - 1;
}
