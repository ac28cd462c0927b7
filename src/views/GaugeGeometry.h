// Where the gauges draw and what they must repaint: dial needles, the lambda
// LED row and the injection-time bars. Kept apart from the widgets so that the
// rules can be checked without a window.
// Thread safety: pure functions and plain data.
#pragma once

#include <vector>

class CScreenInfo;

// Window-style rectangle: right and bottom lie just outside it.
struct SRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const SRect&) const = default;
};

struct SPointF {
    double x = 0;
    double y = 0;
};

// ---- dials

// The scale runs from a0 to 6.28 - a0 (not 2π: the instrument was laid out
// on 6.28, and the 0.003 rad difference is what its labels were placed on).
constexpr double DIAL_TURN = 6.28;
// Design distance between the needle's reach and the dial's edge, and the gap
// the scale leaves open at the bottom.
constexpr int DIAL_MARGIN = 80;
constexpr int DIAL_BOTTOM_GAP = 40;
constexpr int NEEDLE_WIDTH = 8;
constexpr int HUB_DIAMETER = 25;

struct SDialGeometry {
    SRect rect;
    double radius = 0; // needle length
    double cx = 0;
    double cy = 0;
    double a0 = 0; // angle of the scale's start; 0 points straight down
    double minimum = 0;
    double maximum = 1;
};

// R = width / 2 - margin, a0 = acos((R - gap) / R).
SDialGeometry dialGeometry(const SRect& rect, int margin, int bottomGap, double minimum,
                           double maximum);
// The angle of a value, limited to the range first.
double needleAngle(const SDialGeometry& g, double value);
// The point at `radius` from the centre in the direction of `angle`.
SPointF dialPoint(const SDialGeometry& g, double angle, double radius);
SPointF needleTip(const SDialGeometry& g, double value);
// Everything the needle and the hub cover at this value.
SRect needleBounds(const SDialGeometry& g, double value);
// The numeric value's box: the middle third across, in the scale's open gap.
SRect valueBox(const SDialGeometry& g, int height);
// What a move from one value to another repaints: the old needle, the new
// needle and the value box; nothing when the shown value does not change.
std::vector<SRect> dialInvalidation(const SDialGeometry& g, double from, double to,
                                    const SRect& box);

// ---- lambda LED row

// The lit LED for a probe voltage: type 1 a 0-1 V probe, 2 a 0-5 V one, 3 a
// falling 5-0 V one, 4 a 0.8-1.6 V one; unknown types light the first LED.
int lambdaLedIndex(int lambdaType, int ledCount, double volts);
// One row of equal LEDs with gaps before, between and after them.
std::vector<SRect> ledLayout(const SRect& row, int count, int gap);

// ---- injection-time bars

struct SBarRects {
    SRect bar;
    SRect text;
};

// `count` bars side by side with `gap` between and around them; the times'
// text strip below each bar.
std::vector<SBarRects> barLayout(const SRect& area, int count, int gap, int margin, int textHeight);
// Top edge of a bar filled up to value v of [minimum, maximum].
int barTop(const SRect& bar, double v, double minimum, double maximum);
// The petrol time fills the bar's left half, the LPG time its right half.
SRect petrolHalf(const SRect& bar);
SRect lpgHalf(const SRect& bar);
// What a change of one half-bar repaints: the strip between both heights,
// one pixel wider on each side; empty when the height stays.
SRect barStrip(const SRect& half, double from, double to, double minimum, double maximum);

// ---- panels

// Where a panel puts its gauges, in its own coordinates, for its client size
// on this screen; dials stay round however the two axes scale.
struct SPanelLayout {
    SRect tempr; // empty where the panel has no such dial
    SRect rpm;
    SRect press;
    SRect lambda;
    SRect bars;
    int dialMargin = DIAL_MARGIN;
    int bottomGap = DIAL_BOTTOM_GAP;
};

SPanelLayout analogLayout(int width, int height, const CScreenInfo& screen);
SPanelLayout autoSetupLayout(int width, int height, const CScreenInfo& screen);
