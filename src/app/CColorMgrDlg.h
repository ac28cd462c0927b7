// The base of every dialog of the application: named by its resource
// identifier, retitled when the language changes, and for the modeless
// progress windows shown centred and painted at once.
// Thread safety: the user-interface thread only.
#pragma once

#include <QDialog>

#include "app/CCtrlColorManager.h"

class CColorMgrDlg : public QDialog, protected CCtrlColorManager {
    Q_OBJECT
public:
    explicit CColorMgrDlg(int resourceId, QWidget* parent = nullptr);

protected:
    // The texts of the current language; the dialogs with a text table
    // re-apply it here. Runs on QEvent::LanguageChange.
    virtual void retranslate() {}
    void changeEvent(QEvent* event) override;

    // The size asked for, but never beyond nine tenths of the screen's
    // free area: the larger dialogs must still fit a small laptop screen.
    void resizeWithin(QSize wanted);

    // A right-aligned row with the default button OK (identifier 1), which
    // calls accept(), so a dialog's own checks apply.
    QLayout* okButtonRow();

    // For windows that stay up while the same thread works: centred on the
    // screen and painted before the caller goes on. Only window-system events
    // are dispatched, so a click meant for another window cannot start a
    // second operation inside this one.
    void showPainted();
};
