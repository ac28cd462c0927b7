#include <gtest/gtest.h>

#include "controls/CStrValueCmbBox.h"
#include "controls/CValueCmbBox.h"

TEST(ValueCmbBox, ShowsValuesAtTheirPrecisionAndFindsThemAsShown)
{
    EXPECT_EQ((CCmbBoxNumVal{2.5, 0}).text(), "3"); // half away from zero
    EXPECT_EQ((CCmbBoxNumVal{0.25, 1}).text(), "0.3");
    EXPECT_EQ((CCmbBoxNumVal{1.126, 2}).text(), "1.13");
    EXPECT_EQ((CCmbBoxNumVal{0.1234, 3}).text(), "0.123");
    EXPECT_EQ((CCmbBoxNumVal{7.6, 5}).text(), "8"); // outside 1 to 3: a whole number

    CValueCmbBox box;
    EXPECT_EQ(box.getValue(), -1); // nothing selected
    double t = 0;
    for (int n = 0; n <= 10; ++n, t += 0.1)
        box.addValue({t, 1});
    box.addValue({0.3, 1});            // a second entry equal to the fourth
    EXPECT_TRUE(box.selectValue(0.3)); // finds 0.1 + 0.1 + 0.1 after rounding
    EXPECT_EQ(box.currentIndex(), 3);  // the first equal entry
    EXPECT_DOUBLE_EQ(box.getValue(), 0.3);
    EXPECT_FALSE(box.selectValue(7));
    EXPECT_EQ(box.currentIndex(), 3); // no match keeps the selection
    EXPECT_EQ(box.itemText(10), "1.0");
    box.clear();
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.entryAt(0), nullptr);
    EXPECT_EQ(box.getValue(), -1);

    CStrValueCmbBox texts;
    texts.addValue({"VALTEK 3 OHM", 1, 0});
    texts.addValue({"MATRIX", 4, 0});
    texts.addValue({"VALTEK 1 OHM", 9, 0});
    EXPECT_TRUE(texts.selectValue(9));
    EXPECT_EQ(texts.currentText(), "VALTEK 1 OHM");
    EXPECT_DOUBLE_EQ(texts.getValue(), 9);
    EXPECT_FALSE(texts.selectValue(9.4)); // codes match exactly
    EXPECT_EQ(texts.currentIndex(), 2);
}
