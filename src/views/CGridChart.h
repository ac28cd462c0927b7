// The labelled grid both calibration charts stand on: the plot's value ↔
// pixel mapping, dotted grid lines with their numbers, the title and the two
// axis captions. Grid and texts change only with the size, the scale or the
// language, so they are drawn once into a cached picture and every repaint
// of the data copies the exposed part of it.
// Thread safety: the user-interface thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

#include "controls/CCompCtrl.h"
#include "views/ChartGeometry.h"

class CGridChart : public CCompCtrl {
    Q_OBJECT
public:
    // The label of a grid value, empty for an unlabelled line: "%.0f" for
    // every x, and for a y that is a whole multiple of 5.
    virtual QString xAxisLabel(double value) const;
    virtual QString yAxisLabel(double value) const;

    // Margins and fonts are design pixels; the screen's scale shrinks them
    // with the form.
    void setScale(double scale);
    double scale() const { return m_scale; }
    // What the grid stands on; the panels' grey unless set (paper wants white).
    void setBackgroundColor(const QColor& color);

    // Follows the control's size even while it is hidden, when Qt holds the
    // resize event back until it is shown.
    const SChartGeometry& geometry() const;
    const QString& title() const { return m_title; }
    const QString& xCaption() const { return m_xCaption; }
    const QString& yCaption() const { return m_yCaption; }
    // How often the grid picture was drawn; a repaint of the data alone
    // does not draw it.
    int backgroundBuilds() const { return m_backgroundBuilds; }

    // What assistive technology reads as the chart's value.
    virtual QString accessibleValueText() const = 0;

protected:
    // labelGap: design pixels between the plot and its numbers, enough to
    // keep the data's dots on the plot's edges off the numbers.
    CGridChart(const SChartAxes& axes, const SChartMargins& margins, int labelGap, QWidget* parent);

    // Already translated; the title is the chart's accessible name too.
    void setCaptions(const QString& title, const QString& xCaption, const QString& yCaption);
    // Tells assistive technology that the value text changed.
    void announceValue();

    // The part of the control the paint under way covers.
    const QRect& exposedRect() const { return m_exposed; }

    void eraseBackground(QPainter& p) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut() const;
    void drawBackground(QPainter& p) const;
    void drawGrid(QPainter& p) const;
    void drawTexts(QPainter& p) const;

    SChartAxes m_axes;
    SChartMargins m_designMargins;
    int m_labelGap;
    double m_scale = 1;
    QColor m_backgroundColor;
    QString m_title;
    QString m_xCaption;
    QString m_yCaption;
    QRect m_exposed;
    // The layout of the size last seen, made afresh when the size differs.
    mutable SChartGeometry m_geometry;
    mutable QSize m_laidOut;
    mutable QFont m_numberFont;
    mutable QFont m_captionFont;
    mutable QFont m_titleFont;
    mutable QPixmap m_background;
    int m_backgroundBuilds = 0;
};
