// The colours every view and dialog gives its controls: one palette for the
// whole application, so a form's background, its fields and its buttons read
// alike whatever desktop theme is in use. The status bar's value fields and
// the painted controls keep their own colours on top of it.
// Thread safety: the user-interface thread only.
#pragma once

#include <QPalette>

class QWidget;

class CCtrlColorManager {
public:
    // The application's control palette.
    static QPalette controlPalette();
    // Gives the window and, through palette inheritance, its controls the
    // palette; the window fills its own background.
    static void applyControlColors(QWidget* window);
};
