#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/Protocol.h"
#include "link/ReplyCheck.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SReplyCase {
    const char* name;
    EReplyCheck expected;
    bool judgeStatus;
    Bytes frame; // as received: header, payload, checksum
};

void PrintTo(const SReplyCase& c, std::ostream* os)
{
    *os << c.name;
}

// A command acknowledgement: CMD_DONE, 0, result 0x0055, the status word, then
// the checksum as sent. The right one is 6 + 3 + 4 + 0x55 = 0x62 plus the
// status bytes.
Bytes ack(std::uint16_t status, std::uint16_t checksum)
{
    Bytes frame = {0xAA, 0x55, 6, 3, 4, 0, 0, 0x55};
    for (const std::uint16_t word : {status, checksum}) {
        frame.push_back(static_cast<std::uint8_t>(word >> 8));
        frame.push_back(static_cast<std::uint8_t>(word));
    }
    return frame;
}

const SReplyCase kCases[] = {
    {"StatusClearIsAccepted", EReplyCheck::Ok, true, ack(0x0000, 0x0062)},
    {"HeldFaultCodesAreNoRefusal", EReplyCheck::Ok, true, ack(0x0010, 0x0072)},
    {"HeldFaultsWithAnotherBitRefuse", EReplyCheck::Refused, true, ack(0x0011, 0x0073)},
    {"UnknownCommandRefuses", EReplyCheck::Refused, true, ack(0x0001, 0x0063)},
    {"ChecksumStatusRefuses", EReplyCheck::Refused, true, ack(0x0008, 0x006A)},
    {"HighByteBitRefuses", EReplyCheck::Refused, true, ack(0x0110, 0x0073)},
    {"TopBitRefuses", EReplyCheck::Refused, true, ack(0x8000, 0x00E2)},
    {"UnjudgedStatusIsAccepted", EReplyCheck::Ok, false, ack(0x0001, 0x0063)},
    // 5 + 3 + 4 + 0x55 + 1 = 0x62: the word at 4 would straddle the checksum.
    {"ShortReplyRefusesNothing",
     EReplyCheck::Ok,
     true,
     {0xAA, 0x55, 5, 3, 4, 0, 0, 0x55, 0x01, 0x00, 0x62}},
    // A version reply whose bytes 4 and 5 read 0x0001: 6 + 7 + 1 + 2 + 0x9C + 0x40 + 1 = 0xED
    {"OnlyCommandRepliesHaveAStatus",
     EReplyCheck::Ok,
     true,
     {0xAA, 0x55, 6, 7, 0x01, 0x02, 0x9C, 0x40, 0x00, 0x01, 0x00, 0xED}},
    {"EmptyPayloadSumsToItsType", EReplyCheck::Ok, true, {0xAA, 0x55, 0, 7, 0x00, 0x07}},
    // The exchange reads exactly LEN + 2; whatever lies behind is not the reply's.
    {"BytesBehindTheChecksumAreIgnored",
     EReplyCheck::Ok,
     true,
     {0xAA, 0x55, 0, 7, 0x00, 0x07, 0xAA, 0x55}},
    {"FirstHeaderByteWrong", EReplyCheck::BadHeader, true, {0xAB, 0x55, 0, 7, 0x00, 0x07}},
    {"SecondHeaderByteWrong", EReplyCheck::BadHeader, true, {0xAA, 0x56, 0, 7, 0x00, 0x07}},
    {"HeaderBytesSwapped", EReplyCheck::BadHeader, true, {0x55, 0xAA, 0, 7, 0x00, 0x07}},
    // The exchange asks with the header alone whether to read on.
    {"BadHeaderAlone", EReplyCheck::BadHeader, true, {0xAA, 0x00, 6, 3}},
    {"HeaderAlone", EReplyCheck::Truncated, true, {0xAA, 0x55, 6, 3}},
    {"LastChecksumByteMissing",
     EReplyCheck::Truncated,
     true,
     {0xAA, 0x55, 6, 3, 4, 0, 0, 0x55, 0x00, 0x00, 0x00}},
    {"ChecksumBytesSwapped", EReplyCheck::BadChecksum, true, ack(0x0000, 0x6200)},
    {"ChecksumHighByteWrong", EReplyCheck::BadChecksum, true, ack(0x0000, 0x0162)},
    {"ChecksumWithoutTheType", EReplyCheck::BadChecksum, true, ack(0x0000, 0x005F)},
    {"ChecksumWithoutTheLength", EReplyCheck::BadChecksum, true, ack(0x0000, 0x005C)},
    // Nothing of a frame that fails its checksum is trusted, not even a refusal.
    {"RefusalWithBadChecksum", EReplyCheck::BadChecksum, true, ack(0x0001, 0x0062)},
};

class ReplyCheck : public testing::TestWithParam<SReplyCase> {};

INSTANTIATE_TEST_SUITE_P(Frames, ReplyCheck, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST_P(ReplyCheck, JudgesTheFrameAndWritesOnlyWhatPassedTheChecksum)
{
    const auto& c = GetParam();
    std::uint8_t header[kFrameHeaderSize];
    std::copy_n(c.frame.begin(), kFrameHeaderSize, header);
    const Bytes received(c.frame.begin() + kFrameHeaderSize, c.frame.end());
    Bytes body = received;
    std::uint8_t len = 0xEE;
    std::uint8_t type = 0xEE;

    EXPECT_EQ(checkReply(header, body, c.judgeStatus, len, type), c.expected);

    if (c.expected != EReplyCheck::Ok && c.expected != EReplyCheck::Refused) {
        EXPECT_EQ(len, 0xEE);
        EXPECT_EQ(type, 0xEE);
        EXPECT_EQ(body, received);
        return;
    }
    EXPECT_EQ(len, c.frame[2]);
    EXPECT_EQ(type, c.frame[3]);
    if (type == MSG_TYPE_COMMAND && len >= 6) {
        EXPECT_EQ(payloadWord(&body[2]), 0x0055);
        EXPECT_EQ(payloadWord(&body[4]), (received[4] << 8) | received[5]);
    }
    // The checksum and anything behind it stay as they arrived.
    EXPECT_TRUE(std::equal(body.begin() + len, body.end(), received.begin() + len));
}
