#include "controls/CColorStatic.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QPainter>

namespace {

// Without this a plain widget reads as a "client" area; a field is static text.
QAccessibleInterface* colorStaticAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("CColorStatic") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
    return nullptr;
}

} // namespace

int fittingPixelSize(int size, int widthAtSize, int available)
{
    if (widthAtSize <= available || widthAtSize <= 0)
        return std::max(size, 1);
    return std::max(1, size * std::max(available, 0) / widthAtSize);
}

QString accessibleFieldName(const QString& caption, const QString& text)
{
    if (caption.isEmpty())
        return text;
    if (text.isEmpty())
        return caption;
    return caption + QLatin1Char(' ') + text;
}

CColorStatic::CColorStatic(QWidget* parent) : QWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(colorStaticAccessible), true);
    (void)installed;
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CColorStatic::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    refreshAccessibleName();
    update();
}

void CColorStatic::setSpokenText(const QString& spoken)
{
    m_spoken = spoken;
    refreshAccessibleName();
}

void CColorStatic::setColors(const QColor& text, const QColor& background)
{
    if (text == m_textColor && background == m_background)
        return;
    m_textColor = text;
    m_background = background;
    update();
}

void CColorStatic::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void CColorStatic::setCaption(QLabel* caption)
{
    m_caption = caption;
    if (caption)
        caption->setBuddy(this);
    refreshAccessibleName();
}

void CColorStatic::refreshAccessibleName()
{
    const QString name = accessibleFieldName(m_caption ? m_caption->text() : QString(),
                                             m_text.isEmpty() ? m_spoken : m_text);
    if (name != accessibleName())
        setAccessibleName(name);
}

QSize CColorStatic::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(m_text) + 8, fm.height() + 4};
}

void CColorStatic::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_background);
    if (m_text.isEmpty())
        return;
    // A value wider than its field (a rare large correction, a long
    // translation) is drawn smaller rather than cut off.
    const QRect area = rect().adjusted(2, 0, -2, 0);
    QFont f = font();
    const int width = QFontMetrics(f).horizontalAdvance(m_text);
    const int pixels = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
    const int fitted = fittingPixelSize(pixels, width, area.width());
    if (fitted != pixels) {
        f.setPixelSize(fitted);
        p.setFont(f);
    }
    p.setPen(m_textColor);
    p.drawText(area, int(m_alignment) | Qt::TextSingleLine, m_text);
}
