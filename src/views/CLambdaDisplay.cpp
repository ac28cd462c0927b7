#include "views/CLambdaDisplay.h"

#include <cmath>

#include <QPainter>

#include "controls/ReadingAccessible.h"
#include "data/Conversions.h"
#include "data/LambdaType.h"
#include "lang/Translation.h"
#include "views/GaugeRects.h"

namespace {

// Lean end amber, the middle green, rich end red, as on a mixture indicator.
QColor litColor(int index, int count)
{
    const double at = count > 1 ? double(index) / (count - 1) : 0.5;
    if (at < 0.34)
        return QColor(255, 190, 0);
    if (at > 0.66)
        return QColor(220, 0, 0);
    return QColor(0, 200, 0);
}

} // namespace

CLambdaDisplay::CLambdaDisplay(QWidget* parent) : CCompCtrl(parent)
{
    static const bool readable =
        (installReadingAccessible("CLambdaDisplay", QAccessible::Dial), true);
    (void)readable;
    m_type = currentLambdaType();
    m_lit = lambdaLedIndex(m_type, m_count, m_voltage);
    retranslate();
}

void CLambdaDisplay::setup(const QRect& rect, int ledCount, double textScale)
{
    m_count = std::max(1, ledCount);
    m_textScale = textScale;
    m_type = currentLambdaType();
    m_lit = lambdaLedIndex(m_type, m_count, m_voltage);
    setGeometry(rect);
    layOut();
}

void CLambdaDisplay::setVoltage(double volts)
{
    beginChange();
    if (!std::isfinite(volts))
        return;
    const double tenth = roundOne(volts);
    const int type = currentLambdaType();
    if (tenth == m_voltage && type == m_type)
        return;
    const int lit = lambdaLedIndex(type, m_count, volts);
    m_voltage = tenth;
    m_type = type;
    describe();
    if (lit == m_lit)
        return;
    invalidate(ledRect(m_lit));
    m_lit = lit;
    invalidate(ledRect(m_lit));
}

QRect CLambdaDisplay::ledRect(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_leds.size()))
        return {};
    // The LED's frame is drawn on its edge; half a pixel more for antialiasing.
    return toQRect(m_leds[static_cast<std::size_t>(index)]).adjusted(-1, -1, 1, 1);
}

void CLambdaDisplay::retranslate()
{
    m_lean = QString::fromStdString(translate("Mieszanka uboga"));
    m_rich = QString::fromStdString(translate("Mieszanka bogata"));
    setAccessibleName(QString::fromStdString(translate("Sonda Lambda [V]")));
    describe();
    update();
}

void CLambdaDisplay::describe()
{
    setAccessibleDescription(QString::number(m_voltage, 'f', 1));
    announceReading(this);
}

void CLambdaDisplay::resizeEvent(QResizeEvent*)
{
    layOut();
}

void CLambdaDisplay::layOut()
{
    m_font = componentFont("MS Sans Serif", -16, 700, m_textScale);
    const int captionH = QFontMetrics(m_font).height();
    const int gap = std::max(1, static_cast<int>(std::lround(5 * m_textScale)));
    const SRect row{0, captionH + 2, width(), height() - 2};
    m_leds = ledLayout(row, m_count, gap);
}

void CLambdaDisplay::paint(QPainter& p)
{
    p.setFont(m_font);
    p.setPen(Qt::black);
    const int captionH = QFontMetrics(m_font).height();
    const int gap = m_leds.empty() ? 0 : m_leds.front().left;
    const QRect caption(gap, 0, width() - 2 * gap, captionH);
    p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, m_lean);
    p.drawText(caption, Qt::AlignRight | Qt::AlignVCenter, m_rich);

    p.setRenderHint(QPainter::Antialiasing);
    const double radius = 4 * m_textScale;
    for (int i = 0; i < static_cast<int>(m_leds.size()); ++i) {
        const QRectF led =
            QRectF(toQRect(m_leds[static_cast<std::size_t>(i)])).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(QColor(96, 96, 96), 1));
        p.setBrush(i == m_lit ? litColor(i, m_count) : QColor(168, 168, 168));
        p.drawRoundedRect(led, radius, radius);
    }
}
