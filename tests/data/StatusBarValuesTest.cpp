#include <gtest/gtest.h>

#include "data/StatusBarValues.h"

namespace {

diag_t withTimes(std::uint16_t petrol, std::uint16_t corr)
{
    diag_t rec{};
    rec.channels[0].petrolA = petrol;
    rec.channels[0].corrA = corr;
    return rec;
}

} // namespace

TEST(StatusBarValues, LpgTimeIsTheCorrectionOnTheRoundedPetrolTime)
{
    struct {
        std::uint16_t petrol, corr;
        const char* petrolMs;
        const char* lpgMs;
    } cases[] = {
        {160, 40, "4.00", "5.00"},     // 4.000 + 1.000
        {160, 65535, "4.00", "4.00"},  // 65535 is no correction at all
        {0, 60001, "0.00", "-138.35"}, // (60001 - 65535) × 0.025
        {0, 60000, "0.00", "1500.00"}, // 60000 still counts upwards
        {161, 65534, "4.03", "4.01"},  // 4.025 shows 4.03; 4.03 - 0.025 = 4.005 → 4.01
        {200, 65335, "5.00", "0.00"},  // -200 ticks cancel the petrol time: no "-0.00"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.petrol << " / " << c.corr);
        const SStatusBarValues v = statusBarValues(withTimes(c.petrol, c.corr));
        EXPECT_EQ(v.petrolMs, c.petrolMs);
        EXPECT_EQ(v.lpgMs, c.lpgMs);
    }
    // Only the first channel's pair A counts, whatever the others carry.
    diag_t rec = withTimes(80, 0);
    rec.channels[0].petrolB = 400;
    rec.channels[1].petrolA = 400;
    EXPECT_EQ(statusBarValues(rec).petrolMs, "2.00");
}

TEST(StatusBarValues, EngineSpeedBelowOneHundredAndAMissingPeriodReadZero)
{
    struct {
        std::uint16_t period;
        const char* rpm;
    } cases[] = {
        {1000, "4800"}, {2000, "2400"}, {48000, "100"},
        {48001, "0"},   {60000, "0"},   {0, "0"}, // no ignition signal: no division by zero
    };
    for (const auto& c : cases) {
        diag_t rec{};
        rec.enginePeriod = c.period;
        EXPECT_EQ(statusBarValues(rec).rpm, c.rpm) << c.period;
    }
}

TEST(StatusBarValues, SensorBytesAndFuelInUse)
{
    diag_t rec{};
    rec.reducerTemp = 255;
    rec.gasPressure = 0;
    rec.lambda = 255;
    SStatusBarValues v = statusBarValues(rec);
    EXPECT_EQ(v.reducerC, "-36");
    EXPECT_EQ(v.gasKpa, "0"); // below the sensor's offset: never negative
    EXPECT_EQ(v.lambdaV, "5.0");

    rec.reducerTemp = 0;
    rec.gasPressure = 140; // (140 × 5 / 255 / 5 − 0.04) / 0.004 = 127.25
    rec.lambda = 23;       // 23 × 5 / 255 = 0.451
    v = statusBarValues(rec);
    EXPECT_EQ(v.reducerC, "209");
    EXPECT_EQ(v.gasKpa, "127");
    EXPECT_EQ(v.lambdaV, "0.5");

    for (std::uint8_t fuel : {0, 1, 2, 3, 4, 5, 255}) {
        rec.fuel = fuel;
        EXPECT_EQ(statusBarValues(rec).petrolFuel, fuel == 2) << int(fuel);
    }
}
