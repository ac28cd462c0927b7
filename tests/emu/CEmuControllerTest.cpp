#include <algorithm>

#include <gtest/gtest.h>

#include "CEmuController.h"
#include "EmuTestFrames.h"

namespace {

std::vector<std::uint8_t> reply(CEmuController& c, const std::vector<std::uint8_t>& req)
{
    auto r = c.feed(req, 1000);
    return r.size() == 1 ? r[0].m_bytes : std::vector<std::uint8_t>{};
}

} // namespace

TEST(EmuController, VersionRequestGetsByteExactIdentity)
{
    CEmuController c;
    // AA 55 06 03 0D 00 00 00 00 00 00 16: checksum 6 + 3 + 13 = 0x16.
    const std::vector<std::uint8_t> req{0xAA, 0x55, 0x06, 0x03, 0x0D, 0, 0, 0, 0, 0, 0, 0x16};
    // Date code 780 = 0x030C, version 0x0102, 4 injectors, the enciphered
    // "si001"; checksum 0x16 + 0x07 + payload bytes = 0x0762.
    const std::vector<std::uint8_t> want{0xAA, 0x55, 0x16, 0x07, 0x03, 0x0C, 0x01, 0x02, 0x04, 0x00,
                                         0x12, 0x86, 0x02, 0x30, 0x7D, 0xEC, 0xA0, 0x13, 0x55, 0xAD,
                                         0x63, 0xCB, 0xF3, 0xE9, 0x39, 0x04, 0x07, 0x62};
    EXPECT_EQ(reply(c, req), want);
}

TEST(EmuController, SmallRepliesAreByteExact)
{
    CEmuController c;
    // Link test: CMD_DONE with 0x0055; 6 + 3 + 4 + 0x55 = 0x62.
    EXPECT_EQ(reply(c, commandFrame(202)),
              (std::vector<std::uint8_t>{0xAA, 0x55, 6, 3, 4, 0, 0, 0x55, 0, 0, 0, 0x62}));
    c.state().m_flags1 = 0x1F;
    c.state().m_flags2 = 2;
    // Flags: three big-endian words; 12 + 9 + 0x1F + 2 + 0x9C + 0x40 = 0x0106.
    EXPECT_EQ(reply(c, commandFrame(16)),
              (std::vector<std::uint8_t>{0xAA, 0x55, 12, 9, 0, 0, 0, 0x1F, 0, 0, 0, 2, 0, 0, 0x9C,
                                         0x40, 0x01, 0x12}));
    c.state().m_faults = {0, 0, 1, 0x81};
    EXPECT_EQ(reply(c, commandFrame(5)),
              (std::vector<std::uint8_t>{0xAA, 0x55, 4, 5, 0, 0, 1, 0x81, 0x00, 0x8B}));
    c.state().m_gasHalfSeconds = 0x01020304;
    c.state().m_lpgHalfSeconds = 7;
    auto stat = parseReply(reply(c, commandFrame(17)));
    ASSERT_TRUE(stat);
    EXPECT_EQ(stat->m_type, 11);
    EXPECT_EQ(stat->m_payload, (std::vector<std::uint8_t>{1, 2, 3, 4, 0, 0, 0, 7}));
}

TEST(EmuController, EveryCommandGetsItsReplyType)
{
    CEmuController c;
    const std::pair<std::uint8_t, std::uint8_t> table[] = {
        {1, 3},  {2, 3},  {3, 3},  {5, 5},   {6, 1},   {8, 2},  {10, 3}, {11, 4},  {12, 6},
        {13, 7}, {14, 8}, {16, 9}, {17, 11}, {18, 10}, {19, 3}, {20, 3}, {21, 12}, {202, 3}};
    const std::size_t lengths[256] = {0, 76, 22, 6, 18, 4, 20, 22, 6, 12, 38, 8, 22};
    for (auto [cmd, type] : table) {
        auto r = exchange(c, commandFrame(cmd), 1000);
        ASSERT_TRUE(r) << int(cmd);
        EXPECT_EQ(r->m_type, type) << int(cmd);
        EXPECT_EQ(r->m_payload.size(), lengths[type]) << int(cmd);
        if (type == 3) {
            EXPECT_EQ(r->m_payload[0], 4) << int(cmd);
            EXPECT_EQ(r->word(4), 0) << int(cmd);
        }
        EXPECT_EQ(c.counters().m_commands[cmd], 1u);
    }
    // Every other code is refused as unknown, whatever its neighbours are.
    for (unsigned code = 0; code < 256; ++code) {
        if (std::any_of(std::begin(table), std::end(table),
                        [&](const auto& known) { return known.first == code; }))
            continue;
        auto r = exchange(c, commandFrame(static_cast<std::uint8_t>(code)), 1000);
        ASSERT_TRUE(r) << code;
        EXPECT_EQ(r->m_type, 3) << code;
        EXPECT_EQ(r->m_payload[0], 0) << code;
        EXPECT_EQ(r->word(4), 0x0001) << code;
    }
    EXPECT_EQ(c.counters().m_unknownCommand, 256u - std::size(table));
}

TEST(EmuController, MalformedRequestsGetTheRightStatusBits)
{
    CEmuController c;
    auto status = [&](const std::vector<std::uint8_t>& req) -> int {
        auto r = exchange(c, req, 1000);
        if (!r || r->m_type != 3)
            return -1;
        EXPECT_NE(r->m_payload[0], 4); // a refusal is no acknowledgement
        return static_cast<int>(r->word(4));
    };
    EXPECT_EQ(status(commandFrame(7)), 0x0001);
    EXPECT_EQ(status(commandFrame(4)), 0x0001);
    EXPECT_EQ(status(requestFrame(3, {})), 0x0001);
    EXPECT_EQ(status(requestFrame(1, {6, 0, 0, 0, 0, 0})), 0x0002);
    EXPECT_EQ(status(requestFrame(0x42, {})), 0x0002);
    // A settings record one byte short is not a settings record.
    EXPECT_EQ(status(requestFrame(12, std::vector<std::uint8_t>(21, 0))), 0x0002);
    auto bad = commandFrame(13);
    bad.back() ^= 1;
    EXPECT_EQ(status(bad), 0x0008);
    EXPECT_EQ(c.counters().m_badChecksum, 1u);

    // A controller on the basic record knows neither the extended command nor
    // the extended frame.
    c.state().m_flags1 = 0;
    EXPECT_EQ(status(commandFrame(21)), 0x0001);
    EXPECT_EQ(status(requestFrame(12, std::vector<std::uint8_t>(22, 0))), 0x0002);

    // Stored faults ride on acknowledgements, and on refusals too.
    c.state().m_faults = {0, 0, 1, 0};
    auto ack = exchange(c, commandFrame(202), 1000);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->m_payload[0], 4);
    EXPECT_EQ(ack->word(4), 0x0010);
    EXPECT_EQ(status(commandFrame(7)), 0x0011);
    ASSERT_TRUE(exchange(c, commandFrame(10), 1000));
    EXPECT_EQ(c.state().m_faults, (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(exchange(c, commandFrame(202), 1000)->word(4), 0);
}

TEST(EmuController, NoiseBeforeTheHeaderIsSkipped)
{
    CEmuController c;
    std::vector<std::uint8_t> bytes{0x00, 0xAA, 0x13, 0x55, 0xAA};
    auto req = commandFrame(202);
    bytes.insert(bytes.end(), req.begin(), req.end());
    auto replies = c.feed(bytes, 1000);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(parseReply(replies[0].m_bytes)->word(2), 0x55);
    EXPECT_EQ(c.counters().m_skippedBytes, 5u);

    // Half a frame followed by a pause is abandoned, so the next request is
    // read from its own header.
    auto half = commandFrame(13);
    half.resize(7);
    EXPECT_TRUE(c.feed(half, 2000).empty());
    auto after = c.feed(commandFrame(202), 2000 + 500000);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(parseReply(after[0].m_bytes)->word(2), 0x55);
    EXPECT_EQ(c.counters().m_abandonedFrames, 1u);
}

TEST(EmuController, WrittenRecordsAreStoredByteForByteAndReadBack)
{
    CEmuController c;
    std::vector<std::uint8_t> settings(22);
    for (int i = 0; i < 22; ++i)
        settings[i] = static_cast<std::uint8_t>(200 - i);
    std::vector<std::uint8_t> table(20);
    for (int i = 0; i < 20; ++i)
        table[i] = static_cast<std::uint8_t>(90 + i);
    std::vector<std::uint8_t> mount(38, 0);
    mount[0] = 0x02;
    mount[1] = 0x9A;
    std::copy_n("Warsztat", 8, mount.begin() + 2);
    const std::vector<std::uint8_t> fuel{152, 149, 143, 136, 1, 0};
    std::vector<std::uint8_t> block{0x0F, 0xF8};
    for (int i = 0; i < 16; ++i)
        block.push_back(static_cast<std::uint8_t>(i * 3));

    struct SCase {
        std::uint8_t writeType;
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> readRequest;
        std::uint8_t readType;
    };
    const SCase cases[] = {
        {12, settings, commandFrame(21), 12},    {6, table, commandFrame(12), 6},
        {10, mount, commandFrame(18), 10},       {8, fuel, commandFrame(14), 8},
        {4, block, commandFrame(11, 0x0FF8), 4},
    };
    for (const auto& k : cases) {
        auto ack = exchange(c, requestFrame(k.writeType, k.data), 1000);
        ASSERT_TRUE(ack) << int(k.writeType);
        EXPECT_EQ(ack->m_payload[0], 4);
        auto back = exchange(c, k.readRequest, 1000);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->m_type, k.readType);
        EXPECT_EQ(back->m_payload, k.data) << int(k.writeType);
    }
    EXPECT_TRUE(std::equal(settings.begin(), settings.end(), c.state().m_settings.begin()));
    // The neighbouring block is untouched.
    auto next = exchange(c, commandFrame(11, 0x1008), 1000);
    EXPECT_EQ(next->m_payload[2], 0xFF);

    // The basic record leaves the second correction alone and reads back
    // with two zero bytes.
    std::vector<std::uint8_t> basic(22, 7);
    ASSERT_TRUE(exchange(c, requestFrame(2, basic), 1000));
    EXPECT_EQ(c.state().m_settings[20], settings[20]);
    auto v1 = exchange(c, commandFrame(8), 1000);
    EXPECT_EQ(v1->m_type, 2);
    EXPECT_EQ(v1->m_payload[19], 7);
    EXPECT_EQ(v1->m_payload[20], 0);
    EXPECT_EQ(v1->m_payload[21], 0);
}

TEST(EmuController, InjectorMaskIsLimitedToTheInjectorCount)
{
    CEmuController c;
    EXPECT_EQ(exchange(c, commandFrame(20), 1000)->word(2), 0x0F);
    ASSERT_TRUE(exchange(c, commandFrame(19, 0xF5), 1000));
    EXPECT_EQ(c.state().m_injMask, 0x05);
    EXPECT_EQ(exchange(c, commandFrame(20), 1000)->word(2), 0x05);
    c.state().m_injCount = 6;
    ASSERT_TRUE(exchange(c, commandFrame(19, 0xFF), 1000));
    EXPECT_EQ(exchange(c, commandFrame(20), 1000)->word(2), 0x3F);
}

TEST(EmuController, IgnoredCommandsGetNoReplyButAreCounted)
{
    CEmuController c;
    c.ignoreAllButTest();
    EXPECT_TRUE(c.feed(commandFrame(13), 1000)[0].m_bytes.empty());
    EXPECT_TRUE(
        c.feed(requestFrame(6, std::vector<std::uint8_t>(20, 100)), 1000)[0].m_bytes.empty());
    EXPECT_TRUE(exchange(c, commandFrame(202), 1000));
    EXPECT_EQ(c.counters().m_ignored, 2u);
    EXPECT_EQ(c.counters().m_commands[13], 1u);
    c.clearIgnores();
    c.ignoreCommand(6);
    EXPECT_TRUE(c.feed(commandFrame(6), 1000)[0].m_bytes.empty());
    EXPECT_TRUE(exchange(c, commandFrame(13), 1000));
}
