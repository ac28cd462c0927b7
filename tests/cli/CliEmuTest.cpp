// Every nimo-cli command end to end against the virtual controller on a
// pseudo-terminal: what it prints, what it returns, and what the controller
// holds afterwards.

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliTestSupport.h"
#include "EmuGTest.h"
#include "JsonCheck.h"
#include "data/MountDataRecord.h"
#include "data/SettingsRecord.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "link/Protocol.h"
#include "support/ShortLinkTiming.h"

namespace {

// The controller stores the 16-bit word at offset 0 of the settings record
// high byte first.
SSettingsRecord onWire(SSettingsRecord rec)
{
    std::swap(rec[0], rec[1]);
    return rec;
}

// Sets the port list's user paths for a test and restores them after.
class CPortListScope {
public:
    explicit CPortListScope(std::vector<std::string> paths) : m_saved(CPortList::userPaths())
    {
        CPortList::setUserPaths(std::move(paths));
    }
    ~CPortListScope() { CPortList::setUserPaths(m_saved); }

private:
    std::vector<std::string> m_saved;
};

bool contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

class CliEmu : public EmuTest {
protected:
    void TearDown() override
    {
        setCurrentLanguage(LANG_PL);
        EmuTest::TearDown();
    }

    SCliResult cli(std::vector<std::string> args, const std::string& lang = "pl",
                   const SLinkTiming& timing = {})
    {
        args.insert(args.begin(), {"--port", emu().path(), "--lang", lang});
        return runCliArgs(std::move(args), timing);
    }
    std::uint64_t command(std::uint8_t code) { return emu().counters().m_commands[code]; }
    std::uint64_t frames(std::uint8_t type) { return emu().counters().m_frames[type]; }

    CCliTempDir dir;
};

} // namespace

TEST_F(CliEmu, InfoShowsIdentityWorkTimesAndInstallation)
{
    emu().withState([](SEmuState& s) {
        s.m_serial = "AB-12345";
        s.m_versionWord = 0x030C;
        s.m_injCount = 6;
        s.m_gasHalfSeconds = 2 * 3600; // one hour
        s.m_lpgHalfSeconds = 2 * 3600 * 12 + 2 * 60 * 5;
        SDevInfo info;
        info.m_mountDate = "15/03/2010";
        info.m_mountService = "Auto-Gaz \"Kraków\"";
        SMountDataRecord rec = toMountData(info);
        std::swap(rec[0], rec[1]);
        std::copy(rec.begin(), rec.end(), s.m_mountData.begin());
    });
    const SCliResult text = cli({"info"});
    ASSERT_EQ(text.rc, CLI_OK) << text.err;
    const auto lines = splitLines(text.out);
    EXPECT_EQ(lines[0], "Wersja sterownika\t3.12");
    EXPECT_EQ(lines[1], "Ilość wtryskiwaczy\t6");
    EXPECT_TRUE(contains(text.out, "m_devInfo.m_serial\tAB-12345\n"));
    EXPECT_TRUE(contains(text.out, "Czas pracy - benzyna\t1 godz : 00 min\n"));
    EXPECT_TRUE(contains(text.out, "Czas pracy - LPG\t12 godz : 05 min\n"));
    EXPECT_TRUE(contains(text.out, "Data montażu\t15/03/2010\n"));

    const SCliResult json = cli({"--json", "info"}, "en");
    ASSERT_EQ(json.rc, CLI_OK);
    EXPECT_TRUE(CJsonCheck::valid(json.out)) << json.out;
    EXPECT_TRUE(contains(json.out, R"("m_devInfo.m_version":780,"version":"3.12")"));
    EXPECT_TRUE(contains(json.out, R"("m_devInfo.m_statistic.gas":7200)"));
    EXPECT_TRUE(contains(json.out, R"("m_devInfo.m_mountService":"Auto-Gaz \"Kraków\"")"));
    EXPECT_TRUE(contains(json.out, R"("demo":false)"));
}

TEST_F(CliEmu, SettingsReadLikeASavedFile)
{
    emu().withState([](SEmuState& s) { s.m_table[7] = 130; });
    const SCliResult text = cli({"settings"});
    ASSERT_EQ(text.rc, CLI_OK) << text.err;
    const std::string file = dir.file("car.ssf");
    ASSERT_EQ(cli({"save", file}).rc, CLI_OK);
    // The file has CR LF lines, a time stamp and the switch delay twice;
    // otherwise it reads line for line as the settings output.
    std::ifstream in(file);
    std::vector<std::string> saved;
    for (std::string line; std::getline(in, line);) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        if (line.rfind("m_timeStamp\t", 0) != 0 &&
            (line.rfind("m_switchDelay\t", 0) != 0 ||
             std::count_if(saved.begin(), saved.end(),
                           [](auto& l) { return l.rfind("m_switchDelay\t", 0) == 0; }) == 0))
            saved.push_back(line);
    }
    auto shown = splitLines(text.out);
    shown.erase(shown.begin()); // m_timeStamp
    EXPECT_EQ(shown, saved);
    EXPECT_TRUE(contains(text.out, "m_setupTimes[7]\t30\n"));
    EXPECT_TRUE(contains(text.out, "m_devInfo.m_statistic.lpg\t46145\n"));

    const SCliResult json = cli({"--json", "settings"});
    EXPECT_TRUE(CJsonCheck::valid(json.out)) << json.out;
    EXPECT_EQ(json.out.rfind(R"({"m_timeStamp":"","m_devInfo.m_version":258,)", 0), 0u);
    EXPECT_TRUE(contains(json.out, R"("m_pressAverageCount":0.8,)"));
    EXPECT_TRUE(contains(json.out, R"("m_setupTimes[7]":30,)"));
}

TEST_F(CliEmu, SetWritesWhatTheKeysNeedAndPrintsTheReadBack)
{
    const SCliResult r =
        cli({"set", "m_switchRPM=1500", "m_setupTimes[3]=10", "m_devInfo.m_mountService=Warsztat"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    // What the controller holds afterwards, in the settings file's order.
    EXPECT_EQ(r.out, "zapisano w sterowniku: m_devInfo.m_mountService=Warsztat, m_switchRPM=1500, "
                     "m_setupTimes[3]=10\n");
    const SEmuState s = emu().state();
    EXPECT_EQ(s.m_table[3], 110);
    EXPECT_TRUE(std::search(s.m_mountData.begin(), s.m_mountData.end(), "Warsztat",
                            "Warsztat" + 8) != s.m_mountData.end());
    EXPECT_EQ(frames(MSG_TYPE_SETUP), 1u);
    EXPECT_EQ(frames(MSG_TYPE_TABLE), 1u);
    EXPECT_EQ(frames(MSG_TYPE_MOUNT_DATA), 1u);
    // Plain fields need no reset.
    EXPECT_EQ(command(CMD_CLEAR_ERRORS), 0u);

    emu().resetCounters();
    const SCliResult table = cli({"--json", "set", "m_setupTimes[0]=-5"});
    ASSERT_EQ(table.rc, CLI_OK) << table.err;
    EXPECT_TRUE(CJsonCheck::valid(table.out));
    EXPECT_TRUE(contains(table.out, R"("m_setupTimes[0]":-5,)"));
    EXPECT_EQ(frames(MSG_TYPE_SETUP), 0u);
    EXPECT_EQ(emu().state().m_table[0], 95);
}

TEST_F(CliEmu, SetFollowsTheSettingsViewsRules)
{
    const SCliResult inj = cli({"set", "m_pwm=40", "m_injectorType=9"});
    ASSERT_EQ(inj.rc, CLI_OK) << inj.err;
    // The injector brings its drive values, but the one given explicitly wins.
    EXPECT_EQ(inj.out, "zapisano w sterowniku: m_pwmOffset=3, m_pwm=40, "
                       "m_injectorWarmingImpulse=1, m_injectorType=9\n");
    EXPECT_EQ(command(CMD_CLEAR_ERRORS), 0u);

    // Half sequence and the other pressure sensor: petrol first, reset after.
    emu().withState([](SEmuState& s) { s.m_workMode = s.m_fuel = 3; });
    const SCliResult seq = cli({"set", "m_engineSignalBehavior=2", "m_behaviorFlags=23"});
    ASSERT_EQ(seq.rc, CLI_OK) << seq.err;
    // Once before the write, once more in the reset's own petrol switch.
    EXPECT_EQ(command(CMD_WORK_GAS), 2u);
    EXPECT_EQ(command(CMD_CLEAR_ERRORS), 1u);
    EXPECT_EQ(emu().state().m_workMode, 2);
    EXPECT_TRUE(contains(seq.out, "m_engineSignalBehavior=2")) << seq.out;
}

TEST_F(CliEmu, BadCommandLinesAreRefusedBeforeAnythingIsSent)
{
    const SEmuState before = emu().state();
    const std::string longValue(100000, 'x');
    const struct {
        std::vector<std::string> args;
        int rc;
        std::string says;
        const char* lang = "en";
    } cases[] = {
        // Values against the controller's rules: checked before any write.
        {{"set", "m_switchDelay=400"}, CLI_REFUSED, "m_switchDelay=400: 0 to 127"},
        {{"set", "m_switchRPM=1500", "m_rpmDivider=256"},
         CLI_REFUSED,
         "m_rpmDivider=256: 0 to 255"},
        {{"set", "m_rpmDivider=2.5x"}, CLI_REFUSED, "m_rpmDivider=2.5x: not a number"},
        {{"set", "m_switchRPM="}, CLI_REFUSED, "m_switchRPM=: not a number"},
        {{"set", "m_setupTimes[3]=-101"}, CLI_REFUSED, "m_setupTimes[3]=-101: -100 to 155"},
        {{"set", "m_devInfo.m_mountDate=31/02/2010"}, CLI_REFUSED, "m_mountDate"},
        {{"set", "m_devInfo.m_serial=X"}, CLI_REFUSED, "m_devInfo.m_serial"},
        {{"set", "m_timeStamp=now"}, CLI_REFUSED, "m_timeStamp"},
        // A pasted blob is quoted short, and control bytes never reach the terminal.
        {{"set", "m_switchRPM=" + longValue},
         CLI_REFUSED,
         "m_switchRPM=" + longValue.substr(0, 64) + "...: not a number"},
        {{"set", "m_pressureRef=1\x1b[2J"}, CLI_REFUSED, "m_pressureRef=1\\x1B[2J: not a number"},
        {{"mode", longValue}, CLI_USAGE, "not '" + longValue.substr(0, 64) + "...'"},
        {{"set", longValue + "=1"}, CLI_USAGE, "unknown key '" + longValue.substr(0, 64) + "...'"},
        {{"fuel-sensor", "--set", "9,5,5,1"}, CLI_REFUSED, "ascending or descending order"},
        {{"restore", "0"}, CLI_REFUSED, "there is no backup number 0"},
        {{"restore", "99999999999999999999"}, CLI_REFUSED, "there is no backup number"},
        {{"eeprom", "read", "0xFFFF", "2"}, CLI_REFUSED, "must end by 0x10000"},
        // Malformed lines: usage errors.
        {{"set", "m_nosuch=1"}, CLI_USAGE, "unknown key 'm_nosuch'"},
        {{"set", "m_setupTimes[20]=1"}, CLI_USAGE, "unknown key 'm_setupTimes[20]'"},
        {{"set", "m_switchRPM"}, CLI_USAGE, "expected KEY=VALUE, not 'm_switchRPM'"},
        {{"set", ""}, CLI_USAGE, "expected KEY=VALUE, not ''"},
        {{"set", "m_switchRPM=1500", "m_switchRPM=1600"}, CLI_USAGE, "m_switchRPM is given twice"},
        {{"set"}, CLI_USAGE, "usage: nimo-cli set KEY=VALUE..."},
        {{"info", "--frobnicate"}, CLI_USAGE, "unknown option '--frobnicate'"},
        {{"monitor", "--count"}, CLI_USAGE, "--count needs a value"},
        {{"monitor", "--count", "0"}, CLI_USAGE, "--count takes a whole number above 0"},
        {{"monitor", "--count", "-5"}, CLI_USAGE, "not '-5'"},
        {{"monitor", "--count", "99999999999999999999999"}, CLI_USAGE, "--count takes"},
        {{"monitor", "--seconds", "nan"}, CLI_USAGE, "--seconds takes a number of seconds"},
        {{"monitor", "--seconds", "-1"}, CLI_USAGE, "--seconds takes"},
        {{"monitor", "--record", ""}, CLI_USAGE, "--record needs a file name"},
        {{"map", "--seconds", "inf"}, CLI_USAGE, "--seconds takes"},
        {{"injectors", "--mask", "0x100"}, CLI_USAGE, "--mask takes a number from 0 to 255"},
        {{"injectors", "--mask", ""}, CLI_USAGE, "--mask takes"},
        {{"fuel-sensor", "--set", "1,2,3"}, CLI_USAGE, "--set takes four numbers"},
        {{"fuel-sensor", "--set", "1,2,3,256"}, CLI_USAGE, "--set takes four numbers"},
        {{"info", "--port", "8"}, CLI_USAGE, "from 1 to 7, not '8'"},
        {{"info", "--port", ""}, CLI_USAGE, "--port needs a path or a port number"},
        {{"info", "--port"}, CLI_USAGE, "--port needs a value"},
        {{"info", "--lang", "xx"}, CLI_USAGE, "--lang takes pl, en, ru, it or de, not 'xx'"},
        {{"info", "--lang="}, CLI_USAGE, "--lang takes pl, en, ru, it or de, not ''"},
        {{"mode", "diesel"}, CLI_USAGE, "mode takes petrol, lpg or auto, not 'diesel'"},
        {{"defaults"}, CLI_USAGE, "Add --yes"},
        {{"load", ""}, CLI_USAGE, "load: no file name given"},
        {{"restore", ""}, CLI_USAGE, "restore: no file name given"},
        {{"diff", "a.ssf", ""}, CLI_USAGE, "diff: no file name given"},
        {{""}, CLI_USAGE, "unknown command ''"},
        {{"set", "m_switchDelay=400"}, CLI_REFUSED, "m_switchDelay=400: od 0 do 127", "pl"},
        {{"monitor", "--count", "0"}, CLI_USAGE, "--count erwartet eine ganze Zahl", "de"},
    };
    for (const auto& c : cases) {
        const SCliResult r = cli(c.args, c.lang);
        const std::string line = c.args.front() + " " + (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_EQ(r.rc, c.rc) << line.substr(0, 80) << "\n" << r.err.substr(0, 300);
        EXPECT_TRUE(contains(r.err, c.says)) << r.err.substr(0, 300);
        EXPECT_LT(r.err.size(), 400u) << line.substr(0, 80);
        EXPECT_EQ(r.out, "");
    }
    const SEmuCounters n = emu().counters();
    EXPECT_EQ(n.m_frames[MSG_TYPE_SETUP] + n.m_frames[MSG_TYPE_SETUP_V1] +
                  n.m_frames[MSG_TYPE_TABLE] + n.m_frames[MSG_TYPE_MOUNT_DATA] +
                  n.m_frames[MSG_TYPE_FUEL_SENSOR],
              0u);
    EXPECT_EQ(n.m_commands[CMD_CLEAR_ERRORS] + n.m_commands[CMD_WORK_GAS] +
                  n.m_commands[CMD_WORK_LPG] + n.m_commands[CMD_SET_INJ_MASK],
              0u);
    EXPECT_EQ(emu().state().m_settings, before.m_settings);
    EXPECT_EQ(emu().state().m_table, before.m_table);
    EXPECT_FALSE(std::filesystem::exists(dir.historyRoot()));
}

TEST_F(CliEmu, AControllersOwnSettingsAlwaysGoBackIntoIt)
{
    // 450 rpm (period 10667) is a speed the record carries but the settings
    // view does not list.
    emu().withState([](SEmuState& s) {
        s.m_settings[0] = 0x29;
        s.m_settings[1] = 0xAB;
        s.m_table[3] = 110;
    });
    const SEmuState before = emu().state();
    const std::string file = dir.file("own.ssf");
    const SCliResult save = cli({"save", file}, "en");
    ASSERT_EQ(save.rc, CLI_OK) << save.err;

    // set judges only the keys it is given.
    const SCliResult set = cli({"set", "m_switchTempr=40"}, "en");
    ASSERT_EQ(set.rc, CLI_OK) << set.err;
    EXPECT_FALSE(contains(set.err, "m_switchRPM")) << set.err;
    auto changed = emu().state().m_settings;
    EXPECT_NE(changed[3], before.m_settings[3]);
    changed[3] = before.m_settings[3];
    EXPECT_EQ(changed, before.m_settings); // nothing else moved

    const SCliResult load = cli({"load", file}, "en");
    ASSERT_EQ(load.rc, CLI_OK) << load.err;
    EXPECT_TRUE(contains(load.err, "warning: m_switchRPM=450: not on the settings view's list "
                                   "(500 to 5000 in steps of 100)"))
        << load.err;
    EXPECT_EQ(emu().state().m_settings, before.m_settings);
    EXPECT_EQ(emu().state().m_table, before.m_table);
    EXPECT_EQ(emu().state().m_mountData, before.m_mountData);
}

TEST_F(CliEmu, LoadWritesTheWholeFileAndResets)
{
    const std::string file = dir.file("car.ssf");
    ASSERT_EQ(cli({"set", "m_switchRPM=2200", "m_setupTimes[19]=25"}).rc, CLI_OK);
    ASSERT_EQ(cli({"save", file}).rc, CLI_OK);
    const SEmuState wanted = emu().state();
    ASSERT_EQ(cli({"defaults", "--yes"}).rc, CLI_OK);
    ASSERT_NE(emu().state().m_settings, wanted.m_settings);

    emu().resetCounters();
    emu().withState([](SEmuState& s) { s.m_faults = {0, 0, 1, 0}; });
    const SCliResult r = cli({"load", file}, "en");
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "settings from " + file + " written to the controller; controller reset\n");
    const SEmuState now = emu().state();
    EXPECT_EQ(now.m_settings, wanted.m_settings);
    EXPECT_EQ(now.m_table, wanted.m_table);
    EXPECT_EQ(now.m_mountData, wanted.m_mountData);
    EXPECT_EQ(command(CMD_CLEAR_ERRORS), 1u);
    EXPECT_EQ(now.m_faults, (std::array<std::uint8_t, 4>{}));
}

TEST_F(CliEmu, LoadKeepsTheControllersOwnFlagsAndRefusesBadFiles)
{
    const std::string file = dir.file("other.ssf");
    ASSERT_EQ(cli({"save", file}).rc, CLI_OK);
    // A file from a controller with the basic record must not make this one
    // be written in that form.
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    in.close();
    const auto at = text.find("m_devInfo.m_flags.flags1\t4");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 26, "m_devInfo.m_flags.flags1\t0");
    std::ofstream(file, std::ios::trunc) << text;
    emu().resetCounters();
    ASSERT_EQ(cli({"load", file}).rc, CLI_OK);
    EXPECT_EQ(frames(MSG_TYPE_SETUP), 1u);
    EXPECT_EQ(frames(MSG_TYPE_SETUP_V1), 0u);

    // Without its last key, or with a value out of range, nothing is sent.
    const std::string cut = dir.file("cut.ssf");
    std::ofstream(cut) << text.substr(0, text.find("m_setupTimes[19]"));
    const std::string wild = dir.file("wild.ssf");
    std::string wildText = text;
    wildText.replace(wildText.find("m_switchRPM\t1200"), 16, "m_switchRPM\t5e+07");
    std::ofstream(wild) << wildText;
    const std::string word = dir.file("word.ssf");
    std::string wordText = text;
    wordText.replace(wordText.find("m_switchRPM\t1200"), 16, "m_switchRPM\t12ab");
    std::ofstream(word) << wordText;
    const std::string garbage = dir.file("garbage.ssf");
    {
        std::ofstream out(garbage, std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            out.put(static_cast<char>((i * 131 + 7) & 0xFF));
    }
    const std::string longLine = dir.file("long.ssf");
    std::ofstream(longLine) << "m_timeStamp\t" << std::string(10 * 1024 * 1024, 'x') << "\r\n"
                            << text;
    emu().resetCounters();
    for (const std::string& bad : {cut, wild, word, garbage, longLine, dir.file("missing.ssf")}) {
        const SCliResult r = cli({"load", bad});
        EXPECT_EQ(r.rc, CLI_REFUSED) << bad;
        EXPECT_TRUE(contains(r.err, "Nie można wczytać ustawień z pliku")) << r.err;
    }
    EXPECT_EQ(emu().counters().m_requests, 0u); // refused before the port was opened
}

TEST_F(CliEmu, DefaultsNeedYesThenRestoreTheFactoryBlock)
{
    ASSERT_EQ(cli({"set", "m_switchRPM=3000", "m_setupTimes[2]=40"}).rc, CLI_OK);
    emu().resetCounters();
    const SCliResult ask = cli({"defaults"});
    EXPECT_EQ(ask.rc, CLI_USAGE);
    EXPECT_TRUE(contains(ask.err, "Czy chcesz przywrócić ustawienia fabryczne?"));
    EXPECT_EQ(emu().counters().m_requests, 0u);

    const SCliResult r = cli({"--json", "defaults", "--yes"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "{\"ok\":true,\"command\":\"defaults\"}\n");
    CSettings factory;
    factory.m_devInfo.m_flags.flags1 = 0x04;
    EXPECT_EQ(emu().state().m_settings, onWire(toRecord(factory, ERecordForm::Extended)));
    EXPECT_EQ(emu().state().m_table, SEmuState::defaultTable());
    EXPECT_EQ(command(CMD_CLEAR_ERRORS), 1u);
}

TEST_F(CliEmu, ModeSwitchesTheController)
{
    EXPECT_EQ(cli({"mode", "lpg"}).rc, CLI_OK);
    EXPECT_EQ(emu().state().m_workMode, 3);
    EXPECT_EQ(cli({"mode", "auto"}).rc, CLI_OK);
    EXPECT_EQ(emu().state().m_workMode, 1);
    EXPECT_EQ(command(CMD_WORK_GAS), 1u); // automatic goes through petrol
    EXPECT_EQ(cli({"--json", "mode", "petrol"}).out, "{\"mode\":\"petrol\",\"ok\":true}\n");
    EXPECT_EQ(emu().state().m_workMode, 2);
    EXPECT_EQ(cli({"mode", "diesel"}).rc, CLI_USAGE);
}

TEST_F(CliEmu, ErrorsNameEveryGroupAndEverySetBit)
{
    emu().withState([](SEmuState& s) { s.m_faults = {0x04, 0, 0x01, 0x81}; });
    const SCliResult r = cli({"errors"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    // I2C has no text for bit 2; the controller still reports it.
    EXPECT_EQ(r.out, "04 00 01 81\n"
                     "I2C\n"
                     "  nieznany błąd, grupa 0 bit 2\n"
                     "Czujniki\n"
                     "  Brak sygnału RPM\n"
                     "Wtryskiwacze\n"
                     "  Błąd wtryskiwacza LPG 1 - Przekroczenie prądu\n"
                     "  Błąd wtryskiwacza LPG 8 - Przekroczenie prądu\n");
    const SCliResult en = cli({"--json", "errors"}, "en");
    EXPECT_TRUE(CJsonCheck::valid(en.out)) << en.out;
    EXPECT_EQ(en.out.rfind(R"({"raw":[4,0,1,129],"faults":[)"
                           R"({"group":"I2C","bit":2,"text":"unknown fault, group 0 bit 2"},)",
                           0),
              0u)
        << en.out;
    EXPECT_TRUE(contains(en.out, R"("bit":7,"text":")"));
    EXPECT_EQ(std::count(en.out.begin(), en.out.end(), '{'), 1 + 4);
    EXPECT_FALSE(contains(en.out, "Brak sygnału RPM"));

    ASSERT_EQ(cli({"clear-errors"}).rc, CLI_OK);
    EXPECT_EQ(emu().state().m_faults, (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(cli({"errors"}, "en").out, "00 00 00 00\nno faults stored\n");
    EXPECT_EQ(cli({"--json", "errors"}).out, R"({"raw":[0,0,0,0],"faults":[]})"
                                             "\n");
}

TEST_F(CliEmu, FuelSensorThresholdsAreCheckedAndWritten)
{
    const SCliResult read = cli({"fuel-sensor"});
    ASSERT_EQ(read.rc, CLI_OK) << read.err;
    // Stored falling F0 B4 78 3C: threshold 3 first.
    EXPECT_EQ(read.out, "thresholds\t60,120,180,240\ntype\tInny\nreading\t135\n");

    const SCliResult falling = cli({"fuel-sensor", "--set", "30,20,10,5"});
    ASSERT_EQ(falling.rc, CLI_OK) << falling.err;
    EXPECT_EQ(emu().state().m_fuelSensor[4], 1);
    EXPECT_EQ(splitLines(falling.out)[0], "thresholds\t30,20,10,5");

    const SCliResult type = cli({"--json", "fuel-sensor", "--set", "90 ohm"}, "en");
    ASSERT_EQ(type.rc, CLI_OK) << type.err;
    EXPECT_EQ(type.out, "{\"thresholds\":[103,106,112,119],\"type\":\"90 ohm\",\"reading\":135}\n");
    const auto stored = emu().state().m_fuelSensor;
    EXPECT_EQ(stored[0], 119);
    EXPECT_EQ(stored[3], 103);
    EXPECT_EQ(stored[4], 0);

    emu().resetCounters();
    const SCliResult bad = cli({"fuel-sensor", "--set", "10,20,20,30"});
    EXPECT_EQ(bad.rc, CLI_REFUSED);
    EXPECT_TRUE(contains(bad.err, "Nieprawidłowe wartości.\n"
                                  "Powinny być wprowadzone w porządku rosnącym lub malejącym."));
    // A threshold is a byte: 300 is no threshold at all, so it is a usage error.
    EXPECT_EQ(cli({"fuel-sensor", "--set", "1,2,3,300"}).rc, CLI_USAGE);
    EXPECT_EQ(frames(MSG_TYPE_FUEL_SENSOR), 0u);
}

TEST_F(CliEmu, InjectorMaskOnlyOnLpgAndOnlyForFittedInjectors)
{
    const SCliResult read = cli({"injectors"}, "en");
    ASSERT_EQ(read.rc, CLI_OK) << read.err;
    EXPECT_EQ(read.out, "mask\t0x0F\n1\ton\n2\ton\n3\ton\n4\ton\n");

    const SCliResult petrol = cli({"injectors", "--mask", "5"});
    EXPECT_EQ(petrol.rc, CLI_FAILED);
    EXPECT_EQ(command(CMD_SET_INJ_MASK), 0u);

    emu().withState([](SEmuState& s) { s.m_workMode = s.m_fuel = 3; });
    EXPECT_EQ(cli({"injectors", "--mask", "0x10"}).rc, CLI_REFUSED);
    const SCliResult lpg = cli({"--json", "injectors", "--mask", "5"});
    ASSERT_EQ(lpg.rc, CLI_OK) << lpg.err;
    EXPECT_EQ(lpg.out, "{\"mask\":5,\"injectors\":[true,false,true,false],"
                       "\"m_devInfo.m_injCount\":4}\n");
    EXPECT_EQ(emu().state().m_injMask, 5);
}

TEST_F(CliEmu, EepromReadDumpsTheArea)
{
    emu().withState([](SEmuState& s) {
        for (int i = 0; i < 20; ++i)
            s.m_eeprom[0x1F0 + i] = static_cast<std::uint8_t>(i);
    });
    const SCliResult r = cli({"eeprom", "read", "0x1F8", "10"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "01F8: 08 09 0A 0B 0C 0D 0E 0F 10 11\n");
    const SCliResult j = cli({"--json", "eeprom", "read", "504", "2"});
    EXPECT_EQ(j.out, "{\"address\":504,\"count\":2,\"bytes\":[8,9]}\n");
    EXPECT_EQ(cli({"eeprom", "read", "0xFFFF", "2"}).rc, CLI_REFUSED);
    EXPECT_EQ(cli({"eeprom", "write", "0", "1"}).rc, CLI_USAGE);
}

TEST_F(CliEmu, PortsTellWhatStandsInTheWay)
{
    const std::string notTty = dir.file("plain-file");
    std::ofstream(notTty) << "x";
    // Any real port of the machine that the list also holds stays silent:
    // the short time-out keeps its link test brief.
    const SCliResult r = runCliArgs({"--lang", "en", "--port", emu().path(), "--port",
                                     dir.file("missing"), "--port", notTty, "ports"},
                                    kShortLinkTiming);
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    const auto lines = splitLines(r.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "1\t" + emu().path() + "\tpresent\topens\tcontroller");
    EXPECT_EQ(lines[1].rfind("2\t" + dir.file("missing") + "\tmissing\tcannot open: ", 0), 0u);
    EXPECT_TRUE(contains(lines[1], "is the cable plugged in?"));
    EXPECT_TRUE(contains(lines[2], "this is not a serial device")) << lines[2];
    EXPECT_TRUE(contains(lines[2], "no controller"));

    // The same line for a German fitter; only the path stays as it is.
    const SCliResult de =
        runCliArgs({"--lang", "de", "--port", dir.file("missing"), "ports"}, kShortLinkTiming);
    EXPECT_EQ(splitLines(de.out).at(0),
              "1\t" + dir.file("missing") +
                  "\tfehlt\tkann nicht geöffnet werden: " + dir.file("missing") +
                  ": Datei oder Verzeichnis nicht gefunden; kein solches Gerät; ist das Kabel "
                  "eingesteckt?\tkein Steuergerät");

    const SCliResult j = runCliArgs({"--json", "--port", emu().path(), "ports"}, kShortLinkTiming);
    EXPECT_TRUE(CJsonCheck::valid(j.out)) << j.out;
    EXPECT_TRUE(contains(j.out, "{\"port\":1,\"path\":\"" + emu().path() +
                                    "\",\"exists\":true,\"opens\":true,\"error\":null,"
                                    "\"controller\":true}"));
}

TEST_F(CliEmu, NoControllerIsExitThreeWithTheReason)
{
    const SCliResult missing = runCliArgs({"--lang", "en", "--port", dir.file("none"), "info"});
    EXPECT_EQ(missing.rc, CLI_NO_DEVICE);
    EXPECT_TRUE(contains(missing.err, dir.file("none") + ": No such file or directory"));
    EXPECT_EQ(missing.out, "");

    emu().ignoreCommand(CMD_TEST);
    const SCliResult silent = cli({"errors"}, "en", kShortLinkTiming);
    EXPECT_EQ(silent.rc, CLI_NO_DEVICE);
    EXPECT_TRUE(contains(silent.err, emu().path() + ": no controller answers"));
}

TEST_F(CliEmu, ScanUsesAndStoresTheLastPort)
{
    // Without --port the list is the system's; port N is reached only
    // through a stored number. Point the list at the emulator as port 1 by
    // a user path the way the GUI's list would hold it, then scan.
    CPortListScope list({dir.file("absent"), emu().path()});
    const SCliResult r = runCliArgs({"info"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    std::ifstream conf(dir.path() + "/config/Nimo/nimo.conf");
    std::string all((std::istreambuf_iterator<char>(conf)), {});
    EXPECT_EQ(all, "[General]\nLast%20RS%20nr=2\n");
}
