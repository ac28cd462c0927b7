#include "controls/CEntryCmbBox.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QStyle>

CEntryCmbBox::CEntryCmbBox(QWidget* parent) : QComboBox(parent)
{
    // The lists are long (up to 121 entries); the popup scrolls rather than
    // covering the whole form.
    setMaxVisibleItems(15);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

int CEntryCmbBox::appendText(const QString& text)
{
    addItem(text);
    const int margins = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                        style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
    QAbstractItemView* popup = view();
    popup->setMinimumWidth(
        std::max(popup->minimumWidth(), popup->fontMetrics().horizontalAdvance(text) + margins));
    return count() - 1;
}

void CEntryCmbBox::clearTexts()
{
    QComboBox::clear();
    view()->setMinimumWidth(0);
}
