// The window shown while settings travel to or from the controller: a text
// and a running busy indicator, centred and painted when constructed,
// closed when destroyed (also when the operation ends by an error object).
//
//   CWaitDlg wait(QString::fromStdString(text), frame);
//
// Thread safety: the user-interface thread only.
#pragma once

#include "app/CColorMgrDlg.h"

class CWaitDlg : public CColorMgrDlg {
    Q_OBJECT
public:
    explicit CWaitDlg(const QString& text, QWidget* parent = nullptr);

    // Only destruction closes it: Escape must not hide it mid-operation.
    void reject() override {}
};
