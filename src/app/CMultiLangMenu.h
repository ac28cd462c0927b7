// The text table of a menu: top-level menus by their position (keys 0, 1,
// 2, ...), pop-up items by the command identifier they carry.
// Thread safety: the user-interface thread only.
#pragma once

#include <cstdint>

#include "lang/CMultiLangRes.h"

class QAction;
class QMenu;
class QMenuBar;

class CMultiLangMenu : public CMultiLangRes {
public:
    // Each top-level menu gets text(position); in its pop-up every item with
    // a command identifier above 0 gets text(identifier); separators and
    // items without one keep their text.
    void apply(QMenuBar* menuBar);
    // The items of one pop-up alone, as above (a context menu).
    void apply(QMenu* popup);

    // Command identifiers travel as the action's objectName, as a control's do.
    static void setCommandId(QAction* action, std::int32_t id);
    // 0 for a separator or an action without one.
    static std::int32_t commandId(const QAction* action);
};
