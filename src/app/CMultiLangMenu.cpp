#include "app/CMultiLangMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void CMultiLangMenu::apply(QMenuBar* menuBar)
{
    const QList<QAction*> menus = menuBar->actions();
    for (qsizetype i = 0; i < menus.size(); ++i) {
        menus[i]->setText(QString::fromStdString(text(static_cast<std::int32_t>(i))));
        if (QMenu* popup = menus[i]->menu())
            apply(popup);
    }
    menuBar->update();
}

void CMultiLangMenu::apply(QMenu* popup)
{
    for (QAction* item : popup->actions()) {
        const std::int32_t id = commandId(item);
        if (id > 0)
            item->setText(QString::fromStdString(text(id)));
    }
}

void CMultiLangMenu::setCommandId(QAction* action, std::int32_t id)
{
    action->setObjectName(QString::number(id));
}

std::int32_t CMultiLangMenu::commandId(const QAction* action)
{
    return action->isSeparator() ? 0 : action->objectName().toInt();
}
