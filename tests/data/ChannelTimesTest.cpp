#include <gtest/gtest.h>

#include "data/ChannelTimes.h"

namespace {

// Channel j carries (j + 1) ms of petrol time and a 0.5 ms correction.
diag_t rampRecord()
{
    diag_t rec{};
    for (std::size_t j = 0; j < DIAG_CHANNELS; ++j)
        rec.channels[j] = {static_cast<std::uint16_t>(40 * (j + 1)), 20, 0, 0};
    return rec;
}

std::vector<double> petrolOf(const std::vector<SChannelTimes>& times)
{
    std::vector<double> out;
    for (const auto& t : times)
        out.push_back(t.petrolMs);
    return out;
}

} // namespace

TEST(ChannelTimes, LargerPetrolTimeWinsWithItsOwnCorrection)
{
    // B: 120 ticks = 3 ms beats A's 2.5 ms; B's correction 65535 is zero.
    auto t = shownChannelTimes({100, 40, 120, 65535});
    EXPECT_DOUBLE_EQ(t.petrolMs, 3.0);
    EXPECT_DOUBLE_EQ(t.lpgMs, 3.0);
    // A tie keeps A's correction (8 ticks = 0.2 ms), not B's 2 ms.
    t = shownChannelTimes({100, 8, 100, 80});
    EXPECT_DOUBLE_EQ(t.lpgMs, 2.7);
    // 60001 is 60001 - 65535 = -5534 ticks = -138.35 ms.
    t = shownChannelTimes({200, 60001, 0, 0});
    EXPECT_DOUBLE_EQ(t.lpgMs, 5.0 - 138.35);
    // One tick is 0.025 ms, shown as 0.03, and the LPG time builds on that.
    t = shownChannelTimes({1, 0, 0, 0});
    EXPECT_DOUBLE_EQ(t.petrolMs, 0.03);
    EXPECT_DOUBLE_EQ(t.lpgMs, 0.03);
}

TEST(ChannelTimes, HalfAndNonSequentialInjectionRepeatTheMeasuredChannels)
{
    const diag_t rec = rampRecord();
    EXPECT_EQ(petrolOf(barTimes(rec, 8, 0)), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    // Bit value 2: half-sequential, channels 0 and 1 alternate.
    EXPECT_EQ(petrolOf(barTimes(rec, 6, 0x02)), (std::vector<double>{1, 2, 1, 2, 1, 2}));
    // Bit value 4: non-sequential, channel 0 everywhere; bit 2 wins over it.
    EXPECT_EQ(petrolOf(barTimes(rec, 4, 0x04)), (std::vector<double>{1, 1, 1, 1}));
    EXPECT_EQ(petrolOf(barTimes(rec, 4, 0x06)), (std::vector<double>{1, 2, 1, 2}));
    EXPECT_DOUBLE_EQ(barTimes(rec, 3, 0x02)[2].lpgMs, 1.5);

    EXPECT_EQ(measuredChannels(6, 0), 6);
    EXPECT_EQ(measuredChannels(6, 0x02), 2);
    EXPECT_EQ(measuredChannels(6, 0x04), 1);
    EXPECT_EQ(measuredChannels(12, 0), 8);
}

TEST(ChannelTimes, BarsFollowTheInjectorCountWithinTheRecord)
{
    const diag_t rec = rampRecord();
    // No injectors reported: four bars, each still showing its own channel.
    EXPECT_EQ(petrolOf(barTimes(rec, 0, 0)), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(barCount(-3), 4);
    EXPECT_EQ(barCount(1), 1);
    // A count beyond the record's eight channels must not read past it.
    EXPECT_EQ(barTimes(rec, 12, 0).size(), 8u);
}
