// The part the settings view's two value lists share: a combo box whose
// entries are kept beside their texts, by list position, and whose popup is
// wide enough for its longest entry even when the box itself is narrower
// (the translated texts differ a good deal in length).
// Thread safety: the user-interface thread only.
#pragma once

#include <QComboBox>

class CEntryCmbBox : public QComboBox {
    Q_OBJECT
public:
    explicit CEntryCmbBox(QWidget* parent = nullptr);

protected:
    // Appends the text and returns the position it got.
    int appendText(const QString& text);
    void clearTexts();
};
