// Judges a reply frame as it arrived from the controller and puts its payload
// in host order. Shared by the exchange and its fuzz target, so both read
// replies through the same code.
// Thread safety: a pure function over the caller's bytes; callable from any thread.
#pragma once

#include <cstdint>
#include <span>

#include "link/Protocol.h"

enum class EReplyCheck {
    Ok,
    BadHeader,   // not 0xAA 0x55: no hunting for a later start
    Truncated,   // fewer than LEN payload bytes and two checksum bytes
    BadChecksum, // complete, but the sum does not match
    Refused,     // a type-3 status word with a bit other than STATUS_HAS_ERRORS
};

// header: the four bytes read first; body: the bytes that followed, in the
// caller's buffer (payload, then checksum). Once the checksum has matched
// (Ok or Refused), len and type are the reply's and the first LEN bytes of
// body are in host order; otherwise nothing is written. An empty body only
// tells a bad header (BadHeader) from one worth reading on (Truncated).
// The status word is judged only when judgeStatus is set.
EReplyCheck checkReply(std::span<const std::uint8_t, kFrameHeaderSize> header,
                       std::span<std::uint8_t> body, bool judgeStatus, std::uint8_t& len,
                       std::uint8_t& type) noexcept;
