#include <gtest/gtest.h>

#include "views/ChartGeometry.h"

namespace {

// The correction chart over a full upper pane: plot 1024 − 50 − 20 = 954
// wide, 580 − 50 − 50 = 480 high, 1 to 20 ms across, ±25 % up and down.
SChartGeometry corrChart()
{
    return chartGeometry({1, 20, 1, -25, 25, 1}, {50, 50, 20, 50}, 1024, 580);
}

std::vector<SPointF> flatTable()
{
    std::vector<SPointF> points;
    for (int i = 1; i <= 20; ++i)
        points.push_back({double(i), 0});
    return points;
}

} // namespace

TEST(ChartMapping, ValuesAndPixelsMeetAtThePlotEdges)
{
    const SChartGeometry g = corrChart();
    EXPECT_DOUBLE_EQ(g.width, 954);
    EXPECT_DOUBLE_EQ(g.height, 480);
    EXPECT_EQ(columnOf(g, 1), 50);
    EXPECT_EQ(columnOf(g, 20), 1004);
    EXPECT_EQ(columnOf(g, 2), 100); // 50 + 954 / 19 = 100.2, truncated
    EXPECT_EQ(rowOf(g, 25), 50);
    EXPECT_EQ(rowOf(g, -25), 530);
    EXPECT_EQ(rowOf(g, 0), 290);
    EXPECT_EQ(rowOf(g, 3), 261); // 290 − 28.8, truncated toward zero
    // The value of a row runs back the other way, unlimited.
    EXPECT_DOUBLE_EQ(valueAtRow(g, 290), 0);
    EXPECT_DOUBLE_EQ(valueAtRow(g, 50), 25);
    EXPECT_DOUBLE_EQ(valueAtRow(g, 2), 30);

    // The injection map: plot 20 px from the right, 45 px from the bottom.
    const SChartGeometry map = chartGeometry({0, 100, 10, 0, 20, 1}, {50, 50, 20, 45}, 800, 400);
    EXPECT_EQ(columnOf(map, 0), 50);
    EXPECT_EQ(columnOf(map, 100), 780);
    EXPECT_EQ(rowOf(map, 0), 355);
    EXPECT_EQ(rowOf(map, 20), 50);

    // A control smaller than its margins still has a plot to divide by.
    const SChartGeometry tiny = chartGeometry({1, 20, 1, -25, 25, 1}, {50, 50, 20, 50}, 40, 40);
    EXPECT_GE(tiny.width, 1);
    EXPECT_GE(tiny.height, 1);
    EXPECT_EQ(scaledMargins({50, 50, 20, 45}, 0.5).bottom, 23);
}

TEST(ChartGrid, LinesRunFromEndToEndWithAnExactZero)
{
    const auto y = gridValues(-25, 25, 1);
    ASSERT_EQ(y.size(), 51u);
    EXPECT_EQ(y.front(), -25);
    EXPECT_EQ(y[25], 0.0);
    EXPECT_EQ(y.back(), 25);
    EXPECT_EQ(gridValues(1, 20, 1).size(), 20u);
    EXPECT_EQ(gridValues(0, 100, 10).size(), 11u);
    // A step that binary fractions cannot hold keeps its last line.
    const auto tenths = gridValues(0, 1, 0.1);
    ASSERT_EQ(tenths.size(), 11u);
    EXPECT_NEAR(tenths.back(), 1, 1e-12);
    EXPECT_TRUE(gridValues(0, 1, 0).empty());
    EXPECT_TRUE(gridValues(1, 0, 1).empty());
}

TEST(ChartHit, TakesTheFirstDrawnPointWithinEightPixels)
{
    const SChartGeometry g = corrChart();
    auto points = flatTable();
    // Point 5 (x = 5 ms) sits at column 50 + 954 × 4 / 19 = 250.8 → 250, row 290.
    EXPECT_EQ(pointAt(g, points, 250, 290), 4);
    EXPECT_EQ(pointAt(g, points, 258, 282), 4);
    EXPECT_EQ(pointAt(g, points, 259, 290), -1);
    EXPECT_EQ(pointAt(g, points, 250, 299), -1);
    EXPECT_EQ(pointAt(g, points, 250, 100), -1);

    // Where two points overlap the lower index wins.
    points[5] = {5.1, 0};
    EXPECT_EQ(pointAt(g, points, 252, 290), 4);
    // A point beyond the range is not drawn, so it cannot be taken either.
    points[4].y = 26;
    EXPECT_EQ(pointAt(g, points, 250, rowOf(g, 26)), -1);
}

TEST(ChartSteps, DragsAndArrowsStopAtTheLimits)
{
    const SChartGeometry g = corrChart();
    EXPECT_EQ(dragValue(g, 261), 3);  // 3.02
    EXPECT_EQ(dragValue(g, 295), -1); // -0.52 rounds away from zero
    EXPECT_EQ(dragValue(g, 0), 25);   // above the plot
    EXPECT_EQ(dragValue(g, -400), 25);
    EXPECT_EQ(dragValue(g, 900), -25); // below it

    EXPECT_EQ(keyStep(24, 1, -25, 25), 25);
    EXPECT_FALSE(keyStep(25, 1, -25, 25));
    EXPECT_EQ(keyStep(-24, -1, -25, 25), -25);
    EXPECT_FALSE(keyStep(-25, -1, -25, 25));
    // A stored value beyond the chart: a step toward it lands on the edge,
    // a step away from it does nothing.
    EXPECT_EQ(keyStep(40, -1, -25, 25), 25);
    EXPECT_FALSE(keyStep(40, 1, -25, 25));
    EXPECT_EQ(keyStep(-60, 1, -25, 25), -25);
}

TEST(ChartRepaint, AMovedPointRepaintsTheLinesToItsNeighbours)
{
    const SChartGeometry g = corrChart();
    const auto points = flatTable();
    const SRect square = pointSquare(g, points[4]);
    EXPECT_EQ(square, (SRect{241, 281, 260, 300})); // (250, 290) ± 8, plus the edge pixel

    const SRect middle = moveBand(g, points, 4);
    EXPECT_EQ(middle.left, columnOf(g, 4) - 1);
    EXPECT_EQ(middle.right, columnOf(g, 6) + 2);
    EXPECT_EQ(middle.top, 50 - 8 - 1);
    EXPECT_EQ(middle.bottom, 530 + 8 + 2);
    EXPECT_EQ(moveBand(g, points, 0).left, 50 - 8 - 1);
    EXPECT_EQ(moveBand(g, points, 0).right, columnOf(g, 2) + 2);
    EXPECT_EQ(moveBand(g, points, 19).right, 1004 + 8 + 2);
    EXPECT_TRUE(moveBand(g, points, 20).isEmpty());
    EXPECT_TRUE(moveBand(g, points, -1).isEmpty());
}
