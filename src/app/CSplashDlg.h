// The window shown while the first connection looks for the controller: a
// text above the program's picture, centred and painted when constructed,
// closed when destroyed.
//
//   CSplashDlg splash(QString::fromStdString(translate("Łączenie ze sterownikiem...")));
//
// Thread safety: the user-interface thread only.
#pragma once

#include <QPixmap>

#include "app/CColorMgrDlg.h"

class QLabel;

class CSplashDlg : public CColorMgrDlg {
    Q_OBJECT
public:
    explicit CSplashDlg(const QString& text, QWidget* parent = nullptr);

    // The program's picture, drawn at the given width (the about box shows it too).
    static QPixmap picture(int width);

    // Only destruction closes it: Escape must not hide it mid-connection.
    void reject() override {}
};
