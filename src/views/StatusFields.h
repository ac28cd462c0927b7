// What the status bar's state fields show: the link, the fuel in use and the
// controller's fault indicator, each as a text in the current language on its
// own colours, and the colours every value field and the bar itself use.
// Thread safety: pure functions (texts in the current language).
#pragma once

#include <QColor>
#include <QString>

struct SFieldLook {
    QString text;
    QColor textColor;
    QColor background;
    // What assistive technology reads when the field shows no text, for
    // states told by colour alone.
    QString spoken = {};
};

// Up: an empty field on green; down: "Błąd komunikacji" on red.
SFieldLook linkFieldLook(bool connected);
SFieldLook fuelFieldLook(bool petrol);
// Faults present: "BŁĄD" on red; none: an empty field on grey.
SFieldLook errorFieldLook(bool errors);
// The look of the six value fields with a value.
SFieldLook valueFieldLook(const QString& value);

QColor statusBarBackground();
