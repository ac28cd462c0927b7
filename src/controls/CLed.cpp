#include "controls/CLed.h"

#include <algorithm>

#include <QPainter>

QRect ledRect(const QSize& size)
{
    const int d = std::max(0, std::min(size.width(), size.height()) - 2);
    return {(size.width() - d) / 2, (size.height() - d) / 2, d, d};
}

QColor ledFace(const QColor& color, bool on)
{
    return on ? color : color.darker(400);
}

CLed::CLed(QWidget* parent) : QWidget(parent) {}

void CLed::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    update();
}

void CLed::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void CLed::setText(const QString& text)
{
    setAccessibleName(text);
    setToolTip(text);
}

void CLed::paintEvent(QPaintEvent*)
{
    const QRect r = ledRect(size());
    if (r.isEmpty())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(ledFace(m_color, m_on));
    p.drawEllipse(r);
}
