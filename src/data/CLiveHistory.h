// The last minutes of live data, for the plot: every record the reader brings
// (or a recording plays), each with the moment it came, in a ring of fixed
// size, so that hours of driving cost no more memory than five minutes.
// Thread safety: every operation takes the ring's own mutex; callers get copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/DiagRecord.h"
#include "msglib/CMutex.h"

struct STimedRecord {
    double m_seconds = 0; // on the clock of whoever added it, rising
    diag_t m_rec{};
};

class CLiveHistory {
public:
    static constexpr double LIVE_HISTORY_SECONDS = 300;
    // The line brings about 15 records a second; the ring has room for twice
    // that, so an unpaced virtual controller still fills the five minutes
    // before the oldest records fall out by count rather than by age.
    static constexpr std::size_t LIVE_HISTORY_CAPACITY = 300 * 30;

    // Records older than LIVE_HISTORY_SECONDS before this one drop out. A time
    // below the newest one held (a new clock: a playback after live data)
    // starts the ring afresh.
    void add(double seconds, const diag_t& rec);
    void clear();
    std::size_t count();
    // How many records were ever added: a reader compares it with the figure
    // it saw last to tell whether anything is new, even after the ring wrapped.
    std::uint64_t added();
    // Appends, oldest first, the records added after the `added()` figure in
    // `seen` that are still held, and moves `seen` on: a consumer that must
    // see each record once, whatever the clock of the one who added it.
    void copyAddedSince(std::uint64_t& seen, std::vector<STimedRecord>& target);
    // Appends, oldest first, the records held that came after `since`, and
    // returns added() as of that copy: a reader that keeps the figure can
    // tell whether the copy holds every record added since its last one.
    std::uint64_t copySince(double since, std::vector<STimedRecord>& target);

private:
    void dropOlderThan(double seconds);

    CMutex m_mutex;
    std::vector<STimedRecord> m_ring; // LIVE_HISTORY_CAPACITY once used
    std::size_t m_first = 0;          // index of the oldest record
    std::size_t m_count = 0;
    std::uint64_t m_added = 0;
};

// Seconds on a monotonic clock, for records the reader brings.
double liveHistorySeconds();
