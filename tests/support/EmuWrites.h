// What a test asks of the virtual controller after the host has had its go:
// the records it holds, and how many writes reached it at all.
// Thread safety: as CEmuFixture.
#pragma once

#include <array>
#include <cstdint>

#include "EmuFixture.h"
#include "link/Protocol.h"

struct SEmuStored {
    std::array<std::uint8_t, 22> settings;
    std::array<std::uint8_t, 20> table;
    std::array<std::uint8_t, 38> mount;
    bool operator==(const SEmuStored&) const = default;
};

inline SEmuStored storedIn(CEmuFixture& emu)
{
    const SEmuState s = emu.state();
    return {s.m_settings, s.m_table, s.m_mountData};
}

// Whole records the host wrote, and resets it asked for.
inline std::uint64_t hostWrites(CEmuFixture& emu)
{
    const SEmuCounters c = emu.counters();
    return c.m_frames[MSG_TYPE_SETUP] + c.m_frames[MSG_TYPE_SETUP_V1] + c.m_frames[MSG_TYPE_TABLE] +
           c.m_frames[MSG_TYPE_MOUNT_DATA] + c.m_commands[CMD_CLEAR_ERRORS];
}
