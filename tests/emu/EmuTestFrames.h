// A minimal host side for driving the virtual controller in tests: builds
// request frames and takes reply frames apart, written from the wire tables.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "CEmuController.h"

inline std::vector<std::uint8_t> requestFrame(std::uint8_t type, std::vector<std::uint8_t> payload)
{
    std::vector<std::uint8_t> f{0xAA, 0x55, static_cast<std::uint8_t>(payload.size()), type};
    unsigned sum = f[2] + f[3];
    for (auto b : payload) {
        f.push_back(b);
        sum += b;
    }
    f.push_back(static_cast<std::uint8_t>((sum >> 8) & 0xFF));
    f.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return f;
}

inline std::vector<std::uint8_t> commandFrame(std::uint8_t code, unsigned param = 0)
{
    return requestFrame(3, {code, 0, static_cast<std::uint8_t>(param >> 8),
                            static_cast<std::uint8_t>(param & 0xFF), 0, 0});
}

struct SParsedReply {
    std::uint8_t m_type = 0;
    std::vector<std::uint8_t> m_payload;
    unsigned word(std::size_t at) const { return (m_payload[at] << 8) | m_payload[at + 1]; }
};

// Checks header, length and checksum; nullopt for anything malformed.
inline std::optional<SParsedReply> parseReply(const std::vector<std::uint8_t>& f)
{
    if (f.size() < 6 || f[0] != 0xAA || f[1] != 0x55 || f.size() != f[2] + 6u)
        return std::nullopt;
    unsigned sum = f[2] + f[3];
    for (std::size_t i = 4; i < f.size() - 2; ++i)
        sum += f[i];
    if (((sum >> 8) & 0xFF) != f[f.size() - 2] || (sum & 0xFF) != f[f.size() - 1])
        return std::nullopt;
    return SParsedReply{f[3], std::vector<std::uint8_t>(f.begin() + 4, f.end() - 2)};
}

// One request, one reply from a controller at time `nowUs`.
inline std::optional<SParsedReply> exchange(CEmuController& c, const std::vector<std::uint8_t>& req,
                                            std::int64_t nowUs)
{
    auto replies = c.feed(req, nowUs);
    if (replies.size() != 1)
        return std::nullopt;
    return parseReply(replies[0].m_bytes);
}
