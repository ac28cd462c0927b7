#include "controls/CConsole.h"

#include <algorithm>

#include <QPainter>

#include "controls/CLed.h"
#include "controls/ReadingAccessible.h"

QRect consoleFaceRect(const QSize& size)
{
    const int margin = size.width() / 10;
    return QRect(QPoint(0, 0), size).adjusted(margin, margin, -margin, -margin);
}

QRect consoleLampRect(const QSize& size, int lamp)
{
    const QRect face = consoleFaceRect(size);
    const int pitch = face.height() / CConsole::LAMPS;
    const int gap = pitch / 5;
    const int d = std::max(0, std::min(face.width() - 2 * gap, pitch - gap));
    const int top = face.top() + lamp * pitch + (pitch - d) / 2;
    return {face.left() + (face.width() - d) / 2, top, d, d};
}

QColor consoleLampColor()
{
    return QColor(0, 220, 0);
}

CConsole::CConsole(QWidget* parent) : CCompCtrl(parent)
{
    static const bool readable =
        (installReadingAccessible("CConsole", QAccessible::ProgressBar), true);
    (void)readable;
}

void CConsole::setLamps(const std::array<bool, LAMPS>& on)
{
    beginChange();
    if (on == m_on)
        return;
    for (int i = 0; i < LAMPS; ++i)
        if (on[i] != m_on[i])
            invalidate(consoleLampRect(size(), i).adjusted(-1, -1, 1, 1));
    m_on = on;
    announceReading(this);
}

int CConsole::litCount() const
{
    return int(std::count(m_on.begin(), m_on.end(), true));
}

void CConsole::setText(const QString& text)
{
    setAccessibleName(text);
    setToolTip(text);
}

void CConsole::paint(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRect face = consoleFaceRect(size());
    const int radius = std::max(2, face.width() / 6);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(face, radius, radius);
    for (int i = 0; i < LAMPS; ++i) {
        const QRect r = consoleLampRect(size(), i);
        if (r.isEmpty())
            continue;
        p.setBrush(ledFace(consoleLampColor(), m_on[i]));
        p.drawEllipse(r);
    }
}
