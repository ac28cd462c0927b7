// The controller's wire format: frame types, command codes, status bits and
// the per-type byte-order conversion of payloads.
// Thread safety: pure functions and constants; callable from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// One buffer serves request and reply; a reply payload (255) plus its two
// checksum bytes always fits.
inline constexpr std::size_t kExchangeBufferSize = 410;

inline constexpr std::uint8_t FRAME_HEAD_1 = 0xAA;
inline constexpr std::uint8_t FRAME_HEAD_2 = 0x55;
inline constexpr std::size_t kFrameHeaderSize = 4;
inline constexpr std::size_t kFrameChecksumSize = 2;

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

// A command request: code, 0, 16-bit parameter, 16-bit 0.
inline constexpr std::uint8_t kCommandPayloadSize = 6;
// Offsets inside a type-3 payload (request and reply).
inline constexpr std::size_t kCommandParamOffset = 2;
inline constexpr std::size_t kCommandStatusOffset = 4;

// Status word of a type-3 reply.
inline constexpr std::uint16_t STATUS_UNKNOWN_COMMAND = 0x0001;
inline constexpr std::uint16_t STATUS_UNKNOWN_FRAME = 0x0002;
inline constexpr std::uint16_t STATUS_NO_HEADER = 0x0004;
inline constexpr std::uint16_t STATUS_CRC = 0x0008;
// The controller holds fault codes; the command itself was carried out.
inline constexpr std::uint16_t STATUS_HAS_ERRORS = 0x0010;

// Payloads travel big-endian; these swap the multi-byte fields of a type in
// place. Only fields lying wholly inside the first `len` bytes are touched, so
// a short payload never has the checksum bytes behind it rearranged. Type 1 is
// converted only when received: the PC never sends it.
void toWire(std::uint8_t* payload, std::uint8_t type, std::size_t len = kExchangeBufferSize);
void fromWire(std::uint8_t* payload, std::uint8_t type, std::size_t len = kExchangeBufferSize);

// The 16-bit sum of the bytes, modulo 65536.
std::uint16_t frameSum(const std::uint8_t* bytes, std::size_t count);

// Names for logs and traces; "ERROR_UNKNOWN_FRAME" / "ERROR_UNKNOWN_CMD" for
// codes outside the traced set.
const char* typeName(std::uint8_t type);
const char* commandName(std::uint8_t command);

// Fields of a payload that fromWire has put in host order.
inline std::uint16_t payloadWord(const std::uint8_t* p)
{
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline std::uint32_t payloadDword(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void setPayloadWord(std::uint8_t* p, std::uint16_t v)
{
    std::memcpy(p, &v, sizeof v);
}
