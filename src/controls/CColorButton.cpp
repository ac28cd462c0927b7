#include "controls/CColorButton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

#include "controls/ControlColors.h"

QColor buttonFace(const QColor& face, bool down, bool enabled)
{
    if (!enabled) {
        const int grey = qGray(face.rgb());
        return QColor((face.red() + 2 * grey) / 3, (face.green() + 2 * grey) / 3,
                      (face.blue() + 2 * grey) / 3);
    }
    return down ? face.darker(125) : face;
}

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {}

void CColorButton::setFaceColor(const QColor& color)
{
    if (color == m_face)
        return;
    m_face = color;
    update();
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool down = isDown() || isChecked();
    const QColor face = buttonFace(m_face, down, isEnabled());
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, face);
    // A raised edge, sunk while pressed.
    p.setPen(down ? face.darker(160) : face.lighter(150));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? face.lighter(150) : face.darker(160));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());

    QColor text = contrastingText(face);
    if (!isEnabled())
        text.setAlpha(128);
    p.setPen(text);
    const QRect label = down ? rect().translated(1, 1) : rect();
    p.drawText(label, Qt::AlignCenter | Qt::TextShowMnemonic, this->text());

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        option.backgroundColor = face;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
