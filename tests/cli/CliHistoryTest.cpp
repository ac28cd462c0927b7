// Backups, history, restore and diff end to end against the virtual
// controller: every command that replaces settings leaves exactly the
// controller's previous settings behind, and a backup that cannot be written
// stops it before the controller is touched.

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliTestSupport.h"
#include "EmuGTest.h"
#include "JsonCheck.h"
#include "data/CUserConfig.h"
#include "data/MountDataRecord.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsHistory.h"
#include "data/SettingsRecord.h"
#include "lang/Translation.h"
#include "link/Protocol.h"

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> onWire(std::array<std::uint8_t, N> rec)
{
    std::swap(rec[0], rec[1]);
    return rec;
}

bool contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

constexpr const char* kSerial = "HX-2024-77";

class CliHistory : public EmuTest {
protected:
    void SetUp() override
    {
        EmuTest::SetUp();
        emu().withState([](SEmuState& s) { s.m_serial = kSerial; });
    }
    void TearDown() override
    {
        setCurrentLanguage(LANG_PL);
        EmuTest::TearDown();
    }

    SCliResult cli(std::vector<std::string> args, const std::string& lang = "pl")
    {
        args.insert(args.begin(), {"--port", emu().path(), "--lang", lang});
        return runCliArgs(std::move(args));
    }
    std::string history() const { return CUserConfig::historyDirectory(kSerial); }
    std::vector<SBackupFile> backups() const { return listBackups(history()); }
    std::uint64_t writes()
    {
        const SEmuCounters c = emu().counters();
        return c.m_frames[MSG_TYPE_SETUP] + c.m_frames[MSG_TYPE_SETUP_V1] +
               c.m_frames[MSG_TYPE_TABLE] + c.m_frames[MSG_TYPE_MOUNT_DATA] +
               c.m_commands[CMD_CLEAR_ERRORS] + c.m_commands[CMD_WORK_GAS];
    }
    // The backup holds, byte for byte, what the controller held.
    void expectHolds(const std::string& path, const SEmuState& state)
    {
        CSettings backup;
        std::string error;
        ASSERT_TRUE(loadSettingsFile(path, backup, &error)) << error;
        EXPECT_EQ(onWire(toRecord(backup, ERecordForm::Extended)), state.m_settings) << path;
        EXPECT_EQ(toSetupTable(backup), state.m_table) << path;
        EXPECT_EQ(onWire(toMountData(backup.m_devInfo)), state.m_mountData) << path;
        EXPECT_EQ(backup.m_devInfo.m_serial, kSerial);
    }

    CCliTempDir dir;
};

} // namespace

TEST_F(CliHistory, LoadSetAndDefaultsEachLeaveTheSettingsTheyReplaced)
{
    const std::string file = dir.file("car.ssf");
    ASSERT_EQ(cli({"save", file}).rc, CLI_OK);
    EXPECT_TRUE(backups().empty()); // saving replaces nothing

    struct {
        std::vector<std::string> args;
        const char* operation;
    } steps[] = {
        {{"set", "m_switchRPM=2300", "m_setupTimes[5]=17"}, "set"},
        {{"load", file}, "load"},
        {{"defaults", "--yes"}, "defaults"},
        {{"set", "m_devInfo.m_mountService=Serwis 2"}, "set"},
        {{"map", "--seconds", "1", "--write"}, "map"},
    };
    std::size_t count = 0;
    for (const auto& step : steps) {
        const SEmuState before = emu().state();
        const SCliResult r = cli(step.args);
        ASSERT_EQ(r.rc, CLI_OK) << r.err;
        const auto files = backups();
        ASSERT_EQ(files.size(), ++count) << step.operation;
        EXPECT_EQ(files[0].operation, step.operation);
        expectHolds(files[0].path, before);
        EXPECT_TRUE(contains(r.err, "poprzednie ustawienia zapisano w " + files[0].path)) << r.err;
    }
    // A set that changes nothing replaces nothing.
    ASSERT_EQ(cli({"set", "m_switchRPM=1200"}).rc, CLI_OK);
    EXPECT_EQ(backups().size(), count);
}

TEST_F(CliHistory, AHistoryFolderThatCannotBeWrittenStopsEveryReplacement)
{
    const std::string file = dir.file("car.ssf");
    ASSERT_EQ(cli({"save", file}).rc, CLI_OK);
    std::filesystem::create_directories(dir.path() + "/data/Nimo/nimo");
    std::ofstream(dir.historyRoot()) << "a file where the folder should be\n";
    const SEmuState before = emu().state();
    emu().resetCounters();
    for (const auto& args : std::vector<std::vector<std::string>>{{"load", file},
                                                                  {"set", "m_switchRPM=2000"},
                                                                  {"defaults", "--yes"},
                                                                  {"restore", file}}) {
        const SCliResult r = cli(args, "en");
        EXPECT_EQ(r.rc, CLI_FAILED) << args[0];
        EXPECT_TRUE(contains(r.err, "Cannot save a backup of the controller's settings; nothing "
                                    "was changed: " +
                                        history()))
            << r.err;
        EXPECT_EQ(r.out, "") << args[0];
    }
    // The procedures end with their summary, but nothing was written either.
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"map", "--seconds", "1", "--write"},
                                               {"autocalibrate", "--yes", "--mount-service", "S",
                                                "--inj-size", "2", "--engine", "E"}}) {
        const SCliResult r = cli(args, "en");
        EXPECT_EQ(r.rc, CLI_FAILED) << args[0] << r.err;
        EXPECT_TRUE(contains(r.err, "Cannot save a backup of the controller's settings")) << r.err;
    }
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(emu().state().m_settings, before.m_settings);
    EXPECT_EQ(emu().state().m_table, before.m_table);

    const SCliResult json = cli({"--json", "defaults", "--yes"});
    EXPECT_TRUE(contains(json.out, R"("exit":1)")) << json.out;
}

TEST_F(CliHistory, AReadOnlyHistoryFolderStopsTheOperation)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root; a folder that cannot be created "
                        "stands for them in the test above";
    std::filesystem::create_directories(history());
    ::chmod(history().c_str(), 0555);
    emu().resetCounters();
    const SCliResult r = cli({"set", "m_switchRPM=2000"});
    ::chmod(history().c_str(), 0755);
    EXPECT_EQ(r.rc, CLI_FAILED);
    EXPECT_TRUE(contains(r.err, "Nie można zapisać kopii ustawień sterownika")) << r.err;
    EXPECT_EQ(writes(), 0u);
}

TEST_F(CliHistory, HistoryListsNewestFirstAndRestoreWritesABackupBack)
{
    const SCliResult empty = cli({"history"}, "en");
    ASSERT_EQ(empty.rc, CLI_OK) << empty.err;
    EXPECT_EQ(empty.out, "no settings backups in " + history() + "\n");

    const SEmuState original = emu().state();
    ASSERT_EQ(cli({"set", "m_switchRPM=2300"}).rc, CLI_OK);
    const SEmuState afterSet = emu().state();
    ASSERT_EQ(cli({"set", "m_switchTempr=45", "m_setupTimes[0]=8"}).rc, CLI_OK);

    const SCliResult text = cli({"history"}, "en");
    ASSERT_EQ(text.rc, CLI_OK) << text.err;
    const auto lines = splitLines(text.out);
    ASSERT_EQ(lines.size(), 2u) << text.out;
    const auto files = backups();
    // Newest first; each against what the controller holds now.
    EXPECT_EQ(lines[0], "1\t" + files[0].time +
                            "\tSettings changed\tm_switchTempr, "
                            "m_setupTimes[0]\t" +
                            files[0].path);
    EXPECT_EQ(lines[1], "2\t" + files[1].time +
                            "\tSettings changed\tm_switchRPM, m_switchTempr, "
                            "m_setupTimes[0]\t" +
                            files[1].path);

    const SCliResult json = cli({"--json", "history"}, "en");
    ASSERT_EQ(json.rc, CLI_OK);
    EXPECT_TRUE(CJsonCheck::valid(json.out)) << json.out;
    EXPECT_TRUE(contains(json.out, std::string(R"({"serial":")") + kSerial + "\""));
    EXPECT_TRUE(contains(json.out, R"("number":2,)"));
    EXPECT_TRUE(contains(json.out, R"("keys":["m_switchRPM","m_switchTempr","m_setupTimes[0]"])"));
    EXPECT_TRUE(contains(json.out, R"({"key":"m_switchRPM","label":"Switching RPM","unit":"rpm",)"
                                   R"("a":"1200","b":"2300","a_value":1200,"b_value":2300})"))
        << json.out;

    // Number 2 is the oldest: the controller as it first was.
    const SCliResult restored = cli({"restore", "2"}, "en");
    ASSERT_EQ(restored.rc, CLI_OK) << restored.err;
    EXPECT_EQ(restored.out,
              "settings restored from the backup " + files[1].path + "; controller reset\n");
    EXPECT_EQ(emu().state().m_settings, original.m_settings);
    EXPECT_EQ(emu().state().m_table, original.m_table);
    // ... and what it replaced is itself a backup now.
    const auto after = backups();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0].operation, "restore");
    EXPECT_NE(afterSet.m_settings, emu().state().m_settings);

    emu().resetCounters();
    for (const char* bad : {"0", "4", "99999999999999999999"}) {
        const SCliResult r = cli({"restore", bad}, "en");
        EXPECT_EQ(r.rc, CLI_REFUSED) << bad;
        EXPECT_TRUE(contains(r.err, "there is no backup number")) << r.err;
    }
    const SCliResult missing = cli({"restore", dir.file("none.ssf")});
    EXPECT_EQ(missing.rc, CLI_REFUSED);
    EXPECT_EQ(writes(), 0u);
}

TEST_F(CliHistory, RestoringAnotherControllersBackupWarns)
{
    const std::string file = dir.file("other.ssf");
    ASSERT_EQ(cli({"save", file}).rc, CLI_OK);
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    in.close();
    const std::string serialLine = std::string("m_devInfo.m_serial\t") + kSerial;
    text.replace(text.find(serialLine), serialLine.size(), "m_devInfo.m_serial\tZZ-1");
    std::ofstream(file, std::ios::trunc) << text;
    const SCliResult r = cli({"restore", file}, "en");
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    EXPECT_TRUE(contains(r.err, "warning: the backup comes from another controller (serial "
                                "number ZZ-1)"))
        << r.err;
    // The backup of what it replaced goes to this controller's history.
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_EQ(backups()[0].operation, "restore");
}

TEST_F(CliHistory, DiffExitsAsDiffDoes)
{
    const std::string a = dir.file("a.ssf");
    const std::string b = dir.file("b.ssf");
    ASSERT_EQ(cli({"save", a}).rc, CLI_OK);
    ASSERT_EQ(cli({"save", b}).rc, CLI_OK); // another time stamp, the same settings

    SCliResult same = cli({"diff", a, b});
    EXPECT_EQ(same.rc, 0);
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(cli({"diff", a}).rc, 0) << "a file against the controller it came from";

    ASSERT_EQ(cli({"set", "m_switchRPM=2300", "m_behaviorFlags=3"}).rc, CLI_OK);
    ASSERT_EQ(cli({"save", b}).rc, CLI_OK);
    const SCliResult text = cli({"diff", a, b}, "en");
    EXPECT_EQ(text.rc, 1);
    EXPECT_EQ(text.out, "m_switchRPM\tSwitching RPM\t1200 rpm\t2300 rpm\n"
                        "m_behaviorFlags\tBuzzer signalling\tExtended\tNormal\n");
    const SCliResult controller = cli({"diff", a}, "de");
    EXPECT_EQ(controller.rc, 1);
    EXPECT_TRUE(contains(controller.out, "\t1200 U/min\t2300 U/min\n")) << controller.out;

    const SCliResult json = cli({"--json", "diff", a}, "en");
    EXPECT_EQ(json.rc, 1);
    EXPECT_TRUE(CJsonCheck::valid(json.out)) << json.out;
    EXPECT_EQ(
        json.out.rfind(R"({"equal":false,"a":")" + a + R"(","b":"controller","differences":[)", 0),
        0u)
        << json.out;
    EXPECT_TRUE(contains(json.out, R"("a":"Extended","b":"Normal","a_value":7,"b_value":3})"));

    // Trouble is 2, never taken for "different", whatever went wrong.
    std::ofstream(dir.file("bad.ssf")) << "m_switchRPM\tfast\r\n";
    for (const auto& args : std::vector<std::vector<std::string>>{{"diff", dir.file("missing.ssf")},
                                                                  {"diff", a, dir.file("bad.ssf")},
                                                                  {"diff"},
                                                                  {"diff", a, b, a}}) {
        const SCliResult r = cli(args);
        EXPECT_EQ(r.rc, 2) << args.size();
        EXPECT_FALSE(r.err.empty());
    }
    emu().unplug();
    const SCliResult gone = runCliArgs({"--json", "--port", emu().path(), "diff", a});
    EXPECT_EQ(gone.rc, 2);
    EXPECT_EQ(gone.out.rfind(R"({"error":)", 0), 0u) << gone.out;
    EXPECT_TRUE(contains(gone.out, R"("exit":2})")) << gone.out;
    EXPECT_EQ(splitLines(gone.out).size(), 1u) << gone.out;
}

TEST(CliHistoryDemo, TheDemonstrationReplacesNothingAndKeepsNoBackup)
{
    CCliTempDir dir;
    const std::string file = dir.file("demo.ssf");
    ASSERT_EQ(runCliArgs({"--demo", "save", file}).rc, CLI_OK);
    for (const auto& args : std::vector<std::vector<std::string>>{{"--demo", "load", file},
                                                                  {"--demo", "defaults", "--yes"},
                                                                  {"--demo", "restore", file}}) {
        const SCliResult r = runCliArgs(args);
        EXPECT_EQ(r.rc, CLI_OK) << r.err;
        EXPECT_FALSE(contains(r.err, "History")) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.historyRoot()));
}
