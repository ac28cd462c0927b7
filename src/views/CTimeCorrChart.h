// The editable chart of the correction table: twenty corrections in per
// cent, one for each petrol injection time from 1 ms to 20 ms, drawn as
// points joined by a line. The fitter picks a point with the mouse or the
// left and right arrows and moves it with the mouse or the up and down
// arrows; each change made this way is reported by pointChanged. The chart
// holds no settings, only the points it shows.
// Thread safety: the user-interface thread only.
#pragma once

#include <vector>

#include "views/CGridChart.h"

class CTimeCorrChart : public CGridChart {
    Q_OBJECT
public:
    static constexpr int POINT_COUNT = 20;
    static constexpr double LIMIT = 25; // per cent either way

    explicit CTimeCorrChart(QWidget* parent = nullptr);

    // Sets a point's correction without repainting; an index outside the
    // points is ignored.
    void setValue(int index, double value);
    double value(int index) const;
    int count() const { return static_cast<int>(m_points.size()); }
    int selected() const { return m_selected; }
    // A printed chart has no selected point to stand out.
    void setSelectionShown(bool shown);
    bool dragging() const { return m_dragging; }
    // Where a point's centre is drawn, in the chart's own pixels.
    QPoint pointPixel(int index) const;
    // The title and the axis captions in the current language.
    void setTexts();

    // The selected point, e.g. "5 ms: +3 %".
    QString accessibleValueText() const override;
    QString pointText(int index) const;

signals:
    // After each change the user makes: a drag that ended (even where it
    // started) or an up or down arrow that moved the point.
    void pointChanged(int index, double value);

protected:
    void paint(QPainter& p) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void select(int index);
    // Moves the selected point and repaints the band its line runs through.
    void moveSelected(double value);
    void endDrag();
    void describe();

    std::vector<SPointF> m_points; // x in ms, y in per cent
    int m_selected = 0;
    bool m_selectionShown = true;
    bool m_dragging = false;
};
