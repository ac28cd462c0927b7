#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include "controls/CColorButton.h"
#include "controls/CColorStatic.h"
#include "controls/CConsole.h"
#include "controls/CLed.h"
#include "controls/CProgressBar.h"
#include "controls/ControlColors.h"

TEST(Controls, GeometryAndColourRules)
{
    EXPECT_EQ(fittingPixelSize(24, 80, 82), 24);
    EXPECT_EQ(fittingPixelSize(24, 120, 80), 16); // two thirds of the width, two thirds of the size
    EXPECT_EQ(fittingPixelSize(24, 120, 0), 1);

    EXPECT_EQ(progressFillWidth(0, 200), 0);
    EXPECT_EQ(progressFillWidth(100, 200), 200);
    EXPECT_EQ(progressFillWidth(50, 7), 4); // 3.5 rounds up
    EXPECT_EQ(progressFillWidth(-5, 200), 0);
    EXPECT_EQ(progressFillWidth(150, 200), 200);
    EXPECT_EQ(progressFillWidth(50, -3), 0);

    EXPECT_EQ(ledRect({30, 16}), QRect(8, 1, 14, 14)); // centred, one pixel in
    EXPECT_TRUE(ledRect({1, 1}).isEmpty());
    EXPECT_NE(ledFace(Qt::red, false), ledFace(Qt::red, true));

    EXPECT_EQ(contrastingText(QColor(0, 0, 190)), QColor(Qt::white));
    EXPECT_EQ(contrastingText(QColor(192, 192, 192)), QColor(Qt::black));
    const QColor face(0, 160, 0);
    EXPECT_LT(buttonFace(face, true, true).value(), face.value());
    EXPECT_LT(buttonFace(face, false, false).saturation(), face.saturation());
}

TEST(Controls, FieldPaintsItsColoursAndReadsWithItsLabel)
{
    QWidget form;
    auto* caption = new QLabel("RPM", &form);
    auto* field = new CColorStatic(&form);
    field->resize(80, 30);
    field->setCaption(caption);
    field->setColors(Qt::black, QColor(255, 250, 250));
    field->setText("2400");
    EXPECT_EQ(caption->buddy(), field);
    EXPECT_EQ(field->grab().toImage().pixelColor(1, 1), QColor(255, 250, 250));

    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(field);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::StaticText);
    EXPECT_EQ(a->text(QAccessible::Name), "RPM 2400");
    caption->setText("Obroty");
    field->refreshAccessibleName();
    EXPECT_EQ(field->accessibleName(), "Obroty 2400");
    field->setText("");
    EXPECT_EQ(field->accessibleName(), "Obroty");

    CProgressBar bar;
    bar.setPercent(150);
    EXPECT_EQ(bar.percent(), 100);
    EXPECT_EQ(bar.accessibleName(), "100 %");
}

TEST(Controls, ConsoleLightsItsFourLampsTopToBottomAndRepaintsOnlyChanges)
{
    const QSize size(60, 240);
    for (int i = 0; i < CConsole::LAMPS; ++i) {
        const QRect r = consoleLampRect(size, i);
        EXPECT_FALSE(r.isEmpty()) << i;
        EXPECT_TRUE(consoleFaceRect(size).contains(r)) << i;
        if (i > 0) {
            EXPECT_LT(consoleLampRect(size, i - 1).bottom(), r.top()) << i;
        }
    }
    EXPECT_TRUE(consoleLampRect({2, 2}, 0).isEmpty());

    CConsole console;
    console.resize(size);
    console.setLamps({false, false, true, true});
    EXPECT_EQ(console.lastInvalidated().size(), 2u);
    console.setLamps({false, false, true, true});
    EXPECT_TRUE(console.lastInvalidated().empty());
    console.setLamps({false, true, true, true});
    ASSERT_EQ(console.lastInvalidated().size(), 1u);
    EXPECT_TRUE(console.lastInvalidated()[0].contains(consoleLampRect(size, 1)));

    const QImage shot = console.grab().toImage();
    EXPECT_EQ(shot.pixelColor(consoleLampRect(size, 1).center()), consoleLampColor());
    EXPECT_NE(shot.pixelColor(consoleLampRect(size, 0).center()), consoleLampColor());

    console.setText("Wskaźnik poziomu LPG");
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&console);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), "Wskaźnik poziomu LPG");
    ASSERT_NE(a->valueInterface(), nullptr);
    EXPECT_EQ(a->valueInterface()->currentValue().toInt(), 3);
    EXPECT_EQ(a->valueInterface()->maximumValue().toInt(), 4);
}
