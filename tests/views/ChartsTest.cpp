#include <utility>
#include <vector>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QImage>

#include <gtest/gtest.h>

#include "lang/Translation.h"
#include "views/CMapChart.h"
#include "views/CTimeCorrChart.h"
#include "views/ChartInput.h"
#include "views/GaugeRects.h"

namespace {

using SReports = std::vector<std::pair<int, double>>;

class Charts : public ::testing::Test {
protected:
    void SetUp() override { setCurrentLanguage(LANG_PL); }
    void TearDown() override { setCurrentLanguage(LANG_PL); }

    // The correction chart over a full upper pane, its reports collected.
    void makeCorrChart()
    {
        m_corr.resize(1024, 580);
        m_corr.setTexts();
        QObject::connect(&m_corr, &CTimeCorrChart::pointChanged, [this](int i, double v) {
            m_reports.push_back({i, v});
        });
    }

    CTimeCorrChart m_corr;
    SReports m_reports;
};

QString accessibleValue(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Value) : QString();
}

QColor pixel(QWidget* w, QPoint at)
{
    return w->grab().toImage().pixelColor(at);
}

} // namespace

TEST_F(Charts, MouseTakesAPointAndDragsItWithinTheRangeUntilRelease)
{
    makeCorrChart();
    // Far from every point: nothing is taken, nothing moves, nothing is told.
    press(&m_corr, {500, 120});
    EXPECT_FALSE(m_corr.dragging());
    dragTo(&m_corr, {500, 60});
    release(&m_corr, {500, 60});
    EXPECT_EQ(m_corr.selected(), 0);
    EXPECT_TRUE(m_reports.empty());

    // Eight pixels off the centre of the 5 ms point still takes it.
    const QPoint five = m_corr.pointPixel(4);
    press(&m_corr, five + QPoint(8, -8));
    EXPECT_TRUE(m_corr.dragging());
    EXPECT_EQ(m_corr.selected(), 4);
    EXPECT_EQ(m_corr.lastInvalidated().size(), 2u); // the old and the new selection

    dragTo(&m_corr, {five.x() + 300, -200}); // far above the plot, and aside
    EXPECT_EQ(m_corr.value(4), 25);
    ASSERT_EQ(m_corr.lastInvalidated().size(), 1u);
    const QRect band = m_corr.lastInvalidated()[0];
    EXPECT_EQ(band, toQRect(moveBand(m_corr.geometry(), {{4, 0}, {5, 25}, {6, 0}}, 1)));
    EXPECT_LT(band.width(), m_corr.width() / 5) << "only the lines next to the point";
    dragTo(&m_corr, {five.x(), 2000});
    EXPECT_EQ(m_corr.value(4), -25);
    dragTo(&m_corr, {five.x(), rowOf(m_corr.geometry(), 3)});
    EXPECT_EQ(m_corr.value(4), 3);
    dragTo(&m_corr, {five.x(), rowOf(m_corr.geometry(), 3) + 1}); // still 3: no repaint
    EXPECT_TRUE(m_corr.lastInvalidated().empty());
    EXPECT_TRUE(m_reports.empty()) << "a drag reports when it ends";
    release(&m_corr, {five.x(), rowOf(m_corr.geometry(), 3)});
    EXPECT_EQ(m_reports, (SReports{{4, 3}}));
    EXPECT_FALSE(m_corr.dragging());

    // A drag that ends where it started reports all the same.
    press(&m_corr, m_corr.pointPixel(4));
    release(&m_corr, m_corr.pointPixel(4));
    EXPECT_EQ(m_reports, (SReports{{4, 3}, {4, 3}}));

    // A release lost to another window ends the drag at the next move.
    press(&m_corr, m_corr.pointPixel(6));
    sendMouse(&m_corr, QEvent::MouseMove, {0, 0}, Qt::NoButton);
    EXPECT_FALSE(m_corr.dragging());
    EXPECT_EQ(m_reports.back(), (std::pair<int, double>{6, 0}));

    // Drawn where the chart says: the selected point dark red, the others green.
    EXPECT_EQ(pixel(&m_corr, m_corr.pointPixel(6)), QColor(140, 0, 0));
    EXPECT_EQ(pixel(&m_corr, m_corr.pointPixel(4)), QColor(20, 150, 20));
}

TEST_F(Charts, ArrowsStepTheSelectedPointAndStopAtTheEnds)
{
    makeCorrChart();
    EXPECT_FALSE(tapKey(&m_corr, Qt::Key_Left)) << "point 1 has no left neighbour";
    for (int i = 0; i < 19; ++i)
        ASSERT_TRUE(tapKey(&m_corr, Qt::Key_Right));
    EXPECT_EQ(m_corr.selected(), 19);
    EXPECT_FALSE(tapKey(&m_corr, Qt::Key_Right));
    EXPECT_EQ(m_corr.selected(), 19);
    EXPECT_TRUE(m_reports.empty()) << "choosing a point changes no value";

    for (int i = 0; i < 25; ++i)
        ASSERT_TRUE(tapKey(&m_corr, Qt::Key_Up));
    EXPECT_EQ(m_corr.value(19), 25);
    ASSERT_EQ(m_reports.size(), 25u);
    EXPECT_EQ(m_reports.front(), (std::pair<int, double>{19, 1}));
    EXPECT_EQ(m_reports.back(), (std::pair<int, double>{19, 25}));
    EXPECT_FALSE(tapKey(&m_corr, Qt::Key_Up)) << "25 is the top";
    EXPECT_EQ(m_reports.size(), 25u);
    // A held key's repeats are not steps of their own.
    EXPECT_FALSE(tapKey(&m_corr, Qt::Key_Down, true));
    EXPECT_EQ(m_corr.value(19), 25);

    EXPECT_TRUE(tapKey(&m_corr, Qt::Key_Down));
    EXPECT_EQ(m_reports.back(), (std::pair<int, double>{19, 24}));
    EXPECT_FALSE(tapKey(&m_corr, Qt::Key_A));

    // A stored correction beyond the chart comes back to its edge.
    m_corr.setValue(18, -40);
    tapKey(&m_corr, Qt::Key_Left);
    EXPECT_FALSE(tapKey(&m_corr, Qt::Key_Down));
    EXPECT_TRUE(tapKey(&m_corr, Qt::Key_Up));
    EXPECT_EQ(m_corr.value(18), -25);
}

TEST_F(Charts, CorrectionChartReadsOutTheSelectedPointInTheLanguageShown)
{
    makeCorrChart();
    m_corr.setValue(4, 3);
    m_corr.setValue(5, -3);
    press(&m_corr, m_corr.pointPixel(4));
    release(&m_corr, m_corr.pointPixel(4));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&m_corr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Chart);
    EXPECT_EQ(a->text(QAccessible::Name), QString("Poprawki [%] dla czasów wtrysków"));
    EXPECT_EQ(accessibleValue(&m_corr), QString("5 ms: +3 %"));
    EXPECT_TRUE(m_corr.accessibleDescription().contains("6 ms: -3 %; 7 ms: 0 %"));

    setCurrentLanguage(LANG_RU);
    m_corr.setTexts();
    EXPECT_EQ(m_corr.xCaption(), QString("Времена впрыска [мс]"));
    EXPECT_EQ(accessibleValue(&m_corr), QString("5 мс: +3 %"));
    EXPECT_EQ(m_corr.yAxisLabel(-15), QString("-15"));
    EXPECT_EQ(m_corr.yAxisLabel(-14), QString());
}

TEST_F(Charts, MapPointsLandOnTheirPixelsAndRepaintOnlyTheirDots)
{
    setCurrentLanguage(LANG_EN);
    CMapChart map;
    map.resize(1000, 400); // plot 930 × 305 from (50, 50)
    EXPECT_EQ(map.title(), QString("Injection map"));
    EXPECT_EQ(map.xCaption(), QString("Pressure intake [kPa]"));
    EXPECT_EQ(map.yCaption(), QString("[ms]"));

    const SMapPoint petrol{50, 10, MAP_PETROL};
    const SMapPoint lpg{31, 4.5, MAP_LPG};
    map.addPoint(petrol);
    EXPECT_EQ(map.pointPixel(petrol), QPoint(515, 202)); // 50 + 465, 355 − 152.5
    EXPECT_EQ(map.lastInvalidated(), std::vector<QRect>{map.dotRect(petrol)});
    EXPECT_LT(map.dotRect(petrol).width(), 12);
    map.addPoint(lpg);
    map.addPoint({120, 5, MAP_LPG}); // beyond 100 kPa: kept, not drawn
    EXPECT_TRUE(map.lastInvalidated().empty());
    EXPECT_EQ(map.points().size(), 3u);
    EXPECT_EQ(accessibleValue(&map), QString("Gasoline: 1, LPG: 2"));

    const QImage shown = map.grab().toImage();
    EXPECT_EQ(shown.pixelColor(map.pointPixel(petrol)), QColor(190, 0, 0));
    EXPECT_EQ(shown.pixelColor(map.pointPixel(lpg)), QColor(0, 0, 190));
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(192, 192, 192));

    // The grid is drawn once; the data repaint over a copy of it.
    map.grab();
    map.addPoint({20, 2, MAP_PETROL});
    map.grab();
    EXPECT_EQ(map.backgroundBuilds(), 1);
    map.resize(800, 400);
    map.grab();
    EXPECT_EQ(map.backgroundBuilds(), 2);

    // A whole map at once is one repaint of the plot; so is clearing it.
    std::vector<SMapPoint> drive;
    for (int b = 0; b < 50; ++b)
        drive.push_back({2.0 * b, 1 + b * 0.3, b % 2 ? MAP_LPG : MAP_PETROL});
    map.setPoints(drive);
    ASSERT_EQ(map.lastInvalidated().size(), 1u);
    EXPECT_TRUE(map.lastInvalidated()[0].contains(map.dotRect(drive.back())));
    map.clear();
    EXPECT_EQ(map.lastInvalidated().size(), 1u);
    EXPECT_TRUE(map.points().empty());
    map.clear();
    EXPECT_TRUE(map.lastInvalidated().empty());
}
