#include <QAccessible>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>

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

TEST(Controls, ConsoleKeepsTheNewestLinesAndLetsTheReaderScrollBack)
{
    CConsole console;
    console.resize(200, 100);
    console.show();
    for (int i = 0; i < CConsole::MAX_LINES + 5; ++i)
        console.appendLine(QString("line %1").arg(i));
    EXPECT_EQ(console.document()->blockCount(), CConsole::MAX_LINES);
    EXPECT_EQ(console.document()->firstBlock().text(), "line 5");
    QScrollBar* bar = console.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum()); // follows new lines

    bar->setValue(10);
    console.appendLine("newest");
    EXPECT_EQ(bar->value(), 10); // the reader scrolled up: stay there
    EXPECT_TRUE(console.isReadOnly());
}
