// Feeds arbitrary bytes to the host's reply check as if they had come down the
// line: a four-byte header, then whatever followed it. Whatever it decides must
// agree with a plain reading of the frame, and a reply it passes must go back
// to the very bytes that arrived.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "link/Protocol.h"
#include "link/ReplyCheck.h"

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The conversion only reorders bytes; a diagnostic record cannot be sent back,
// so for it this is the strongest check there is.
bool sameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n)
{
    int count[256] = {};
    for (std::size_t i = 0; i < n; ++i) {
        ++count[a[i]];
        --count[b[i]];
    }
    for (int c : count) {
        if (c != 0)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The exchange never hands over more than its buffer holds.
    if (size < kFrameHeaderSize || size > kFrameHeaderSize + kExchangeBufferSize)
        return 0;
    const std::span<const std::uint8_t, kFrameHeaderSize> header(data, kFrameHeaderSize);
    const std::uint8_t* wire = data + kFrameHeaderSize;
    const std::size_t n = size - kFrameHeaderSize;

    std::uint8_t judged[kExchangeBufferSize];
    std::uint8_t plain[kExchangeBufferSize];
    std::memcpy(judged, wire, n);
    std::memcpy(plain, wire, n);
    // Anything but the header's own values, so that a write shows.
    const std::uint8_t untouchedLen = static_cast<std::uint8_t>(~data[2]);
    const std::uint8_t untouchedType = static_cast<std::uint8_t>(~data[3]);
    std::uint8_t len = untouchedLen, type = untouchedType;
    std::uint8_t plainLen = untouchedLen, plainType = untouchedType;
    const EReplyCheck r = checkReply(header, {judged, n}, true, len, type);
    const EReplyCheck p = checkReply(header, {plain, n}, false, plainLen, plainType);

    // Judging the status word can only turn an accepted reply into a refusal.
    require(p != EReplyCheck::Refused);
    require(r == EReplyCheck::Refused ? p == EReplyCheck::Ok : p == r);
    require(std::memcmp(judged, plain, n) == 0 && len == plainLen && type == plainType);

    const bool headerOk = data[0] == 0xAA && data[1] == 0x55;
    const std::size_t replyLen = data[2];
    const bool complete = headerOk && n >= replyLen + 2;
    require((r == EReplyCheck::BadHeader) == !headerOk);
    require((r == EReplyCheck::Truncated) == (headerOk && !complete));

    bool sumMatches = false;
    if (complete) {
        unsigned sum = unsigned{data[2]} + data[3];
        for (std::size_t i = 0; i < replyLen; ++i)
            sum += wire[i];
        sumMatches = wire[replyLen] == ((sum >> 8) & 0xFF) && wire[replyLen + 1] == (sum & 0xFF);
    }
    const bool passed = r == EReplyCheck::Ok || r == EReplyCheck::Refused;
    require(passed == sumMatches);
    if (!passed) {
        require(len == untouchedLen && type == untouchedType);
        require(std::memcmp(judged, wire, n) == 0);
        return 0;
    }

    require(len == data[2] && type == data[3]);
    require(std::memcmp(judged + len, wire + len, n - len) == 0);
    require(sameBytes(judged, wire, len));

    if (type == MSG_TYPE_COMMAND && len >= kCommandStatusOffset + 2) {
        const std::uint16_t status = static_cast<std::uint16_t>((wire[4] << 8) | wire[5]);
        require(payloadWord(judged + kCommandStatusOffset) == status);
        require((r == EReplyCheck::Refused) == ((status & ~STATUS_HAS_ERRORS) != 0));
    } else {
        require(r == EReplyCheck::Ok);
    }

    if (type != MSG_TYPE_DIAG) {
        toWire(judged, type, len);
        require(std::memcmp(judged, wire, n) == 0);
    }
    return 0;
}
