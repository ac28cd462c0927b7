#include "views/GaugeGeometry.h"

#include <algorithm>
#include <cmath>

#include "app/CScreenInfo.h"
#include "data/Conversions.h"

namespace {

int roundInt(double x)
{
    return static_cast<int>(roundWhole(x));
}

double limited(double v, double lo, double hi)
{
    return std::clamp(v, std::min(lo, hi), std::max(lo, hi));
}

} // namespace

SDialGeometry dialGeometry(const SRect& rect, int margin, int bottomGap, double minimum,
                           double maximum)
{
    SDialGeometry g;
    g.rect = rect;
    // A dial too small for its margin still gets a needle of one pixel
    // rather than a negative radius that would flip the whole scale.
    g.radius = std::max(1, rect.width() / 2 - margin);
    g.cx = rect.left + margin + g.radius;
    g.cy = rect.top + margin + g.radius;
    g.a0 = std::acos(std::clamp((g.radius - bottomGap) / g.radius, -1.0, 1.0));
    g.minimum = minimum;
    g.maximum = maximum;
    return g;
}

double needleAngle(const SDialGeometry& g, double value)
{
    const double span = g.maximum - g.minimum;
    if (span == 0 || !std::isfinite(value))
        return g.a0;
    const double v = limited(value, g.minimum, g.maximum);
    return g.a0 + (v - g.minimum) * (DIAL_TURN - 2 * g.a0) / span;
}

SPointF dialPoint(const SDialGeometry& g, double angle, double radius)
{
    return {g.cx - radius * std::sin(angle), g.cy + radius * std::cos(angle)};
}

SPointF needleTip(const SDialGeometry& g, double value)
{
    return dialPoint(g, needleAngle(g, value), g.radius);
}

SRect needleBounds(const SDialGeometry& g, double value)
{
    const SPointF tip = needleTip(g, value);
    // The hub is wider than the needle; one pixel more for antialiasing.
    const double pad = std::max(NEEDLE_WIDTH / 2.0, HUB_DIAMETER / 2.0) + 1;
    return {static_cast<int>(std::floor(std::min(tip.x, g.cx) - pad)),
            static_cast<int>(std::floor(std::min(tip.y, g.cy) - pad)),
            static_cast<int>(std::ceil(std::max(tip.x, g.cx) + pad)),
            static_cast<int>(std::ceil(std::max(tip.y, g.cy) + pad))};
}

SRect valueBox(const SDialGeometry& g, int height)
{
    const int w = g.rect.width();
    const int top = roundInt(g.cy + g.radius * std::cos(g.a0)) + 2;
    return {g.rect.left + w / 3, top, g.rect.right - w / 3, top + height};
}

std::vector<SRect> dialInvalidation(const SDialGeometry& g, double from, double to,
                                    const SRect& box)
{
    if (from == to)
        return {};
    return {needleBounds(g, from), needleBounds(g, to), box};
}

int lambdaLedIndex(int lambdaType, int ledCount, double volts)
{
    const double n = std::max(0, ledCount - 1);
    double index = 0;
    switch (lambdaType) {
    case 1:
        index = n * volts;
        break;
    case 2:
        index = n * volts / 5;
        break;
    case 3:
        index = n - n * volts / 5;
        break;
    case 4:
        index = (volts - 0.8) * n * 10 / 8;
        break;
    default:
        break;
    }
    if (!std::isfinite(index))
        return 0;
    return static_cast<int>(limited(roundWhole(index), 0, n));
}

std::vector<SRect> ledLayout(const SRect& row, int count, int gap)
{
    std::vector<SRect> leds;
    if (count < 1)
        return leds;
    const int width = std::max(0, roundInt(double(row.width() - (count + 1) * gap) / count));
    for (int i = 0; i < count; ++i) {
        const int left = row.left + gap + i * (width + gap);
        leds.push_back({left, row.top, left + width, row.bottom});
    }
    return leds;
}

std::vector<SBarRects> barLayout(const SRect& area, int count, int gap, int margin, int textHeight)
{
    std::vector<SBarRects> bars;
    if (count < 1)
        return bars;
    const int width = std::max(0, roundInt(double(area.width() - (count + 1) * gap) / count));
    const int barBottom = std::max(area.top + margin, area.bottom - margin - textHeight);
    for (int i = 0; i < count; ++i) {
        const int left = area.left + gap + i * (width + gap);
        bars.push_back({{left, area.top + margin, left + width, barBottom},
                        {left, area.bottom - textHeight, left + width, area.bottom - margin}});
    }
    return bars;
}

int barTop(const SRect& bar, double v, double minimum, double maximum)
{
    const double span = maximum - minimum;
    if (span == 0 || !std::isfinite(v))
        return bar.bottom;
    const double share = (limited(v, minimum, maximum) - minimum) / span;
    return bar.bottom - roundInt(share * bar.height());
}

SRect petrolHalf(const SRect& bar)
{
    return {bar.left, bar.top, bar.left + bar.width() / 2, bar.bottom};
}

SRect lpgHalf(const SRect& bar)
{
    return {bar.left + bar.width() / 2, bar.top, bar.right, bar.bottom};
}

SRect barStrip(const SRect& half, double from, double to, double minimum, double maximum)
{
    const int a = barTop(half, from, minimum, maximum);
    const int b = barTop(half, to, minimum, maximum);
    if (a == b)
        return {};
    return {half.left - 1, std::min(a, b), half.right + 1, std::max(a, b)};
}

namespace {

// A design square scaled into its span, as large as both axes allow and
// centred across.
SRect scaledSquare(const CScreenInfo& s, int left, int top, int right, int bottom)
{
    const int l = s.scaleX(left);
    const int t = s.scaleY(top);
    const int spanW = s.scaleX(right) - l;
    const int side = std::min(spanW, s.scaleY(bottom) - t);
    const int x = l + (spanW - side) / 2;
    return {x, t, x + side, t + side};
}

SPanelLayout commonLayout(int width, int height, const CScreenInfo& s)
{
    SPanelLayout out;
    out.lambda = {2, height - s.scaleY(75), width, height - s.scaleY(5)};
    out.dialMargin = s.scaleX(DIAL_MARGIN);
    out.bottomGap = s.scaleY(DIAL_BOTTOM_GAP);
    return out;
}

} // namespace

SPanelLayout analogLayout(int width, int height, const CScreenInfo& screen)
{
    SPanelLayout out = commonLayout(width, height, screen);
    out.tempr = scaledSquare(screen, 0, 0, 280, 280);
    out.rpm = scaledSquare(screen, 280, 0, 620, 340);
    out.press = scaledSquare(screen, 620, 0, 900, 280);
    out.bars = {screen.scaleX(150), out.rpm.bottom, width - screen.scaleX(150), out.lambda.top};
    return out;
}

SPanelLayout autoSetupLayout(int width, int height, const CScreenInfo& screen)
{
    SPanelLayout out = commonLayout(width, height, screen);
    const int side = std::max(0, (height - screen.scaleY(75)) * 9 / 10);
    out.rpm = {0, 10, side, 10 + side};
    out.bars = {side, 0, width, out.lambda.top};
    return out;
}
