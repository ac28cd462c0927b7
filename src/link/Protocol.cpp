#include "link/Protocol.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

namespace {

enum class EDirection { ToWire, FromWire };

// A big-endian field of a payload.
struct SField {
    std::size_t offset;
    std::size_t width;
};

struct SLayout {
    std::uint8_t type;
    std::span<const SField> fields;
    // The PC never sends this type, so it is converted only on arrival.
    bool receivedOnly = false;
};

// The engine-period word at 10, then 32 words of injection times and
// corrections up to 74.
constexpr auto kDiagFields = [] {
    std::array<SField, 33> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = {10 + 2 * i, 2};
    return fields;
}();
constexpr SField kFirstWord[] = {{0, 2}};
constexpr SField kCommandFields[] = {{kCommandParamOffset, 2}, {kCommandStatusOffset, 2}};
constexpr SField kVersionFields[] = {{0, 2}, {2, 2}};
constexpr SField kFlagsFields[] = {{0, 4}, {4, 4}, {8, 4}};
constexpr SField kStatisticFields[] = {{0, 4}, {4, 4}};

// Types not listed (errors, table, fuel sensor and unknown ones) are bytes only.
constexpr SLayout kLayouts[] = {
    {MSG_TYPE_DIAG, kDiagFields, true}, {MSG_TYPE_SETUP_V1, kFirstWord},
    {MSG_TYPE_COMMAND, kCommandFields}, {MSG_TYPE_EEPROM, kFirstWord},
    {MSG_TYPE_VERSION, kVersionFields}, {MSG_TYPE_FLAGS, kFlagsFields},
    {MSG_TYPE_MOUNT_DATA, kFirstWord},  {MSG_TYPE_STATISTIC, kStatisticFields},
    {MSG_TYPE_SETUP, kFirstWord},
};

// Rewrites the field at `p` between big-endian and the host's order. Going
// through memcpy keeps it correct on any host and free of alignment traps.
template <typename T>
void convertField(std::uint8_t* p, EDirection dir)
{
    T v = 0;
    if (dir == EDirection::FromWire) {
        for (std::size_t i = 0; i < sizeof v; ++i)
            v = static_cast<T>((v << 8) | p[i]);
        std::memcpy(p, &v, sizeof v);
    } else {
        std::memcpy(&v, p, sizeof v);
        for (std::size_t i = sizeof v; i-- > 0; v = static_cast<T>(v >> 8))
            p[i] = static_cast<std::uint8_t>(v);
    }
}

void convertPayload(std::uint8_t* payload, std::uint8_t type, std::size_t len, EDirection dir)
{
    const auto layout = std::find_if(std::begin(kLayouts), std::end(kLayouts),
                                     [type](const SLayout& l) { return l.type == type; });
    if (layout == std::end(kLayouts) || (layout->receivedOnly && dir == EDirection::ToWire))
        return;
    for (const SField& f : layout->fields) {
        if (f.offset + f.width > len)
            continue;
        if (f.width == 4)
            convertField<std::uint32_t>(payload + f.offset, dir);
        else
            convertField<std::uint16_t>(payload + f.offset, dir);
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
