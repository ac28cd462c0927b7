#include <algorithm>

#include <gtest/gtest.h>

#include "data/DateCode.h"
#include "data/MountDataRecord.h"
#include "data/SettingsRecord.h"
#include "link/CGasDevice.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "support/DeviceEmuTest.h"

namespace {

// The controller stores records as they travel: the 16-bit word at offset 0
// of the settings record and of the installation data goes high byte first.
template <std::size_t N>
std::array<std::uint8_t, N> onWire(std::array<std::uint8_t, N> rec)
{
    std::swap(rec[0], rec[1]);
    return rec;
}

class DeviceEmu : public DeviceEmuTest {};

} // namespace

TEST_F(DeviceEmu, ScanFindsTheControllerBehindPortsThatDoNotExist)
{
    CPortList::setUserPaths({"/nonexistent/nimo-a", "/nonexistent/nimo-b", emu().path()});
    shell.m_lastPort = 2;
    CGasDevice dev(shell);
    dev.connect();
    EXPECT_TRUE(dev.isConnected());
    EXPECT_FALSE(dev.isDemo());
    EXPECT_EQ(shell.m_lastPort, 3);
    EXPECT_EQ(shell.m_demoQuestions, 0);
    EXPECT_TRUE(shell.m_linkShown);
    EXPECT_TRUE(shell.errors().empty());
    EXPECT_EQ(shell.events().front(), "splash: Łączenie ze sterownikiem...");
    EXPECT_EQ(shell.events().back(), "splash closed");
}

TEST_F(DeviceEmu, LoadReadsIdentityFlagsInstallationAndExtendedSettings)
{
    SMountDataRecord mount{};
    SDevInfo info;
    info.m_mountDate = "15/03/2010";
    info.m_mountService = "Auto-Gaz Kraków";
    info.m_injSize = "2.0";
    info.m_engine = "1598";
    mount = onWire(toMountData(info));
    emu().withState([&](SEmuState& s) {
        s.m_serial = "AB-12345";
        s.m_versionWord = 40000 + 0x0203;
        s.m_injCount = 6;
        s.m_prodDate = 1;
        s.m_flags1 = 0x05;
        s.m_clock = 12345; // whatever it says, the controller's clock is fixed
        std::copy(mount.begin(), mount.end(), s.m_mountData.begin());
        s.m_table[0] = 120;
        s.m_table[19] = 0;
    });

    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    EXPECT_TRUE(shell.errors().empty());
    EXPECT_EQ(dev.m_devInfo.m_serial, "AB-12345");
    EXPECT_EQ(dev.m_devInfo.m_version, 0x0203);
    EXPECT_EQ(dev.m_devInfo.m_injCount, 6);
    EXPECT_EQ(dev.m_devInfo.m_prodDate, "02/04/2004");
    EXPECT_EQ(dev.m_devInfo.m_flags.flags1, 0x05u);
    EXPECT_EQ(dev.m_devInfo.m_flags.clock, 40000u);
    EXPECT_DOUBLE_EQ(dev.rpmFactor(), 4800000);
    EXPECT_EQ(dev.m_devInfo.m_mountDate, "15/03/2010");
    EXPECT_EQ(dev.m_devInfo.m_mountService, "Auto-Gaz Kraków");
    EXPECT_EQ(dev.m_devInfo.m_injSize, "2.0");
    EXPECT_EQ(dev.m_devInfo.m_engine, "1598");

    const auto state = emu().state();
    EXPECT_EQ(emu().counters().m_commands[CMD_SETUP], 1u);
    EXPECT_EQ(emu().counters().m_commands[CMD_SETUP_V1], 0u);
    EXPECT_EQ(onWire(toRecord(dev, ERecordForm::Extended)), state.m_settings);
    EXPECT_EQ(toSetupTable(dev), state.m_table);
}

TEST_F(DeviceEmu, BasicControllerIsReadWithTheBasicRecord)
{
    emu().withState([](SEmuState& s) { s.m_flags1 = 0x01; });
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    EXPECT_EQ(emu().counters().m_commands[CMD_SETUP_V1], 1u);
    EXPECT_EQ(emu().counters().m_commands[CMD_SETUP], 0u);
    // The basic record carries no second correction: the default one stays.
    const auto sent = onWire(toRecord(dev, ERecordForm::Basic));
    const auto held = emu().state().m_settings;
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + 20, held.begin()));
    EXPECT_DOUBLE_EQ(dev.m_mainCorr2, CSettings{}.m_mainCorr2);
}

TEST_F(DeviceEmu, EachWriteLandsByteForByte)
{
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));

    dev.m_switchRPM = 2000;
    dev.m_switchTempr = 45;
    dev.m_mainCorr = 1.5;
    ASSERT_TRUE(dev.writeSettings());
    EXPECT_EQ(emu().state().m_settings, onWire(toRecord(dev, ERecordForm::Extended)));

    dev.m_setupTimes[3] = 110;
    dev.m_setupTimes[4] = -20;
    ASSERT_TRUE(dev.writeSetupTable());
    EXPECT_EQ(emu().state().m_table, toSetupTable(dev));

    dev.m_devInfo.m_mountDate = "01/01/2020";
    dev.m_devInfo.m_mountService = "Serwis";
    ASSERT_TRUE(dev.writeMountData());
    EXPECT_EQ(emu().state().m_mountData, onWire(toMountData(dev.m_devInfo)));

    // A rising series travels inverted with direction 1 and reads back as given.
    ASSERT_TRUE(dev.writeFuelSensor({103, 106, 112, 119}));
    EXPECT_EQ(emu().state().m_fuelSensor, (std::array<std::uint8_t, 6>{152, 149, 143, 136, 1, 0}));
    SFuelSensorRecord fuel{};
    ASSERT_TRUE(dev.readFuelSensor(fuel));
    EXPECT_EQ(fuel[0], 103);
    EXPECT_EQ(fuel[3], 119);
    ASSERT_TRUE(dev.writeFuelSensor({200, 150, 100, 50}));
    EXPECT_EQ(emu().state().m_fuelSensor, (std::array<std::uint8_t, 6>{200, 150, 100, 50, 0, 0}));

    ASSERT_TRUE(dev.setInjectorMask(0x05));
    EXPECT_EQ(emu().state().m_injMask, 0x05);
    std::uint8_t mask = 0;
    ASSERT_TRUE(dev.getInjectorMask(mask));
    EXPECT_EQ(mask, 0x05);

    ASSERT_TRUE(dev.workLpg());
    EXPECT_EQ(emu().state().m_workMode, 3);
    ASSERT_TRUE(dev.workAuto());
    EXPECT_EQ(emu().state().m_workMode, 1);

    std::uint8_t area[40];
    for (int i = 0; i < 40; ++i)
        area[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(dev.writeEepromArea(0x100, sizeof area, area));
    const auto eeprom = emu().state().m_eeprom;
    EXPECT_TRUE(std::equal(area, area + 40, eeprom.begin() + 0x100));
    EXPECT_EQ(eeprom[0x100 + 40], 0xFF); // past the area: untouched
    std::uint8_t back[40] = {};
    ASSERT_TRUE(dev.readEepromArea(0x100, sizeof back, back));
    EXPECT_TRUE(std::equal(area, area + 40, back));
}

TEST_F(DeviceEmu, FaultsAreReadAndClearedWithTheControllerReset)
{
    emu().withState([](SEmuState& s) { s.m_faults = {0, 0, 1, 0x81}; });
    CGasDevice dev(shell);
    dev.rebuildErrors();
    ASSERT_TRUE(dev.tryPort(1));
    SErrorRecord rec{};
    ASSERT_TRUE(dev.readErrors(rec));
    EXPECT_EQ(rec, (SErrorRecord{0, 0, 1, 0x81}));
    EXPECT_FALSE(dev.describeErrors(rec).empty());

    shell.m_faultIndicator = true;
    ASSERT_TRUE(dev.clearErrors());
    EXPECT_FALSE(shell.m_faultIndicator);
    EXPECT_EQ(emu().state().m_faults, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(emu().state().m_workMode, 2);
}

TEST_F(DeviceEmu, LiveRecordsComeThroughReadDiag)
{
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    diag_t rec{};
    ASSERT_EQ(dev.readDiag(rec), 0);
    EXPECT_EQ(rec.workMode, 2);
    EXPECT_EQ(rec.fuel, 2);
    EXPECT_NEAR(recordRpm(rec), 800, 100);
}
