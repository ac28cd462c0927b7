#include "views/PlotGeometry.h"

#include <algorithm>
#include <cmath>

SPlotLayout plotLayout(int width, int height, int scales, const SPlotMargins& m)
{
    SPlotLayout l;
    l.scalesLeft = m.left;
    l.plot.left = m.left + scales * m.scale;
    l.plot.top = m.top;
    l.plot.width = std::max(1, width - l.plot.left - m.right);
    l.plot.height = std::max(1, height - m.top - m.bottom);
    return l;
}

SPlotMargins scaledMargins(const SPlotMargins& m, double scale)
{
    auto s = [scale](int v) { return std::max(1, static_cast<int>(std::lround(v * scale))); };
    return {s(m.left), s(m.top), s(m.right), s(m.bottom), s(m.scale)};
}

double xOfTime(const SPlotArea& a, const SPlotTimeAxis& t, double seconds)
{
    return a.left + (seconds - (t.end - t.span)) / t.span * a.width;
}

double timeAtX(const SPlotArea& a, const SPlotTimeAxis& t, double x)
{
    return t.end - t.span + (x - a.left) / a.width * t.span;
}

double yOfValue(const SPlotArea& a, double min, double max, double v)
{
    const double range = max > min ? max - min : 1.0;
    return a.top + a.height - (v - min) / range * a.height;
}

std::vector<double> scaleValues(double min, double max)
{
    std::vector<double> v;
    for (int k = 0; k <= PLOT_DIVISIONS; ++k)
        v.push_back(min + (max - min) * k / PLOT_DIVISIONS);
    return v;
}

int scaleDecimals(double min, double max)
{
    const double step = (max - min) / PLOT_DIVISIONS;
    for (int d = 0; d < 3; ++d) {
        const double scaled = step * std::pow(10.0, d);
        const double scaledMin = min * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 &&
            std::fabs(scaledMin - std::round(scaledMin)) < 1e-6)
            return d;
    }
    return 3;
}

double timeGridStep(double span)
{
    constexpr double kSteps[] = {1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600};
    for (const double step : kSteps)
        if (span / step <= 10.0 + 1e-9)
            return step;
    return span / 10.0;
}

std::vector<double> timeGridOffsets(double span)
{
    const double step = timeGridStep(span);
    std::vector<double> v;
    for (int k = 0; k * step <= span + 1e-9; ++k)
        v.push_back(k * step);
    return v;
}

std::vector<SPlotColumn> plotColumns(const std::deque<SPlotSample>& samples, int channel,
                                     const SPlotArea& a, const SPlotTimeAxis& t)
{
    std::vector<SPlotColumn> out;
    std::size_t from = firstSampleFrom(samples, t.end - t.span);
    if (from > 0)
        --from;
    const std::size_t to = std::min(samples.size(), firstSampleFrom(samples, t.end) + 1);
    for (std::size_t i = from; i < to; ++i) {
        const double v = samples[i].m_values[static_cast<std::size_t>(channel)];
        // The right edge itself belongs to the last column; the record
        // before the left edge stands just outside it, however old.
        const double px = std::floor(xOfTime(a, t, samples[i].m_seconds));
        const int x = static_cast<int>(std::clamp<double>(px, a.left - 1, a.left + a.width - 1));
        const bool joined =
            i > from && samples[i].m_seconds - samples[i - 1].m_seconds <= PLOT_GAP_SECONDS;
        if (!out.empty() && out.back().x == x && joined) {
            SPlotColumn& c = out.back();
            c.last = v;
            c.low = std::min(c.low, v);
            c.high = std::max(c.high, v);
        } else {
            out.push_back({x, v, v, v, v, joined});
        }
    }
    return out;
}
