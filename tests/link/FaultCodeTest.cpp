#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "lang/Translation.h"
#include "link/CDeviceErrorBase.h"
#include "link/CGasDeviceErr.h"

namespace {

std::string describe(const CGasDeviceErr& groups, std::array<std::uint8_t, 4> record)
{
    return groups.describeErrors(record);
}

class FaultCodes : public testing::Test {
protected:
    void SetUp() override
    {
        setCurrentLanguage(LANG_PL);
        m_groups.rebuildErrors();
    }
    void TearDown() override { setCurrentLanguage(LANG_PL); }

    CGasDeviceErr m_groups;
};

TEST_F(FaultCodes, OneSensorFault)
{
    EXPECT_EQ(describe(m_groups, {0, 0, 0x01, 0}), "\r\nBrak sygnału RPM\r\n");
}

TEST_F(FaultCodes, BitWithoutTextAndClearRecordGiveNothing)
{
    EXPECT_EQ(describe(m_groups, {0x04, 0, 0, 0}), "");
    EXPECT_EQ(describe(m_groups, {0xFC, 0, 0, 0}), "");
    EXPECT_EQ(describe(m_groups, {0, 0, 0, 0}), "");
}

TEST_F(FaultCodes, InjectorsInBitOrder)
{
    EXPECT_EQ(describe(m_groups, {0, 0, 0, 0x81}),
              "\r\nBłąd wtryskiwacza LPG 1 - Przekroczenie prądu"
              "\r\nBłąd wtryskiwacza LPG 8 - Przekroczenie prądu\r\n");
}

TEST_F(FaultCodes, GroupsInRecordOrderWithoutTitles)
{
    EXPECT_EQ(describe(m_groups, {0x03, 0x80, 0x40, 0x02}),
              "\r\nERR_I2C_NO_ACK\r\nERR_I2C_TIMEOUT\r\n"
              "\r\nBłąd sumy kontrolnej w pamięci EEPROM\r\n"
              "\r\nBłąd - za wysoka temperatura LPG (powyżej 90 °C\r\n"
              "\r\nBłąd wtryskiwacza LPG 2 - Przekroczenie prądu\r\n");
}

TEST_F(FaultCodes, EveryEepromAndSensorBitHasItsText)
{
    const std::string eeprom = m_groups.describeGroup(1, 0xFF);
    EXPECT_NE(eeprom.find("\r\nERROR_EEPROM_FORMAT\r\nBłąd zapisu struktury"), std::string::npos);
    const std::string sensors = m_groups.describeGroup(2, 0xFF);
    EXPECT_TRUE(sensors.ends_with("\r\nBłąd - za niska temperatura ogrzewacza LPG (poniżej 20 °C"));
    for (const auto* text : {&eeprom, &sensors}) {
        int lines = 0;
        for (std::size_t at = text->find("\r\n"); at != std::string::npos;
             at = text->find("\r\n", at + 2))
            ++lines;
        EXPECT_EQ(lines, 8);
    }
}

TEST_F(FaultCodes, OnlyTheFourKnownPositions)
{
    EXPECT_EQ(m_groups.describeGroup(4, 0xFF), "");
    EXPECT_EQ(m_groups.group(4), nullptr);
    // A longer payload: bytes past the fourth are not faults.
    const std::array<std::uint8_t, 6> payload{0, 0, 0x01, 0, 0xFF, 0xFF};
    EXPECT_EQ(m_groups.describeErrors(payload), "\r\nBrak sygnału RPM\r\n");
    // A short one is read as far as it goes.
    const std::array<std::uint8_t, 3> shortPayload{0, 0, 0x01};
    EXPECT_EQ(m_groups.describeErrors(shortPayload), "\r\nBrak sygnału RPM\r\n");
}

TEST_F(FaultCodes, RebuildingKeepsOneGroupPerRecordByte)
{
    m_groups.rebuildErrors();
    m_groups.rebuildErrors();
    EXPECT_EQ(m_groups.groupCount(), 4u);
    EXPECT_EQ(describe(m_groups, {0, 0, 0x01, 0}), "\r\nBrak sygnału RPM\r\n");
}

TEST(FaultCodesUnbuilt, NoGroupsDescribeNothing)
{
    CGasDeviceErr groups;
    EXPECT_EQ(groups.groupCount(), 0u);
    EXPECT_EQ(describe(groups, {0xFF, 0xFF, 0xFF, 0xFF}), "");
}

TEST_F(FaultCodes, Titles)
{
    EXPECT_EQ(m_groups.group(0)->title(), "I2C");
    EXPECT_EQ(m_groups.group(1)->title(), "EEPROM");
    EXPECT_EQ(m_groups.group(2)->title(), "Czujniki");
    EXPECT_EQ(m_groups.group(3)->title(), "Wtryskiwacze");
    EXPECT_EQ(CDeviceErrorBase().title(), "Nieznany kod błędu");
}

TEST_F(FaultCodes, TextsFollowTheLanguageOfTheLastRebuild)
{
    setCurrentLanguage(LANG_EN);
    const std::string rpm = translate("Brak sygnału RPM");
    const std::string injector = translate("Błąd wtryskiwacza LPG 1 - Przekroczenie prądu");
    const std::string title = translate("Wtryskiwacze");

    // Built in Polish: a language change alone does not touch the fault texts.
    EXPECT_EQ(describe(m_groups, {0, 0, 0x01, 0}), "\r\nBrak sygnału RPM\r\n");

    m_groups.rebuildErrors();
    EXPECT_EQ(describe(m_groups, {0, 0, 0x01, 0x01}),
              "\r\n" + rpm + "\r\n\r\n" + injector + "\r\n");
    EXPECT_EQ(m_groups.group(3)->title(), title);

    setCurrentLanguage(LANG_PL);
    EXPECT_EQ(describe(m_groups, {0, 0, 0x01, 0}), "\r\n" + rpm + "\r\n");
    m_groups.rebuildErrors();
    EXPECT_EQ(describe(m_groups, {0, 0, 0x01, 0}), "\r\nBrak sygnału RPM\r\n");
}

} // namespace
