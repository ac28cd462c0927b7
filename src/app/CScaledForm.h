// The design-size scaling of the forms: every view and the status bar are
// laid out in design pixels of a 1024 × 746 window, and this mix-in maps them
// onto the work area the screen information allows, never enlarging them.
// Thread safety: the user-interface thread only.
#pragma once

#include <QFont>
#include <QRect>

#include "app/CScreenInfo.h"

class QWidget;

class CScaledForm {
public:
    explicit CScaledForm(const CScreenInfo& screen = screenInfo()) : m_screen(screen) {}

    const CScreenInfo& formScreen() const { return m_screen; }
    QRect scaled(const QRect& design) const;
    // Places a control at its design rectangle.
    void place(QWidget* control, const QRect& design) const;
    // A pixel size of a font, scaled like the heights, at least 1.
    int scaledPixels(int designPixels) const;
    // The form's own font (dialog lettering) at a design pixel size.
    QFont formFont(int designPixels = FORM_FONT_PX) const;

    static constexpr int FORM_FONT_PX = 12;

private:
    const CScreenInfo& m_screen;
};
