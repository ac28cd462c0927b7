#include <algorithm>

#include <gtest/gtest.h>

#include "lang/Translation.h"
#include "link/CGasDevice.h"
#include "link/CPortList.h"
#include "support/DeviceEmuTest.h"
#include "support/ScriptedPeer.h"
#include "support/ShortLinkTiming.h"

namespace {

class DeviceRetry : public DeviceEmuTest {};

Bytes ack(std::uint16_t result = 0)
{
    return makeFrame(
        3, {4, 0, static_cast<std::uint8_t>(result >> 8), static_cast<std::uint8_t>(result), 0, 0});
}

} // namespace

TEST_F(DeviceRetry, ControllerAnsweringOnlyTheLinkTestCountsAsConnectedWithDefaults)
{
    emu().withController([](CEmuController& c) { c.ignoreAllButTest(); });
    CGasDevice dev(shell);
    dev.setTiming(kShortLinkTiming);
    ASSERT_TRUE(dev.tryPort(1));
    STimeouts applied;
    dev.serialPort().getTimeout(applied);
    EXPECT_EQ(applied, CSerialPort::lineTimeouts(kShortLinkTiming.readTimeoutMs));
    EXPECT_TRUE(dev.isConnected());
    EXPECT_TRUE(dev.linkTestOk());
    EXPECT_DOUBLE_EQ(dev.m_switchRPM, 1200);
    EXPECT_DOUBLE_EQ(dev.m_mainCorr, 1.0);
    EXPECT_EQ(dev.m_devInfo.m_serial, "");

    // Version and flags share one message, installation data, settings and
    // table another; every read that failed is reported.
    const auto errors = shell.errors();
    ASSERT_EQ(errors.size(), 5u);
    EXPECT_EQ(errors[0], "Nie powiodło się odczytanie wersji urządzenia!");
    EXPECT_EQ(errors[1], "Nie powiodło się odczytanie wersji urządzenia!");
    EXPECT_EQ(errors[2], "Nie powiodło się wczytanie ustawień urządzenia!");
    EXPECT_EQ(errors[4], "Nie powiodło się wczytanie ustawień urządzenia!");
    EXPECT_EQ(emu().counters().m_commands[CMD_VERSION], 10u);
}

// On the real line's time-outs: ten attempts end, and each waits no longer
// than the line allows.
TEST_F(DeviceRetry, CommandGivesUpAfterTenAttempts)
{
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    emu().ignoreCommand(CMD_ERROR);
    emu().ignoreCommand(CMD_WORK_LPG);
    SErrorRecord rec{};
    EXPECT_FALSE(dev.readErrors(rec));
    EXPECT_EQ(emu().counters().m_commands[CMD_ERROR], 10u);

    // Mode switches pause 500 ms before every attempt, on the shell's clock.
    shell.m_sleptMs = 0;
    EXPECT_FALSE(dev.workLpg());
    EXPECT_EQ(emu().counters().m_commands[CMD_WORK_LPG], 10u);
    EXPECT_EQ(shell.m_sleptMs.load(), 10u * 500u);
}

TEST(DeviceRetryPeer, PetrolNeverReportedEndsAfterFortyNinePolls)
{
    Bytes lpgRecord(76, 0); // outlives the peer's thread, which answers with it
    lpgRecord[0] = 2;
    lpgRecord[1] = 3; // still on LPG, whatever was asked
    ScriptedPeer peer;
    peer.serve([&](const Bytes& req) -> Bytes {
        if (req[3] != 3)
            return {};
        switch (req[4]) {
        case CMD_TEST:
            return ack(0x55);
        case CMD_WORK_GAS:
            return ack();
        case CMD_DIAG:
            return makeFrame(1, lpgRecord);
        default:
            return {}; // the rest of loading is not what this test is about
        }
    });
    CFakeShell shell;
    CGasDevice dev(shell);
    dev.serialPort().open(peer.slavePath());
    dev.serialPort().configureLine();

    EXPECT_TRUE(dev.switchToPetrolAndWait());
    const auto requests = peer.requests();
    const auto polls = std::count_if(requests.begin(), requests.end(),
                                     [](const Bytes& r) { return r[3] == 3 && r[4] == CMD_DIAG; });
    EXPECT_EQ(polls, 49);
    EXPECT_EQ(shell.m_pumps, 49);
}
