#include <gtest/gtest.h>

#include "data/CLiveHistory.h"
#include "data/CPlotSeries.h"
#include "data/PlotChannels.h"

namespace {

diag_t recordWithPeriod(std::uint16_t period)
{
    diag_t rec{};
    rec.enginePeriod = period;
    return rec;
}

double rpmAt(const CPlotSeries& s, std::size_t i)
{
    return s.samples()[i].m_values[PLOT_RPM];
}

} // namespace

TEST(PlotChannels, EveryChannelInTheUnitsTheDisplaysShow)
{
    diag_t rec{};
    rec.enginePeriod = 6000;       // 4800000 / 6000 = 800 rpm
    rec.channels[0].petrolA = 120; // 120 × 0.025 = 3.00 ms
    rec.channels[0].corrA = 65515; // -0.50 ms, but it belongs to pair A
    rec.channels[0].petrolB = 130; // the larger one wins: 3.25 ms
    rec.channels[0].corrB = 8;     // +0.20 ms
    rec.gasPressure = 153;         // (153 × 5 / 255 / 5 - 0.04) / 0.004 = 140 kPa
    rec.manifoldPressure = 51;     // (0.2 - 0.04) / 0.004 = 40 kPa
    rec.reducerTemp = 0;           // the table's first entry: 209 °C
    rec.lambda = 23;               // 23 × 5 / 255 = 0.451 V
    const PlotValues v = plotValues(rec);
    EXPECT_DOUBLE_EQ(v[PLOT_RPM], 800);
    EXPECT_DOUBLE_EQ(v[PLOT_PETROL_MS], 3.25);
    EXPECT_DOUBLE_EQ(v[PLOT_LPG_MS], 3.45);
    EXPECT_NEAR(v[PLOT_GAS_KPA], 140, 1e-9);
    EXPECT_NEAR(v[PLOT_MANIFOLD_KPA], 40, 1e-9);
    EXPECT_DOUBLE_EQ(v[PLOT_REDUCER_C], 209);
    EXPECT_EQ(plotValueText(PLOT_LAMBDA_V, v[PLOT_LAMBDA_V]), "0.45");
    EXPECT_EQ(plotValueText(PLOT_RPM, 799.6), "800");
    EXPECT_EQ(plotValueText(PLOT_LPG_MS, v[PLOT_LPG_MS]), "3.45");
    // A stopped engine reads 0, as on the gauges, not a huge or negative speed.
    EXPECT_DOUBLE_EQ(plotValues(recordWithPeriod(0))[PLOT_RPM], 0);
    EXPECT_DOUBLE_EQ(plotValues(recordWithPeriod(60000))[PLOT_RPM], 0); // 80 rpm
    // Every default range is the right way up and splits in round quarters.
    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        const SPlotChannel& ch = plotChannel(c);
        EXPECT_LT(ch.min, ch.max) << c;
        EXPECT_LT(ch.step, ch.max - ch.min) << c;
    }
}

TEST(PlotSeries, FollowsTheRingAndStartsAfreshWhenItsClockGoesBack)
{
    CLiveHistory ring;
    CPlotSeries series;
    EXPECT_FALSE(series.follow(ring));
    for (int i = 0; i < 10; ++i)
        ring.add(1000 + i / 15.0, recordWithPeriod(static_cast<std::uint16_t>(6000 + i)));
    EXPECT_TRUE(series.follow(ring));
    EXPECT_FALSE(series.follow(ring)) << "nothing new";
    for (int i = 10; i < 15; ++i)
        ring.add(1000 + i / 15.0, recordWithPeriod(static_cast<std::uint16_t>(6000 + i)));
    ASSERT_TRUE(series.follow(ring));
    ASSERT_EQ(series.samples().size(), 15u);
    EXPECT_DOUBLE_EQ(rpmAt(series, 14), 4800000.0 / 6014);
    EXPECT_EQ(series.restarts(), 0);

    // A playback after live data: its clock starts at 0, the ring starts
    // afresh, and so does the copy, even though the playback brought more
    // records than the live data had.
    for (int i = 0; i < 20; ++i)
        ring.add(i / 15.0, recordWithPeriod(5000));
    ASSERT_TRUE(series.follow(ring));
    EXPECT_EQ(series.restarts(), 1);
    ASSERT_EQ(series.samples().size(), 20u);
    EXPECT_DOUBLE_EQ(series.samples().front().m_seconds, 0);
    EXPECT_DOUBLE_EQ(rpmAt(series, 0), 960);

    // A pause longer than the ring: records came that the copy never saw,
    // so it takes what the ring holds rather than joining across the hole.
    for (std::size_t i = 0; i < CLiveHistory::LIVE_HISTORY_CAPACITY + 5; ++i)
        ring.add(2 + static_cast<double>(i) / 30.0, recordWithPeriod(4800));
    ASSERT_TRUE(series.follow(ring));
    EXPECT_EQ(series.restarts(), 2);
    EXPECT_EQ(series.samples().size(), ring.count());
    EXPECT_DOUBLE_EQ(rpmAt(series, 0), 1000);

    // Followed tick by tick for a long drive, it keeps no more than five minutes.
    CLiveHistory live;
    CPlotSeries followed;
    for (int i = 0; i < 15 * 600; ++i) {
        live.add(i / 15.0, recordWithPeriod(6000));
        if (i % 5 == 0)
            followed.follow(live);
    }
    followed.follow(live);
    EXPECT_EQ(followed.restarts(), 0);
    EXPECT_LE(followed.newest() - followed.samples().front().m_seconds,
              CLiveHistory::LIVE_HISTORY_SECONDS);
    EXPECT_EQ(followed.samples().size(), live.count());
}

TEST(PlotSeries, NearestSampleTakesTheCloserAndTheEarlierOnATie)
{
    CLiveHistory ring;
    for (const double t : {1.0, 2.0, 4.0})
        ring.add(t, diag_t{});
    CPlotSeries s;
    s.follow(ring);
    EXPECT_EQ(nearestSample(s.samples(), -5), 0u);
    EXPECT_EQ(nearestSample(s.samples(), 1.4), 0u);
    EXPECT_EQ(nearestSample(s.samples(), 1.5), 0u);
    EXPECT_EQ(nearestSample(s.samples(), 3.1), 2u);
    EXPECT_EQ(nearestSample(s.samples(), 99), 2u);
    EXPECT_EQ(nearestSample(CPlotSeries().samples(), 1), 0u);
}
