#include "views/CGridChart.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Design distance of the upright caption from the control's left edge.
constexpr int kCaptionEdge = 4;

// A chart reads as a chart, with the selected value (or the summary) as its
// value, rather than as a bare "client" area.
class CGridChartAccessible : public QAccessibleWidget {
public:
    explicit CGridChartAccessible(CGridChart* chart) : QAccessibleWidget(chart, QAccessible::Chart)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const CGridChart*>(widget())->accessibleValueText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* gridChartAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("CGridChart") && object && object->isWidgetType())
        return new CGridChartAccessible(static_cast<CGridChart*>(object));
    return nullptr;
}

// The zero line stands out, labelled lines are dark, the rest only guide the eye.
QColor gridColor(double value, bool labelled)
{
    if (value == 0)
        return Qt::black;
    return labelled ? QColor(0, 0, 100) : QColor(170, 170, 170);
}

struct SGridLine {
    double value;
    QColor color;
    int rank; // drawn in rising rank, so dark lines lie over light ones
};

int rankOf(double value, bool labelled)
{
    return value == 0 ? 2 : labelled ? 1 : 0;
}

} // namespace

CGridChart::CGridChart(const SChartAxes& axes, const SChartMargins& margins, int labelGap,
                       QWidget* parent)
    : CCompCtrl(parent), m_axes(axes), m_designMargins(margins), m_labelGap(labelGap)
{
    static const bool installed = (QAccessible::installFactory(gridChartAccessible), true);
    (void)installed;
    layOut();
}

QString CGridChart::xAxisLabel(double value) const
{
    return QString::asprintf("%.0f", value);
}

QString CGridChart::yAxisLabel(double value) const
{
    if (std::abs(std::remainder(value, 5.0)) > 1e-9)
        return {};
    return QString::asprintf("%.0f", value);
}

void CGridChart::setScale(double scale)
{
    if (!(scale > 0) || scale == m_scale)
        return;
    m_scale = scale;
    layOut();
    update();
}

void CGridChart::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    m_background = QPixmap();
    update();
}

void CGridChart::setCaptions(const QString& title, const QString& xCaption, const QString& yCaption)
{
    setAccessibleName(title);
    if (title == m_title && xCaption == m_xCaption && yCaption == m_yCaption)
        return;
    m_title = title;
    m_xCaption = xCaption;
    m_yCaption = yCaption;
    m_background = QPixmap();
    update();
}

void CGridChart::announceValue()
{
    QAccessibleValueChangeEvent event(this, accessibleValueText());
    QAccessible::updateAccessibility(&event);
}

void CGridChart::paintEvent(QPaintEvent* event)
{
    m_exposed = event->rect();
    CCompCtrl::paintEvent(event);
}

void CGridChart::resizeEvent(QResizeEvent*)
{
    // Rendering a hidden control resends its size every time; only a real
    // change of size lays the plot out again.
    if (size() != m_laidOut)
        layOut();
}

const SChartGeometry& CGridChart::geometry() const
{
    if (size() != m_laidOut)
        layOut();
    return m_geometry;
}

void CGridChart::layOut() const
{
    m_geometry = chartGeometry(m_axes, scaledMargins(m_designMargins, m_scale), width(), height());
    m_numberFont = componentFont("MS Sans Serif", 14, 400, m_scale);
    m_captionFont = m_numberFont;
    m_titleFont = componentFont("MS Sans Serif", 16, 400, m_scale);
    m_background = QPixmap();
    m_laidOut = size();
}

void CGridChart::eraseBackground(QPainter& p)
{
    const qreal ratio = devicePixelRatioF();
    (void)geometry(); // lays out a size Qt has not announced yet
    if (m_background.isNull() || m_background.size() != size() * ratio) {
        m_background = QPixmap(size() * ratio);
        m_background.setDevicePixelRatio(ratio);
        QPainter cache(&m_background);
        drawBackground(cache);
        ++m_backgroundBuilds;
    }
    p.drawPixmap(0, 0, m_background);
}

void CGridChart::drawBackground(QPainter& p) const
{
    p.fillRect(rect(), m_backgroundColor.isValid() ? m_backgroundColor : panelColor());
    drawGrid(p);
    drawTexts(p);
}

void CGridChart::drawGrid(QPainter& p) const
{
    const SChartGeometry& g = geometry();
    const int left = static_cast<int>(g.left);
    const int top = static_cast<int>(g.top);
    const int right = static_cast<int>(g.left + g.width);
    const int bottom = static_cast<int>(g.top + g.height);
    const int gap = std::max(1, static_cast<int>(std::lround(m_labelGap * m_scale)));
    QFontMetrics numbers(m_numberFont);
    p.setFont(m_numberFont);

    std::vector<SGridLine> columns;
    for (double x : gridValues(m_axes.xMin, m_axes.xMax, m_axes.xStep)) {
        const QString label = xAxisLabel(x);
        columns.push_back({x, gridColor(x, !label.isEmpty()), rankOf(x, !label.isEmpty())});
        if (label.isEmpty())
            continue;
        const int cx = columnOf(g, x);
        const int w = numbers.horizontalAdvance(label) + 2;
        p.setPen(Qt::black);
        p.drawText(QRect(cx - w / 2, bottom + gap, w, numbers.height()), Qt::AlignCenter, label);
    }
    std::vector<SGridLine> rows;
    for (double y : gridValues(m_axes.yMin, m_axes.yMax, m_axes.yStep)) {
        const QString label = yAxisLabel(y);
        rows.push_back({y, gridColor(y, !label.isEmpty()), rankOf(y, !label.isEmpty())});
        if (label.isEmpty())
            continue;
        const int cy = rowOf(g, y);
        p.setPen(Qt::black);
        p.drawText(QRect(0, cy - numbers.height() / 2, left - gap, numbers.height()),
                   Qt::AlignRight | Qt::AlignVCenter, label);
    }

    for (int rank = 0; rank <= 2; ++rank) {
        for (const SGridLine& line : columns) {
            if (line.rank != rank)
                continue;
            p.setPen(QPen(line.color, 1, Qt::DotLine));
            const int cx = columnOf(g, line.value);
            p.drawLine(cx, top, cx, bottom);
        }
        for (const SGridLine& line : rows) {
            if (line.rank != rank)
                continue;
            p.setPen(QPen(line.color, 1, Qt::DotLine));
            const int cy = rowOf(g, line.value);
            p.drawLine(left, cy, right, cy);
        }
    }
}

void CGridChart::drawTexts(QPainter& p) const
{
    const SChartGeometry& g = geometry();
    const int left = static_cast<int>(g.left);
    const int top = static_cast<int>(g.top);
    const int plotWidth = static_cast<int>(g.width);
    const int plotHeight = static_cast<int>(g.height);
    const int gap = std::max(1, static_cast<int>(std::lround(m_labelGap * m_scale)));
    p.setPen(Qt::black);

    // Centred on the plot rather than the control: the margins differ.
    QFontMetrics titleMetrics(m_titleFont);
    p.setFont(m_titleFont);
    p.drawText(QRect(left, top / 2 - titleMetrics.height() / 2, plotWidth, titleMetrics.height()),
               Qt::AlignCenter, m_title);

    QFontMetrics captions(m_captionFont);
    const int numbersHeight = QFontMetrics(m_numberFont).height();
    p.setFont(m_captionFont);
    p.drawText(QRect(left, top + plotHeight + gap + numbersHeight, plotWidth, captions.height()),
               Qt::AlignCenter, m_xCaption);

    // Written upwards, near the left edge.
    const int edge = std::max(1, static_cast<int>(std::lround(kCaptionEdge * m_scale)));
    p.save();
    const int middle = top + plotHeight / 2; // on a whole pixel, as the grid lines are
    p.translate(edge, middle);
    p.rotate(-90);
    p.drawText(QRect(-plotHeight / 2, 0, plotHeight, captions.height()), Qt::AlignCenter,
               m_yCaption);
    p.restore();
}
