#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/CSettings.h"
#include "data/DateCode.h"
#include "data/MountDataRecord.h"
#include "data/SettingsKeys.h"
#include "data/SettingsRecord.h"
#include "lang/LanguageScope.h"

namespace {

// The period word sits in host order; the frame layer makes it big-endian.
std::vector<std::uint8_t> withPeriod(std::uint16_t period, std::vector<std::uint8_t> rest)
{
    std::vector<std::uint8_t> bytes(2);
    std::memcpy(bytes.data(), &period, 2);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

std::vector<std::uint8_t> asVector(const SSettingsRecord& rec)
{
    return {rec.begin(), rec.end()};
}

} // namespace

TEST(SettingsRecord, DefaultBlockByteForByte)
{
    // 4800000 / 1200 = 4000 | divider 1 | Tcode(35) = 132 | 30 s × 2 = 60 |
    // 1.0 / 0.025 = 40 | (100 × 0.004 + 0.04) × 255 = 112.2 → 112 | gain 1.0 × 10 |
    // (60 × 0.004 + 0.04) × 255 = 71.4 → 71 | 0.8 × 10 = 8 | injector 1 | 0 ticks |
    // 1.8 / 0.025 = 72 | 4.0 / 0.025 = 160 | 50 × 2.55 = 127.5 → 128 |
    // Tcode(95) = 36 (94 °C) | 9.0 / 6 / (5 / 255) = 76.5 → 77 | 0 | 7 | 1 |
    // second correction 40 and mask 0 in the extended form only.
    const CSettings s;
    const auto basic = withPeriod(
        4000, {1, 132, 60, 40, 112, 10, 71, 8, 1, 0, 72, 160, 128, 36, 77, 0, 7, 1, 0, 0});
    auto extended = basic;
    extended[20] = 40;
    EXPECT_EQ(asVector(toRecord(s, ERecordForm::Basic)), basic);
    EXPECT_EQ(asVector(toRecord(s, ERecordForm::Extended)), extended);
}

TEST(SettingsRecord, DefaultBlockReadsBackOnTheRecordGrid)
{
    const CSettings s =
        fromRecord(toRecord(CSettings{}, ERecordForm::Extended), ERecordForm::Extended);
    EXPECT_EQ(s.m_switchRPM, 1200);
    EXPECT_EQ(s.m_switchTempr, 35);
    EXPECT_EQ(s.m_pressureRef, 100);
    EXPECT_EQ(s.m_switchPressure, 60);
    EXPECT_DOUBLE_EQ(s.m_pressAverageCount, 0.8);
    EXPECT_DOUBLE_EQ(s.m_injectorWarmingImpulse, 1.8);
    EXPECT_EQ(s.m_pwm, 50);
    EXPECT_EQ(s.m_maxTemprInside, 94); // nearest table entry not above 95
    EXPECT_DOUBLE_EQ(s.m_minVCC, 9.1); // 77 × 30 / 255 = 9.06, the supply grid
}

TEST(SettingsRecord, ConversionEdgeCases)
{
    CSettings s;
    SSettingsRecord rec = toRecord(s, ERecordForm::Extended);
    EXPECT_EQ(recordPeriod(rec), 4000);
    setRecordPeriod(rec, 4000);
    EXPECT_EQ(fromRecord(rec, ERecordForm::Extended).m_switchRPM, 1200);

    EXPECT_EQ(rec[5], 40);
    EXPECT_DOUBLE_EQ(fromRecord(rec, ERecordForm::Extended).m_mainCorr, 1.0);

    rec[6] = 0;
    EXPECT_EQ(fromRecord(rec, ERecordForm::Extended).m_pressureRef, 0);

    rec[4] = 61;
    EXPECT_EQ(fromRecord(rec, ERecordForm::Extended).m_switchDelay, 30);
    EXPECT_EQ(toRecord(fromRecord(rec, ERecordForm::Extended), ERecordForm::Extended)[4], 60);

    s.m_switchTempr = 210;
    EXPECT_EQ(toRecord(s, ERecordForm::Extended)[3], 0);
    s.m_switchTempr = -37;
    EXPECT_EQ(toRecord(s, ERecordForm::Extended)[3], 0);

    s.m_pressureGain = -1.5;
    rec = toRecord(s, ERecordForm::Extended);
    EXPECT_EQ(rec[7], 0xF1);
    EXPECT_DOUBLE_EQ(fromRecord(rec, ERecordForm::Extended).m_pressureGain, -1.5);
}

TEST(SettingsRecord, BasicFormLeavesSecondCorrectionAlone)
{
    CSettings s;
    s.m_mainCorr2 = 2.5;
    s.m_mainCorr2Mask = 0x0F;
    SSettingsRecord rec = toRecord(s, ERecordForm::Extended);
    EXPECT_EQ(rec[20], 100);
    EXPECT_EQ(rec[21], 0x0F);
    rec[20] = 4;
    rec[21] = 1;
    const CSettings basic = fromRecord(rec, ERecordForm::Basic, s);
    EXPECT_DOUBLE_EQ(basic.m_mainCorr2, 2.5);
    EXPECT_EQ(basic.m_mainCorr2Mask, 0x0F);
    EXPECT_EQ(recordForm(0x1F), ERecordForm::Extended);
    EXPECT_EQ(recordForm(0x1B), ERecordForm::Basic);
}

TEST(SettingsRecord, ReadingKeepsDeviceInfoAndTable)
{
    CSettings s;
    s.m_devInfo.m_serial = "si001";
    s.m_setupTimes[3] = -7;
    readRecordInto(toRecord(CSettings{}, ERecordForm::Basic), ERecordForm::Basic, s);
    EXPECT_EQ(s.m_devInfo.m_serial, "si001");
    EXPECT_EQ(s.m_setupTimes[3], -7);
}

TEST(SettingsRecord, ImpossibleValuesSaturateInsteadOfWrapping)
{
    CSettings s;
    s.m_switchRPM = 50; // slower than the period word can say
    s.m_switchDelay = 200;
    s.m_pressureGain = 20;
    s.m_mainCorr = -1;
    SSettingsRecord rec = toRecord(s, ERecordForm::Extended);
    EXPECT_EQ(recordPeriod(rec), 65535);
    EXPECT_EQ(rec[4], 255);
    EXPECT_EQ(rec[7], 127);
    EXPECT_EQ(rec[5], 0);
    // A period of 0 reads as 0 rpm and goes back as 0, not through a division.
    setRecordPeriod(rec, 0);
    const CSettings zero = fromRecord(rec, ERecordForm::Extended);
    EXPECT_EQ(zero.m_switchRPM, 0);
    EXPECT_EQ(recordPeriod(toRecord(zero, ERecordForm::Extended)), 0);
}

TEST(SettingsRecord, EveryRecordReadFromAControllerIsAcceptedAndWritesBackTheSame)
{
    // Whatever a controller holds loads back into it: the block read from a
    // record is never refused, and writing it gives the record the block
    // stands for (reading is the only step that may round).
    SSettingsRecord raw{};
    for (int b = 0; b < 256; ++b) {
        for (std::size_t i = 2; i < raw.size(); ++i)
            raw[i] = static_cast<std::uint8_t>((b + 37 * i) & 0xFF);
        setRecordPeriod(raw, static_cast<std::uint16_t>(b * 257));
        CSettings s;
        s.m_devInfo.m_flags.flags1 = FLAGS1_EXTENDED_SETUP;
        readRecordInto(raw, ERecordForm::Extended, s);
        std::string why;
        ASSERT_TRUE(checkSettingsRanges(s, &why)) << "byte " << b << ": " << why;
        const SSettingsRecord once = toRecord(s, ERecordForm::Extended);
        CSettings again = s;
        readRecordInto(once, ERecordForm::Extended, again);
        ASSERT_EQ(toRecord(again, ERecordForm::Extended), once) << "byte " << b;
    }
}

// Every value the settings view offers, written and read back.
TEST(SettingsRecord, ViewValuesSurviveTheRecord)
{
    const auto trip = [](const CSettings& s) {
        return fromRecord(toRecord(s, ERecordForm::Extended), ERecordForm::Extended);
    };
    CSettings s;
    for (int rpm = 500; rpm <= 5000; rpm += 100) {
        s.m_switchRPM = rpm;
        const CSettings back = trip(s);
        // The period word is the grid: one tick of it is rpm² / 4800000.
        EXPECT_LE(std::abs(back.m_switchRPM - rpm), rpm * rpm / 4800000.0 / 2 + 0.5) << rpm;
        EXPECT_EQ(toRecord(back, ERecordForm::Extended), toRecord(s, ERecordForm::Extended));
    }
    for (int t = 0; t <= 70; ++t) {
        s.m_switchTempr = t;
        EXPECT_EQ(trip(s).m_switchTempr, t);
    }
    for (int d = 0; d <= 120; ++d) {
        s.m_switchDelay = d;
        EXPECT_EQ(trip(s).m_switchDelay, d);
    }
    for (int p = 50; p <= 200; ++p) {
        s.m_pressureRef = p;
        EXPECT_EQ(trip(s).m_pressureRef, p);
    }
    for (int p = 0; p <= 100; ++p) {
        s.m_switchPressure = p;
        EXPECT_EQ(trip(s).m_switchPressure, p);
    }
    for (int n = 1; n <= 40; ++n) {
        s.m_pressAverageCount = n / 10.0;
        EXPECT_DOUBLE_EQ(trip(s).m_pressAverageCount, n / 10.0);
    }
    double minTime = 0;
    for (int n = 0; n <= 60; ++n, minTime += 0.1) {
        s.m_minLPGTime = minTime; // the view's own sums, noise and all
        EXPECT_DOUBLE_EQ(trip(s).m_minLPGTime, n / 10.0);
    }
    for (int g = -128; g <= 127; ++g) {
        s.m_pressureGain = g / 10.0;
        EXPECT_DOUBLE_EQ(trip(s).m_pressureGain, g / 10.0);
    }
    for (int k = 0; k <= 240; ++k) {
        s.m_mainCorr = k * 0.025;
        s.m_mainCorr2 = k * 0.025;
        const CSettings back = trip(s);
        EXPECT_NEAR(back.m_mainCorr, k * 0.025, 1e-12);
        EXPECT_NEAR(back.m_mainCorr2, k * 0.025, 1e-12);
    }
    for (std::uint8_t code : {1, 2, 3, 4, 5, 6, 7}) {
        s.m_rpmDivider = code;
        EXPECT_EQ(trip(s).m_rpmDivider, code);
    }
    for (std::uint8_t code : {1, 4, 2, 3}) {
        s.m_lambdaType = code;
        EXPECT_EQ(trip(s).m_lambdaType, code);
    }
    for (std::uint8_t code : {1, 4, 9, 2}) {
        s.setInjectorType(code);
        const CSettings back = trip(s);
        EXPECT_EQ(back.m_injectorType, code);
        EXPECT_EQ(back.m_pwm, s.m_pwm);
        EXPECT_DOUBLE_EQ(back.m_pwmOffset, s.m_pwmOffset);
        EXPECT_DOUBLE_EQ(back.m_injectorWarmingImpulse, s.m_injectorWarmingImpulse);
    }
    for (int bits = 0; bits < 32; ++bits) {
        s.m_behaviorFlags = static_cast<std::uint8_t>(bits);
        s.m_engineSignalBehavior = static_cast<std::uint8_t>(bits & 7);
        const CSettings back = trip(s);
        EXPECT_EQ(back.m_behaviorFlags, bits);
        EXPECT_EQ(back.m_engineSignalBehavior, bits & 7);
    }
}

TEST(SettingsRecord, InjectorTypeSetsItsDriveValues)
{
    CSettings s;
    s.setInjectorType(9);
    EXPECT_EQ(s.m_injectorType, 9);
    EXPECT_EQ(s.m_pwm, 35.0);
    EXPECT_EQ(s.m_pwmOffset, 3.0);
    EXPECT_EQ(s.m_injectorWarmingImpulse, 1.0);
    s.setInjectorType(4);
    EXPECT_EQ(s.m_pwm, 50.0);
    EXPECT_EQ(s.m_pwmOffset, 4.0);
    EXPECT_EQ(s.m_injectorWarmingImpulse, 0.8);
}

TEST(SetupTable, TravelsOffsetByHundred)
{
    CSettings s;
    for (std::size_t i = 0; i < SETUP_TIMES_COUNT; ++i) {
        s.m_setupTimes[i] = static_cast<double>(i) * 13 - 100; // -100 .. 147
    }
    s.m_setupTimes[19] = 155;
    const SSetupTable table = toSetupTable(s);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 13);
    EXPECT_EQ(table[19], 255);
    CSettings back;
    readSetupTableInto(table, back);
    EXPECT_EQ(back.m_setupTimes, s.m_setupTimes);
}

TEST(DateCode, DaysFromFirstOfApril2004)
{
    EXPECT_EQ(codeFromDate("02/04/2004"), 1);
    EXPECT_EQ(codeFromDate("01/04/2004"), 0);
    EXPECT_EQ(codeFromDate("1/5/2006"), 0);     // 8 characters
    EXPECT_EQ(codeFromDate("01-03-2005"), 334); // separators are not examined
    EXPECT_EQ(dateFromCode(0), "01/04/2004");
    EXPECT_EQ(dateFromCode(1), "02/04/2004");
    EXPECT_EQ(dateFromCode(790), "31/05/2006");
    for (int code : {1, 59, 60, 365, 366, 790, 4000, 65535}) {
        EXPECT_EQ(codeFromDate(dateFromCode(static_cast<std::uint16_t>(code))), code) << code;
    }
}

TEST(DateCode, TextsThatAreNoDayGiveZero)
{
    EXPECT_EQ(codeFromDate("31/02/2010"), 0);
    EXPECT_EQ(codeFromDate("00/01/2010"), 0);
    EXPECT_EQ(codeFromDate("01/13/2010"), 0);
    EXPECT_EQ(codeFromDate("ab/cd/efgh"), 0);
    EXPECT_EQ(codeFromDate("15/03/2004"), 0); // before the counter starts
    EXPECT_EQ(codeFromDate("01/01/2200"), 0); // past its end
    EXPECT_EQ(codeFromDate("29/02/2008"), codeFromDate("28/02/2008") + 1);
}

TEST(MountData, RecordLayoutAndLimits)
{
    SDevInfo info;
    info.m_mountDate = "02/04/2004";
    info.m_mountService = "Warsztat Kowalski i Syn Sp. z o.o."; // cut to 23 bytes
    info.m_injSize = "2.0";
    info.m_engine = "1998cc";
    const SMountDataRecord rec = toMountData(info);
    std::uint16_t code = 0;
    std::memcpy(&code, rec.data(), 2);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.data() + 2)),
              "Warsztat Kowalski i Syn");
    EXPECT_EQ(rec[25], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.data() + 26)), "2.0");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.data() + 32)), "1998c");
    EXPECT_EQ(rec[37], 0);

    SDevInfo back;
    readMountDataInto(rec, back);
    EXPECT_EQ(back.m_mountDate, "02/04/2004");
    EXPECT_EQ(back.m_mountService, "Warsztat Kowalski i Syn");
    EXPECT_EQ(back.m_engine, "1998c");
}

TEST(MountData, ReadingStopsAtNulOrFieldEndAndZeroDateIsEmpty)
{
    SMountDataRecord rec{};
    std::memset(rec.data() + 2, 'A', 24); // no NUL anywhere in the name field
    rec[26] = 'x';
    SDevInfo info;
    info.m_mountDate = "stale";
    readMountDataInto(rec, info);
    EXPECT_EQ(info.m_mountDate, "");
    EXPECT_EQ(info.m_mountService, std::string(23, 'A'));
    EXPECT_EQ(info.m_injSize, "x");
}

TEST(MountData, CutNeverSplitsACharacter)
{
    SDevInfo info;
    info.m_mountService = std::string(22, 'a') + "\xC5\x82"; // 'ł' would straddle byte 23
    const SMountDataRecord rec = toMountData(info);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.data() + 2)), std::string(22, 'a'));
}

TEST(SettingsKeys, FileOrderAndTargets)
{
    const auto& keys = settingsKeys();
    ASSERT_EQ(keys.size(), 1u + 13u + 21u + 20u);
    EXPECT_EQ(keys.front().name, "m_timeStamp");
    EXPECT_EQ(keys[5].name, "m_devInfo.m_mountDate");
    EXPECT_EQ(keys[14].name, "m_switchRPM");
    EXPECT_EQ(keys.back().name, "m_setupTimes[19]");
    EXPECT_EQ(findSettingsKey("m_devInfo.m_flags.flags1")->target, ESettingsTarget::DeviceInfo);
    EXPECT_EQ(findSettingsKey("m_devInfo.m_engine")->target, ESettingsTarget::MountData);
    EXPECT_EQ(findSettingsKey("m_mainCorr2Mask")->target, ESettingsTarget::SettingsRecord);
    EXPECT_EQ(findSettingsKey("m_setupTimes[3]")->target, ESettingsTarget::SetupTable);
    EXPECT_EQ(findSettingsKey("m_setupTimes[20]"), nullptr);
}

TEST(SettingsKeys, SetByTextRefusesOnlyWhatTheRecordCannotCarryAndSaysWhy)
{
    CLanguageScope english(LANG_EN);
    CSettings s;
    std::string why;
    const SSettingsKey& rpm = *findSettingsKey("m_switchRPM");
    EXPECT_TRUE(setSettingsValue(rpm, s, "2500"));
    EXPECT_EQ(s.m_switchRPM, 2500);
    for (const char* bad : {"12abc", "", " 1200", "1200 ", "nan", "inf", "1e400", "0x4B0"}) {
        EXPECT_FALSE(setSettingsValue(rpm, s, bad, &why)) << bad;
        EXPECT_EQ(why, "m_switchRPM=" + std::string(bad) + ": not a number");
    }
    EXPECT_FALSE(setSettingsValue(rpm, s, "4800001", &why));
    EXPECT_EQ(why, "m_switchRPM=4800001: 0 to 4800000");
    EXPECT_EQ(s.m_switchRPM, 2500);
    // Off the settings view's list, but a speed the controller can hold.
    EXPECT_TRUE(setSettingsValue(rpm, s, "450"));
    EXPECT_EQ(settingsListWarning(rpm, s),
              "m_switchRPM=450: not on the settings view's list (500 to 5000 in steps of 100)");

    const SSettingsKey& delay = *findSettingsKey("m_switchDelay");
    EXPECT_FALSE(setSettingsValue(delay, s, "400", &why));
    EXPECT_EQ(why, "m_switchDelay=400: 0 to 127");
    EXPECT_TRUE(setSettingsValue(delay, s, "127"));
    EXPECT_EQ(settingsListWarning(delay, s),
              "m_switchDelay=127: not on the settings view's list (0 to 120 in steps of 1)");

    const SSettingsKey& divider = *findSettingsKey("m_rpmDivider");
    EXPECT_FALSE(setSettingsValue(divider, s, "300", &why)); // would wrap to 44 in a byte
    EXPECT_EQ(why, "m_rpmDivider=300: 0 to 255");
    EXPECT_TRUE(setSettingsValue(divider, s, "7.9")); // cut to a whole number
    EXPECT_EQ(s.m_rpmDivider, 7);
    EXPECT_EQ(settingsListWarning(divider, s), "");
    const SSettingsKey& injector = *findSettingsKey("m_injectorType");
    EXPECT_TRUE(setSettingsValue(injector, s, "3"));
    EXPECT_EQ(settingsListWarning(injector, s),
              "m_injectorType=3: not on the settings view's list (1, 4, 9)");

    const SSettingsKey& flags = *findSettingsKey("m_devInfo.m_flags.flags1");
    EXPECT_TRUE(setSettingsValue(flags, s, "4294967295"));
    EXPECT_EQ(s.m_devInfo.m_flags.flags1, 4294967295u);
    EXPECT_FALSE(setSettingsValue(flags, s, "-1"));

    const SSettingsKey& service = *findSettingsKey("m_devInfo.m_mountService");
    EXPECT_TRUE(setSettingsValue(service, s, std::string(23, 'x')));
    EXPECT_FALSE(setSettingsValue(service, s, std::string(24, 'x'), &why));
    EXPECT_EQ(why, "m_devInfo.m_mountService=" + std::string(24, 'x') + ": at most 23 bytes");
    EXPECT_FALSE(setSettingsValue(service, s, "two\nlines"));

    const SSettingsKey& date = *findSettingsKey("m_devInfo.m_mountDate");
    EXPECT_TRUE(setSettingsValue(date, s, ""));
    EXPECT_TRUE(setSettingsValue(date, s, "21/05/2006"));
    EXPECT_FALSE(setSettingsValue(date, s, "31/02/2006", &why));
    EXPECT_EQ(why, "m_devInfo.m_mountDate=31/02/2006: a calendar day as dd/mm/yyyy");

    // The same sentence whole in another language, value and all.
    CLanguageScope polish(LANG_PL);
    EXPECT_FALSE(setSettingsValue(delay, s, "400", &why));
    EXPECT_EQ(why, "m_switchDelay=400: od 0 do 127");
}

TEST(SettingsKeys, NumbersAreWrittenExactly)
{
    EXPECT_EQ(formatSettingsNumber(1200), "1200");
    EXPECT_EQ(formatSettingsNumber(1234567), "1234567");
    EXPECT_EQ(formatSettingsNumber(4294967295.0), "4294967295");
    EXPECT_EQ(formatSettingsNumber(1000000), "1000000");
    EXPECT_EQ(formatSettingsNumber(0.8), "0.8");
    EXPECT_EQ(formatSettingsNumber(-1.5), "-1.5");
    EXPECT_EQ(formatSettingsNumber(-0.0), "0");
    EXPECT_EQ(formatSettingsNumber(0.1 + 0.2), "0.30000000000000004");
    double v = 0;
    ASSERT_TRUE(parseSettingsNumber("1.23457e+06", v)); // older files
    EXPECT_EQ(v, 1234570);
}

TEST(SettingsKeys, RangeCheckNamesTheFirstValueTheRecordCannotCarry)
{
    CLanguageScope english(LANG_EN);
    CSettings s;
    std::string bad;
    EXPECT_TRUE(checkSettingsRanges(s, &bad));
    EXPECT_TRUE(settingsValueWarnings(s).empty());
    s.m_lambdaType = 5; // off the list only
    EXPECT_TRUE(checkSettingsRanges(s, &bad));
    EXPECT_EQ(
        settingsValueWarnings(s),
        std::vector<std::string>{"m_lambdaType=5: not on the settings view's list (1, 4, 2, 3)"});
    s.m_setupTimes[19] = 156;
    s.m_maxTemprInside = 210;
    EXPECT_FALSE(checkSettingsRanges(s, &bad));
    EXPECT_EQ(bad, "m_maxTemprInside=210: -36 to 209");
    s.m_maxTemprInside = 95;
    EXPECT_FALSE(checkSettingsRanges(s, &bad));
    EXPECT_EQ(bad, "m_setupTimes[19]=156: -100 to 155");
}
