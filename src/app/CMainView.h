// The view shown at start: the product's name and mark over a quiet
// background, until the fitter picks a view from the toolbar.
// Thread safety: the user-interface thread only.
#pragma once

#include "app/CMainMenuView.h"

class CMainView : public CMainMenuView {
    Q_OBJECT
public:
    explicit CMainView(CAutrelDoc& doc, QWidget* parent = nullptr);
};
