// The live-data buffer: the reader thread appends, the views copy out.
// Thread safety: every operation takes the buffer's own mutex for its whole
// duration; callers work on copies.
#pragma once

#include <cstddef>
#include <vector>

#include "data/DiagRecord.h"
#include "msglib/CMutex.h"

class CDiagData {
public:
    // Above this many records the oldest DIAG_DROP are dropped before an append,
    // so a view that falls behind never makes the buffer grow without bound.
    static constexpr std::size_t DIAG_KEEP = 500;
    static constexpr std::size_t DIAG_DROP = 250;

    void add(const diag_t& rec);
    std::size_t count();
    // Leaves rec unchanged when the buffer is empty.
    void getLast(diag_t& rec);
    // Appends records [first, min(end, count)) to target; nothing when first
    // is beyond the records held.
    void copyRange(std::vector<diag_t>& target, std::size_t first, std::size_t end);
    void clear();
    // Appends every record held to target and empties the buffer in one
    // locked step, so a trim by the reader in between can neither drop a
    // record unseen nor hand one out twice. Returns how many were taken.
    std::size_t takeAll(std::vector<diag_t>& target);

private:
    CMutex m_mutex;
    std::vector<diag_t> m_records;
};
