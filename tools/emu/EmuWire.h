// Wire constants of the controller's protocol as the controller side sees them.
// Kept in their own namespace so that a test linking both sides of the link
// never mixes the emulator's numbers with the host's.
// Thread safety: constants and pure functions only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace emu {

inline constexpr std::uint8_t HDR0 = 0xAA;
inline constexpr std::uint8_t HDR1 = 0x55;

inline constexpr std::uint8_t MSG_TYPE_DIAG = 1;
inline constexpr std::uint8_t MSG_TYPE_SETUP_V1 = 2;
inline constexpr std::uint8_t MSG_TYPE_COMMAND = 3;
inline constexpr std::uint8_t MSG_TYPE_EEPROM = 4;
inline constexpr std::uint8_t MSG_TYPE_ERRORS = 5;
inline constexpr std::uint8_t MSG_TYPE_TABLE = 6;
inline constexpr std::uint8_t MSG_TYPE_VERSION = 7;
inline constexpr std::uint8_t MSG_TYPE_FUEL_SENSOR = 8;
inline constexpr std::uint8_t MSG_TYPE_FLAGS = 9;
inline constexpr std::uint8_t MSG_TYPE_MOUNT_DATA = 10;
inline constexpr std::uint8_t MSG_TYPE_STATISTIC = 11;
inline constexpr std::uint8_t MSG_TYPE_SETUP = 12;

inline constexpr std::uint8_t CMD_WORK_LPG = 1;
inline constexpr std::uint8_t CMD_WORK_GAS = 2;
inline constexpr std::uint8_t CMD_WORK_AUTO = 3;
inline constexpr std::uint8_t CMD_DONE = 4;
inline constexpr std::uint8_t CMD_ERROR = 5;
inline constexpr std::uint8_t CMD_DIAG = 6;
inline constexpr std::uint8_t CMD_SETUP_V1 = 8;
inline constexpr std::uint8_t CMD_CLEAR_ERRORS = 10;
inline constexpr std::uint8_t CMD_EEPROM = 11;
inline constexpr std::uint8_t CMD_SETUP_TABLE = 12;
inline constexpr std::uint8_t CMD_VERSION = 13;
inline constexpr std::uint8_t CMD_FUEL_SENSOR = 14;
inline constexpr std::uint8_t CMD_FLAGS = 16;
inline constexpr std::uint8_t CMD_STATISTIC = 17;
inline constexpr std::uint8_t CMD_MOUNT_DATA = 18;
inline constexpr std::uint8_t CMD_SET_INJ_MASK = 19;
inline constexpr std::uint8_t CMD_GET_INJ_MASK = 20;
inline constexpr std::uint8_t CMD_SETUP = 21;
inline constexpr std::uint8_t CMD_TEST = 202;

inline constexpr std::uint16_t STATUS_UNKNOWN_COMMAND = 0x0001;
inline constexpr std::uint16_t STATUS_UNKNOWN_TYPE = 0x0002;
inline constexpr std::uint16_t STATUS_NO_HEADER = 0x0004;
inline constexpr std::uint16_t STATUS_BAD_CHECKSUM = 0x0008;
inline constexpr std::uint16_t STATUS_FAULTS_STORED = 0x0010;

inline constexpr std::uint16_t TEST_ANSWER = 0x0055;

inline constexpr std::size_t DIAG_SIZE = 76;
inline constexpr std::size_t SETTINGS_SIZE = 22;
inline constexpr std::size_t TABLE_SIZE = 20;
inline constexpr std::size_t MOUNT_SIZE = 38;
inline constexpr std::size_t FUEL_SENSOR_SIZE = 6;
inline constexpr std::size_t EEPROM_BLOCK = 16;
inline constexpr std::size_t VERSION_SIZE = 22;

inline constexpr unsigned BAUD = 14400;
// One start bit, eight data bits, one stop bit.
inline constexpr unsigned BITS_PER_BYTE = 10;
// The controller's timer: injection times in 0.025 ms ticks, rpm = 4800000 / period.
inline constexpr double TICK_MS = 0.025;
inline constexpr double RPM_FACTOR = 4800000.0;

// LEN + TYPE + payload bytes, modulo 65536.
inline std::uint16_t frameChecksum(std::uint8_t len, std::uint8_t type,
                                   std::span<const std::uint8_t> payload)
{
    unsigned sum = len + type;
    for (auto b : payload)
        sum += b;
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

inline void putBe16(std::uint8_t* p, unsigned v)
{
    p[0] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    p[1] = static_cast<std::uint8_t>(v & 0xFF);
}

inline void putBe32(std::uint8_t* p, std::uint32_t v)
{
    putBe16(p, v >> 16);
    putBe16(p + 2, v & 0xFFFF);
}

inline unsigned getBe16(const std::uint8_t* p)
{
    return (static_cast<unsigned>(p[0]) << 8) | p[1];
}

} // namespace emu
