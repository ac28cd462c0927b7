#include "CEmuController.h"

#include <algorithm>

#include "EmuWire.h"

using namespace emu;

CEmuController::CEmuController()
{
    m_payload.reserve(255);
}

void CEmuController::ignoreAllButTest()
{
    m_ignoreCommand.fill(true);
    m_ignoreCommand[CMD_TEST] = false;
    m_ignoreType.fill(true);
    m_ignoreType[MSG_TYPE_COMMAND] = false;
}

void CEmuController::clearIgnores()
{
    m_ignoreCommand.fill(false);
    m_ignoreType.fill(false);
}

std::vector<std::uint8_t> CEmuController::frame(std::uint8_t type,
                                                std::span<const std::uint8_t> payload)
{
    std::vector<std::uint8_t> f;
    f.reserve(payload.size() + 6);
    const auto len = static_cast<std::uint8_t>(payload.size());
    f.push_back(HDR0);
    f.push_back(HDR1);
    f.push_back(len);
    f.push_back(type);
    f.insert(f.end(), payload.begin(), payload.end());
    const std::uint16_t sum = frameChecksum(len, type, payload);
    f.push_back(static_cast<std::uint8_t>(sum >> 8));
    f.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return f;
}

std::vector<std::uint8_t> CEmuController::ack(std::uint16_t result, std::uint16_t status,
                                              std::uint8_t code) const
{
    // Stored faults ride along on every acknowledgement so that the host
    // notices them without polling.
    if (m_state.faultsStored())
        status |= STATUS_FAULTS_STORED;
    std::uint8_t p[6] = {code, 0, 0, 0, 0, 0};
    putBe16(p + 2, result);
    putBe16(p + 4, status);
    return frame(MSG_TYPE_COMMAND, p);
}

std::optional<SEmuReply> CEmuController::feed(std::uint8_t byte, std::int64_t nowUs)
{
    if (m_parse != EParse::Header0 && nowUs - m_lastByteUs > m_interByteUs) {
        ++m_counters.m_abandonedFrames;
        m_parse = EParse::Header0;
    }
    m_lastByteUs = nowUs;
    switch (m_parse) {
    case EParse::Header0:
        if (byte == HDR0)
            m_parse = EParse::Header1;
        else
            ++m_counters.m_skippedBytes;
        return std::nullopt;
    case EParse::Header1:
        if (byte == HDR1) {
            m_parse = EParse::Length;
        } else if (byte != HDR0) {
            // The 0xAA before was noise too; a second 0xAA may start the frame.
            m_counters.m_skippedBytes += 2;
            m_parse = EParse::Header0;
        } else {
            ++m_counters.m_skippedBytes;
        }
        return std::nullopt;
    case EParse::Length:
        m_len = byte;
        m_parse = EParse::Type;
        return std::nullopt;
    case EParse::Type:
        m_type = byte;
        m_payload.clear();
        m_parse = m_len ? EParse::Payload : EParse::Sum0;
        return std::nullopt;
    case EParse::Payload:
        m_payload.push_back(byte);
        if (m_payload.size() == m_len)
            m_parse = EParse::Sum0;
        return std::nullopt;
    case EParse::Sum0:
        m_sum = static_cast<unsigned>(byte) << 8;
        m_parse = EParse::Sum1;
        return std::nullopt;
    case EParse::Sum1:
        m_sum |= byte;
        m_parse = EParse::Header0;
        return handle(nowUs);
    }
    return std::nullopt;
}

std::vector<SEmuReply> CEmuController::feed(std::span<const std::uint8_t> bytes, std::int64_t nowUs)
{
    std::vector<SEmuReply> out;
    for (auto b : bytes)
        if (auto r = feed(b, nowUs))
            out.push_back(std::move(*r));
    return out;
}

SEmuReply CEmuController::handle(std::int64_t nowUs)
{
    SEmuReply r;
    r.m_requestType = m_type;
    if (m_type == MSG_TYPE_COMMAND && !m_payload.empty())
        r.m_command = m_payload[0];
    ++m_counters.m_requests;
    m_engine.advance(m_state, nowUs);

    if (nowUs < m_silentUntilUs) {
        r.m_silenced = true;
        ++m_counters.m_silenced;
        return r;
    }

    bool ignore = false;
    std::vector<std::uint8_t> bytes;
    if (frameChecksum(m_len, m_type, m_payload) != m_sum) {
        ++m_counters.m_badChecksum;
        bytes = refuse(STATUS_BAD_CHECKSUM);
    } else {
        bytes = dispatch(r, ignore);
    }
    if (ignore) {
        r.m_ignored = true;
        ++m_counters.m_ignored;
        return r;
    }
    r.m_replyType = bytes[3];
    ++m_counters.m_replies;
    r.m_outcome = m_faults.apply(bytes);
    for (std::size_t i = 0; i < kEmuFaultKinds; ++i)
        if (r.m_outcome.has(static_cast<EEmuFault>(i)))
            ++m_counters.m_faults[i];
    if (r.m_outcome.m_silentUs)
        m_silentUntilUs = nowUs + r.m_outcome.m_silentUs;
    r.m_bytes = std::move(bytes);
    if (r.intact())
        ++m_counters.m_intactReplies;
    return r;
}

std::vector<std::uint8_t> CEmuController::dispatch(SEmuReply& r, bool& ignore)
{
    const std::span<const std::uint8_t> p(m_payload);
    if (m_type == MSG_TYPE_COMMAND) {
        if (p.empty()) {
            ++m_counters.m_unknownCommand;
            return refuse(STATUS_UNKNOWN_COMMAND);
        }
        const unsigned param = p.size() >= 4 ? getBe16(&p[2]) : 0;
        return command(p[0], param, r, ignore);
    }

    // Data frames: the host writes a record. The length must be the record's.
    std::size_t want = 0;
    switch (m_type) {
    case MSG_TYPE_SETUP_V1:
        want = SETTINGS_SIZE;
        break;
    case MSG_TYPE_SETUP:
        want = m_state.extendedSettings() ? SETTINGS_SIZE : 0;
        break;
    case MSG_TYPE_EEPROM:
        want = 2 + EEPROM_BLOCK;
        break;
    case MSG_TYPE_TABLE:
        want = TABLE_SIZE;
        break;
    case MSG_TYPE_FUEL_SENSOR:
        want = FUEL_SENSOR_SIZE;
        break;
    case MSG_TYPE_MOUNT_DATA:
        want = MOUNT_SIZE;
        break;
    default:
        break;
    }
    if (want == 0) {
        ++m_counters.m_unknownType;
        return refuse(STATUS_UNKNOWN_TYPE);
    }
    ++m_counters.m_frames[m_type];
    if (m_ignoreType[m_type]) {
        ignore = true;
        return {};
    }
    // The basic record may come with its two unused bytes or without them.
    const bool basicShort = m_type == MSG_TYPE_SETUP_V1 && p.size() == 20;
    if (p.size() != want && !basicShort) {
        ++m_counters.m_unknownType;
        return refuse(STATUS_UNKNOWN_TYPE);
    }
    switch (m_type) {
    case MSG_TYPE_SETUP_V1:
        // The basic record has no second correction; what the extended one
        // stored there stays.
        std::copy_n(p.begin(), 20, m_state.m_settings.begin());
        break;
    case MSG_TYPE_SETUP:
        std::copy_n(p.begin(), SETTINGS_SIZE, m_state.m_settings.begin());
        break;
    case MSG_TYPE_EEPROM: {
        const unsigned addr = getBe16(&p[0]);
        for (std::size_t i = 0; i < EEPROM_BLOCK; ++i)
            m_state.m_eeprom[(addr + i) % m_state.m_eeprom.size()] = p[2 + i];
        break;
    }
    case MSG_TYPE_TABLE:
        std::copy_n(p.begin(), TABLE_SIZE, m_state.m_table.begin());
        break;
    case MSG_TYPE_FUEL_SENSOR:
        std::copy_n(p.begin(), FUEL_SENSOR_SIZE, m_state.m_fuelSensor.begin());
        break;
    case MSG_TYPE_MOUNT_DATA:
        std::copy_n(p.begin(), MOUNT_SIZE, m_state.m_mountData.begin());
        break;
    default:
        break;
    }
    (void)r;
    return ack();
}

std::vector<std::uint8_t> CEmuController::command(std::uint8_t code, unsigned param, SEmuReply& r,
                                                  bool& ignore)
{
    (void)r;
    switch (code) {
    case CMD_WORK_LPG:
    case CMD_WORK_GAS:
    case CMD_WORK_AUTO:
    case CMD_ERROR:
    case CMD_DIAG:
    case CMD_CLEAR_ERRORS:
    case CMD_EEPROM:
    case CMD_SETUP_TABLE:
    case CMD_VERSION:
    case CMD_FUEL_SENSOR:
    case CMD_FLAGS:
    case CMD_STATISTIC:
    case CMD_MOUNT_DATA:
    case CMD_SET_INJ_MASK:
    case CMD_GET_INJ_MASK:
    case CMD_TEST:
        break;
    case CMD_SETUP_V1:
        break;
    case CMD_SETUP:
        if (m_state.extendedSettings())
            break;
        [[fallthrough]];
    default:
        ++m_counters.m_unknownCommand;
        return refuse(STATUS_UNKNOWN_COMMAND);
    }
    ++m_counters.m_commands[code];
    if (m_ignoreCommand[code]) {
        ignore = true;
        return {};
    }

    switch (code) {
    case CMD_WORK_LPG:
        m_engine.setWorkMode(m_state, 3);
        return ack();
    case CMD_WORK_GAS:
        m_engine.setWorkMode(m_state, 2);
        return ack();
    case CMD_WORK_AUTO:
        m_engine.setWorkMode(m_state, 1);
        return ack();
    case CMD_ERROR:
        return frame(MSG_TYPE_ERRORS, m_state.m_faults);
    case CMD_DIAG: {
        const auto rec = m_engine.diagRecord(m_state);
        return frame(MSG_TYPE_DIAG, rec);
    }
    case CMD_SETUP_V1: {
        std::array<std::uint8_t, SETTINGS_SIZE> rec{};
        std::copy_n(m_state.m_settings.begin(), 20, rec.begin());
        return frame(MSG_TYPE_SETUP_V1, rec);
    }
    case CMD_SETUP:
        return frame(MSG_TYPE_SETUP, m_state.m_settings);
    case CMD_CLEAR_ERRORS:
        m_state.m_faults.fill(0);
        return ack();
    case CMD_EEPROM: {
        std::array<std::uint8_t, 2 + EEPROM_BLOCK> rec{};
        putBe16(rec.data(), param);
        for (std::size_t i = 0; i < EEPROM_BLOCK; ++i)
            rec[2 + i] = m_state.m_eeprom[(param + i) % m_state.m_eeprom.size()];
        return frame(MSG_TYPE_EEPROM, rec);
    }
    case CMD_SETUP_TABLE:
        return frame(MSG_TYPE_TABLE, m_state.m_table);
    case CMD_VERSION: {
        std::array<std::uint8_t, VERSION_SIZE> rec{};
        putBe16(&rec[0], m_state.m_prodDate);
        putBe16(&rec[2], m_state.m_versionWord);
        rec[4] = m_state.m_injCount;
        const auto serial = m_cipher.encipherText(m_state.m_serial);
        std::copy(serial.begin(), serial.end(), rec.begin() + 6);
        return frame(MSG_TYPE_VERSION, rec);
    }
    case CMD_FUEL_SENSOR:
        return frame(MSG_TYPE_FUEL_SENSOR, m_state.m_fuelSensor);
    case CMD_FLAGS: {
        std::array<std::uint8_t, 12> rec{};
        putBe32(&rec[0], m_state.m_flags1);
        putBe32(&rec[4], m_state.m_flags2);
        putBe32(&rec[8], m_state.m_clock);
        return frame(MSG_TYPE_FLAGS, rec);
    }
    case CMD_STATISTIC: {
        std::array<std::uint8_t, 8> rec{};
        putBe32(&rec[0], m_state.m_gasHalfSeconds);
        putBe32(&rec[4], m_state.m_lpgHalfSeconds);
        return frame(MSG_TYPE_STATISTIC, rec);
    }
    case CMD_MOUNT_DATA:
        return frame(MSG_TYPE_MOUNT_DATA, m_state.m_mountData);
    case CMD_SET_INJ_MASK:
        // Bits for injectors the controller does not have are dropped.
        m_state.m_injMask = static_cast<std::uint8_t>(param & m_state.maskLimit());
        return ack();
    case CMD_GET_INJ_MASK:
        return ack(m_state.m_injMask);
    case CMD_TEST:
        return ack(TEST_ANSWER);
    default:
        break;
    }
    return refuse(STATUS_UNKNOWN_COMMAND);
}
