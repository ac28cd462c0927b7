#include "app/CScaledForm.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

QRect CScaledForm::scaled(const QRect& design) const
{
    return {m_screen.scaleX(design.x()), m_screen.scaleY(design.y()),
            m_screen.scaleX(design.width()), m_screen.scaleY(design.height())};
}

void CScaledForm::place(QWidget* control, const QRect& design) const
{
    control->setGeometry(scaled(design));
}

int CScaledForm::scaledPixels(int designPixels) const
{
    return std::max(1, int(std::lround(designPixels * m_screen.scale())));
}

QFont CScaledForm::formFont(int designPixels) const
{
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(scaledPixels(designPixels));
    return f;
}
