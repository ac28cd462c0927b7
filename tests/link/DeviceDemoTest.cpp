#include <gtest/gtest.h>

#include "data/DiagSimulation.h"
#include "lang/Translation.h"
#include "link/CGasDevice.h"
#include "link/CPortList.h"
#include "support/FakeShell.h"

namespace {

// Demonstration mode is what a fitter chooses at the no-connection question.
struct DemoDevice {
    DemoDevice()
    {
        setCurrentLanguage(LANG_PL);
        CPortList::setSystemScan(false);
        CPortList::setUserPaths({"/nonexistent/nimo-port"});
        shell.m_answerDemo = true;
    }
    CFakeShell shell;
    CGasDevice dev{shell};
};

} // namespace

TEST(DeviceDemo, NoControllerAndTheAnswerYesGiveTheFixedValues)
{
    DemoDevice d;
    d.dev.connect();
    EXPECT_EQ(d.shell.m_demoQuestions, 1);
    EXPECT_TRUE(d.dev.isDemo());
    EXPECT_TRUE(d.dev.isConnected());
    EXPECT_TRUE(d.shell.m_linkShown);
    EXPECT_TRUE(d.shell.m_demoShown);
    EXPECT_EQ(d.dev.m_devInfo.m_version, 256);
    EXPECT_EQ(d.dev.m_devInfo.m_injCount, 8);
    EXPECT_EQ(d.dev.m_devInfo.m_serial, "si001");
    EXPECT_EQ(d.dev.m_devInfo.m_prodDate, "21/05/2006");
    EXPECT_EQ(d.dev.m_devInfo.m_flags.flags1, 0x1Fu);
    EXPECT_EQ(d.dev.m_devInfo.m_flags.clock, 40000u);
    EXPECT_DOUBLE_EQ(d.dev.tickTime(), 0.025);
    EXPECT_DOUBLE_EQ(d.dev.rpmFactor(), 4800000);
    EXPECT_EQ(d.dev.groupCount(), 4u);
    // The fixed values are not read from anywhere: not one exchange was tried.
    EXPECT_EQ(d.dev.stats().exchanges, 0u);
}

TEST(DeviceDemo, WithoutDemoModeNothingChanges)
{
    DemoDevice d;
    d.shell.m_answerDemo = false;
    d.dev.connect();
    EXPECT_FALSE(d.dev.isDemo());
    EXPECT_FALSE(d.dev.isConnected());
    EXPECT_EQ(d.shell.m_demoQuestions, 1);
}

TEST(DeviceDemo, OperationsSucceedWithoutTraffic)
{
    DemoDevice d;
    d.dev.enterDemo();

    ASSERT_TRUE(d.dev.readStatistic());
    EXPECT_EQ(d.dev.m_devInfo.m_statistic.gas, 1330u);
    EXPECT_EQ(d.dev.m_devInfo.m_statistic.lpg, 46145u);

    SErrorRecord errors{1, 2, 3, 4};
    ASSERT_TRUE(d.dev.readErrors(errors));
    EXPECT_EQ(errors, (SErrorRecord{0, 0, 0, 0}));

    SFuelSensorRecord fuel{};
    ASSERT_TRUE(d.dev.readFuelSensor(fuel));
    EXPECT_EQ(fuel, (SFuelSensorRecord{241, 249, 253, 255, 0, 0}));

    std::uint8_t mask = 0;
    ASSERT_TRUE(d.dev.getInjectorMask(mask));
    EXPECT_EQ(mask, 255);
    ASSERT_TRUE(d.dev.setInjectorMask(0x05));
    ASSERT_TRUE(d.dev.getInjectorMask(mask));
    EXPECT_EQ(mask, 0x05);

    const double rpm = d.dev.m_switchRPM;
    EXPECT_TRUE(d.dev.readSettings());
    EXPECT_TRUE(d.dev.writeSettings());
    EXPECT_TRUE(d.dev.readSetupTable());
    EXPECT_TRUE(d.dev.writeMountData());
    EXPECT_DOUBLE_EQ(d.dev.m_switchRPM, rpm);
    EXPECT_EQ(d.dev.stats().exchanges, 0u);
}

TEST(DeviceDemo, ModeCommandsSteerTheSimulatedRecords)
{
    DemoDevice d;
    d.dev.enterDemo();
    resetSimulation();
    diag_t rec{};

    ASSERT_TRUE(d.dev.workLpg());
    ASSERT_EQ(d.dev.readDiag(rec), 0);
    EXPECT_EQ(rec.workMode, WORK_LPG);
    EXPECT_EQ(rec.fuel, FUEL_LPG);

    ASSERT_TRUE(d.dev.workAuto());
    ASSERT_EQ(d.dev.readDiag(rec), 0);
    EXPECT_EQ(rec.workMode, WORK_AUTO);
    EXPECT_EQ(rec.fuel, FUEL_PETROL);

    ASSERT_TRUE(d.dev.workGas());
    ASSERT_EQ(d.dev.readDiag(rec), 0);
    EXPECT_EQ(rec.workMode, WORK_PETROL);
}

TEST(DeviceDemo, ClearErrorsSwitchesToPetrolAndPutsTheIndicatorOut)
{
    DemoDevice d;
    d.dev.enterDemo();
    d.shell.m_faultIndicator = true;
    EXPECT_TRUE(d.dev.clearErrors());
    EXPECT_FALSE(d.shell.m_faultIndicator);
    EXPECT_GE(d.shell.m_sleptMs.load(), 300u);
    const auto events = d.shell.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], "waiting: Przełączenie na benzynę...");
    EXPECT_EQ(events[1], "waiting closed");
}
