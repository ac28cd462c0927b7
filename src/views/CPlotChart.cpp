#include "views/CPlotChart.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace {

constexpr int kFontPx = 11;
constexpr int kTracePx = 2;
constexpr int kMarkPx = 3;
constexpr int kLabelGap = 4;

const QColor kPlotBackground(255, 255, 255);
const QColor kGridLine(200, 200, 200);
const QColor kFrame(90, 90, 90);
const QColor kCursor(0, 0, 0);

// One colour per channel, far enough apart to tell seven traces over each
// other: petrol red and LPG blue as on the injection bars.
const QColor kChannelColors[PLOT_CHANNELS] = {
    QColor(0, 140, 0),   // engine speed
    QColor(220, 0, 0),   // petrol time
    QColor(0, 0, 230),   // LPG time
    QColor(230, 130, 0), // gas pressure
    QColor(150, 0, 190), // manifold pressure
    QColor(120, 70, 20), // reducer temperature
    QColor(0, 160, 170), // lambda
};

QString scaleLabel(double value, int decimals)
{
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0; // never "-0"
    return QString::number(value, 'f', decimals);
}

// Seconds up to a minute, minutes and seconds above, always counted back
// from the newest record.
QString timeLabel(double offset, double span, const QString& seconds)
{
    const int whole = static_cast<int>(std::lround(offset));
    if (whole == 0)
        return QStringLiteral("0");
    if (span <= 60)
        return QStringLiteral("-%1 %2").arg(whole).arg(seconds);
    return QStringLiteral("-%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

CPlotChart::CPlotChart(const CPlotSeries& series, QWidget* parent)
    : QWidget(parent), m_series(series)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_shown.fill(true);
    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        m_ranges[static_cast<std::size_t>(c)] = {plotChannel(c).min, plotChannel(c).max};
        m_units[static_cast<std::size_t>(c)] = QString::fromUtf8(plotChannel(c).unit);
    }
}

QColor CPlotChart::channelColor(int channel)
{
    return kChannelColors[channel];
}

void CPlotChart::setScale(double scale)
{
    m_scale = scale;
    gridChanged();
}

void CPlotChart::setTexts(const std::array<QString, PLOT_CHANNELS>& units, const QString& seconds)
{
    m_units = units;
    m_seconds = seconds;
    gridChanged();
}

void CPlotChart::setSpan(double seconds)
{
    if (seconds == m_span)
        return;
    m_span = seconds;
    gridChanged();
    dataChanged(); // the cursor may now lie before the left edge
}

void CPlotChart::setChannelShown(int channel, bool shown)
{
    m_shown[static_cast<std::size_t>(channel)] = shown;
    gridChanged();
}

bool CPlotChart::setRange(int channel, double min, double max)
{
    if (!(max > min) || !std::isfinite(min) || !std::isfinite(max))
        return false;
    m_ranges[static_cast<std::size_t>(channel)] = {min, max};
    gridChanged();
    return true;
}

int CPlotChart::shownCount() const
{
    return static_cast<int>(std::count(m_shown.begin(), m_shown.end(), true));
}

SPlotLayout CPlotChart::plotGeometry() const
{
    return plotLayout(width(), height(), shownCount(), scaledMargins(SPlotMargins{}, m_scale));
}

void CPlotChart::gridChanged()
{
    m_gridValid = false;
    update();
}

void CPlotChart::dataChanged()
{
    if (m_cursor) {
        const auto& s = m_series.samples();
        const std::size_t i = nearestSample(s, *m_cursor);
        const SPlotTimeAxis t = timeAxis();
        if (i == s.size() || s[i].m_seconds != *m_cursor || *m_cursor < t.end - t.span) {
            m_cursor.reset();
            emit cursorMoved();
        }
    }
    update();
}

void CPlotChart::setCursorIndex(std::size_t index)
{
    const auto& s = m_series.samples();
    if (index >= s.size())
        return;
    m_cursor = s[index].m_seconds;
    update();
    emit cursorMoved();
}

void CPlotChart::setCursorAtX(double x)
{
    const SPlotLayout l = plotGeometry();
    const SPlotTimeAxis t = timeAxis();
    const double seconds =
        std::clamp(timeAtX(l.plot, t, x), t.end - t.span, t.end); // a drag past the edges
    const auto& s = m_series.samples();
    std::size_t i = nearestSample(s, seconds);
    // The nearest record may be the one just outside the left edge.
    if (i < s.size() && s[i].m_seconds < t.end - t.span)
        ++i;
    setCursorIndex(i);
}

void CPlotChart::stepCursor(int records)
{
    const auto& s = m_series.samples();
    if (s.empty())
        return;
    const SPlotTimeAxis t = timeAxis();
    const auto first = static_cast<long>(firstSampleFrom(s, t.end - t.span));
    const auto last = static_cast<long>(s.size()) - 1;
    const long from = m_cursor ? static_cast<long>(nearestSample(s, *m_cursor)) : last - records;
    setCursorIndex(static_cast<std::size_t>(std::clamp(from + records, first, last)));
}

void CPlotChart::clearCursor()
{
    if (!m_cursor)
        return;
    m_cursor.reset();
    update();
    emit cursorMoved();
}

void CPlotChart::resizeEvent(QResizeEvent*)
{
    m_gridValid = false;
}

void CPlotChart::buildGrid()
{
    const qreal dpr = devicePixelRatioF();
    m_grid = QPixmap(size() * dpr);
    m_grid.setDevicePixelRatio(dpr);
    ++m_gridBuilds;
    m_gridValid = true;

    QPainter p(&m_grid);
    p.fillRect(rect(), palette().window());
    const SPlotLayout l = plotGeometry();
    const SPlotArea& a = l.plot;
    const QRect plot(a.left, a.top, a.width, a.height);
    p.fillRect(plot, kPlotBackground);

    QFont f = font();
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(kFontPx * m_scale))));
    p.setFont(f);
    const int textHeight = QFontMetrics(f).height();
    const int gap = std::max(1, static_cast<int>(std::lround(kLabelGap * m_scale)));

    p.setPen(QPen(kGridLine, 1, Qt::DotLine));
    for (int k = 1; k < PLOT_DIVISIONS; ++k) {
        const int y = static_cast<int>(std::lround(yOfValue(a, 0, PLOT_DIVISIONS, k)));
        p.drawLine(a.left, y, a.left + a.width - 1, y);
    }
    const SPlotTimeAxis axis{0, m_span};
    for (const double offset : timeGridOffsets(m_span)) {
        const int x = static_cast<int>(std::lround(xOfTime(a, axis, -offset)));
        if (offset > 0 && offset < m_span)
            p.drawLine(x, a.top, x, a.top + a.height - 1);
        // Labels stay inside the control at both ends.
        const QString text = timeLabel(offset, m_span, m_seconds);
        const int w = QFontMetrics(f).horizontalAdvance(text);
        const int left = std::clamp(x - w / 2, 0, std::max(0, width() - w));
        p.setPen(palette().windowText().color());
        p.drawText(QRect(left, a.top + a.height + gap / 2, w, textHeight), Qt::AlignCenter, text);
        p.setPen(QPen(kGridLine, 1, Qt::DotLine));
    }
    p.setPen(kFrame);
    p.drawRect(plot.adjusted(0, 0, -1, -1));

    // Each shown channel's scale in its own colour, in the channels' order.
    const int scaleWidth = scaledMargins(SPlotMargins{}, m_scale).scale;
    int column = 0;
    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        if (!m_shown[static_cast<std::size_t>(c)])
            continue;
        const int x0 = l.scalesLeft + column * scaleWidth;
        const int right = x0 + scaleWidth - gap;
        ++column;
        const QColor color = kChannelColors[c];
        const SRange r = m_ranges[static_cast<std::size_t>(c)];
        p.setPen(color);
        p.drawText(QRect(x0, 0, scaleWidth - gap / 2, a.top - gap / 2),
                   Qt::AlignRight | Qt::AlignBottom, m_units[static_cast<std::size_t>(c)]);
        p.fillRect(QRect(right, a.top, std::max(1, gap / 2), a.height), color);
        const int decimals = scaleDecimals(r.min, r.max);
        const std::vector<double> values = scaleValues(r.min, r.max);
        for (std::size_t k = 0; k < values.size(); ++k) {
            const int y = static_cast<int>(std::lround(yOfValue(a, r.min, r.max, values[k])));
            // The ends' labels stand inside the plot's height, clear of the
            // unit above and the time labels below.
            const int top = k == 0                   ? y - textHeight
                            : k + 1 == values.size() ? y
                                                     : y - textHeight / 2;
            p.drawText(QRect(x0, top, right - x0 - gap / 2, textHeight),
                       Qt::AlignRight | Qt::AlignVCenter, scaleLabel(values[k], decimals));
        }
    }
}

void CPlotChart::drawTrace(QPainter& p, int channel, const SPlotArea& area) const
{
    const SRange r = m_ranges[static_cast<std::size_t>(channel)];
    const std::vector<SPlotColumn> columns =
        plotColumns(m_series.samples(), channel, area, timeAxis());
    auto y = [&](double v) {
        return static_cast<int>(std::floor(yOfValue(area, r.min, r.max, v)));
    };
    QPolygon line;
    std::vector<QPolygon> runs;
    for (const SPlotColumn& c : columns) {
        if (!c.joined && !line.isEmpty())
            runs.push_back(std::exchange(line, QPolygon()));
        line << QPoint(c.x, y(c.first));
        if (c.low != c.high) {
            // Through the column's extremes the shorter way round, so that no
            // pixel of it is drawn twice more than needed.
            const bool lowFirst = std::fabs(c.first - c.low) + std::fabs(c.high - c.last) <=
                                  std::fabs(c.high - c.first) + std::fabs(c.last - c.low);
            const int a = y(lowFirst ? c.low : c.high);
            const int b = y(lowFirst ? c.high : c.low);
            line << QPoint(c.x, a) << QPoint(c.x, b);
        }
        if (c.last != c.first || c.low != c.high)
            line << QPoint(c.x, y(c.last));
    }
    if (!line.isEmpty())
        runs.push_back(std::move(line));
    // A wide pen makes the painter outline the whole polyline, which for
    // thousands of up-and-down strokes costs a hundred times more than a
    // one-pixel line; the thickness comes from repeating that line shifted
    // diagonally instead, which widens vertical and level strokes alike.
    p.setPen(QPen(kChannelColors[channel], 0));
    const int thickness = std::max(1, static_cast<int>(std::lround(kTracePx * m_scale)));
    for (const QPolygon& run : runs) {
        for (int shift = 0; shift < thickness; ++shift) {
            const QPolygon shifted = run.translated(shift, shift);
            if (shifted.size() == 1)
                p.drawPoint(shifted.front());
            else
                p.drawPolyline(shifted);
        }
    }
}

void CPlotChart::drawCursor(QPainter& p, const SPlotArea& area) const
{
    const auto& s = m_series.samples();
    const std::size_t i = nearestSample(s, *m_cursor);
    if (i == s.size())
        return;
    const double x = std::floor(xOfTime(area, timeAxis(), s[i].m_seconds)) + 0.5;
    p.setPen(QPen(kCursor, 1, Qt::DashLine));
    p.drawLine(QPointF(x, area.top), QPointF(x, area.top + area.height));
    const double mark = std::max(2.0, std::round(kMarkPx * m_scale));
    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        if (!m_shown[static_cast<std::size_t>(c)])
            continue;
        const SRange r = m_ranges[static_cast<std::size_t>(c)];
        const double y = yOfValue(area, r.min, r.max, s[i].m_values[static_cast<std::size_t>(c)]);
        p.fillRect(QRectF(x - mark, y - mark, 2 * mark, 2 * mark), kChannelColors[c]);
    }
}

void CPlotChart::paintEvent(QPaintEvent*)
{
    if (!m_gridValid || m_grid.size() != size() * devicePixelRatioF())
        buildGrid();
    QPainter p(this);
    p.drawPixmap(0, 0, m_grid);
    const SPlotArea a = plotGeometry().plot;
    // Values beyond a range run off the plot rather than over the scales.
    p.setClipRect(QRect(a.left + 1, a.top + 1, a.width - 2, a.height - 2));
    // The last channels first: the lambda probe's constant swings would
    // otherwise hide the speed and the injection times under them.
    for (int c = PLOT_CHANNELS - 1; c >= 0; --c)
        if (m_shown[static_cast<std::size_t>(c)])
            drawTrace(p, c, a);
    if (m_cursor)
        drawCursor(p, a);
}

void CPlotChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setCursorAtX(event->position().x());
}

void CPlotChart::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        setCursorAtX(event->position().x());
}

void CPlotChart::keyPressEvent(QKeyEvent* event)
{
    const int fast = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        stepCursor(-fast);
        break;
    case Qt::Key_Right:
        stepCursor(fast);
        break;
    case Qt::Key_Escape:
        clearCursor();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
