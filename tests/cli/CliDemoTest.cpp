// Every command in demonstration mode: no port is opened, every command
// works, and the whole-block transfers behave as with a controller.

#include <fstream>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliTestSupport.h"
#include "JsonCheck.h"
#include "data/SettingsFileIO.h"
#include "link/SettingsTransfer.h"
#include "lang/Translation.h"
#include "link/CGasDevice.h"
#include "support/FakeShell.h"

namespace {

class CliDemo : public ::testing::Test {
protected:
    SCliResult demo(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--demo", "--lang", "en"});
        return runCliArgs(std::move(args));
    }
    void TearDown() override { setCurrentLanguage(LANG_PL); }

    CCliTempDir dir;
};

} // namespace

TEST_F(CliDemo, ReadingCommandsShowTheDemonstrationController)
{
    const SCliResult info = demo({"--json", "info"});
    ASSERT_EQ(info.rc, CLI_OK) << info.err;
    EXPECT_TRUE(CJsonCheck::valid(info.out)) << info.out;
    EXPECT_NE(info.out.find(R"("m_devInfo.m_version":256,"version":"1.0")"), std::string::npos);
    EXPECT_NE(info.out.find(R"("m_devInfo.m_serial":"si001")"), std::string::npos);
    EXPECT_NE(info.out.find(R"("demo":true)"), std::string::npos);

    const SCliResult text = demo({"info"});
    EXPECT_NE(text.out.find("Running time - LPG\t6 h : 24 min\n"), std::string::npos);

    const SCliResult settings = demo({"settings"});
    ASSERT_EQ(settings.rc, CLI_OK);
    EXPECT_NE(settings.out.find("m_switchRPM\t1200\n"), std::string::npos);
    EXPECT_NE(settings.out.find("m_setupTimes[19]\t0\n"), std::string::npos);

    const SCliResult errors = demo({"errors"});
    EXPECT_EQ(errors.rc, CLI_OK);
    EXPECT_EQ(errors.out, "00 00 00 00\nno faults stored\n");

    const SCliResult fuel = demo({"fuel-sensor"});
    EXPECT_EQ(fuel.rc, CLI_OK);
    EXPECT_EQ(splitLines(fuel.out)[0], "thresholds\t255,253,249,241");
    EXPECT_EQ(splitLines(fuel.out)[1], "type\tAEB1050");

    const SCliResult eeprom = demo({"--json", "eeprom", "read", "0", "3"});
    EXPECT_EQ(eeprom.out, "{\"address\":0,\"count\":3,\"bytes\":[0,0,0]}\n");
}

TEST_F(CliDemo, EveryWritingCommandSaysWhatItDidInOneLine)
{
    const std::string file = dir.file("demo.ssf");
    const struct {
        std::vector<std::string> args;
        std::string line;
    } steps[] = {
        // The injector type brings its drive values, and the line names them.
        {{"set", "m_switchRPM=2000", "m_injectorType=9"},
         "written to the controller: m_switchRPM=2000, m_pwmOffset=3, m_pwm=35, "
         "m_injectorWarmingImpulse=1, m_injectorType=9"},
        {{"save", file}, "settings saved to " + file},
        {{"load", file}, "settings from " + file + " written to the controller; controller reset"},
        {{"defaults", "--yes"}, "factory settings restored; controller reset"},
        {{"mode", "lpg"}, "switched to LPG"},
        {{"mode", "petrol"}, "switched to petrol"},
        {{"mode", "auto"}, "switched to automatic mode"},
        {{"clear-errors"}, "faults cleared; controller reset"},
        // The demonstration controller has eight injectors.
        {{"injectors", "--mask", "5"},
         "injector mask set to 0x05: 1 on, 2 off, 3 on, 4 off, 5 off, 6 off, 7 off, 8 off"},
    };
    for (const auto& step : steps) {
        const SCliResult r = demo(step.args);
        EXPECT_EQ(r.rc, CLI_OK) << step.args.front() << ": " << r.err;
        EXPECT_EQ(r.out, step.line + "\n");
        EXPECT_EQ(r.err, "");
    }
    EXPECT_TRUE(std::filesystem::exists(file));
    // The same in the fitter's language, and as an object for scripts.
    EXPECT_EQ(runCliArgs({"--demo", "--lang", "de", "mode", "lpg"}).out, "auf LPG umgeschaltet\n");
    EXPECT_EQ(demo({"--json", "load", file}).out,
              "{\"ok\":true,\"command\":\"load\",\"file\":\"" + file + "\"}\n");
    EXPECT_EQ(demo({"fuel-sensor", "--set", "30,20,10,5"}).rc, CLI_OK);
}

TEST_F(CliDemo, MonitorStreamsSimulatedRecords)
{
    const std::string rec = dir.file("demo.bin");
    const SCliResult r = demo({"--json", "monitor", "--count", "3", "--record", rec});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& l : lines)
        EXPECT_TRUE(CJsonCheck::valid(l)) << l;
    // The simulation starts at engine period 2000: 2400 rpm.
    EXPECT_EQ(lines[0].rfind("{\"rpm\":2400,", 0), 0u) << lines[0];
    EXPECT_EQ(std::filesystem::file_size(rec), 8u + 3 * 76);
    EXPECT_EQ(runCliArgs({"--json", "replay", rec}).out, r.out);
}

TEST_F(CliDemo, PortsOpensNothing)
{
    const SCliResult r = demo({"--json", "--port", dir.file("nothing"), "ports"});
    EXPECT_EQ(r.rc, CLI_OK);
    EXPECT_TRUE(CJsonCheck::valid(r.out)) << r.out;
    EXPECT_NE(r.out.find("{\"port\":1,\"path\":\"" + dir.file("nothing") +
                         "\",\"exists\":false,\"opens\":null,\"error\":null,\"controller\":null}"),
              std::string::npos);
}

TEST(SettingsTransfer, NothingIsWrittenWithoutAController)
{
    CCliTempDir dir;
    CFakeShell shell;
    CGasDevice dev(shell);
    const std::string file = dir.file("a.ssf");
    dev.m_switchRPM = 2500;
    const STransferOutcome saved = saveSettingsToFile(dev, file, 0);
    ASSERT_TRUE(saved.ok()) << saved.message;
    EXPECT_EQ(dev.m_timeStamp, settingsTimeStamp(0));

    dev.m_switchRPM = 1200;
    const STransferOutcome load = loadSettingsIntoDevice(dev, file);
    EXPECT_EQ(load.result, ETransferResult::NotLinked);
    EXPECT_EQ(dev.m_switchRPM, 1200); // the block is untouched as well
    EXPECT_EQ(restoreFactorySettings(dev).result, ETransferResult::NotLinked);

    std::ofstream(dir.file("bad.ssf")) << "m_timeStamp\tx\n";
    const STransferOutcome bad = loadSettingsIntoDevice(dev, dir.file("bad.ssf"));
    EXPECT_EQ(bad.result, ETransferResult::FileRefused);
    EXPECT_FALSE(bad.message.empty());

    const STransferOutcome unwritable = saveSettingsToFile(dev, dir.file("no/such/dir.ssf"), 0);
    EXPECT_EQ(unwritable.result, ETransferResult::FileRefused);
}

TEST(SettingsTransfer, FactorySettingsKeepTheDeviceInformation)
{
    CFakeShell shell;
    CGasDevice dev(shell);
    dev.enterDemo();
    dev.m_devInfo.m_mountService = "Warsztat";
    dev.m_switchRPM = 3000;
    dev.m_setupTimes[4] = 12;
    const STransferOutcome r = restoreFactorySettings(dev);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(dev.m_switchRPM, CSettings{}.m_switchRPM);
    EXPECT_EQ(dev.m_setupTimes[4], 0);
    EXPECT_EQ(dev.m_devInfo.m_mountService, "Warsztat");
    EXPECT_EQ(dev.m_devInfo.m_version, 256);
}
