#include "views/ChartGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// The antialiased edge of a dot or a line reaches one pixel further.
constexpr int kEdge = 1;

SPointF pixelOf(const SChartGeometry& g, const SPointF& p)
{
    return {double(columnOf(g, p.x)), double(rowOf(g, p.y))};
}

} // namespace

SChartGeometry chartGeometry(const SChartAxes& axes, const SChartMargins& margins, int clientWidth,
                             int clientHeight)
{
    SChartGeometry g;
    g.axes = axes;
    g.left = margins.left;
    g.top = margins.top;
    g.width = std::max(1.0, clientWidth - margins.left - margins.right);
    g.height = std::max(1.0, clientHeight - margins.top - margins.bottom);
    return g;
}

SChartMargins scaledMargins(const SChartMargins& m, double scale)
{
    auto s = [scale](double v) { return std::round(v * scale); };
    return {s(m.left), s(m.top), s(m.right), s(m.bottom)};
}

int columnOf(const SChartGeometry& g, double x)
{
    const double span = g.axes.xMax - g.axes.xMin;
    if (span == 0)
        return static_cast<int>(g.left);
    return static_cast<int>(g.left + g.width * (x - g.axes.xMin) / span);
}

int rowOf(const SChartGeometry& g, double y)
{
    const double span = g.axes.yMax - g.axes.yMin;
    if (span == 0)
        return static_cast<int>(g.top + g.height);
    return static_cast<int>(g.top + g.height - g.height * (y - g.axes.yMin) / span);
}

double valueAtRow(const SChartGeometry& g, int row)
{
    return g.axes.yMin + (g.height - (row - g.top)) * (g.axes.yMax - g.axes.yMin) / g.height;
}

bool insideRanges(const SChartGeometry& g, double x, double y)
{
    return x >= g.axes.xMin && x <= g.axes.xMax && y >= g.axes.yMin && y <= g.axes.yMax;
}

std::vector<double> gridValues(double min, double max, double step)
{
    std::vector<double> values;
    if (!(step > 0) || max < min)
        return values;
    // A hair of tolerance keeps the last line when the step does not divide
    // the span exactly in binary.
    const auto count = static_cast<long>(std::floor((max - min) / step + 1e-9));
    for (long i = 0; i <= count; ++i)
        values.push_back(min + double(i) * step);
    return values;
}

int pointAt(const SChartGeometry& g, const std::vector<SPointF>& points, int mx, int my)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!insideRanges(g, points[i].x, points[i].y))
            continue;
        const int px = columnOf(g, points[i].x);
        const int py = rowOf(g, points[i].y);
        if (mx >= px - POINT_HIT && mx <= px + POINT_HIT && my >= py - POINT_HIT &&
            my <= py + POINT_HIT)
            return static_cast<int>(i);
    }
    return -1;
}

double dragValue(const SChartGeometry& g, int row)
{
    return std::clamp(std::round(valueAtRow(g, row)), g.axes.yMin, g.axes.yMax);
}

std::optional<double> keyStep(double y, int direction, double min, double max)
{
    const double next = std::clamp(y + direction, min, max);
    if ((direction > 0 && next > y) || (direction < 0 && next < y))
        return next;
    return std::nullopt;
}

SRect pointSquare(const SChartGeometry& g, const SPointF& p)
{
    const SPointF at = pixelOf(g, p);
    const int x = static_cast<int>(at.x);
    const int y = static_cast<int>(at.y);
    return {x - POINT_HIT - kEdge, y - POINT_HIT - kEdge, x + POINT_HIT + kEdge + 1,
            y + POINT_HIT + kEdge + 1};
}

SRect moveBand(const SChartGeometry& g, const std::vector<SPointF>& points, int index)
{
    if (index < 0 || index >= static_cast<int>(points.size()))
        return {};
    const auto i = static_cast<std::size_t>(index);
    const int px = columnOf(g, points[i].x);
    int from = px - POINT_HIT;
    int to = px + POINT_HIT;
    if (i > 0)
        from = std::min(from, columnOf(g, points[i - 1].x));
    if (i + 1 < points.size())
        to = std::max(to, columnOf(g, points[i + 1].x));
    const int top = static_cast<int>(g.top) - POINT_HIT;
    const int bottom = static_cast<int>(g.top + g.height) + POINT_HIT;
    return {from - kEdge, top - kEdge, to + kEdge + 1, bottom + kEdge + 1};
}

SRect plotBounds(const SChartGeometry& g, int dotReach)
{
    const int left = static_cast<int>(g.left);
    const int top = static_cast<int>(g.top);
    const int right = static_cast<int>(g.left + g.width);
    const int bottom = static_cast<int>(g.top + g.height);
    const int r = dotReach + kEdge;
    return {left - r, top - r, right + r + 1, bottom + r + 1};
}
