// One request frame out, one reply frame back: the controller link's exchange,
// its lock and its counters. The controller object builds on it.
// Thread safety: transact and transactDiag may be called from any thread; the
// link lock makes each exchange whole. stats() may be read at any time.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/CSerialPort.h"
#include "link/Protocol.h"
#include "msglib/CMutex.h"

struct SLinkStats {
    std::uint64_t exchanges = 0;  // exchanges started
    std::uint64_t failures = 0;   // of those, failed on the protocol (false / 2)
    std::uint64_t portErrors = 0; // of those, ended by a thrown port error
    std::uint64_t staleBytes = 0; // leftovers discarded before a request
};

// How the link drives its line. The real line needs the defaults; tests that
// only check retry and failure rules against a silent or faulty peer shorten
// the read time-out so that each lost reply costs milliseconds, not 700 ms.
struct SLinkTiming {
    std::uint32_t readTimeoutMs = LINE_READ_TIMEOUT_MS;
};

class CGasLink {
public:
    CGasLink() = default;
    CGasLink(const CGasLink&) = delete;
    CGasLink& operator=(const CGasLink&) = delete;
    virtual ~CGasLink() = default;

    // buf holds kExchangeBufferSize bytes: the request payload (len bytes, host
    // order) on entry, the reply payload (host order), its checksum and zeros
    // on success. len and type are the request's on entry, the reply's on success.
    // Port failures throw CRSError; protocol failures return false.
    bool transact(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type);
    // The same without judging a type-3 status word: 0 success, 2 failure.
    int transactDiag(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type);

    CSerialPort& serialPort() { return m_serial; }
    // Set before the port is configured; the next configureLine applies it.
    void setTiming(const SLinkTiming& timing) { m_timing = timing; }
    const SLinkTiming& timing() const { return m_timing; }
    // The controller's line settings with this link's time-outs, on the open
    // port, which starts clean: nothing owed on it from another port.
    void configureLine();
    CMutex& linkLock() { return m_linkLock; }
    SLinkStats stats() const;

protected:
    CSerialPort m_serial;
    CMutex m_linkLock;

private:
    bool exchange(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type, bool checkStatus);
    bool exchangeLocked(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type, bool checkStatus);

    SLinkTiming m_timing;
    // How the last exchange left the line; under the link lock.
    enum class ELine {
        Clean,     // its reply came whole
        Broken,    // its reply broke off or failed half-way: the rest may still come
        ReplyOwed, // nothing came back from a controller that had been answering
        Silent,    // nothing came back, nor before: a fresh or a dead line
    };
    ELine m_line = ELine::Silent;
    std::atomic<std::uint64_t> m_exchanges{0};
    std::atomic<std::uint64_t> m_failures{0};
    std::atomic<std::uint64_t> m_portErrors{0};
    std::atomic<std::uint64_t> m_staleBytes{0};
};
