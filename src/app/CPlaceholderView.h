// The upper view of a command whose view is not there yet: its title, centred.
// Thread safety: the user-interface thread only.
#pragma once

#include <string>

#include "app/CMainMenuView.h"

class QLabel;

class CPlaceholderView : public CMainMenuView {
    Q_OBJECT
public:
    CPlaceholderView(CAutrelDoc& doc, std::string polishTitle, QWidget* parent = nullptr);
    void refreshControls() override;

private:
    std::string m_title;
    QLabel* m_label;
};
