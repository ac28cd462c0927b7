#include "views/CMapChart.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "lang/Translation.h"
#include "views/GaugeRects.h"

namespace {

const SChartAxes kAxes{0.0, 100.0, 10.0, 0.0, 20.0, 1.0};
const SChartMargins kMargins{50, 50, 20, 45};
// Samples lie a tenth of a millisecond apart, a few pixels on the map: a
// small dot keeps neighbours apart.
constexpr double kDotRadius = 2;
constexpr int kLabelGap = 5;

} // namespace

CMapChart::CMapChart(QWidget* parent) : CGridChart(kAxes, kMargins, kLabelGap, parent)
{
    setTexts();
}

QColor CMapChart::seriesColor(EMapFuel series)
{
    return series == MAP_PETROL ? QColor(190, 0, 0) : QColor(0, 0, 190);
}

void CMapChart::setTexts()
{
    setCaptions(QString::fromStdString(translate("Mapa wtrysków")),
                QString::fromStdString(translate("Podciśnienie [kPa]")),
                QString::fromStdString(translate("[ms]")));
    setAccessibleDescription(accessibleValueText());
}

QString CMapChart::accessibleValueText() const
{
    return QString::fromStdString(
        translateFill("Benzyna: %1, LPG: %2", {std::to_string(m_petrol), std::to_string(m_lpg)}));
}

QPoint CMapChart::pointPixel(const SMapPoint& point) const
{
    return {columnOf(geometry(), point.m_vacuumKpa), rowOf(geometry(), point.m_timeMs)};
}

QRect CMapChart::dotRect(const SMapPoint& point) const
{
    const QPoint at = pointPixel(point);
    // One pixel more for the antialiased edge.
    const int reach = static_cast<int>(std::ceil(kDotRadius * scale())) + 1;
    return QRect(at.x() - reach, at.y() - reach, 2 * reach + 1, 2 * reach + 1);
}

void CMapChart::setPoints(std::vector<SMapPoint> points)
{
    beginChange();
    if (points == m_points)
        return;
    m_points = std::move(points);
    m_petrol = static_cast<int>(std::count_if(
        m_points.begin(), m_points.end(), [](const auto& p) { return p.m_series == MAP_PETROL; }));
    m_lpg = static_cast<int>(m_points.size()) - m_petrol;
    invalidate(toQRect(plotBounds(geometry(), static_cast<int>(std::ceil(kDotRadius * scale())))));
    setAccessibleDescription(accessibleValueText());
    announceValue();
}

void CMapChart::addPoint(const SMapPoint& point)
{
    beginChange();
    m_points.push_back(point);
    ++(point.m_series == MAP_PETROL ? m_petrol : m_lpg);
    if (insideRanges(geometry(), point.m_vacuumKpa, point.m_timeMs))
        invalidate(dotRect(point));
    setAccessibleDescription(accessibleValueText());
    announceValue();
}

void CMapChart::clear()
{
    setPoints({});
}

void CMapChart::paint(QPainter& p)
{
    const SChartGeometry& g = geometry();
    const QRect exposed = exposedRect();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const double radius = kDotRadius * scale();
    for (const SMapPoint& point : m_points) {
        if (!insideRanges(g, point.m_vacuumKpa, point.m_timeMs))
            continue;
        // A growing map repaints one dot at a time; the others need not be
        // drawn only to be clipped away.
        if (!exposed.intersects(dotRect(point)))
            continue;
        p.setBrush(seriesColor(point.m_series));
        p.drawEllipse(QPointF(pointPixel(point)), radius, radius);
    }
}
