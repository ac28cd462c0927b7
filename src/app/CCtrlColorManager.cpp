#include "app/CCtrlColorManager.h"

#include <QWidget>

QPalette CCtrlColorManager::controlPalette()
{
    // Light grey forms with black lettering, white entry fields and a blue
    // selection: the colours of the workshop screens the fitters know, and
    // legible on a dim or a bright display alike.
    QPalette p;
    const QColor form(236, 236, 236);
    const QColor text(0, 0, 0);
    p.setColor(QPalette::Window, form);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Button, form);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(245, 245, 245));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Highlight, QColor(13, 60, 117));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    p.setColor(QPalette::ToolTipText, text);
    const QColor greyed(120, 120, 120);
    p.setColor(QPalette::Disabled, QPalette::WindowText, greyed);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, greyed);
    p.setColor(QPalette::Disabled, QPalette::Text, greyed);
    return p;
}

void CCtrlColorManager::applyControlColors(QWidget* window)
{
    window->setPalette(controlPalette());
    window->setAutoFillBackground(true);
}
