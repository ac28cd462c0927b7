#include "views/CInjTimesBarDisplay.h"

#include <cmath>

#include <QPainter>

#include "app/CScreenInfo.h"
#include "data/Conversions.h"
#include "lang/Translation.h"
#include "views/GaugeRects.h"

namespace {

const QColor kPetrol(190, 0, 0);
const QColor kLpg(0, 0, 190);
const QColor kSlot(176, 176, 176);

constexpr int kGap = 15;
constexpr int kMargin = 5;
constexpr int kTextHeight = 60;

QString timeText(double ms)
{
    return QString::asprintf("%.2f", ms);
}

bool inRange(double v, double lo, double hi)
{
    return std::isfinite(v) && v >= lo && v <= hi;
}

} // namespace

CInjTimesBarDisplay::CInjTimesBarDisplay(QWidget* parent) : CCompCtrl(parent)
{
    retranslate();
}

void CInjTimesBarDisplay::setup(const QRect& rect, int count, double minimum, double maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_bars.assign(static_cast<std::size_t>(std::max(0, count)), SChannelTimes{0, 0});
    setGeometry(rect);
    layOut();
    describe();
    update();
}

void CInjTimesBarDisplay::setValues(int index, double petrolMs, double lpgMs)
{
    beginChange();
    if (index < 0 || index >= count() || !inRange(petrolMs, m_minimum, m_maximum) ||
        !inRange(lpgMs, m_minimum, m_maximum))
        return;
    SChannelTimes& bar = m_bars[static_cast<std::size_t>(index)];
    const SBarRects& rects = m_layout[static_cast<std::size_t>(index)];
    // Compared as stored, so a time that rounds to the shown one repaints nothing.
    const double petrol = roundTwo(petrolMs);
    const double lpg = roundTwo(lpgMs);
    if (petrol == bar.petrolMs && lpg == bar.lpgMs)
        return;
    const SRect petrolStrip =
        barStrip(petrolHalf(rects.bar), bar.petrolMs, petrol, m_minimum, m_maximum);
    const SRect lpgStrip = barStrip(lpgHalf(rects.bar), bar.lpgMs, lpg, m_minimum, m_maximum);
    bar = {petrol, lpg};
    describe();
    if (!petrolStrip.isEmpty())
        invalidate(toQRect(petrolStrip));
    if (!lpgStrip.isEmpty())
        invalidate(toQRect(lpgStrip));
    invalidate(toQRect(rects.text));
}

SChannelTimes CInjTimesBarDisplay::values(int index) const
{
    if (index < 0 || index >= count())
        return {0, 0};
    return m_bars[static_cast<std::size_t>(index)];
}

void CInjTimesBarDisplay::retranslate()
{
    setAccessibleName(QString::fromStdString(translate("Czas wtrysku [ms]")));
    describe();
}

void CInjTimesBarDisplay::describe()
{
    QStringList lines;
    for (int i = 0; i < count(); ++i) {
        const SChannelTimes& t = m_bars[static_cast<std::size_t>(i)];
        lines << QString::fromStdString(
            translateFill("Cylinder %1: benzyna %2 ms, LPG %3 ms",
                          {std::to_string(i + 1), timeText(t.petrolMs).toStdString(),
                           timeText(t.lpgMs).toStdString()}));
    }
    setAccessibleDescription(lines.join(QStringLiteral("; ")));
}

void CInjTimesBarDisplay::resizeEvent(QResizeEvent*)
{
    layOut();
}

void CInjTimesBarDisplay::layOut()
{
    const CScreenInfo& screen = screenInfo();
    const int textHeight = screen.scaleY(kTextHeight);
    m_layout = barLayout({0, 0, width(), height()}, count(), screen.scaleX(kGap),
                         screen.scaleY(kMargin), textHeight);
    // Narrow bars (eight cylinders on a small screen) get a smaller figure
    // rather than figures that run into their neighbours.
    m_font = componentFont("WST_Engl", -24, 400, screen.scale());
    const int lineLimit = std::max(6, (textHeight - screen.scaleY(kMargin)) / 2);
    const int widthLimit = m_layout.empty() ? 0 : m_layout.front().text.width() - 2;
    while (m_font.pixelSize() > 6 &&
           (QFontMetrics(m_font).height() > lineLimit + 2 ||
            QFontMetrics(m_font).horizontalAdvance(QStringLiteral("88.88")) > widthLimit))
        m_font.setPixelSize(m_font.pixelSize() - 1);
}

void CInjTimesBarDisplay::eraseBackground(QPainter& p)
{
    p.fillRect(rect(), panelColor());
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    // The frame's bottom edge stands 2 pixels above the display's bottom.
    p.drawRect(QRect(0, 0, width(), height() - 2).adjusted(0, 0, -1, -1));
}

void CInjTimesBarDisplay::paint(QPainter& p)
{
    p.setFont(m_font);
    for (int i = 0; i < count(); ++i) {
        const SBarRects& r = m_layout[static_cast<std::size_t>(i)];
        const SChannelTimes& t = m_bars[static_cast<std::size_t>(i)];
        const SRect petrol = petrolHalf(r.bar);
        const SRect lpg = lpgHalf(r.bar);
        p.fillRect(toQRect(r.bar), kSlot);
        p.fillRect(toQRect({petrol.left, barTop(petrol, t.petrolMs, m_minimum, m_maximum),
                            petrol.right, petrol.bottom}),
                   kPetrol);
        p.fillRect(
            toQRect({lpg.left, barTop(lpg, t.lpgMs, m_minimum, m_maximum), lpg.right, lpg.bottom}),
            kLpg);

        const QRect text = toQRect(r.text);
        const QRect upper(text.left(), text.top(), text.width(), text.height() / 2);
        const QRect lower(text.left(), upper.bottom() + 1, text.width(),
                          text.height() - upper.height());
        p.fillRect(text, panelColor());
        p.setPen(kPetrol);
        p.drawText(upper, Qt::AlignCenter | Qt::TextSingleLine, timeText(t.petrolMs));
        p.setPen(kLpg);
        p.drawText(lower, Qt::AlignCenter | Qt::TextSingleLine, timeText(t.lpgMs));
    }
}
