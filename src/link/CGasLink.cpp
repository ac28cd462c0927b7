#include "link/CGasLink.h"

#include <cstring>

#include "errors/IError.h"

bool CGasLink::transact(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type)
{
    return exchange(buf, len, type, true);
}

int CGasLink::transactDiag(std::uint8_t* buf, std::uint8_t& len, std::uint8_t& type)
{
    return exchange(buf, len, type, false) ? 0 : 2;
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
    // byte, would otherwise be read as the answer to this request and fail
    // every attempt after it.
    if (const std::size_t stale = m_serial.discardInput())
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
    if (m_serial.read(reply, sizeof reply) < sizeof reply)
        return false;
    if (reply[0] != FRAME_HEAD_1 || reply[1] != FRAME_HEAD_2)
        return false;

    std::memset(buf, 0, kExchangeBufferSize);
    if (m_serial.clearCommError() != 0)
        return false;

    const std::uint8_t replyLen = reply[2];
    const std::uint8_t replyType = reply[3];
    const std::size_t want = std::size_t{replyLen} + kFrameChecksumSize;
    if (m_serial.read(buf, want) < want)
        return false;

    const std::uint16_t received =
        static_cast<std::uint16_t>((buf[replyLen] << 8) | buf[replyLen + 1]);
    const std::uint16_t expected =
        static_cast<std::uint16_t>(replyLen + replyType + frameSum(buf, replyLen));
    if (received != expected)
        return false;

    len = replyLen;
    type = replyType;
    fromWire(buf, replyType, replyLen);

    // A controller that merely holds fault codes still carried the command
    // out; any other bit is a refusal. A reply too short to carry the word
    // refuses nothing.
    if (checkStatus && replyType == MSG_TYPE_COMMAND &&
        replyLen >= kCommandStatusOffset + sizeof(std::uint16_t)) {
        std::uint16_t status;
        std::memcpy(&status, buf + kCommandStatusOffset, sizeof status);
        if (status != 0 && (status & ~STATUS_HAS_ERRORS) != 0)
            return false;
    }

    return m_serial.clearCommError() == 0;
}
