#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "data/CSettings.h"
#include "data/DeviceInfoText.h"
#include "data/DiagRecord.h"
#include "data/InjectorMask.h"
#include "data/SettingsChange.h"
#include "data/SettingsLists.h"
#include "lang/LanguageScope.h"

namespace {

const SSettingsList& list(int control)
{
    const SSettingsList* l = settingsListByControl(control);
    EXPECT_NE(l, nullptr) << control;
    return *l;
}

} // namespace

TEST(SettingsLists, OfferTheViewsValuesAndFindStoredOnesAfterRounding)
{
    const SSettingsList& rpm = list(1012);
    EXPECT_EQ(rpm.choices.size(), 46u);
    EXPECT_EQ(rpm.choices.front().text, "500");
    EXPECT_EQ(findChoice(rpm, 450), -1); // the view keeps its previous entry
    EXPECT_EQ(findChoice(rpm, 1200), 7);
    EXPECT_EQ(findChoice(rpm, 1199.6), 7); // compared as shown, "%d" of the rounded value

    // Built by adding 0.1 sixty times, yet its last entry still reads 6.0
    // and a stored 0.3 (not 0.1 + 0.1 + 0.1) finds its entry.
    const SSettingsList& minTime = list(1021);
    ASSERT_EQ(minTime.choices.size(), 61u);
    EXPECT_EQ(minTime.choices.back().text, "6.0");
    EXPECT_EQ(findChoice(minTime, 0.3), 3);
    EXPECT_EQ(findChoice(minTime, 6.0), 60);
    const SSettingsList& average = list(1024);
    ASSERT_EQ(average.choices.size(), 40u);
    EXPECT_EQ(findChoice(average, 0.3), 2);
    EXPECT_EQ(findChoice(average, 0.8), 7);

    const SSettingsList& coils = list(1016);
    EXPECT_EQ(coils.choices.back().text, "1 cewka na 8 cylindrów");
    EXPECT_EQ(coils.choices.back().value, 7);
    const SSettingsList& injectors = list(1017);
    EXPECT_EQ(findChoice(injectors, 9), 2);
    EXPECT_EQ(findChoice(injectors, 3), -1);
    EXPECT_EQ(settingsListForKey("m_injectorType"), &injectors);
    // Bit lists edit part of a byte and do not judge its value.
    EXPECT_EQ(settingsListForKey("m_behaviorFlags"), nullptr);

    CLanguageScope english(LANG_EN);
    EXPECT_EQ(describeChoices(rpm), "500 to 5000 in steps of 100");
    EXPECT_EQ(describeChoices(average), "0.1 to 4.0 in steps of 0.1");
    EXPECT_EQ(describeChoices(list(1018)), "1, 4, 2, 3");
}

TEST(SettingsLists, PetrolInjectionCodesMapToBitsOneAndTwo)
{
    EXPECT_EQ(petrolInjectionCode(0x00), 0);
    EXPECT_EQ(petrolInjectionCode(0x02), 1);
    EXPECT_EQ(petrolInjectionCode(0x04), 2);
    EXPECT_EQ(petrolInjectionCode(0x06), 1); // bit 1 wins
    // Bit 0 (the +12 V check box) and the bits above stay as they were.
    EXPECT_EQ(withPetrolInjectionCode(0x87, 2), 0x85);
    EXPECT_EQ(withPetrolInjectionCode(0x85, 1), 0x83);
    EXPECT_EQ(withPetrolInjectionCode(0x83, 0), 0x81);
}

TEST(SettingsChange, PlansOnlyTheRecordsThatChangeAndTheResetWhereNeeded)
{
    CSettings before;
    before.m_devInfo.m_flags.flags1 = FLAGS1_EXTENDED_SETUP;
    EXPECT_FALSE(planSettingsChange(before, before).any());

    CSettings after = before;
    after.m_mainCorr += 0.001; // less than a tick: the controller would get the same bytes
    EXPECT_FALSE(planSettingsChange(before, after).any());

    after.setInjectorType(9);
    SSettingsPlan expected;
    expected.settingsRecord = true;
    EXPECT_EQ(planSettingsChange(before, after), expected);

    after.m_setupTimes[4] = 12;
    after.m_devInfo.m_engine = "1600";
    expected.setupTable = expected.mountData = true;
    EXPECT_EQ(planSettingsChange(before, after), expected);

    // The pressure sensor type and the petrol injection byte only take
    // effect through petrol and a reset; other option bits do not need one.
    CSettings flags = before;
    flags.m_behaviorFlags ^= 0x02;
    EXPECT_FALSE(planSettingsChange(before, flags).reset);
    flags.m_behaviorFlags ^= 0x10;
    const SSettingsPlan sensor = planSettingsChange(before, flags);
    EXPECT_TRUE(sensor.petrolFirst && sensor.settingsRecord && sensor.reset);
    CSettings signal = before;
    signal.m_engineSignalBehavior = withPetrolInjectionCode(0, 2);
    EXPECT_TRUE(planSettingsChange(before, signal).reset);

    for (int control : {1026, 1027, 1055})
        EXPECT_TRUE(settingsPlanForControl(control).reset) << control;
    const SSettingsPlan plain = settingsPlanForControl(1012);
    EXPECT_TRUE(plain.settingsRecord);
    EXPECT_FALSE(plain.petrolFirst || plain.reset);
}

TEST(InjectorMask, LimitsFollowTheInjectorCountAndMasksGoOnlyOnLpg)
{
    EXPECT_EQ(injectorMaskLimit(4), 0x0F);
    EXPECT_EQ(injectorMaskLimit(6), 0x3F);
    EXPECT_EQ(injectorMaskLimit(8), 0xFF);
    EXPECT_EQ(injectorMaskLimit(5), 0xFF);
    EXPECT_EQ(maskedInjectors(3), 8);
    EXPECT_FALSE(injectorMaskAllowed(FUEL_PETROL));
    for (std::uint8_t lpg : {FUEL_LPG, FUEL_LPG_4, FUEL_LPG_5})
        EXPECT_TRUE(injectorMaskAllowed(lpg)) << int(lpg);
    // The buttons go by pairs above four injectors, whatever the mask keeps:
    // a 5-injector controller switches six, though its mask keeps all eight.
    const std::pair<int, int> buttons[] = {{1, 4}, {4, 4}, {5, 6}, {6, 6}, {7, 8}, {8, 8}};
    for (const auto& [count, switchable] : buttons)
        EXPECT_EQ(switchableInjectors(count), switchable) << count;
}

TEST(DeviceInfoText, ReadsAsTheViewLaysItOut)
{
    EXPECT_EQ(versionText(0x030C), "3.12");
    EXPECT_EQ(versionText(0x0305), "3.5");

    CLanguageScope polish(LANG_PL);
    EXPECT_EQ(workTimeText(119), "0 godz : 00 min");
    EXPECT_EQ(workTimeText(2 * 3600), "1 godz : 00 min");
    SDevInfo info;
    info.m_version = 0x0102;
    info.m_injCount = 4;
    info.m_prodDate = "21/05/2006";
    info.m_statistic = {2 * 3600, 2 * 60 * 5};
    info.m_engine = "1600";
    const std::string rule = "\r\n" + std::string(91, '-') + "\r\n";
    EXPECT_EQ(deviceInfoText(info), "Wersja sterownika\t1.2\r\n\r\n"
                                    "Ilość wtryskiwaczy\t4\r\n\r\n"
                                    "Data produkcji\t21/05/2006" +
                                        rule +
                                        "Czas pracy - benzyna\t1 godz : 00 min\r\n\r\n"
                                        "Czas pracy - LPG\t0 godz : 05 min" +
                                        rule +
                                        "Data montażu\t\r\n\r\n"
                                        "Nazwa zakładu montującego\t\r\n\r\n"
                                        "Rozmiar wtryskiwaczy LPG [mm]\t\r\n\r\n"
                                        "Pojemność silnika [cm3]\t1600");
}
