// What the live-data reader reads through: the controller object derives from
// it, so the reader and its buffer need nothing from the link layer.
// Thread safety: readDiag, liveLineFailed and liveLost are called on the reader
// thread; the run flag and the reader count may be used from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "data/CDiagData.h"
#include "data/CLiveHistory.h"
#include "data/CRecorder.h"
#include "data/DiagRecord.h"

// Readers whose objects still exist; one waits for none to be left without
// polling, so an owner can outlive every reader it started.
class CReaderCount {
public:
    void enter();
    void leave();
    int count() const;
    // True once no reader is left, false when the limit passed first.
    bool waitUntilNone(std::chrono::milliseconds limit) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_none;
    int m_count = 0;
};

class CLiveSource {
public:
    virtual ~CLiveSource() = default;

    // 0 a record, 1 a reply of another type, 2 a failed exchange. One attempt.
    virtual int readDiag(diag_t& rec) = 0;
    // Whether a reader may start: the controller passed its link test, or the
    // records are simulated.
    virtual bool liveAllowed() const = 0;
    // Before the first request: whatever waits on the line answers nobody.
    virtual void beginLive() = 0;
    // After a thrown port error: whether the line itself reports trouble.
    virtual bool liveLineFailed() = 0;
    // The reader gave up on the link; whoever owns it arranges a reconnection.
    virtual void liveLost() = 0;

    CDiagData m_diagData;
    // Every record of the last minutes, for the plot; the reader fills both.
    CLiveHistory m_history;
    // The recording the reader writes every record it keeps through; started
    // and stopped by whoever shows the live data, while the reader runs.
    CRecorder m_recorder;
    // Cleared to ask the reader to end after its current exchange.
    std::atomic<std::uint8_t> m_runFlag{0};
    CReaderCount m_liveReaders;
};
