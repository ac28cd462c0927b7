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
        bytes = dispatch(ignore);
    }
    if (ignore) {
        r.m_ignored = true;
        ++m_counters.m_ignored;
        return r;
    }
    r.m_replyType = bytes[3];
    ++m_counters.m_replies;
    r.m_produced = bytes;
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

std::span<const CEmuController::SCommand> CEmuController::commands()
{
    using C = CEmuController;
    static const SCommand table[] = {
        {CMD_WORK_LPG, "work_lpg", false,
         [](C& c, unsigned) {
             c.m_engine.setWorkMode(c.m_state, 3);
             return c.ack();
         }},
        {CMD_WORK_GAS, "work_gas", false,
         [](C& c, unsigned) {
             c.m_engine.setWorkMode(c.m_state, 2);
             return c.ack();
         }},
        {CMD_WORK_AUTO, "work_auto", false,
         [](C& c, unsigned) {
             c.m_engine.setWorkMode(c.m_state, 1);
             return c.ack();
         }},
        {CMD_ERROR, "error", false,
         [](C& c, unsigned) { return frame(MSG_TYPE_ERRORS, c.m_state.m_faults); }},
        {CMD_DIAG, "diag", false,
         [](C& c, unsigned) { return frame(MSG_TYPE_DIAG, c.m_engine.diagRecord(c.m_state)); }},
        {CMD_SETUP_V1, "setup_v1", false,
         [](C& c, unsigned) {
             std::array<std::uint8_t, SETTINGS_SIZE> rec{};
             std::copy_n(c.m_state.m_settings.begin(), 20, rec.begin());
             return frame(MSG_TYPE_SETUP_V1, rec);
         }},
        {CMD_CLEAR_ERRORS, "clear_errors", false,
         [](C& c, unsigned) {
             c.m_state.m_faults.fill(0);
             return c.ack();
         }},
        {CMD_EEPROM, "eeprom", false,
         [](C& c, unsigned param) {
             std::array<std::uint8_t, 2 + EEPROM_BLOCK> rec{};
             putBe16(rec.data(), param);
             for (std::size_t i = 0; i < EEPROM_BLOCK; ++i)
                 rec[2 + i] = c.m_state.m_eeprom[(param + i) % c.m_state.m_eeprom.size()];
             return frame(MSG_TYPE_EEPROM, rec);
         }},
        {CMD_SETUP_TABLE, "setup_table", false,
         [](C& c, unsigned) { return frame(MSG_TYPE_TABLE, c.m_state.m_table); }},
        {CMD_VERSION, "version", false,
         [](C& c, unsigned) {
             std::array<std::uint8_t, VERSION_SIZE> rec{};
             putBe16(&rec[0], c.m_state.m_prodDate);
             putBe16(&rec[2], c.m_state.m_versionWord);
             rec[4] = c.m_state.m_injCount;
             const auto serial = c.m_cipher.encipherText(c.m_state.m_serial);
             std::copy(serial.begin(), serial.end(), rec.begin() + 6);
             return frame(MSG_TYPE_VERSION, rec);
         }},
        {CMD_FUEL_SENSOR, "fuel_sensor", false,
         [](C& c, unsigned) { return frame(MSG_TYPE_FUEL_SENSOR, c.m_state.m_fuelSensor); }},
        {CMD_FLAGS, "flags", false,
         [](C& c, unsigned) {
             std::array<std::uint8_t, 12> rec{};
             putBe32(&rec[0], c.m_state.m_flags1);
             putBe32(&rec[4], c.m_state.m_flags2);
             putBe32(&rec[8], c.m_state.m_clock);
             return frame(MSG_TYPE_FLAGS, rec);
         }},
        {CMD_STATISTIC, "statistic", false,
         [](C& c, unsigned) {
             std::array<std::uint8_t, 8> rec{};
             putBe32(&rec[0], c.m_state.m_gasHalfSeconds);
             putBe32(&rec[4], c.m_state.m_lpgHalfSeconds);
             return frame(MSG_TYPE_STATISTIC, rec);
         }},
        {CMD_MOUNT_DATA, "mount_data", false,
         [](C& c, unsigned) { return frame(MSG_TYPE_MOUNT_DATA, c.m_state.m_mountData); }},
        {CMD_SET_INJ_MASK, "set_inj_mask", false,
         [](C& c, unsigned param) {
             // Bits for injectors the controller does not have are dropped.
             c.m_state.m_injMask = static_cast<std::uint8_t>(param & c.m_state.maskLimit());
             return c.ack();
         }},
        {CMD_GET_INJ_MASK, "get_inj_mask", false,
         [](C& c, unsigned) { return c.ack(c.m_state.m_injMask); }},
        {CMD_SETUP, "setup", true,
         [](C& c, unsigned) { return frame(MSG_TYPE_SETUP, c.m_state.m_settings); }},
        {CMD_TEST, "test", false, [](C& c, unsigned) { return c.ack(TEST_ANSWER); }},
    };
    return table;
}

std::span<const CEmuController::SDataFrame> CEmuController::dataFrames()
{
    using S = SEmuState;
    using P = std::span<const std::uint8_t>;
    static const SDataFrame table[] = {
        // The basic record has no second correction; what the extended one
        // stored there stays.
        {MSG_TYPE_SETUP_V1, "setup_v1", false, SETTINGS_SIZE,
         [](S& s, P p) { std::copy_n(p.begin(), 20, s.m_settings.begin()); }},
        {MSG_TYPE_EEPROM, "eeprom", false, 2 + EEPROM_BLOCK,
         [](S& s, P p) {
             const unsigned addr = getBe16(&p[0]);
             for (std::size_t i = 0; i < EEPROM_BLOCK; ++i)
                 s.m_eeprom[(addr + i) % s.m_eeprom.size()] = p[2 + i];
         }},
        {MSG_TYPE_TABLE, "table", false, TABLE_SIZE,
         [](S& s, P p) { std::copy_n(p.begin(), TABLE_SIZE, s.m_table.begin()); }},
        {MSG_TYPE_FUEL_SENSOR, "fuel_sensor", false, FUEL_SENSOR_SIZE,
         [](S& s, P p) { std::copy_n(p.begin(), FUEL_SENSOR_SIZE, s.m_fuelSensor.begin()); }},
        {MSG_TYPE_MOUNT_DATA, "mount_data", false, MOUNT_SIZE,
         [](S& s, P p) { std::copy_n(p.begin(), MOUNT_SIZE, s.m_mountData.begin()); }},
        {MSG_TYPE_SETUP, "setup", true, SETTINGS_SIZE,
         [](S& s, P p) { std::copy_n(p.begin(), SETTINGS_SIZE, s.m_settings.begin()); }},
    };
    return table;
}

std::vector<std::uint8_t> CEmuController::dispatch(bool& ignore)
{
    const std::span<const std::uint8_t> p(m_payload);
    if (m_type == MSG_TYPE_COMMAND) {
        if (p.empty()) {
            ++m_counters.m_unknownCommand;
            return refuse(STATUS_UNKNOWN_COMMAND);
        }
        const unsigned param = p.size() >= 4 ? getBe16(&p[2]) : 0;
        return command(p[0], param, ignore);
    }

    // Data frames: the host writes a record. The length must be the record's.
    const auto records = dataFrames();
    const auto rec = std::find_if(records.begin(), records.end(),
                                  [&](const SDataFrame& e) { return e.m_type == m_type; });
    if (rec == records.end() || (rec->m_extendedOnly && !m_state.extendedSettings())) {
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
    if (p.size() != rec->m_size && !basicShort) {
        ++m_counters.m_unknownType;
        return refuse(STATUS_UNKNOWN_TYPE);
    }
    rec->m_store(m_state, p);
    return ack();
}

std::vector<std::uint8_t> CEmuController::command(std::uint8_t code, unsigned param, bool& ignore)
{
    const auto known = commands();
    const auto cmd = std::find_if(known.begin(), known.end(),
                                  [&](const SCommand& e) { return e.m_code == code; });
    if (cmd == known.end() || (cmd->m_extendedOnly && !m_state.extendedSettings())) {
        ++m_counters.m_unknownCommand;
        return refuse(STATUS_UNKNOWN_COMMAND);
    }
    ++m_counters.m_commands[code];
    if (m_ignoreCommand[code]) {
        ignore = true;
        return {};
    }
    return cmd->m_reply(*this, param);
}
