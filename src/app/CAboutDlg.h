// The about box: the program's picture, its name and version, OK.
// Thread safety: the user-interface thread only.
#pragma once

#include "app/CColorMgrDlg.h"

class CAboutDlg : public CColorMgrDlg {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
