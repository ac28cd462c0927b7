#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "data/CDiagInputThread.h"
#include "link/CGasDevice.h"
#include "link/CPortList.h"
#include "support/DeviceEmuTest.h"
#include "support/ScriptedPeer.h"

namespace {

template <class F>
bool waitFor(F done, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace

TEST(ReaderLink, FuelFiveIsStoredAsLpgAndNoiseOnChannelOneIsDropped)
{
    Bytes wire(76, 0); // outlives the peer's thread, which answers with it
    wire[0] = 3;
    wire[1] = 5;
    wire[13] = 7;          // channel 0 petrol A: 7 ticks, 0.175 ms, below 0.2 ms
    wire[12 + 8 + 1] = 40; // channel 1 petrol A: 1 ms, kept
    ScriptedPeer peer;
    peer.serve([&](const Bytes&) { return makeFrame(1, wire); });

    CFakeShell shell;
    CGasDevice dev(shell);
    dev.serialPort().open(peer.slavePath());
    dev.serialPort().configureLine();
    ASSERT_TRUE(startLive(dev));
    ASSERT_TRUE(waitFor([&] { return dev.m_diagData.count() >= 3; }));
    ASSERT_TRUE(stopLive(dev));

    diag_t last{};
    dev.m_diagData.getLast(last);
    EXPECT_EQ(last.fuel, 3);
    EXPECT_EQ(last.channels[0].petrolA, 0);
    EXPECT_EQ(last.channels[1].petrolA, 40);
}

class ReaderEmu : public DeviceEmuTest {};

TEST_F(ReaderEmu, StoppingClosesTheRecordingWithWholeRecordsOnly)
{
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    const auto path = emu().tempDir() + "/live.rec";
    ASSERT_TRUE(startLive(dev, path));
    ASSERT_TRUE(waitFor([&] { return dev.m_diagData.count() >= 20; }));
    ASSERT_TRUE(stopLive(dev));
    const auto size = std::filesystem::file_size(path);
    EXPECT_EQ((size - 8) % 76, 0u);
    EXPECT_GE((size - 8) / 76, 20u);
    EXPECT_EQ(shell.m_linkLost.load(), 0);
}

TEST_F(ReaderEmu, UnpluggingEndsTheReaderWithTheLostLinkSignal)
{
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    ASSERT_TRUE(startLive(dev));
    ASSERT_TRUE(waitFor([&] { return dev.m_diagData.count() >= 5; }));
    emu().unplug();
    ASSERT_TRUE(waitFor([&] { return shell.m_linkLost.load() == 1; }, 10000));
    EXPECT_FALSE(dev.isConnected());
    EXPECT_TRUE(stopLive(dev));

    // Plugged back, the scan of the reconnection timer finds it again.
    emu().replug();
    EXPECT_TRUE(dev.scanPorts(false));
    EXPECT_TRUE(dev.isConnected());
}
