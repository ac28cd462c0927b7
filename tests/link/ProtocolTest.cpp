#include <cerrno>
#include <cstring>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>

#include "link/CSerialPort.h"
#include "link/Protocol.h"

namespace {

struct SLayout {
    std::uint8_t type;
    std::vector<std::size_t> words;
    std::vector<std::size_t> longs;
};

// Which payload bytes form big-endian fields, per frame type.
const std::vector<SLayout> kLayouts = {
    {MSG_TYPE_SETUP_V1, {0}, {}},
    {MSG_TYPE_COMMAND, {2, 4}, {}},
    {MSG_TYPE_EEPROM, {0}, {}},
    {MSG_TYPE_ERRORS, {}, {}},
    {MSG_TYPE_TABLE, {}, {}},
    {MSG_TYPE_VERSION, {0, 2}, {}},
    {MSG_TYPE_FUEL_SENSOR, {}, {}},
    {MSG_TYPE_FLAGS, {}, {0, 4, 8}},
    {MSG_TYPE_MOUNT_DATA, {0}, {}},
    {MSG_TYPE_STATISTIC, {}, {0, 4}},
    {MSG_TYPE_SETUP, {0}, {}},
    {0, {}, {}},
    {13, {}, {}},
    {255, {}, {}},
};

} // namespace

TEST(WireOrder, EachTypeSwapsExactlyItsFieldsBothWays)
{
    for (const auto& layout : kLayouts) {
        SCOPED_TRACE(int(layout.type));
        std::vector<std::uint8_t> wire(kExchangeBufferSize);
        std::iota(wire.begin(), wire.end(), std::uint8_t{1});
        auto host = wire;
        fromWire(host.data(), layout.type);

        std::vector<bool> touched(wire.size());
        for (auto o : layout.words) {
            EXPECT_EQ(payloadWord(&host[o]), (wire[o] << 8) | wire[o + 1]);
            touched[o] = touched[o + 1] = true;
        }
        for (auto o : layout.longs) {
            EXPECT_EQ(payloadDword(&host[o]), (std::uint32_t{wire[o]} << 24) |
                                                  (std::uint32_t{wire[o + 1]} << 16) |
                                                  (std::uint32_t{wire[o + 2]} << 8) | wire[o + 3]);
            for (int i = 0; i < 4; ++i)
                touched[o + i] = true;
        }
        for (std::size_t i = 0; i < wire.size(); ++i) {
            if (!touched[i]) {
                EXPECT_EQ(host[i], wire[i]) << "byte " << i;
            }
        }

        toWire(host.data(), layout.type);
        EXPECT_EQ(host, wire);
    }
}

TEST(WireOrder, FlagsWordsReadAsNumbers)
{
    // flags1 0x1F, flags2 0, clock 40000 = 0x9C40
    std::uint8_t p[kExchangeBufferSize] = {0, 0, 0, 0x1F, 0, 0, 0, 0, 0, 0, 0x9C, 0x40};
    fromWire(p, MSG_TYPE_FLAGS, 12);
    EXPECT_EQ(payloadDword(p), 31u);
    EXPECT_EQ(payloadDword(p + 4), 0u);
    EXPECT_EQ(payloadDword(p + 8), 40000u);
}

TEST(WireOrder, DiagnosticRecordIsConvertedOnlyOnArrival)
{
    std::vector<std::uint8_t> wire(kExchangeBufferSize);
    std::iota(wire.begin(), wire.end(), std::uint8_t{0});

    auto sent = wire;
    toWire(sent.data(), MSG_TYPE_DIAG);
    EXPECT_EQ(sent, wire); // the PC never sends a record

    auto got = wire;
    fromWire(got.data(), MSG_TYPE_DIAG, 76);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(got[i], wire[i]) << "byte " << i; // single-byte fields
    EXPECT_EQ(payloadWord(&got[10]), 0x0A0B);       // the engine-period word
    for (std::size_t o = 12; o <= 74; o += 2)
        EXPECT_EQ(payloadWord(&got[o]), (wire[o] << 8) | wire[o + 1]) << "word at " << o;
    for (std::size_t i = 76; i < wire.size(); ++i)
        ASSERT_EQ(got[i], wire[i]) << "byte " << i;
}

TEST(WireOrder, ShortPayloadLeavesBytesBeyondItsLengthAlone)
{
    // A 5-byte type-3 payload followed by its checksum 00 13: the status word
    // at 4 would straddle the checksum and must not be swapped.
    std::uint8_t p[kExchangeBufferSize] = {4, 0, 0x12, 0x34, 0x00, 0x00, 0x13};
    fromWire(p, MSG_TYPE_COMMAND, 5);
    EXPECT_EQ(payloadWord(p + 2), 0x1234);
    EXPECT_EQ(p[4], 0x00);
    EXPECT_EQ(p[5], 0x00);
    EXPECT_EQ(p[6], 0x13);

    std::uint8_t flags[kExchangeBufferSize] = {0, 0, 0, 7, 1, 2, 3};
    fromWire(flags, MSG_TYPE_FLAGS, 6);
    EXPECT_EQ(payloadDword(flags), 7u);
    EXPECT_EQ(flags[4], 1);
    EXPECT_EQ(flags[5], 2);
}

TEST(FrameSum, WrapsAtSixteenBits)
{
    std::vector<std::uint8_t> bytes(300, 0xFF);
    EXPECT_EQ(frameSum(bytes.data(), bytes.size()), (300 * 255) % 65536);
    EXPECT_EQ(frameSum(bytes.data(), 0), 0);
    const std::uint8_t version[] = {13, 0, 0, 0, 0, 0};
    EXPECT_EQ(6 + 3 + frameSum(version, 6), 0x16);
}

TEST(TraceNames, KnowOnlyTheTracedCodes)
{
    const std::vector<std::pair<int, const char*>> types = {
        {1, "MSG_TYPE_DIAG"},   {3, "MSG_TYPE_COMMAND"}, {4, "MSG_TYPE_EEPROM"},
        {5, "MSG_TYPE_ERRORS"}, {6, "MSG_TYPE_TABLE"},   {12, "MSG_TYPE_SETUP"},
    };
    for (int t = 0; t < 256; ++t) {
        const char* want = "ERROR_UNKNOWN_FRAME";
        for (const auto& [code, name] : types) {
            if (code == t)
                want = name;
        }
        EXPECT_STREQ(typeName(static_cast<std::uint8_t>(t)), want) << t;
    }

    const std::vector<std::pair<int, const char*>> commands = {
        {1, "CMD_WORK_LPG"},     {2, "CMD_WORK_GAS"}, {3, "CMD_WORK_AUTO"},     {4, "CMD_DONE"},
        {5, "CMD_ERROR"},        {6, "CMD_DIAG"},     {10, "CMD_CLEAR_ERRORS"}, {11, "CMD_EEPROM"},
        {12, "CMD_SETUP_TABLE"}, {21, "CMD_SETUP"},   {202, "CMD_TEST"},
    };
    for (int c = 0; c < 256; ++c) {
        const char* want = "ERROR_UNKNOWN_CMD";
        for (const auto& [code, name] : commands) {
            if (code == c)
                want = name;
        }
        EXPECT_STREQ(commandName(static_cast<std::uint8_t>(c)), want) << c;
    }
}

TEST(LineSettings, ControllerLineIs14400EightNoneOneWithoutFlowControl)
{
    const SDcb d = CSerialPort::lineSettings();
    EXPECT_EQ(d.baudRate, 14400u);
    EXPECT_EQ(d.byteSize, 8);
    EXPECT_EQ(d.parity, EParity::None);
    EXPECT_EQ(d.stopBits, EStopBits::One);
    // binary mode, continue after XOFF, abort on error
    EXPECT_EQ(dcbControlFlags(d), 0x4081u);
    EXPECT_EQ(d.xonLimit, 2048);
    EXPECT_EQ(d.xoffLimit, 512);
    EXPECT_EQ(d.xonChar, 0x11);
    EXPECT_EQ(d.xoffChar, 0x13);
    EXPECT_EQ(d.errorChar | d.eofChar | d.evtChar, 0);

    const STimeouts t = CSerialPort::lineTimeouts();
    EXPECT_EQ(t.readInterval, 0u);
    EXPECT_EQ(t.readTotalMultiplier, 1u);
    EXPECT_EQ(t.readTotalConstant, 700u);
    EXPECT_GT(t.writeTotalConstant, 0u);

    // A test's shorter read time-out changes nothing else on the line.
    STimeouts shortened = CSerialPort::lineTimeouts(40);
    EXPECT_EQ(shortened.readTotalConstant, 40u);
    shortened.readTotalConstant = 700;
    EXPECT_EQ(shortened, t);
}

TEST(PortHint, TellsTheUserWhatToDo)
{
    EXPECT_NE(portHint(EACCES).find("dialout"), std::string::npos);
    EXPECT_EQ(portHint(EPERM), portHint(EACCES));
    EXPECT_NE(portHint(EBUSY).find("another program"), std::string::npos);
    for (int err : {ENOENT, ENODEV, ENXIO})
        EXPECT_NE(portHint(err).find("plugged in"), std::string::npos) << err;
    EXPECT_EQ(portHint(0), "");
}
