#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "data/CDiagData.h"
#include "data/CLiveHistory.h"
#include "data/Conversions.h"
#include "data/DiagRecord.h"
#include "data/DiagSimulation.h"

namespace {

diag_t recordWithPeriod(std::uint16_t period)
{
    diag_t rec{};
    rec.enginePeriod = period;
    return rec;
}

} // namespace

TEST(DiagRecord, LayoutMatchesTheReplyPayload)
{
    // Bytes as a diagnostic reply carries them after the frame layer has put
    // the 16-bit words into host order.
    std::uint8_t payload[DIAG_RECORD_SIZE + 10];
    std::memset(payload, 0, sizeof payload);
    payload[0] = 3;
    payload[1] = 2;
    payload[9] = 135;
    const std::uint16_t period = 1000;
    const std::uint16_t lastCorrB = 65535;
    std::memcpy(payload + 10, &period, 2);
    std::memcpy(payload + 74, &lastCorrB, 2); // 18 + 8 × 7
    std::memset(payload + DIAG_RECORD_SIZE, 0xEE, 10);
    diag_t rec = diagFromPayload(payload, sizeof payload); // never past the record
    EXPECT_EQ(rec.workMode, 3);
    EXPECT_EQ(rec.fuel, 2);
    EXPECT_EQ(rec.fuelLevel, 135);
    EXPECT_EQ(rec.enginePeriod, 1000);
    EXPECT_EQ(rec.channels[7].corrB, 65535);

    // A shorter reply leaves the rest zero.
    rec = diagFromPayload(payload, 12);
    EXPECT_EQ(rec.enginePeriod, 1000);
    EXPECT_EQ(rec.channels[7].corrB, 0);
}

TEST(DiagRecord, EngineSpeedFromPeriod)
{
    EXPECT_DOUBLE_EQ(recordRpm(recordWithPeriod(1000)), 4800);
    EXPECT_DOUBLE_EQ(recordRpm(recordWithPeriod(60000)), 80);
    EXPECT_DOUBLE_EQ(displayRpm(recordRpm(recordWithPeriod(60000))), 0);
    EXPECT_DOUBLE_EQ(displayRpm(100), 100);
    // No ignition signal is a stopped engine, not a division by zero.
    EXPECT_DOUBLE_EQ(recordRpm(recordWithPeriod(0)), 0);
}

TEST(DiagRecord, CorrectionWordsAboveSixtyThousandAreNegative)
{
    EXPECT_DOUBLE_EQ(correctionMs(65535), 0);
    EXPECT_NEAR(correctionMs(60001), -138.35, 1e-9); // (60001 − 65535) × 0.025
    EXPECT_DOUBLE_EQ(correctionMs(60000), 1500);
    EXPECT_DOUBLE_EQ(correctionMs(80), 2);
}

TEST(DiagRecord, LongerPetrolPairWinsWithItsOwnCorrection)
{
    SDiagChannel ch{100, 40, 120, 65535 - 20};
    SChannelTimes t = channelTimes(ch);
    EXPECT_DOUBLE_EQ(t.petrolMs, 3.0);
    EXPECT_DOUBLE_EQ(t.lpgMs, 3.0 - 0.5);

    ch.petrolB = 100; // a tie goes to A
    t = channelTimes(ch);
    EXPECT_DOUBLE_EQ(t.petrolMs, 2.5);
    EXPECT_DOUBLE_EQ(t.lpgMs, 3.5);
}

TEST(Conversions, SensorCodes)
{
    EXPECT_EQ(temperatureFromRaw(0), 209);
    EXPECT_EQ(temperatureFromRaw(255), -36);
    EXPECT_EQ(rawFromTemperature(35), 132);
    EXPECT_EQ(rawFromTemperature(95), 36); // 95 falls between 96 and 94
    EXPECT_EQ(rawFromTemperature(300), 0);
    EXPECT_EQ(rawFromTemperature(-40), 0);

    EXPECT_DOUBLE_EQ(pressureFromRaw(0), 0);
    EXPECT_NEAR(pressureFromRaw(112), 99.8, 0.01);
    EXPECT_NEAR(pressureToRaw(100), 112.2, 1e-9);
    EXPECT_NEAR(supplyFromRaw(255), 30, 1e-9);
    EXPECT_NEAR(voltsToRaw(2.4), 122.4, 1e-9);
    EXPECT_NEAR(wordToVolts(1023), 5, 1e-12);
}

TEST(Conversions, RoundingHalvesAwayFromZero)
{
    EXPECT_DOUBLE_EQ(roundWhole(2.5), 3);
    EXPECT_DOUBLE_EQ(roundWhole(-2.5), -3);
    EXPECT_DOUBLE_EQ(roundOne(0.85), 0.9);
    EXPECT_DOUBLE_EQ(roundOne(1.049), 1.0);
    EXPECT_DOUBLE_EQ(roundTwo(0.125), 0.13);
    // Negative values round on their magnitude, not one step further down.
    EXPECT_DOUBLE_EQ(roundOne(-1.21), -1.2);
    EXPECT_DOUBLE_EQ(roundOne(-1.25), -1.3);
    EXPECT_DOUBLE_EQ(roundTwo(-0.114), -0.11);
    EXPECT_FALSE(std::signbit(roundOne(-0.01)));
    EXPECT_DOUBLE_EQ(tickGrid(1.01), 1.0);
    EXPECT_DOUBLE_EQ(tickGrid(1.013), 1.025);
}

TEST(DiagData, DropsTheOldestHalfWhenFull)
{
    CDiagData data;
    for (std::uint16_t i = 0; i < 501; ++i) {
        data.add(recordWithPeriod(i));
    }
    EXPECT_EQ(data.count(), 501u);
    data.add(recordWithPeriod(501));
    EXPECT_EQ(data.count(), 252u);
    std::vector<diag_t> out;
    data.copyRange(out, 0, 1);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].enginePeriod, 250);
}

TEST(LiveHistory, KeepsFiveMinutesByAgeAndByCountAndRestartsOnANewClock)
{
    CLiveHistory history;
    // Ten minutes at 15 records a second: only the last five stay.
    for (int i = 0; i < 9000; ++i)
        history.add(i / 15.0, recordWithPeriod(static_cast<std::uint16_t>(i)));
    EXPECT_EQ(history.added(), 9000u);
    std::vector<STimedRecord> all;
    history.copySince(-1, all);
    ASSERT_EQ(all.size(), 4501u); // 300 s back from the newest, both ends held
    EXPECT_EQ(all.front().m_rec.enginePeriod, 4499);
    EXPECT_EQ(all.back().m_rec.enginePeriod, 8999);

    std::vector<STimedRecord> fresh;
    history.copySince(all[all.size() - 3].m_seconds, fresh);
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_EQ(fresh[0].m_rec.enginePeriod, 8998);

    // By count: each record once, and what fell out meanwhile is skipped.
    std::uint64_t seen = 8998;
    fresh.clear();
    history.copyAddedSince(seen, fresh);
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_EQ(fresh[1].m_rec.enginePeriod, 8999);
    EXPECT_EQ(seen, 9000u);
    fresh.clear();
    history.copyAddedSince(seen, fresh);
    EXPECT_TRUE(fresh.empty());
    seen = 0;
    history.copyAddedSince(seen, fresh);
    EXPECT_EQ(fresh.size(), 4501u);

    // An unpaced source: the ring wraps by count and keeps the newest, in order.
    for (int i = 0; i < 20000; ++i)
        history.add(1000 + i / 1000.0, recordWithPeriod(static_cast<std::uint16_t>(i)));
    all.clear();
    history.copySince(-1, all);
    ASSERT_EQ(all.size(), CLiveHistory::LIVE_HISTORY_CAPACITY);
    EXPECT_EQ(all.back().m_rec.enginePeriod, 19999);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a.m_seconds < b.m_seconds;
    }));

    // A playback after live data counts from 0 again: the old clock goes.
    history.add(0.5, recordWithPeriod(7));
    EXPECT_EQ(history.count(), 1u);
    history.clear();
    EXPECT_EQ(history.count(), 0u);
}

TEST(DiagData, CopyRangeAndTakeAll)
{
    CDiagData data;
    diag_t last = recordWithPeriod(7);
    data.getLast(last); // empty: left as it was
    EXPECT_EQ(last.enginePeriod, 7);

    for (std::uint16_t i = 0; i < 5; ++i) {
        data.add(recordWithPeriod(i));
    }
    std::vector<diag_t> out(1);
    data.copyRange(out, 3, 100); // appends, capped at the end
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].enginePeriod, 3);
    EXPECT_EQ(out[2].enginePeriod, 4);
    data.copyRange(out, 6, 10);
    data.copyRange(out, 5, 10);
    EXPECT_EQ(out.size(), 3u);

    std::vector<diag_t> taken(1);
    EXPECT_EQ(data.takeAll(taken), 5u);
    ASSERT_EQ(taken.size(), 6u); // appended behind what was there
    EXPECT_EQ(taken[5].enginePeriod, 4);
    EXPECT_EQ(data.count(), 0u);
    EXPECT_EQ(data.takeAll(taken), 0u);
}

TEST(DiagData, DrainingWhileTheReaderTrimsNeverRepeatsOrReordersRecords)
{
    CDiagData data;
    constexpr int kRecords = 20000;
    std::thread writer([&] {
        for (int i = 0; i < kRecords; ++i) {
            data.add(recordWithPeriod(static_cast<std::uint16_t>(i)));
        }
    });
    std::vector<diag_t> taken;
    while (taken.empty() || taken.back().enginePeriod != kRecords - 1) {
        data.takeAll(taken);
    }
    writer.join();
    for (std::size_t i = 1; i < taken.size(); ++i) {
        ASSERT_LT(taken[i - 1].enginePeriod, taken[i].enginePeriod) << "at " << i;
    }
}

TEST(DiagData, ReaderAndViewMayRunAtOnce)
{
    CDiagData data;
    std::thread writer([&] {
        for (int i = 0; i < 5000; ++i) {
            data.add(recordWithPeriod(static_cast<std::uint16_t>(i)));
        }
    });
    std::size_t maxSeen = 0;
    for (int i = 0; i < 2000; ++i) {
        std::vector<diag_t> out;
        data.copyRange(out, 0, 1000);
        maxSeen = std::max(maxSeen, out.size());
    }
    writer.join();
    EXPECT_LE(maxSeen, CDiagData::DIAG_KEEP + 1);
    diag_t last{};
    data.getLast(last);
    EXPECT_EQ(last.enginePeriod, 4999);
}

TEST(DiagSimulation, FirstRecordAndRamps)
{
    resetSimulation();
    diag_t rec{};
    nextSimulatedRecord(rec);
    EXPECT_EQ(rec.workMode, 2);
    EXPECT_EQ(rec.fuel, 2);
    EXPECT_EQ(rec.enginePeriod, 2000);
    const int petrol[] = {124, 122, 122, 124, 124, 121, 122, 124};
    for (std::size_t i = 0; i < DIAG_CHANNELS; ++i) {
        EXPECT_EQ(rec.channels[i].petrolA, petrol[i]) << i;
        EXPECT_EQ(rec.channels[i].corrA, 80) << i;
        EXPECT_EQ(rec.channels[i].petrolB, 0) << i;
    }
    EXPECT_EQ(rec.gasPressure, 110);
    EXPECT_EQ(rec.manifoldPressure, 50);
    EXPECT_EQ(temperatureFromRaw(rec.reducerTemp), 70);
    EXPECT_EQ(temperatureFromRaw(rec.lpgTemp), 50);
    EXPECT_EQ(rec.supply, 122); // 14.4 V / 6 = 2.4 V = 122.4 codes
    EXPECT_EQ(rec.lambda, 1);
    EXPECT_EQ(rec.fuelLevel, 135);

    nextSimulatedRecord(rec);
    EXPECT_EQ(rec.enginePeriod, 2001);
    EXPECT_EQ(rec.lambda, 2);
    // (113.22 − 50) × 6 = 379.32 ticks, plus 1 for channel 0
    EXPECT_EQ(rec.channels[0].petrolA, 380);

    // The lambda ramp turns at 50 and at 0.
    int top = 0;
    for (int i = 0; i < 120; ++i) {
        nextSimulatedRecord(rec);
        top = std::max<int>(top, rec.lambda);
        EXPECT_LE(rec.lambda, 50);
    }
    EXPECT_EQ(top, 50);
}

TEST(DiagSimulation, DemoModeCommandsSetModeAndFuel)
{
    resetSimulation();
    setSimulatedMode(WORK_LPG, FUEL_LPG);
    diag_t rec{};
    nextSimulatedRecord(rec);
    nextSimulatedRecord(rec);
    EXPECT_EQ(rec.workMode, 3);
    EXPECT_EQ(rec.fuel, 3);
    // On gas the base is cut by a tenth: round(379.32 × 0.9) = 341, plus 1
    EXPECT_EQ(rec.channels[0].petrolA, 342);
    setSimulatedMode(WORK_AUTO, FUEL_PETROL);
    nextSimulatedRecord(rec);
    EXPECT_EQ(rec.workMode, 1);
    EXPECT_EQ(rec.fuel, 2);
    resetSimulation();
}
