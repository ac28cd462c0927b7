#include <gtest/gtest.h>

#include "calib/AutoSetupRules.h"
#include "lang/Translation.h"

namespace {

class AutoSetupRules : public ::testing::Test {
protected:
    void SetUp() override { setCurrentLanguage(LANG_PL); }
    void TearDown() override { setCurrentLanguage(LANG_PL); }
};

diag_t recordWith(std::uint16_t petrolTicks, int channels, std::uint8_t pressureRaw)
{
    diag_t rec{};
    for (int j = 0; j < channels; ++j)
        rec.channels[j] = {petrolTicks, 0, 0, 0};
    rec.gasPressure = pressureRaw;
    return rec;
}

} // namespace

TEST_F(AutoSetupRules, FirstPassStoresTheGridValueAndWarnsOutsideTheAdvisedRange)
{
    // 1.337 ms is 53.48 ticks: 53 ticks, 1.325 ms, inside 0.5 to 3 ms.
    SFirstPass p = firstPassCorrection(1.000, 0.337);
    EXPECT_DOUBLE_EQ(p.corr, 1.325);
    EXPECT_EQ(p.box, EFirstPassBox::None);
    EXPECT_EQ(p.text, "");

    // Too large: limited, and the box names the limited value.
    p = firstPassCorrection(1.0, 6.2);
    EXPECT_DOUBLE_EQ(p.corr, 6.0);
    EXPECT_EQ(p.box, EFirstPassBox::Warning);
    EXPECT_EQ(p.text, "Wyliczona poprawka: 6 ms jest za duża.\n"
                      "Poprawki powinny być z zakresu od 0.5ms do 3ms.\n"
                      "Należy zmienić wtryskiwacze na większe.");

    p = firstPassCorrection(1.0, -0.7);
    EXPECT_DOUBLE_EQ(p.corr, 0.3);
    EXPECT_EQ(p.box, EFirstPassBox::Warning);
    EXPECT_EQ(p.text, "Wyliczona poprawka: 0.3 ms nie mieści się w zalecanym zakresie od 0.5ms "
                      "do 3ms.\nZalecana jest zmiana wtryskiwaczy na mniejsze.");

    p = firstPassCorrection(3.0, 0.375);
    EXPECT_DOUBLE_EQ(p.corr, 3.375);
    EXPECT_EQ(p.text, "Wyliczona poprawka: 3.375 ms nie mieści się w zalecanym zakresie od "
                      "0.5ms do 3ms.\nZalecana jest zmiana wtryskiwaczy na większe.");

    // The ends of the advised range are inside it; 0 is still a correction.
    EXPECT_EQ(firstPassCorrection(0.5, 0).box, EFirstPassBox::None);
    EXPECT_EQ(firstPassCorrection(2.9, 0.1).box, EFirstPassBox::None);
    p = firstPassCorrection(0.2, -0.2);
    EXPECT_EQ(p.box, EFirstPassBox::Warning);
    EXPECT_DOUBLE_EQ(p.corr, 0.0);
}

TEST_F(AutoSetupRules, NegativeFirstCorrectionIsAnErrorOfFiveLines)
{
    // -0.01 is within half a tick of 0 and rounds there; -0.02 does not.
    const SFirstPass zero = firstPassCorrection(0.5, -0.51);
    EXPECT_EQ(zero.box, EFirstPassBox::Warning);
    EXPECT_EQ(zero.text.rfind("Wyliczona poprawka: 0 ms ", 0), 0u) << zero.text; // never "-0"
    const SFirstPass p = firstPassCorrection(0.5, -0.52);
    EXPECT_EQ(p.box, EFirstPassBox::Error);
    EXPECT_EQ(p.text, "Wyliczono zbyt małą poprawkę.\n"
                      "Poprawki powinny być z zakresu od 0.5ms do 3ms.\n"
                      "Aby poprawnie ustawić sterownik spróbuj wykonać nastepujące czynności:\n"
                      "-zmienić wtryskiwacze na mniejsze lub \n"
                      "-obniżyć ciśnienie reduktora\n");
}

TEST_F(AutoSetupRules, BoxesAreTranslatedPieceByPiece)
{
    setCurrentLanguage(LANG_EN);
    EXPECT_EQ(firstPassCorrection(1.0, 6.2).text, "Calculated correction: 6 ms is too large.\n"
                                                  "Corrections should be between 0.5ms and 3ms.\n"
                                                  "Larger injectors must be fitted.");
    setCurrentLanguage(LANG_RU);
    const std::string ru = firstPassCorrection(1.0, -0.7).text;
    EXPECT_EQ(ru.rfind("Рассчитанная поправка: 0.3 мс не входит", 0), 0u) << ru;
}

TEST_F(AutoSetupRules, NumbersPrintInTheStreamsDefaultForm)
{
    EXPECT_EQ(correctionNumber(6), "6");
    EXPECT_EQ(correctionNumber(0.375), "0.375");
    EXPECT_EQ(correctionNumber(0.3), "0.3");
    EXPECT_EQ(correctionNumber(1.23456789), "1.23457");
}

TEST_F(AutoSetupRules, MedianReferenceRejectsOneDisturbedPass)
{
    // A pass with a load switched on: with the mean (0.317) as yardstick all
    // three would pass and the correction would jump by 0.3 ms.
    EXPECT_EQ(keptDifferences({0.9, 0.02, 0.03}), (std::vector<double>{0.02, 0.03}));
    EXPECT_DOUBLE_EQ(*finalCorrection(1.2, {0.9, 0.02, 0.03}), 1.225);
    // Good passes either side of zero: the reference is 0 and all are kept.
    EXPECT_EQ(keptDifferences({0.012, 0, -0.01}).size(), 3u);
    EXPECT_DOUBLE_EQ(*finalCorrection(1.2, {0.012, 0, -0.01}), 1.2);
    // A tiny reference keeps only what is near it, never nothing: the median
    // itself always passes.
    EXPECT_EQ(keptDifferences({-0.02, 0.001, 0.02}), (std::vector<double>{0.001}));
    // Nine times the reference away is kept, ten times is not.
    EXPECT_EQ(keptDifferences({0.1, 0.1, -0.85}).size(), 3u);
    EXPECT_EQ(keptDifferences({0.1, 0.1, -0.95}).size(), 2u);
}

TEST_F(AutoSetupRules, FinalCorrectionStaysWithinTheControllersRange)
{
    EXPECT_DOUBLE_EQ(*finalCorrection(5.9, {0.3, 0.3, 0.3}), 6.0);
    EXPECT_DOUBLE_EQ(*finalCorrection(0.1, {-0.5, -0.5, -0.5}), 0.0);
    // 1.22 ms is 48.8 ticks.
    EXPECT_DOUBLE_EQ(*finalCorrection(1.2, {0.02, 0.02, 0.02}), 1.225);
}

TEST_F(AutoSetupRules, SpinStepsOutsideTheRangeAreIgnored)
{
    // A rising spin position lowers the value by a tick per step.
    EXPECT_DOUBLE_EQ(*steppedCorrection(1.0, 1), 0.975);
    EXPECT_DOUBLE_EQ(*steppedCorrection(1.0, -2), 1.05);
    EXPECT_DOUBLE_EQ(*steppedCorrection(5.975, -1), 6.0);
    EXPECT_FALSE(steppedCorrection(6.0, -1));
    EXPECT_DOUBLE_EQ(*steppedCorrection(0.025, 1), 0.0);
    EXPECT_FALSE(steppedCorrection(0.0, 1));
    // A value typed off the grid lands on it.
    EXPECT_DOUBLE_EQ(*steppedCorrection(1.013, 0), 1.025);
}

TEST_F(AutoSetupRules, ProgressCountsRecordsAndLeavesTheLastPercentsToTheEnd)
{
    EXPECT_EQ(progressDenominator(SETTLE_RECORDS, AVERAGE_RECORDS), 695);
    EXPECT_EQ(progressDenominator(SETTLE_RECORDS_DEMO, AVERAGE_RECORDS), 335);
    EXPECT_EQ(progressPercent(0, 695), 0);
    EXPECT_EQ(progressPercent(347, 695), 50); // 49.93
    EXPECT_EQ(progressPercent(168, 335), 50); // 50.15
    // A fast line can deliver more than a wait asked for.
    EXPECT_EQ(progressPercent(5000, 695), 98);
    EXPECT_EQ(progressPercent(10, 0), 0);
}

TEST_F(AutoSetupRules, MeansCountOnlyMeasuredChannelsWithAPetrolTime)
{
    // Channels 0 and 1 at 3 ms; channel 2 too, but only two are measured.
    diag_t a = recordWith(120, 3, 112);
    // 0.2 ms (8 ticks) is no signal, 0.25 ms is.
    diag_t b = recordWith(8, 1, 122);
    b.channels[1] = {10, 0, 0, 0};
    // The larger time of a channel's two pairs counts.
    diag_t c = recordWith(0, 0, 112);
    c.channels[0] = {40, 0, 80, 0};
    const SSampleMeans m = sampleMeans({a, b, c}, 2);
    ASSERT_TRUE(m.petrolMs);
    EXPECT_NEAR(*m.petrolMs, (3.0 + 3.0 + 0.25 + 2.0) / 4, 1e-9);
    // Every record's pressure counts, with or without a petrol time.
    EXPECT_NEAR(m.gasKpa, (2 * 99.80 + 109.61) / 3, 0.01);

    EXPECT_FALSE(sampleMeans({recordWith(8, 8, 112)}, 8).petrolMs);
    EXPECT_FALSE(sampleMeans({}, 4).petrolMs);
}

TEST_F(AutoSetupRules, InstallationDateIsTheLocalDay)
{
    std::tm day{};
    day.tm_year = 2010 - 1900;
    day.tm_mon = 2;
    day.tm_mday = 5;
    day.tm_hour = 12;
    day.tm_isdst = -1;
    EXPECT_EQ(mountDateText(std::mktime(&day)), "05/03/2010");
}
