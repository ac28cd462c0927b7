#include "link/Protocol.h"

#include <cstring>

namespace {

enum class EDirection { ToWire, FromWire };

// Rewrites the field at `p` between big-endian and the host's order. Going
// through memcpy keeps it correct on any host and free of alignment traps.
void convert16(std::uint8_t* p, EDirection dir)
{
    if (dir == EDirection::FromWire) {
        const std::uint16_t v = static_cast<std::uint16_t>((p[0] << 8) | p[1]);
        std::memcpy(p, &v, sizeof v);
    } else {
        std::uint16_t v;
        std::memcpy(&v, p, sizeof v);
        p[0] = static_cast<std::uint8_t>(v >> 8);
        p[1] = static_cast<std::uint8_t>(v);
    }
}

void convert32(std::uint8_t* p, EDirection dir)
{
    if (dir == EDirection::FromWire) {
        const std::uint32_t v = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
        std::memcpy(p, &v, sizeof v);
    } else {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        p[0] = static_cast<std::uint8_t>(v >> 24);
        p[1] = static_cast<std::uint8_t>(v >> 16);
        p[2] = static_cast<std::uint8_t>(v >> 8);
        p[3] = static_cast<std::uint8_t>(v);
    }
}

void field16(std::uint8_t* payload, std::size_t len, std::size_t offset, EDirection dir)
{
    if (offset + 2 <= len)
        convert16(payload + offset, dir);
}

void field32(std::uint8_t* payload, std::size_t len, std::size_t offset, EDirection dir)
{
    if (offset + 4 <= len)
        convert32(payload + offset, dir);
}

void convertPayload(std::uint8_t* payload, std::uint8_t type, std::size_t len, EDirection dir)
{
    switch (type) {
    case MSG_TYPE_DIAG:
        if (dir == EDirection::ToWire)
            return;
        // The engine-period word, then 32 words of injection times and corrections.
        field16(payload, len, 10, dir);
        for (std::size_t offset = 12; offset <= 74; offset += 2)
            field16(payload, len, offset, dir);
        return;
    case MSG_TYPE_SETUP_V1:
    case MSG_TYPE_EEPROM:
    case MSG_TYPE_MOUNT_DATA:
    case MSG_TYPE_SETUP:
        field16(payload, len, 0, dir);
        return;
    case MSG_TYPE_COMMAND:
        field16(payload, len, kCommandParamOffset, dir);
        field16(payload, len, kCommandStatusOffset, dir);
        return;
    case MSG_TYPE_VERSION:
        field16(payload, len, 0, dir);
        field16(payload, len, 2, dir);
        return;
    case MSG_TYPE_FLAGS:
        field32(payload, len, 0, dir);
        field32(payload, len, 4, dir);
        field32(payload, len, 8, dir);
        return;
    case MSG_TYPE_STATISTIC:
        field32(payload, len, 0, dir);
        field32(payload, len, 4, dir);
        return;
    default:
        return;
    }
}

} // namespace

void toWire(std::uint8_t* payload, std::uint8_t type, std::size_t len)
{
    convertPayload(payload, type, len, EDirection::ToWire);
}

void fromWire(std::uint8_t* payload, std::uint8_t type, std::size_t len)
{
    convertPayload(payload, type, len, EDirection::FromWire);
}

std::uint16_t frameSum(const std::uint8_t* bytes, std::size_t count)
{
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return sum;
}

const char* typeName(std::uint8_t type)
{
    switch (type) {
    case MSG_TYPE_DIAG:
        return "MSG_TYPE_DIAG";
    case MSG_TYPE_COMMAND:
        return "MSG_TYPE_COMMAND";
    case MSG_TYPE_EEPROM:
        return "MSG_TYPE_EEPROM";
    case MSG_TYPE_ERRORS:
        return "MSG_TYPE_ERRORS";
    case MSG_TYPE_TABLE:
        return "MSG_TYPE_TABLE";
    case MSG_TYPE_SETUP:
        return "MSG_TYPE_SETUP";
    default:
        return "ERROR_UNKNOWN_FRAME";
    }
}

const char* commandName(std::uint8_t command)
{
    switch (command) {
    case CMD_WORK_LPG:
        return "CMD_WORK_LPG";
    case CMD_WORK_GAS:
        return "CMD_WORK_GAS";
    case CMD_WORK_AUTO:
        return "CMD_WORK_AUTO";
    case CMD_DONE:
        return "CMD_DONE";
    case CMD_ERROR:
        return "CMD_ERROR";
    case CMD_DIAG:
        return "CMD_DIAG";
    case CMD_CLEAR_ERRORS:
        return "CMD_CLEAR_ERRORS";
    case CMD_EEPROM:
        return "CMD_EEPROM";
    case CMD_SETUP_TABLE:
        return "CMD_SETUP_TABLE";
    case CMD_SETUP:
        return "CMD_SETUP";
    case CMD_TEST:
        return "CMD_TEST";
    default:
        return "ERROR_UNKNOWN_CMD";
    }
}
