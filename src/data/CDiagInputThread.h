// The live-data reader: fetches diagnostic records as fast as the link allows
// and appends them to the buffer; eight failed exchanges in a row end it and
// report the lost link. It can record every record to a recording file.
// Thread safety: runs on its own thread; its run flag is the only thing other
// threads touch (through requestStop or the controller's m_runFlag).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "data/CDiagData.h"
#include "data/CDiagFile.h"
#include "data/CLiveSource.h"
#include "msglib/CSThread.h"

constexpr int DIAG_MAX_FAILURES = 8;
// A first petrol time below this is noise of a stopped engine (ms).
constexpr double DIAG_MIN_PETROL_MS = 0.2;

// A record as the reader keeps it (in its buffer, history and recording):
// every LPG fuel code as FUEL_LPG, a first petrol time of noise as 0.
diag_t liveRecord(const diag_t& received);

class CDiagInputThread : public CSThread {
public:
    CDiagInputThread(CDiagData& data, std::string recording, std::atomic<std::uint8_t>& runFlag);

    void run() override;
    void requestStop() override { m_runFlag.store(0); }

    std::uint64_t records() const { return m_records.load(); }
    std::uint64_t failures() const { return m_failures.load(); }
    std::uint64_t otherReplies() const { return m_otherReplies.load(); }

protected:
    virtual void onStart() {}
    virtual void onStop() {}
    // 0 a record, 1 a reply that is not a record, 2 a failed exchange.
    virtual int readRecord(diag_t&) { return 2; }
    virtual void processRecord(const diag_t&) {}
    // The link is gone: tell whoever reconnects.
    virtual void lostLink() {}
    // Whether the line itself reports trouble after a thrown port error.
    virtual bool lineFailed() { return true; }

    CDiagData& m_data;
    std::string m_recording;
    std::atomic<std::uint8_t>& m_runFlag;
    std::atomic<std::uint64_t> m_records{0};
    std::atomic<std::uint64_t> m_failures{0};
    std::atomic<std::uint64_t> m_otherReplies{0};
};

class CDiagRSThread : public CDiagInputThread {
public:
    // recording is a path to write a recording to, or NO_RECORDING. Such a
    // recording is this reader's own and ends with it; every record also
    // goes through the source's recorder, which others switch on and off.
    CDiagRSThread(CLiveSource& source, std::string recording);
    ~CDiagRSThread() override;

protected:
    void onStart() override;
    void onStop() override;
    int readRecord(diag_t& rec) override;
    void processRecord(const diag_t& rec) override;
    void lostLink() override;
    bool lineFailed() override;

private:
    void endOwnRecording();

    CLiveSource& m_source;
    bool m_ownsRecording = false;
};

// Starts the reader under the process's thread manager, once the controller
// answered its link test (or runs in demonstration mode). Returns false and
// leaves the run flag clear otherwise.
bool startLive(CLiveSource& source, const std::string& recording = NO_RECORDING);
// Asks the reader to end and waits (at most limitMs) until it has, its
// recording closed whole. True when no reader is left.
bool stopLive(CLiveSource& source, std::uint32_t limitMs = 3000);
