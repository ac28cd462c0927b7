// The plot's own copy of the live history: one time and every channel's
// value per record, taken from the ring as records come, so that a paint
// converts nothing and a paused plot keeps what it showed. It holds no more
// than the ring does.
// Thread safety: one owner thread; the ring it follows locks itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "data/CLiveHistory.h"
#include "data/PlotChannels.h"

struct SPlotSample {
    double m_seconds = 0;
    PlotValues m_values{};
};

class CPlotSeries {
public:
    // Takes what the ring got since the last call. A ring that started afresh
    // (a new clock, a playback) or lost records this copy never saw is taken
    // whole instead. True when anything changed.
    bool follow(CLiveHistory& history);

    const std::deque<SPlotSample>& samples() const { return m_samples; }
    bool empty() const { return m_samples.empty(); }
    // The newest record's time; 0 when empty.
    double newest() const { return m_samples.empty() ? 0 : m_samples.back().m_seconds; }
    // How often the copy was thrown away and taken whole.
    int restarts() const { return m_restarts; }

private:
    void append(const std::vector<STimedRecord>& records);

    std::deque<SPlotSample> m_samples;
    std::uint64_t m_added = 0; // the ring's count when last followed
    std::vector<STimedRecord> m_scratch;
    int m_restarts = 0;
};

// The index of the sample nearest to `seconds` (the earlier one on a tie);
// samples.size() when there are none.
std::size_t nearestSample(const std::deque<SPlotSample>& samples, double seconds);
// The first sample at or after `seconds`.
std::size_t firstSampleFrom(const std::deque<SPlotSample>& samples, double seconds);
