#include "app/CMultiLangDlgWnd.h"

#include <QWidget>

void CMultiLangDlgWnd::apply(QWidget* window)
{
    CMultiLangWnd::apply(window);
    window->setWindowTitle(QString::fromStdString(text(CAPTION_KEY)));
}
