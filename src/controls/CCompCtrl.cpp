#include "controls/CCompCtrl.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include <QPaintEvent>
#include <QPainter>

namespace {

void registerFallbacks()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The instruments' faces come from the controller maker's font set,
        // which Linux machines lack; narrow faces keep the digits inside
        // their boxes.
        QFont::insertSubstitutions("WST_Engl", {"DejaVu Sans Condensed", "DejaVu Sans",
                                                "Liberation Sans Narrow", "Arial"});
        QFont::insertSubstitutions("MS Sans Serif",
                                   {"DejaVu Sans", "Liberation Sans", "Arial", "Sans Serif"});
    });
}

} // namespace

CCompCtrl::CCompCtrl(QWidget* parent) : QWidget(parent)
{
    // Every control fills its whole area itself, so Qt need not paint the
    // parent underneath first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CCompCtrl::takePlaceOf(QWidget* placeholder)
{
    if (!placeholder)
        return;
    setParent(placeholder->parentWidget());
    setGeometry(placeholder->geometry());
    setObjectName(placeholder->objectName());
    setVisible(!placeholder->isHidden());
    delete placeholder;
}

void CCompCtrl::invalidate(const QRect& area)
{
    const QRect r = area.intersected(rect());
    if (r.isEmpty())
        return;
    m_lastInvalidated.push_back(r);
    update(r);
}

void CCompCtrl::eraseBackground(QPainter& p)
{
    p.fillRect(rect(), panelColor());
}

void CCompCtrl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    eraseBackground(p);
    paint(p);
}

QColor panelColor()
{
    return QColor(192, 192, 192);
}

QFont componentFont(const char* face, int height, int weight, double scale)
{
    registerFallbacks();
    QFont font(QString::fromLatin1(face));
    // A cell height includes the internal leading, about a seventh of it.
    const double glyph = height > 0 ? height * 0.86 : -height;
    font.setPixelSize(std::max(6, static_cast<int>(std::lround(glyph * scale))));
    font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}
