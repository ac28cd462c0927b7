// The virtual controller's link side: takes the bytes the host sends, with
// their arrival time, and gives the reply frames a real controller would,
// after any configured faults. No I/O: the server or a test moves the bytes.
// Thread safety: none; CEmuServer serialises access with its own lock.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CEmuCipher.h"
#include "CEmuEngine.h"
#include "CEmuFaults.h"
#include "SEmuState.h"

struct SEmuCounters {
    // Complete, well-formed requests: command frames by command code, data
    // frames by frame type.
    std::array<std::uint64_t, 256> m_commands{};
    std::array<std::uint64_t, 256> m_frames{};
    std::uint64_t m_requests = 0;
    std::uint64_t m_replies = 0; // replies produced, faulted or not
    std::uint64_t m_intactReplies = 0;
    std::uint64_t m_badChecksum = 0;
    std::uint64_t m_unknownType = 0;
    std::uint64_t m_unknownCommand = 0;
    std::uint64_t m_ignored = 0;
    std::uint64_t m_silenced = 0;
    std::uint64_t m_skippedBytes = 0;    // noise before a header
    std::uint64_t m_abandonedFrames = 0; // partial frames dropped after a pause
    std::uint64_t m_wrongBaud = 0;
    std::array<std::uint64_t, kEmuFaultKinds> m_faults{};
};

// What the controller does about one complete request.
struct SEmuReply {
    std::uint8_t m_requestType = 0;
    std::uint8_t m_command = 0; // command code of a type-3 request, else 0
    std::uint8_t m_replyType = 0;
    std::vector<std::uint8_t> m_bytes; // the whole frame as it goes out; empty: no reply
    // The frame as the controller built it, before any fault touched it.
    std::vector<std::uint8_t> m_produced;
    SEmuFaultOutcome m_outcome;
    bool m_ignored = false;
    bool m_silenced = false;

    bool intact() const { return !m_bytes.empty() && m_outcome.m_faults == 0; }
    bool isDiag() const { return m_replyType == 1; }
};

class CEmuController {
public:
    CEmuController();

    // Feeds one byte received at `nowUs` (monotonic microseconds); returns the
    // controller's answer when the byte completed a frame.
    std::optional<SEmuReply> feed(std::uint8_t byte, std::int64_t nowUs);
    // Convenience for tests: every answer the bytes bring.
    std::vector<SEmuReply> feed(std::span<const std::uint8_t> bytes, std::int64_t nowUs);

    SEmuState& state() { return m_state; }
    const SEmuState& state() const { return m_state; }
    CEmuEngine& engine() { return m_engine; }
    SEmuCounters& counters() { return m_counters; }
    const SEmuCounters& counters() const { return m_counters; }

    void setFaults(const SEmuFaultConfig& cfg) { m_faults.configure(cfg); }
    const SEmuFaultConfig& faults() const { return m_faults.config(); }
    // Requests left unanswered: command codes of type-3 frames, and frame
    // types of data frames.
    void ignoreCommand(std::uint8_t code, bool on = true) { m_ignoreCommand[code] = on; }
    void ignoreFrameType(std::uint8_t type, bool on = true) { m_ignoreType[type] = on; }
    // Everything but the link test: a controller that answers CMD_TEST only.
    void ignoreAllButTest();
    void clearIgnores();
    bool ignoresCommand(std::uint8_t code) const { return m_ignoreCommand[code]; }

    // Seeds the engine model's jitter and noise.
    void seedEngine(std::uint32_t seed) { m_engine.reseed(seed); }
    // A partial frame older than this is abandoned, as a controller's receive
    // time-out would.
    void setInterByteTimeoutUs(std::int64_t us) { m_interByteUs = us; }

    // Builds a whole frame around a payload.
    static std::vector<std::uint8_t> frame(std::uint8_t type,
                                           std::span<const std::uint8_t> payload);

    // The requests this controller knows, one entry each, so that a new one
    // is one entry. Names are lower case, as --ignore takes them.
    struct SCommand {
        std::uint8_t m_code;
        std::string_view m_name;
        bool m_extendedOnly; // unknown while flags1 selects the basic record
        std::vector<std::uint8_t> (*m_reply)(CEmuController& c, unsigned param);
    };
    // A record the host writes in a frame of its own type.
    struct SDataFrame {
        std::uint8_t m_type;
        std::string_view m_name;
        bool m_extendedOnly;
        std::size_t m_size;
        void (*m_store)(SEmuState& s, std::span<const std::uint8_t> payload);
    };
    static std::span<const SCommand> commands();
    static std::span<const SDataFrame> dataFrames();

private:
    enum class EParse { Header0, Header1, Length, Type, Payload, Sum0, Sum1 };

    SEmuReply handle(std::int64_t nowUs);
    std::vector<std::uint8_t> dispatch(bool& ignore);
    std::vector<std::uint8_t> ack(std::uint16_t result = 0, std::uint16_t status = 0,
                                  std::uint8_t code = 4) const;
    std::vector<std::uint8_t> refuse(std::uint16_t status) const { return ack(0, status, 0); }
    std::vector<std::uint8_t> command(std::uint8_t code, unsigned param, bool& ignore);

    SEmuState m_state;
    CEmuEngine m_engine;
    CEmuFaults m_faults;
    CEmuCipher m_cipher;
    SEmuCounters m_counters;
    std::array<bool, 256> m_ignoreCommand{};
    std::array<bool, 256> m_ignoreType{};

    EParse m_parse = EParse::Header0;
    std::uint8_t m_len = 0;
    std::uint8_t m_type = 0;
    std::vector<std::uint8_t> m_payload;
    unsigned m_sum = 0;
    std::int64_t m_lastByteUs = 0;
    std::int64_t m_interByteUs = 100000;
    std::int64_t m_silentUntilUs = 0;
};
