// Where the live plot draws: time ↔ x with the newest record at the right
// edge, value ↔ y on each channel's own range, the grid's rows and columns,
// the scales' places beside the plot, and the reduction of thousands of
// records to what the pixel columns can show. Kept apart from the widget so
// that the rules can be checked without a window.
// Thread safety: pure functions and plain data.
#pragma once

#include <deque>
#include <vector>

#include "data/CPlotSeries.h"

struct SPlotArea {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
};

// The span shown, ending at `end` (the right edge).
struct SPlotTimeAxis {
    double end = 0;
    double span = 60;
};

// Margins around the plot and the width of one channel's scale, in pixels.
struct SPlotMargins {
    int left = 4;
    int top = 22;
    int right = 12;
    int bottom = 22;
    int scale = 40;
};

struct SPlotLayout {
    SPlotArea plot;
    int scalesLeft = 0; // the first scale's left edge; each next one a scale width on
};

// The plot with `scales` shown channels' scales side by side on its left;
// never narrower or lower than 1 pixel.
SPlotLayout plotLayout(int width, int height, int scales, const SPlotMargins& m);
SPlotMargins scaledMargins(const SPlotMargins& m, double scale);

double xOfTime(const SPlotArea& a, const SPlotTimeAxis& t, double seconds);
double timeAtX(const SPlotArea& a, const SPlotTimeAxis& t, double x);
// min at the bottom edge, max at the top; a range that is empty or upside
// down reads as if it were one unit wide.
double yOfValue(const SPlotArea& a, double min, double max, double v);

// The grid's rows split every scale in as many equal parts.
constexpr int PLOT_DIVISIONS = 4;
// A scale's values at the rows, from the bottom (min) to the top (max).
std::vector<double> scaleValues(double min, double max);
// Decimals that tell the scale's values apart (0 for whole steps, at most 3).
int scaleDecimals(double min, double max);

// Seconds between two time grid lines: the smallest round step that leaves
// at most ten of them.
double timeGridStep(double span);
// The grid lines' distances before the right edge, 0 first, up to the span.
std::vector<double> timeGridOffsets(double span);

// Records further apart than this are not joined by a line: the link was
// down in between.
constexpr double PLOT_GAP_SECONDS = 1.0;

// One pixel column of a channel's trace: the first and the last value that
// fall in it and the lowest and highest between, so that a one-record spike
// survives any number of records per column. `joined` tells whether the line
// comes from the column before.
struct SPlotColumn {
    int x;
    double first;
    double last;
    double low;
    double high;
    bool joined;
};

// The columns of one channel over the span, from the record before its left
// edge (so that the line enters from the edge) to the newest one.
std::vector<SPlotColumn> plotColumns(const std::deque<SPlotSample>& samples, int channel,
                                     const SPlotArea& a, const SPlotTimeAxis& t);
