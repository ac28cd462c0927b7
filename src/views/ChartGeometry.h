// Where the grid charts draw and what they repaint: the value ↔ pixel mapping
// of a plot, its grid lines, hitting a point with the mouse, and the steps a
// drag or an arrow key takes. Kept apart from the widgets so that the rules
// can be checked without a window.
// Thread safety: pure functions and plain data.
#pragma once

#include <optional>
#include <vector>

#include "views/GaugeGeometry.h"

struct SChartAxes {
    double xMin = 0;
    double xMax = 1;
    double xStep = 1;
    double yMin = 0;
    double yMax = 1;
    double yStep = 1;
};

// Distances of the plot from the control's edges, in pixels.
struct SChartMargins {
    double left = 50;
    double top = 50;
    double right = 20;
    double bottom = 50;
};

struct SChartGeometry {
    SChartAxes axes;
    // The plot's top left corner and size in pixels.
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// A plot inside a client area of this size; never narrower or lower than 1.
SChartGeometry chartGeometry(const SChartAxes& axes, const SChartMargins& margins, int clientWidth,
                             int clientHeight);
SChartMargins scaledMargins(const SChartMargins& margins, double scale);

// Pixel column of x and row of y, truncated toward zero.
int columnOf(const SChartGeometry& g, double x);
int rowOf(const SChartGeometry& g, double y);
// The value a pixel row stands for (not limited to the range).
double valueAtRow(const SChartGeometry& g, int row);
bool insideRanges(const SChartGeometry& g, double x, double y);

// The grid's values from min to max, both included; each one computed from
// min rather than summed up, so that 0 comes out as exactly 0.
std::vector<double> gridValues(double min, double max, double step);

// How far from a point's centre a click still takes it, in pixels.
constexpr int POINT_HIT = 8;
// The first point, in index order, within POINT_HIT of the mouse on both
// axes; points outside the ranges are not drawn and cannot be hit. -1 when
// no point is near.
int pointAt(const SChartGeometry& g, const std::vector<SPointF>& points, int mx, int my);

// The value a drag to this pixel row gives: rounded half away from zero to
// a whole number, then limited to the y range.
double dragValue(const SChartGeometry& g, int row);
// One arrow-key step (+1 up, -1 down) from y, limited to [min, max]; nothing
// when the step would not move y that way (the point is at the limit). A
// value beyond the limits comes back to the nearer limit at the first step
// toward it.
std::optional<double> keyStep(double y, int direction, double min, double max);

// The square a point's dot covers, centre ± POINT_HIT, plus one pixel for
// the antialiased edge.
SRect pointSquare(const SChartGeometry& g, const SPointF& p);
// What moving point `index` up or down repaints: from the previous point's
// column (POINT_HIT left of it for the first point) to the next one's
// (POINT_HIT right of it for the last), over the plot's height and
// POINT_HIT more above and below; empty for an index outside the points.
SRect moveBand(const SChartGeometry& g, const std::vector<SPointF>& points, int index);
// The plot with room for the dots that sit on its edges.
SRect plotBounds(const SChartGeometry& g, int dotReach);
