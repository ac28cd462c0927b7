// The live plot's drawing: every shown channel's trace against time on its
// own scale, the newest record at the right edge, and a cursor that picks
// one record. The grid, the scales and the time labels change only with the
// size, the span, the ranges, the shown channels or the language, so they
// are drawn once into a cached picture; a repaint copies it and draws the
// traces, reduced to the pixel columns, over it.
// Thread safety: the user-interface thread only.
#pragma once

#include <array>
#include <optional>

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "data/CPlotSeries.h"
#include "views/PlotGeometry.h"

class CPlotChart : public QWidget {
    Q_OBJECT
public:
    struct SRange {
        double min;
        double max;
    };

    // Draws the series it is given; the owner keeps it alive and calls
    // dataChanged when it grew.
    CPlotChart(const CPlotSeries& series, QWidget* parent = nullptr);

    static QColor channelColor(int channel);

    // Margins, fonts and lines are design pixels; the scale shrinks them.
    void setScale(double scale);
    // Already translated: each channel's unit over its scale, and the unit
    // of the time labels (seconds and minutes).
    void setTexts(const std::array<QString, PLOT_CHANNELS>& units, const QString& seconds);

    void setSpan(double seconds);
    double span() const { return m_span; }
    void setChannelShown(int channel, bool shown);
    bool channelShown(int channel) const { return m_shown[static_cast<std::size_t>(channel)]; }
    // A range that is empty or upside down is refused (false).
    bool setRange(int channel, double min, double max);
    SRange range(int channel) const { return m_ranges[static_cast<std::size_t>(channel)]; }

    // The series grew or started afresh: repaint, and let go of a cursor on
    // a record that is no longer held.
    void dataChanged();

    // The record under the cursor, by its time; none until the fitter picks one.
    std::optional<double> cursorTime() const { return m_cursor; }
    // Puts the cursor on the record nearest to pixel column x.
    void setCursorAtX(double x);
    // Moves it by `records` (negative: back in time), staying inside the span;
    // without a cursor the first step takes the newest record.
    void stepCursor(int records);
    void clearCursor();

    SPlotLayout plotGeometry() const;
    SPlotTimeAxis timeAxis() const { return {m_series.newest(), m_span}; }
    // How often the grid picture was drawn.
    int gridBuilds() const { return m_gridBuilds; }

signals:
    void cursorMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int shownCount() const;
    void gridChanged();
    void buildGrid();
    void drawTrace(QPainter& p, int channel, const SPlotArea& area) const;
    void drawCursor(QPainter& p, const SPlotArea& area) const;
    // Keeps the cursor where it is when that record is still inside the span.
    void setCursorIndex(std::size_t index);

    const CPlotSeries& m_series;
    double m_scale = 1;
    double m_span = 60;
    std::array<bool, PLOT_CHANNELS> m_shown{};
    std::array<SRange, PLOT_CHANNELS> m_ranges{};
    std::array<QString, PLOT_CHANNELS> m_units;
    QString m_seconds = QStringLiteral("s");
    std::optional<double> m_cursor;
    QPixmap m_grid;
    bool m_gridValid = false;
    int m_gridBuilds = 0;
};
