#include "views/CTimeCorrChart.h"

#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>

#include "lang/Translation.h"
#include "views/GaugeRects.h"

namespace {

const SChartAxes kAxes{1.0, 20.0, 1.0, -CTimeCorrChart::LIMIT, CTimeCorrChart::LIMIT, 1.0};
const SChartMargins kMargins{50, 50, 20, 50};

const QColor kPointColor(20, 150, 20);
const QColor kSelectedColor(140, 0, 0);
const QColor kLineColor(135, 135, 0);
constexpr double kDotRadius = 4;
constexpr double kDotPen = 8;
constexpr double kLinePen = 3;
// The dots on the plot's edges reach POINT_HIT beyond it; the numbers keep
// clear of them.
constexpr int kLabelGap = POINT_HIT + 2;

bool isArrow(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

QString signedPercent(double value)
{
    const QString number = QString::asprintf("%.0f", value);
    return value >= 0.5 ? QLatin1Char('+') + number : number;
}

} // namespace

CTimeCorrChart::CTimeCorrChart(QWidget* parent) : CGridChart(kAxes, kMargins, kLabelGap, parent)
{
    for (int i = 1; i <= POINT_COUNT; ++i)
        m_points.push_back({double(i), 0.0});
    // Clicking a point or tabbing to the chart gives it the arrow keys.
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setTexts();
}

void CTimeCorrChart::setValue(int index, double value)
{
    if (index < 0 || index >= count())
        return;
    m_points[static_cast<std::size_t>(index)].y = value;
    describe();
}

double CTimeCorrChart::value(int index) const
{
    if (index < 0 || index >= count())
        return 0;
    return m_points[static_cast<std::size_t>(index)].y;
}

void CTimeCorrChart::setSelectionShown(bool shown)
{
    m_selectionShown = shown;
    update();
}

QPoint CTimeCorrChart::pointPixel(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const SPointF& p = m_points[static_cast<std::size_t>(index)];
    return {columnOf(geometry(), p.x), rowOf(geometry(), p.y)};
}

void CTimeCorrChart::setTexts()
{
    setCaptions(QString::fromStdString(translate("Poprawki [%] dla czasów wtrysków")),
                QString::fromStdString(translate("Czasy wtrysków [ms]")),
                QString::fromStdString(translate("[%]")));
    describe();
}

QString CTimeCorrChart::pointText(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const SPointF& p = m_points[static_cast<std::size_t>(index)];
    return QString::fromStdString(translateFill(
        "%1 ms: %2 %", {xAxisLabel(p.x).toStdString(), signedPercent(p.y).toStdString()}));
}

QString CTimeCorrChart::accessibleValueText() const
{
    return pointText(m_selected);
}

void CTimeCorrChart::describe()
{
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all << pointText(i);
    setAccessibleDescription(all.join(QStringLiteral("; ")));
    announceValue();
}

void CTimeCorrChart::select(int index)
{
    beginChange();
    if (index == m_selected || index < 0 || index >= count())
        return;
    invalidate(toQRect(pointSquare(geometry(), m_points[static_cast<std::size_t>(m_selected)])));
    m_selected = index;
    invalidate(toQRect(pointSquare(geometry(), m_points[static_cast<std::size_t>(m_selected)])));
    announceValue();
}

void CTimeCorrChart::moveSelected(double value)
{
    beginChange();
    m_points[static_cast<std::size_t>(m_selected)].y = value;
    invalidate(toQRect(moveBand(geometry(), m_points, m_selected)));
    describe();
}

void CTimeCorrChart::keyPressEvent(QKeyEvent* event)
{
    // The step comes with the release; the press must not wander to the
    // view underneath meanwhile.
    if (isArrow(event->key()))
        event->accept();
    else
        CGridChart::keyPressEvent(event);
}

void CTimeCorrChart::keyReleaseEvent(QKeyEvent* event)
{
    // One step per release of the key: a held key repeats its presses and
    // releases, and each step would be written to the controller.
    if (event->isAutoRepeat() || m_points.empty()) {
        event->ignore();
        return;
    }
    const int last = count() - 1;
    switch (event->key()) {
    case Qt::Key_Left:
        if (m_selected > 0) {
            select(m_selected - 1);
            return;
        }
        break;
    case Qt::Key_Right:
        if (m_selected < last) {
            select(m_selected + 1);
            return;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int direction = event->key() == Qt::Key_Up ? 1 : -1;
        if (const auto next = keyStep(value(m_selected), direction, -LIMIT, LIMIT)) {
            moveSelected(*next);
            emit pointChanged(m_selected, *next);
            return;
        }
        break;
    }
    default:
        break;
    }
    event->ignore();
}

void CTimeCorrChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const int hit = pointAt(geometry(), m_points, at.x(), at.y());
    if (hit < 0)
        return;
    select(hit);
    m_dragging = true;
    // Moves without a button reach the chart only while it tracks the mouse.
    setMouseTracking(true);
}

void CTimeCorrChart::mouseMoveEvent(QMouseEvent* event)
{
    beginChange();
    if (!m_dragging)
        return;
    // A release that went elsewhere (a window grabbed the mouse meanwhile)
    // still ends the drag with its report.
    if (!(event->buttons() & Qt::LeftButton)) {
        endDrag();
        return;
    }
    const double next = dragValue(geometry(), event->position().toPoint().y());
    if (std::abs(next - value(m_selected)) >= 1)
        moveSelected(next);
}

void CTimeCorrChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging)
        endDrag();
}

void CTimeCorrChart::endDrag()
{
    // Cleared before the report: the owner may show a message box, and its
    // event loop must not find the drag still running.
    m_dragging = false;
    setMouseTracking(false);
    emit pointChanged(m_selected, value(m_selected));
}

void CTimeCorrChart::paint(QPainter& p)
{
    const SChartGeometry& g = geometry();
    p.setRenderHint(QPainter::Antialiasing);

    // A correction beyond the range is not drawn, and its line must not run
    // over the numbers.
    p.save();
    p.setClipRect(toQRect(plotBounds(g, POINT_HIT)), Qt::IntersectClip);
    QPolygonF line;
    for (int i = 0; i < count(); ++i)
        line << QPointF(pointPixel(i));
    p.setPen(QPen(kLineColor, kLinePen * scale(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
    p.restore();

    for (int i = 0; i < count(); ++i) {
        const SPointF& pt = m_points[static_cast<std::size_t>(i)];
        if (!insideRanges(g, pt.x, pt.y))
            continue;
        const QColor color = i == m_selected && m_selectionShown ? kSelectedColor : kPointColor;
        p.setPen(QPen(color, kDotPen * scale()));
        p.setBrush(color);
        p.drawEllipse(QPointF(pointPixel(i)), kDotRadius * scale(), kDotRadius * scale());
    }
}
