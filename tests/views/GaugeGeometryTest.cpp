#include <cmath>

#include <gtest/gtest.h>

#include "app/CScreenInfo.h"
#include "views/GaugeGeometry.h"

namespace {

// The engine-speed dial of the gauge panel at the design size.
SDialGeometry rpmDial()
{
    return dialGeometry({280, 0, 620, 340}, DIAL_MARGIN, DIAL_BOTTOM_GAP, 0, 8000);
}

bool contains(const SRect& r, const SPointF& p)
{
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

} // namespace

TEST(DialNeedle, StaysOnTheScaleAndTurnsThroughTheTop)
{
    const SDialGeometry g = rpmDial();
    // R = 340 / 2 - 80 = 90 around (450, 170); a0 = acos((90 - 40) / 90).
    EXPECT_DOUBLE_EQ(g.radius, 90);
    EXPECT_DOUBLE_EQ(g.cx, 450);
    EXPECT_DOUBLE_EQ(g.cy, 170);
    const double a0 = std::acos(50.0 / 90.0);
    EXPECT_DOUBLE_EQ(needleAngle(g, 0), a0);
    EXPECT_DOUBLE_EQ(needleAngle(g, 8000), 6.28 - a0);
    // Beyond the range the needle rests at its end, never wraps round.
    EXPECT_DOUBLE_EQ(needleAngle(g, 12000), 6.28 - a0);
    EXPECT_DOUBLE_EQ(needleAngle(g, -500), a0);

    // The start lies on the left, 40 px above the needle circle's bottom.
    const SPointF start = needleTip(g, 0);
    EXPECT_NEAR(start.x, 450 - 90 * std::sin(a0), 1e-9);
    EXPECT_NEAR(start.y, 220, 1e-9);
    // Mid-scale points straight up (3.14 rad, not quite π).
    const SPointF mid = needleTip(g, 4000);
    EXPECT_NEAR(mid.x, 450, 0.2);
    EXPECT_NEAR(mid.y, 80, 1e-3);
    const SPointF end = needleTip(g, 8000);
    EXPECT_GT(end.x, 450);
    EXPECT_NEAR(end.y, 220, 0.5);
}

TEST(DialNeedle, RepaintsOldNeedleNewNeedleAndValueBoxOnly)
{
    const SDialGeometry g = rpmDial();
    const SRect box = valueBox(g, 40);
    // The box spans the middle third and sits in the scale's open gap,
    // clear of the start and end of the needle's travel.
    EXPECT_EQ(box.left, 280 + 340 / 3);
    EXPECT_EQ(box.right, 620 - 340 / 3);
    EXPECT_GT(box.top, needleTip(g, 0).y);

    EXPECT_TRUE(dialInvalidation(g, 2500, 2500, box).empty());
    const auto areas = dialInvalidation(g, 1000, 7000, box);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_TRUE(contains(areas[0], needleTip(g, 1000)));
    EXPECT_TRUE(contains(areas[0], {g.cx, g.cy}));
    EXPECT_FALSE(contains(areas[0], needleTip(g, 7000)));
    EXPECT_TRUE(contains(areas[1], needleTip(g, 7000)));
    EXPECT_EQ(areas[2], box);
}

TEST(LambdaLeds, IndexFollowsTheProbeType)
{
    struct SCase {
        int type;
        int leds;
        double volts;
        int lit;
    };
    const SCase cases[] = {
        {1, 15, 0.45, 6},  // 14 × 0.45 = 6.3
        {1, 15, 0.0, 0},   //
        {1, 15, 2.0, 14},  // beyond the row: the last LED
        {2, 15, 5.0, 14},  // 14 × 5 / 5
        {2, 15, 2.5, 7},   //
        {3, 15, 0.0, 14},  // falling probe: 0 V is rich
        {3, 15, 5.0, 0},   //
        {4, 15, 1.2, 7},   // (1.2 - 0.8) × 14 × 10 / 8 = 7
        {4, 15, 0.5, 0},   // below 0.8 V: the first LED
        {9, 15, 0.9, 0},   // unknown type
        {1, 9, 0.5625, 5}, // 8 × 0.5625 = 4.5 rounds away from zero
        {2, 9, 5.0, 8},    //
    };
    for (const SCase& c : cases)
        EXPECT_EQ(lambdaLedIndex(c.type, c.leds, c.volts), c.lit)
            << "type " << c.type << ", " << c.leds << " LEDs, " << c.volts << " V";
}

TEST(LambdaLeds, RowOfEqualLedsWithGaps)
{
    // (1022 - 16 × 5) / 15 = 62.8, rounded to 63.
    const auto leds = ledLayout({2, 20, 1024, 68}, 15, 5);
    ASSERT_EQ(leds.size(), 15u);
    EXPECT_EQ(leds[0], (SRect{7, 20, 70, 68}));
    EXPECT_EQ(leds[1].left, 75);
    EXPECT_EQ(leds[14].left, 7 + 14 * 68);
    EXPECT_LE(leds[14].right, 1024);
}

TEST(InjectionBars, LayoutHeightAndRepaintStrips)
{
    // The panel's bar area at the design size: 724 px wide, 165 high.
    const auto bars = barLayout({150, 340, 874, 505}, 4, 15, 5, 60);
    ASSERT_EQ(bars.size(), 4u);
    // (724 - 5 × 15) / 4 = 162.25 → 162.
    EXPECT_EQ(bars[0].bar, (SRect{165, 345, 327, 440}));
    EXPECT_EQ(bars[0].text, (SRect{165, 445, 327, 500}));
    EXPECT_EQ(bars[3].bar.left, 165 + 3 * 177);

    const SRect& bar = bars[0].bar; // 95 px high
    EXPECT_EQ(barTop(bar, 0, 0, 30), 440);
    EXPECT_EQ(barTop(bar, 30, 0, 30), 345);
    EXPECT_EQ(barTop(bar, 15, 0, 30), 440 - 48); // 47.5 rounds away from zero

    EXPECT_EQ(petrolHalf(bar), (SRect{165, 345, 246, 440}));
    EXPECT_EQ(lpgHalf(bar), (SRect{246, 345, 327, 440}));
    EXPECT_TRUE(barStrip(petrolHalf(bar), 15, 15, 0, 30).isEmpty());
    // Only the rows between the two heights, one pixel wider each side.
    EXPECT_EQ(barStrip(petrolHalf(bar), 30, 15, 0, 30), (SRect{164, 345, 247, 392}));
}

TEST(PanelLayout, DesignSizeAndSmallScreen)
{
    CScreenInfo design;
    const SPanelLayout a = analogLayout(1024, 580, design);
    EXPECT_EQ(a.tempr, (SRect{0, 0, 280, 280}));
    EXPECT_EQ(a.rpm, (SRect{280, 0, 620, 340}));
    EXPECT_EQ(a.press, (SRect{620, 0, 900, 280}));
    EXPECT_EQ(a.lambda, (SRect{2, 505, 1024, 575}));
    EXPECT_EQ(a.bars, (SRect{150, 340, 874, 505}));

    const SPanelLayout s = autoSetupLayout(700, 400, design);
    // w = (400 - 75) × 9 / 10 = 292, 10 px below the top.
    EXPECT_EQ(s.rpm, (SRect{0, 10, 292, 302}));
    EXPECT_EQ(s.bars, (SRect{292, 0, 700, 325}));

    CScreenInfo small;
    small.setWorkArea(800, 570);
    const SPanelLayout b = analogLayout(800, 443, small);
    for (const SRect& dial : {b.tempr, b.rpm, b.press}) {
        EXPECT_EQ(dial.width(), dial.height()) << "dials stay round";
        EXPECT_LE(dial.right, 800);
    }
    EXPECT_LE(b.rpm.left, b.tempr.right + 10);
    EXPECT_GE(b.press.left, b.rpm.right);
    EXPECT_EQ(b.lambda, (SRect{2, 443 - 57, 800, 443 - 4}));
    EXPECT_EQ(b.bars.top, b.rpm.bottom);
    EXPECT_GT(b.bars.height(), 60);
    EXPECT_EQ(b.dialMargin, 63); // 80 × 800 / 1024 = 62.5
}
