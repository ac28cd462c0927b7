#include <gtest/gtest.h>

#include "calib/CMapRecorder.h"
#include "calib/MapCorrection.h"

namespace {

// Manifold byte r reads r / 1.02 - 10 kPa, so the vacuum is 111 - r / 1.02.
constexpr std::uint8_t kVacuum30 = 82; // 70.39 kPa: 30.6 kPa of vacuum, bin 15

diag_t record(std::uint8_t manifoldRaw, std::uint16_t petrolTicks, std::uint8_t fuel = FUEL_PETROL)
{
    diag_t rec{};
    rec.manifoldPressure = manifoldRaw;
    rec.channels[0].petrolA = petrolTicks;
    rec.fuel = fuel;
    return rec;
}

void fill(CMapBin& bin, std::size_t n, double ms)
{
    for (std::size_t i = 0; i < n; ++i)
        bin.add(ms);
}

SMapBins binsWith(std::initializer_list<std::tuple<int, double, double>> petrolLpg,
                  std::size_t samples = 20)
{
    SMapBins bins;
    for (const auto& [b, petrol, lpg] : petrolLpg) {
        fill(bins[MAP_PETROL][b], samples, petrol);
        fill(bins[MAP_LPG][b], samples, lpg);
    }
    return bins;
}

} // namespace

TEST(MapRecorder, RecordsOnlyLoadInsideTheMapWhileRecording)
{
    CMapRecorder map;
    EXPECT_FALSE(map.add(record(kVacuum30, 80)));
    EXPECT_EQ(map.samples(), 0u); // not started

    ASSERT_TRUE(map.start(record(kVacuum30, 80)));
    map.add(record(kVacuum30, 80));                  // 2.0 ms on petrol
    map.add(record(kVacuum30, 82, FUEL_LPG));        // 2.05 ms → 2.1 (halves away from zero)
    map.add(record(kVacuum30, 81, FUEL_LPG_4));      // an LPG variant: 2.025 → 2.0
    map.add(record(kVacuum30, 40));                  // exactly 1.0 ms: no load worth mapping
    map.add(record(113, 80));                        // 0.22 kPa of vacuum: bin 0
    map.add(record(12, 80));                         // 99.2 kPa: bin 49
    map.add(record(11, 80));                         // 100.2 kPa: beyond the map
    map.add(record(116, 80));                        // a boost of 2.7 kPa is no vacuum
    EXPECT_EQ(mapVacuumText(record(116, 80)), "-3"); // but it is shown
    EXPECT_EQ(mapVacuumText(record(kVacuum30, 80)), "31");

    EXPECT_EQ(map.bin(MAP_PETROL, 15).samples(), std::vector<double>{2.0});
    EXPECT_EQ(map.bin(MAP_LPG, 15).samples(), (std::vector<double>{2.1, 2.0}));
    EXPECT_DOUBLE_EQ(map.bin(MAP_LPG, 15).mean(), 2.05);
    EXPECT_EQ(map.bin(MAP_PETROL, 0).count(), 1u);
    EXPECT_EQ(map.bin(MAP_PETROL, 49).count(), 1u);
    EXPECT_EQ(map.samples(), 5u);

    map.stop();
    map.add(record(kVacuum30, 80));
    EXPECT_EQ(map.samples(), 5u);
}

TEST(MapRecorder, StartNeedsTheVacuumSensorAndEmptiesTheBins)
{
    CMapRecorder map;
    ASSERT_TRUE(map.start(record(kVacuum30, 80)));
    map.add(record(kVacuum30, 80));
    EXPECT_FALSE(map.start(record(4, 80))); // sensor unplugged: byte below 5
    EXPECT_FALSE(map.recording());
    EXPECT_EQ(map.samples(), 0u);
    map.add(record(kVacuum30, 80));
    EXPECT_EQ(map.samples(), 0u);
    EXPECT_TRUE(map.start(record(5, 80)));
}

TEST(MapRecorder, RedrawsEveryTenthRecordThatFellIntoABin)
{
    CMapRecorder map;
    map.start(record(kVacuum30, 80));
    std::vector<int> due;
    for (int i = 1; i <= 25; ++i) {
        // Short petrol times count toward the redraw; records beyond the map do not.
        if (map.add(record(kVacuum30, i % 2 ? 40 : 80)))
            due.push_back(i);
        EXPECT_FALSE(map.add(record(11, 80)));
    }
    EXPECT_EQ(due, (std::vector<int>{10, 20}));
    // The count runs on across drives: five more records make the next redraw.
    map.start(record(kVacuum30, 80));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(map.add(record(kVacuum30, 80)));
    EXPECT_TRUE(map.add(record(kVacuum30, 80)));
}

TEST(MapRecorder, DrawsBinsAboveFiveSamplesWithoutTheirOutliers)
{
    CMapRecorder map;
    map.start(record(kVacuum30, 80));
    for (int i = 0; i < 5; ++i)
        map.add(record(kVacuum30, 80, FUEL_LPG)); // five: not drawn yet
    EXPECT_TRUE(map.points().empty());
    for (int i = 0; i < 6; ++i)
        map.add(record(kVacuum30, 80));
    map.add(record(kVacuum30, 120)); // 3.0 ms against a mean of 2.14: an outlier
    map.add(record(kVacuum30, 80, FUEL_LPG));
    const auto points = map.points();
    ASSERT_EQ(points.size(), 12u);
    EXPECT_EQ(points.front(), (SMapPoint{30, 2.0, MAP_PETROL})); // bin 15 at 2b kPa
    EXPECT_EQ(points.back(), (SMapPoint{31, 2.0, MAP_LPG}));     // and LPG beside it
    EXPECT_EQ(std::count_if(points.begin(), points.end(),
                            [](const SMapPoint& p) { return p.m_timeMs == 3.0; }),
              0);
}

TEST(MapCorrection, TenSamplesAreDrawnButNotCounted)
{
    CMapRecorder map;
    map.start(record(kVacuum30, 80));
    for (int i = 0; i < 10; ++i) {
        map.add(record(kVacuum30, 80));
        map.add(record(kVacuum30, 88, FUEL_LPG));
    }
    EXPECT_EQ(map.points().size(), 20u);
    const SMapSlots table{};
    const SMapCorrection ten = computeMapCorrection(map.bins(), table);
    EXPECT_FALSE(ten.measuredAny());
    EXPECT_FALSE(ten.m_bins[15].used());
    EXPECT_EQ(ten.m_after, table);

    map.add(record(kVacuum30, 80));
    map.add(record(kVacuum30, 88, FUEL_LPG));
    const SMapCorrection eleven = computeMapCorrection(map.bins(), table);
    ASSERT_TRUE(eleven.m_bins[15].used());
    EXPECT_EQ(eleven.m_bins[15].m_slot, 2);
    EXPECT_NEAR(eleven.m_bins[15].m_diffPct, 10, 1e-9); // 2.2 ms on gas against 2.0
    for (double v : eleven.m_after)
        EXPECT_EQ(v, 10);
}

TEST(MapCorrection, WithoutDataTheTableStaysExactlyAsItWas)
{
    SMapSlots table{};
    for (int k = 0; k < MAP_SLOTS; ++k)
        table[k] = k - 5;
    table[19] = -40; // beyond what the computation itself would ever write
    // Petrol samples only, and a bin whose samples all lie outside the band.
    SMapBins bins;
    fill(bins[MAP_PETROL][10], 30, 3.0);
    fill(bins[MAP_LPG][12], 6, 1.2);
    fill(bins[MAP_LPG][12], 6, 4.8);
    fill(bins[MAP_PETROL][12], 12, 3.0);
    const SMapCorrection c = computeMapCorrection(bins, table);
    EXPECT_FALSE(c.measuredAny());
    EXPECT_EQ(c.m_bins[12].m_lpgMs, 0);
    EXPECT_EQ(c.m_after, table);
    EXPECT_EQ(computeMapCorrection(SMapBins{}, table).m_after, table);
}

TEST(MapCorrection, SlotsWithoutDataTakeTheirNeighboursBeforeSmoothing)
{
    std::array<bool, MAP_SLOTS> measured{};
    SMapSlots t{};
    const double inner[] = {6, 3, 9, -3, 6, 12};
    for (int k = 3; k <= 8; ++k) {
        measured[k] = true;
        t[k] = inner[k - 3];
    }
    // Slots 0 to 2 read 6, slots 9 to 19 read 12; then S_k = (T_k-1 + T_k + T_k+1) / 3.
    const SMapSlots s = fillAndSmoothSlots(t, measured);
    const double expected[MAP_SLOTS] = {6,  6,  6,  5,  6,  3,  4,  5,  10, 12,
                                        12, 12, 12, 12, 12, 12, 12, 12, 12, 12};
    for (int k = 0; k < MAP_SLOTS; ++k)
        EXPECT_DOUBLE_EQ(s[k], expected[k]) << k;

    // A gap takes the nearest measured slot above it.
    measured.fill(false);
    t.fill(0);
    measured[3] = measured[6] = true;
    t[3] = 3;
    t[6] = 9;
    const SMapSlots gap = fillAndSmoothSlots(t, measured);
    EXPECT_DOUBLE_EQ(gap[4], (3 + 9 + 9) / 3.0);
    EXPECT_DOUBLE_EQ(gap[5], 9);

    EXPECT_EQ(fillAndSmoothSlots(SMapSlots{}, {}), SMapSlots{});
}

TEST(MapCorrection, MeasuredSlotsAreNeverOverwrittenByTheirNeighbours)
{
    std::array<bool, MAP_SLOTS> measured{};
    SMapSlots t{};
    // A slot that measured no difference keeps it ...
    measured[4] = measured[5] = measured[6] = true;
    t[4] = 6;
    t[6] = 6;
    EXPECT_DOUBLE_EQ(fillAndSmoothSlots(t, measured)[5], 4);
    // ... and data up to the last slot stay, whatever lies below a gap.
    measured.fill(false);
    t.fill(0);
    for (int k : {3, 4, 17, 18, 19}) {
        measured[k] = true;
        t[k] = k < 10 ? 3 : -6;
    }
    const SMapSlots s = fillAndSmoothSlots(t, measured);
    EXPECT_DOUBLE_EQ(s[19], -6);
    EXPECT_DOUBLE_EQ(s[18], -6);
    EXPECT_DOUBLE_EQ(s[10], -6); // the gap takes slot 17
    EXPECT_DOUBLE_EQ(s[0], 3);
}

TEST(MapCorrection, BinsFeedTheirSlotsAndTheTableTakesTheRoundedSum)
{
    // Slot 2: bins at +10 % and +4 %; slot 3: one bin at -5 %. A bin driven on
    // petrol only adds nothing to slot 2's mean.
    SMapBins bins = binsWith({{14, 2.0, 2.2}, {16, 2.5, 2.6}, {20, 3.2, 3.04}});
    fill(bins[MAP_PETROL][15], 20, 2.3);
    SMapSlots table{};
    table[0] = 24;
    table[5] = -23;
    const SMapCorrection c = computeMapCorrection(bins, table);
    EXPECT_EQ(c.m_slotBins[2], 2);
    EXPECT_EQ(c.m_slotBins[3], 1);
    EXPECT_FALSE(c.m_bins[15].used());
    EXPECT_NEAR(c.m_measured[2], 7, 1e-9);
    EXPECT_NEAR(c.m_measured[3], -5, 1e-9);
    // Slots 0, 1 read 7, slots 4 to 19 read -5; smoothed: 7, 7, 3, -1, -5, ...
    EXPECT_NEAR(c.m_corrections[2], 3, 1e-9);
    EXPECT_NEAR(c.m_corrections[3], -1, 1e-9);
    EXPECT_EQ(c.m_after[0], 25); // 24 + 7, limited
    EXPECT_EQ(c.m_after[1], 7);
    EXPECT_EQ(c.m_after[2], 3);
    EXPECT_EQ(c.m_after[3], -1);
    EXPECT_EQ(c.m_after[5], -25); // -23 - 5, limited
    EXPECT_EQ(c.m_after[19], -5);
    EXPECT_EQ(c.m_before, table);

    // Differences beyond 25 % are limited per slot before they spread; a
    // mean that ends in a half rounds away from zero.
    const SMapCorrection big = computeMapCorrection(binsWith({{14, 2.0, 3.0}}), SMapSlots{});
    EXPECT_DOUBLE_EQ(big.m_measured[2], 25);
    EXPECT_EQ(big.m_after[2], 25);
    const SMapCorrection half = computeMapCorrection(binsWith({{14, 2.0, 1.95}}), SMapSlots{});
    EXPECT_NEAR(half.m_corrections[2], -2.5, 1e-9);
    EXPECT_EQ(half.m_after[2], -3);
}
