#include <vector>

#include <gtest/gtest.h>

#include "data/DiagRecord.h"
#include "data/FuelLevelLamps.h"
#include "data/TickCountdown.h"

namespace {

constexpr SFuelThresholds kRising{103, 106, 112, 119};  // "90 ohm"
constexpr SFuelThresholds kFalling{255, 253, 249, 241}; // "AEB1050"
constexpr std::uint8_t kRunningLight = 4;

SFuelLamps lamps(bool l0, bool l1, bool l2, bool l3)
{
    return {l0, l1, l2, l3};
}

} // namespace

TEST(FuelLevelLamps, LevelFollowsTheReadingAcrossRisingAndFallingThresholds)
{
    // Rising: a reading above a threshold lights the band above it; one
    // equal to it does not.
    EXPECT_EQ(fuelLevelLamps(kRising, 120, true), lamps(1, 1, 1, 1));
    EXPECT_EQ(fuelLevelLamps(kRising, 119, true), lamps(0, 1, 1, 1));
    EXPECT_EQ(fuelLevelLamps(kRising, 112, true), lamps(0, 0, 1, 1));
    EXPECT_EQ(fuelLevelLamps(kRising, 104, true), lamps(0, 0, 0, 1));
    EXPECT_EQ(fuelLevelLamps(kRising, 103, true), lamps(0, 0, 0, 1)); // reserve, blink on
    EXPECT_EQ(fuelLevelLamps(kRising, 103, false), lamps(0, 0, 0, 0));
    EXPECT_EQ(fuelLevelLampCount(kRising, 103), 0);
    EXPECT_EQ(fuelLevelLampCount(kRising, 0), 0);

    // Falling: the lower the reading, the fuller the tank.
    EXPECT_EQ(fuelLevelLampCount(kFalling, 0), 4);
    EXPECT_EQ(fuelLevelLampCount(kFalling, 240), 4);
    EXPECT_EQ(fuelLevelLampCount(kFalling, 241), 3);
    EXPECT_EQ(fuelLevelLampCount(kFalling, 250), 2);
    EXPECT_EQ(fuelLevelLampCount(kFalling, 254), 1);
    EXPECT_EQ(fuelLevelLampCount(kFalling, 255), 0);
    EXPECT_EQ(fuelLevelLamps(kFalling, 250, false), lamps(0, 0, 1, 1));
}

TEST(FuelLevelLamps, WorkModeChoosesThePicture)
{
    EXPECT_EQ(fuelLampPicture(WORK_PETROL, FUEL_PETROL), EFuelLampPicture::Off);
    EXPECT_EQ(fuelLampPicture(WORK_PETROL, FUEL_LPG), EFuelLampPicture::Off);
    EXPECT_EQ(fuelLampPicture(WORK_AUTO, FUEL_PETROL), EFuelLampPicture::BlinkAll);
    EXPECT_EQ(fuelLampPicture(WORK_AUTO, FUEL_LPG), EFuelLampPicture::Level);
    EXPECT_EQ(fuelLampPicture(WORK_LPG, FUEL_LPG), EFuelLampPicture::Level);
    EXPECT_EQ(fuelLampPicture(kRunningLight, FUEL_PETROL), EFuelLampPicture::RunningLight);
    EXPECT_EQ(fuelLampPicture(0, FUEL_PETROL), EFuelLampPicture::Level);
}

TEST(FuelLevelLamps, DriverBlinksRunsTheLightAndShowsTheLevel)
{
    CFuelLampDriver d;
    EXPECT_EQ(d.refresh(WORK_PETROL, FUEL_PETROL, kRising, 120), lamps(0, 0, 0, 0));

    // All four together, inverted on every refresh, whatever the level.
    SFuelLamps shown = d.refresh(WORK_AUTO, FUEL_PETROL, kRising, 120);
    for (int i = 0; i < 3; ++i) {
        const bool on = !shown[0];
        shown = d.refresh(WORK_AUTO, FUEL_PETROL, kRising, 120);
        EXPECT_EQ(shown, lamps(on, on, on, on)) << i;
    }

    // One lamp at a time, back and forth between the ends.
    std::vector<int> positions;
    for (int i = 0; i < 8; ++i) {
        const SFuelLamps l = d.refresh(kRunningLight, FUEL_PETROL, kRising, 120);
        int lit = 0;
        for (int j = 0; j < FUEL_LAMPS; ++j)
            if (l[j]) {
                positions.push_back(j);
                ++lit;
            }
        EXPECT_EQ(lit, 1) << i;
    }
    EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1}));

    // The level ignores the work mode's blink; only the reserve blinks.
    EXPECT_EQ(d.refresh(WORK_LPG, FUEL_LPG, kRising, 112), lamps(0, 0, 1, 1));
    const bool reserve = d.refresh(WORK_LPG, FUEL_LPG, kRising, 103)[3];
    EXPECT_EQ(d.refresh(WORK_LPG, FUEL_LPG, kRising, 103), lamps(0, 0, 0, !reserve));
    EXPECT_EQ(d.refresh(WORK_LPG, FUEL_LPG, kRising, 103), lamps(0, 0, 0, reserve));
}

TEST(TickCountdown, FiresOnEveryPeriodthTick)
{
    CTickCountdown c(3);
    std::vector<bool> fired;
    for (int i = 0; i < 7; ++i)
        fired.push_back(c.tick());
    EXPECT_EQ(fired, (std::vector<bool>{false, false, true, false, false, true, false}));
}
