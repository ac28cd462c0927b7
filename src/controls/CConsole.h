// A copy of the four-lamp level display of the car's LPG switch: lamp 0 at
// the top, lamp 3 at the bottom. Its owner says which lamps are on; a change
// repaints only the lamps that changed. Assistive technology reads it as a
// level meter whose value is the number of lamps lit, 0 to 4.
// Thread safety: the user-interface thread only.
#pragma once

#include <array>

#include <QColor>
#include <QRect>
#include <QString>

#include "controls/CCompCtrl.h"

class CConsole : public CCompCtrl {
    Q_OBJECT
    Q_PROPERTY(int reading READ litCount)
    Q_PROPERTY(int readingMinimum READ readingMinimum CONSTANT)
    Q_PROPERTY(int readingMaximum READ readingMaximum CONSTANT)
public:
    static constexpr int LAMPS = 4;

    explicit CConsole(QWidget* parent = nullptr);

    void setLamps(const std::array<bool, LAMPS>& on);
    const std::array<bool, LAMPS>& lamps() const { return m_on; }
    int litCount() const;
    int readingMinimum() const { return 0; }
    int readingMaximum() const { return LAMPS; }
    // What it shows, in the current language, for assistive technology.
    void setText(const QString& text);

    QSize sizeHint() const override { return {60, 200}; }

protected:
    void paint(QPainter& p) override;

private:
    std::array<bool, LAMPS> m_on{};
};

// The switch's dark face: the widget less a margin of a tenth of its width.
QRect consoleFaceRect(const QSize& size);
// Lamp i: the largest circle in its quarter of the face's height, centred,
// with a gap of a fifth of the quarter between lamps.
QRect consoleLampRect(const QSize& size, int lamp);
// The lamps' colour, the green of the switch's level lamps.
QColor consoleLampColor();
