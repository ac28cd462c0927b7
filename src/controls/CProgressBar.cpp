#include "controls/CProgressBar.h"

#include <algorithm>

#include <QPainter>

#include "controls/ControlColors.h"

int clampPercent(int percent)
{
    return std::clamp(percent, 0, 100);
}

int progressFillWidth(int percent, int width)
{
    if (width <= 0)
        return 0;
    return (clampPercent(percent) * width + 50) / 100;
}

QString percentText(int percent)
{
    return QString::number(clampPercent(percent)) + QStringLiteral(" %");
}

CProgressBar::CProgressBar(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(percentText(0));
}

void CProgressBar::setPercent(int percent)
{
    percent = clampPercent(percent);
    if (percent == m_percent)
        return;
    m_percent = percent;
    setAccessibleName(percentText(percent));
    update();
}

void CProgressBar::setBarColor(const QColor& color)
{
    m_bar = color;
    update();
}

QSize CProgressBar::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(percentText(100)) * 4, fm.height() + 6};
}

void CProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), Qt::white);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    QRect filled = inner;
    filled.setWidth(progressFillWidth(m_percent, inner.width()));
    p.fillRect(filled, m_bar);
    p.setPen(Qt::black);
    p.drawRect(frame);

    // The percentage in the colour that reads on each part it crosses.
    const QString text = percentText(m_percent);
    p.setClipRect(filled);
    p.setPen(contrastingText(m_bar));
    p.drawText(inner, Qt::AlignCenter, text);
    p.setClipRect(inner.adjusted(filled.width(), 0, 0, 0));
    p.setPen(Qt::black);
    p.drawText(inner, Qt::AlignCenter, text);
}
