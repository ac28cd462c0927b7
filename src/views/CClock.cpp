#include "views/CClock.h"

#include <cmath>

#include <QPainter>
#include <QPolygonF>

#include "controls/ReadingAccessible.h"
#include "data/Conversions.h"
#include "lang/Translation.h"
#include "views/GaugeRects.h"

namespace {

const QColor kNeedleRed(160, 0, 0);
const QColor kFace(252, 252, 248);
const QColor kValueBack(255, 250, 250);

// Fractions of the margin ring between the needle's reach and the edge.
constexpr double kTickIn = 0.08;
constexpr double kMajorOut = 0.3;
constexpr double kMinorOut = 0.19;
constexpr double kLabelFrom = 0.37;

// Shrinks a font until the text fits the width.
QFont fitted(QFont font, const QString& text, int width)
{
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

QPointF toQPoint(const SPointF& p)
{
    return {p.x, p.y};
}

std::vector<SDialLabel> numberLabels(int first, int last, int step, int divisor)
{
    std::vector<SDialLabel> out;
    for (int v = first; v <= last; v += step)
        out.push_back({double(v), std::to_string(v / divisor)});
    return out;
}

} // namespace

CClock::CClock(QWidget* parent, SDialScale scale)
    : CCompCtrl(parent), m_scale(std::move(scale)), m_value(m_scale.minimum)
{
    static const bool readable = (installReadingAccessible("CClock", QAccessible::Dial), true);
    (void)readable;
    retranslate();
}

void CClock::setup(const QRect& rect, int margin, int bottomGap, double textScale)
{
    m_margin = margin;
    m_bottomGap = bottomGap;
    m_textScale = textScale;
    setGeometry(rect);
    layOut();
}

void CClock::setValue(double value)
{
    beginChange();
    if (value == m_value || !std::isfinite(value))
        return;
    const auto areas = dialInvalidation(m_geom, m_value, value, m_box);
    m_value = value;
    setAccessibleDescription(valueText());
    announceReading(this);
    for (const SRect& r : areas)
        invalidate(toQRect(r));
}

double CClock::reading() const
{
    return roundWhole(m_value) + 0.0; // + 0.0: never "-0"
}

QString CClock::valueText() const
{
    return QString::number(reading(), 'f', 0);
}

void CClock::retranslate()
{
    m_caption = QString::fromStdString(translate(m_scale.caption));
    setAccessibleName(m_caption);
    setAccessibleDescription(valueText());
    if (m_geom.radius > 0)
        layOut();
}

QRect CClock::valueRect() const
{
    return toQRect(m_box);
}

void CClock::resizeEvent(QResizeEvent*)
{
    layOut();
}

void CClock::layOut()
{
    m_geom = dialGeometry({0, 0, width(), height()}, m_margin, m_bottomGap, m_scale.minimum,
                          m_scale.maximum);
    m_captionFont =
        fitted(componentFont("MS Sans Serif", 24, 700, m_textScale), m_caption, width() - 8);
    m_valueFont = componentFont("WST_Engl", 36, 400, m_textScale);
    m_box = valueBox(m_geom, QFontMetrics(m_valueFont).height() + 4);
    m_valueFont = fitted(m_valueFont, QStringLiteral("88888"), m_box.width() - 4);
    m_labelFont = componentFont("MS Sans Serif", -std::max(8, int(m_margin * 0.25)), 700, 1);
    drawFace();
}

void CClock::drawFace()
{
    const qreal dpr = devicePixelRatioF();
    m_face = QPixmap(size() * dpr);
    m_face.setDevicePixelRatio(dpr);
    m_face.fill(panelColor());
    if (width() <= 0 || height() <= 0)
        return;

    QPainter p(&m_face);
    p.setRenderHint(QPainter::Antialiasing);
    const SDialGeometry& g = m_geom;
    const double m = m_margin;
    const double s = m_textScale;
    const QPointF centre(g.cx, g.cy);

    // Face and rim; the rim pen lies inside the face's edge.
    const double faceR = std::min(width(), height()) / 2.0 - 1;
    const double rimW = 3 * s;
    p.setPen(QPen(Qt::black, rimW));
    p.setBrush(kFace);
    p.drawEllipse(centre, faceR - rimW / 2, faceR - rimW / 2);

    if (m_scale.redFrom > g.minimum && m_scale.redFrom < g.maximum) {
        QPolygonF arc;
        const double r = g.radius + m * (kTickIn + kMajorOut) / 2;
        for (int i = 0; i <= 48; ++i) {
            const double v = m_scale.redFrom + (g.maximum - m_scale.redFrom) * i / 48;
            arc << toQPoint(dialPoint(g, needleAngle(g, v), r));
        }
        p.setPen(QPen(kNeedleRed, m * (kMajorOut - kTickIn), Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(arc);
    }

    // Ticks: a long one at every label, short ones between.
    const QPen major(Qt::black, std::max(2.0, 7 * s), Qt::SolidLine, Qt::FlatCap);
    const QPen minor(Qt::black, std::max(1.0, 2 * s), Qt::SolidLine, Qt::FlatCap);
    const auto& labels = m_scale.labels;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const double a = needleAngle(g, labels[i].value);
        p.setPen(major);
        p.drawLine(toQPoint(dialPoint(g, a, g.radius + m * kTickIn)),
                   toQPoint(dialPoint(g, a, g.radius + m * kMajorOut)));
        if (i + 1 == labels.size())
            break;
        p.setPen(minor);
        const double step = (labels[i + 1].value - labels[i].value) / m_scale.minorTicks;
        for (int k = 1; k < m_scale.minorTicks; ++k) {
            const double b = needleAngle(g, labels[i].value + k * step);
            p.drawLine(toQPoint(dialPoint(g, b, g.radius + m * kTickIn)),
                       toQPoint(dialPoint(g, b, g.radius + m * kMinorOut)));
        }
    }

    // Each label's nearest edge keeps the same distance from the ticks, so
    // wide labels at the sides clear them as well as narrow ones at the top.
    p.setPen(Qt::black);
    p.setFont(m_labelFont);
    const QFontMetricsF fm(m_labelFont);
    for (const SDialLabel& label : labels) {
        const QString text = QString::fromStdString(label.text);
        const double a = needleAngle(g, label.value);
        const double w = fm.horizontalAdvance(text);
        const double h = fm.ascent();
        const double r = g.radius + m * kLabelFrom + std::abs(std::sin(a)) * w / 2 +
                         std::abs(std::cos(a)) * h / 2;
        const QPointF at = toQPoint(dialPoint(g, a, r));
        p.drawText(QRectF(at.x() - w, at.y() - fm.height() / 2, 2 * w, fm.height()),
                   Qt::AlignCenter, text);
    }

    p.setFont(m_captionFont);
    const int captionH = QFontMetrics(m_captionFont).height();
    p.drawText(QRect(0, m_box.bottom + 2, width(), captionH), Qt::AlignHCenter | Qt::AlignTop,
               m_caption);
}

void CClock::paint(QPainter& p)
{
    p.drawPixmap(0, 0, m_face);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = m_textScale;

    const QRect box = toQRect(m_box);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(kValueBack);
    p.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    p.setFont(m_valueFont);
    p.drawText(box, Qt::AlignCenter, valueText());

    const QPointF centre(m_geom.cx, m_geom.cy);
    p.setPen(QPen(kNeedleRed, NEEDLE_WIDTH * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, toQPoint(needleTip(m_geom, m_value)));
    const double hub = HUB_DIAMETER * s / 2;
    p.setPen(QPen(Qt::black, std::max(1.0, 2 * s)));
    p.setBrush(kNeedleRed);
    p.drawEllipse(centre, hub, hub);
}

CRPMClock::CRPMClock(QWidget* parent)
    : CClock(parent, {"RPM x 1000", 0, 8000, numberLabels(0, 8000, 1000, 1000), 5, 6000})
{
}

CTemprLPGClock::CTemprLPGClock(QWidget* parent)
    : CClock(parent, {"T. LPG [°C]", 0, 80, numberLabels(0, 80, 10, 1), 2, 0})
{
}

CPressClock::CPressClock(QWidget* parent)
    : CClock(parent, {"Ciśnienie [kPa]", 0, 160, numberLabels(0, 160, 20, 1), 4, 0})
{
}
