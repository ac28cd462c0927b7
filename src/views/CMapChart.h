// The injection map recorded while driving: petrol injection time against
// intake-manifold vacuum, samples taken on petrol in red and on LPG in blue,
// over the grid of the correction chart.
// Thread safety: the user-interface thread only.
#pragma once

#include <vector>

#include <QColor>

#include "calib/CMapRecorder.h"
#include "views/CGridChart.h"

class CMapChart : public CGridChart {
    Q_OBJECT
public:
    explicit CMapChart(QWidget* parent = nullptr);

    // A whole map at once: one repaint of the plot.
    void setPoints(std::vector<SMapPoint> points);
    // Repaints only the new point's dot (nothing for one outside the ranges),
    // so a map that grows sample by sample costs little.
    void addPoint(const SMapPoint& point);
    void clear();
    const std::vector<SMapPoint>& points() const { return m_points; }

    // Where a point's dot is drawn, in the chart's own pixels.
    QPoint pointPixel(const SMapPoint& point) const;
    QRect dotRect(const SMapPoint& point) const;
    static QColor seriesColor(EMapFuel series);
    // The title and the axis captions in the current language.
    void setTexts();

    // How many samples of each fuel the map shows.
    QString accessibleValueText() const override;

protected:
    void paint(QPainter& p) override;

private:
    std::vector<SMapPoint> m_points;
    int m_petrol = 0;
    int m_lpg = 0;
};
