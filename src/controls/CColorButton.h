// A push button with a settable face colour, painted by itself so that the
// colour shows whatever widget style the desktop uses.
// Thread safety: the user-interface thread only.
#pragma once

#include <QColor>
#include <QPushButton>

class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    void setFaceColor(const QColor& color);
    QColor faceColor() const { return m_face; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_face = QColor(192, 192, 192);
};

// The face as drawn: darker while pressed, washed out while disabled.
QColor buttonFace(const QColor& face, bool down, bool enabled);
