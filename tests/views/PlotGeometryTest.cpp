#include <algorithm>
#include <deque>

#include <gtest/gtest.h>

#include "views/PlotGeometry.h"

namespace {

// Samples at the line's 15 records a second with channel 0 as given.
std::deque<SPlotSample> samplesOf(const std::vector<double>& values, double rate = 15)
{
    std::deque<SPlotSample> s;
    for (std::size_t i = 0; i < values.size(); ++i) {
        SPlotSample p;
        p.m_seconds = static_cast<double>(i) / rate;
        p.m_values[0] = values[i];
        s.push_back(p);
    }
    return s;
}

} // namespace

TEST(PlotGeometry, FiveMinutesFitThePixelColumnsAndASpikeSurvives)
{
    // Five minutes at the line rate over 600 columns: 7.5 records a column.
    std::vector<double> v(4500, 10.0);
    v[2000] = 95; // one record's spike
    v[3001] = -3; // and one dip
    const auto samples = samplesOf(v);
    const SPlotArea area{50, 10, 600, 300};
    const SPlotTimeAxis axis{samples.back().m_seconds, 300};
    const auto columns = plotColumns(samples, 0, area, axis);
    EXPECT_LE(columns.size(), 601u); // one may stand just left of the plot
    EXPECT_GE(columns.size(), 590u);
    EXPECT_TRUE(std::is_sorted(columns.begin(), columns.end(),
                               [](const auto& a, const auto& b) { return a.x < b.x; }));
    EXPECT_EQ(columns.back().x, area.left + area.width - 1) << "the newest at the right edge";
    const auto highest =
        std::max_element(columns.begin(), columns.end(),
                         [](const auto& a, const auto& b) { return a.high < b.high; });
    EXPECT_EQ(highest->high, 95);
    EXPECT_NEAR(highest->x, xOfTime(area, axis, 2000 / 15.0), 1.0);
    const auto lowest = std::min_element(
        columns.begin(), columns.end(), [](const auto& a, const auto& b) { return a.low < b.low; });
    EXPECT_EQ(lowest->low, -3);
    EXPECT_TRUE(
        std::all_of(columns.begin() + 1, columns.end(), [](const auto& c) { return c.joined; }));

    // Fewer records than columns: one column each, in the span only, and the
    // record before the left edge just outside it so the line comes in.
    const SPlotTimeAxis tenSeconds{samples.back().m_seconds, 10.02}; // 4 px a record
    const auto few = plotColumns(samples, 0, area, tenSeconds);
    EXPECT_EQ(few.size(), 151u + 1u);
    EXPECT_EQ(few.front().x, area.left - 1);
    EXPECT_FALSE(few.front().joined);
    EXPECT_TRUE(few[1].joined);
}

TEST(PlotGeometry, ALostLinkBreaksTheLine)
{
    std::deque<SPlotSample> s = samplesOf({1, 2, 3, 4}, 2);
    for (auto& p : s)
        if (p.m_seconds > 0.6)
            p.m_seconds += 5; // the last two came five seconds later
    const auto columns = plotColumns(s, 0, {0, 0, 100, 100}, {s.back().m_seconds, 10});
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_TRUE(columns[1].joined);
    EXPECT_FALSE(columns[2].joined);
    EXPECT_TRUE(columns[3].joined);
}

TEST(PlotGeometry, AxesScalesAndLayout)
{
    const SPlotArea a{100, 20, 500, 400};
    const SPlotTimeAxis t{1000, 60};
    EXPECT_DOUBLE_EQ(xOfTime(a, t, 1000), 600);
    EXPECT_DOUBLE_EQ(xOfTime(a, t, 940), 100);
    EXPECT_DOUBLE_EQ(timeAtX(a, t, 350), 970);
    EXPECT_DOUBLE_EQ(yOfValue(a, -40, 120, -40), 420);
    EXPECT_DOUBLE_EQ(yOfValue(a, -40, 120, 120), 20);
    EXPECT_DOUBLE_EQ(yOfValue(a, 5, 5, 5), 420) << "an empty range does not divide by zero";

    EXPECT_EQ(scaleValues(-40, 120), (std::vector<double>{-40, 0, 40, 80, 120}));
    EXPECT_EQ(scaleDecimals(0, 8000), 0);
    EXPECT_EQ(scaleDecimals(0, 1), 2);  // 0.25 steps
    EXPECT_EQ(scaleDecimals(0, 10), 1); // 2.5
    EXPECT_EQ(scaleDecimals(0.1, 4.1), 1);
    EXPECT_EQ(scaleDecimals(0, 1.0 / 3), 3);

    // Every window of the selector gets round steps and no more than ten lines.
    const std::pair<double, double> steps[] = {{10, 1}, {30, 5}, {60, 10}, {120, 15}, {300, 30}};
    for (const auto& [span, step] : steps) {
        EXPECT_EQ(timeGridStep(span), step) << span;
        const auto offsets = timeGridOffsets(span);
        EXPECT_EQ(offsets.front(), 0);
        EXPECT_DOUBLE_EQ(offsets.back(), span);
        EXPECT_LE(offsets.size(), 11u);
    }

    // Each shown scale takes its width from the plot, which never vanishes.
    const SPlotMargins m = scaledMargins(SPlotMargins{}, 0.5);
    EXPECT_EQ(m.scale, 20);
    const SPlotLayout none = plotLayout(800, 400, 0, SPlotMargins{});
    const SPlotLayout seven = plotLayout(800, 400, 7, SPlotMargins{});
    EXPECT_EQ(none.plot.width - seven.plot.width, 7 * SPlotMargins{}.scale);
    EXPECT_EQ(seven.plot.left, seven.scalesLeft + 7 * SPlotMargins{}.scale);
    EXPECT_EQ(plotLayout(100, 10, 7, SPlotMargins{}).plot.width, 1);
    EXPECT_EQ(plotLayout(100, 10, 7, SPlotMargins{}).plot.height, 1);
}
