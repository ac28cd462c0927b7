#include "link/CGasLink.h"

#include <cstring>
#include <utility>

#include "errors/IError.h"
#include "link/ReplyCheck.h"

bool CGasLink::transact(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type)
{
    return exchange(buf, len, type, true);
}

int CGasLink::transactDiag(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type)
{
    return exchange(buf, len, type, false) ? 0 : 2;
}

void CGasLink::configureLine()
{
    CMutexGuard guard(m_linkLock);
    m_line = ELine::Silent;
    m_serial.configureLine(m_timing.readTimeoutMs);
}

SLinkStats CGasLink::stats() const
{
    SLinkStats s;
    s.exchanges = m_exchanges.load(std::memory_order_relaxed);
    s.failures = m_failures.load(std::memory_order_relaxed);
    s.portErrors = m_portErrors.load(std::memory_order_relaxed);
    s.staleBytes = m_staleBytes.load(std::memory_order_relaxed);
    return s;
}

bool CGasLink::exchange(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type, bool checkStatus)
{
    // Held for exactly one request and its reply, so the user-interface thread
    // and the live-data reader alternate frame by frame.
    CMutexGuard guard(m_linkLock);
    m_exchanges.fetch_add(1, std::memory_order_relaxed);
    try {
        const bool ok = exchangeLocked(buf, len, type, checkStatus);
        if (!ok)
            m_failures.fetch_add(1, std::memory_order_relaxed);
        return ok;
    } catch (IError*) {
        m_portErrors.fetch_add(1, std::memory_order_relaxed);
        throw;
    }
}

bool CGasLink::exchangeLocked(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type,
                              bool checkStatus)
{
    // A reply that came too late, or the tail of one that failed on its first
    // bytes, would otherwise be read as the answer to this request and fail
    // every attempt after it: each failing at once, the attempts would each
    // take a few bytes of the stream and queue up requests at the controller.
    // A reply owed may still be on its way: taken for this request's, it
    // would put every later reply one request behind, with nothing failing
    // to show it. A controller that had been answering is given one more
    // read time-out for it; a line that stays silent costs no extra wait.
    const ELine line = std::exchange(m_line, ELine::Broken);
    std::uint32_t awaitMs = 0;
    if (line == ELine::Broken)
        awaitMs = CSerialPort::kQuietMs;
    else if (line == ELine::ReplyOwed)
        awaitMs = m_serial.readTimeoutMs();
    if (const std::size_t stale = m_serial.discardInput(awaitMs))
        m_staleBytes.fetch_add(stale, std::memory_order_relaxed);

    const std::uint8_t header[kFrameHeaderSize] = {FRAME_HEAD_1, FRAME_HEAD_2, len, type};
    const std::uint16_t sum = static_cast<std::uint16_t>(len + type + frameSum(buf, len));
    toWire(buf, type, len);

    m_serial.write(header, sizeof header);
    if (m_serial.clearCommError() != 0)
        return false;
    m_serial.write(buf, len);
    if (m_serial.clearCommError() != 0)
        return false;
    const std::uint8_t checksum[kFrameChecksumSize] = {static_cast<std::uint8_t>(sum >> 8),
                                                       static_cast<std::uint8_t>(sum & 0xFF)};
    m_serial.write(checksum, sizeof checksum);
    if (m_serial.clearCommError() != 0)
        return false;

    // No hunting for a later 0xAA: a reply that does not start cleanly is lost.
    std::uint8_t reply[kFrameHeaderSize];
    if (const std::size_t got = m_serial.read(reply, sizeof reply); got < sizeof reply) {
        if (got == 0)
            m_line =
                line == ELine::Clean || line == ELine::Broken ? ELine::ReplyOwed : ELine::Silent;
        return false;
    }
    if (checkReply(reply, {}, checkStatus, len, type) == EReplyCheck::BadHeader)
        return false;

    std::memset(buf, 0, kExchangeBufferSize);
    if (m_serial.clearCommError() != 0)
        return false;

    const std::size_t want = std::size_t{reply[2]} + kFrameChecksumSize;
    const std::size_t got = m_serial.read(buf, want);
    const EReplyCheck check = checkReply(reply, {buf, got}, checkStatus, len, type);
    if (check != EReplyCheck::Ok && check != EReplyCheck::Refused)
        return false;
    // A reply later still comes while this request waits behind it. The
    // controller answers each request once, so a frame straight behind this
    // one shows that this was the late reply.
    if ((line == ELine::ReplyOwed || line == ELine::Silent) && !m_serial.staysQuiet())
        return false;
    m_line = ELine::Clean;
    if (check != EReplyCheck::Ok)
        return false;
    return m_serial.clearCommError() == 0;
}
