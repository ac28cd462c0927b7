#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "data/CSettings.h"
#include "data/CSettingsFile.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsKeys.h"
#include "lang/LanguageScope.h"
#include "support/FileSizeLimit.h"

namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string templ = (fs::temp_directory_path() / "nimo-ssf-XXXXXX").string();
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        m_dir = templ;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, ec);
        fs::remove_all(m_dir, ec);
    }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    static void writeRaw(const std::string& file, const std::string& bytes)
    {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }
    static std::string readRaw(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    std::size_t entriesInDir() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

CSettings fullBlock()
{
    CSettings s;
    s.m_timeStamp = "05-06-2024-10:11:12";
    s.m_devInfo.m_version = 256;
    s.m_devInfo.m_injCount = 8;
    s.m_devInfo.m_serial = "si001";
    s.m_devInfo.m_prodDate = "21/05/2006";
    s.m_devInfo.m_mountDate = "";
    s.m_devInfo.m_mountService = "Auto-Gaz\tŁódź";
    s.m_devInfo.m_injSize = "2.0";
    s.m_devInfo.m_engine = "1600";
    s.m_devInfo.m_flags = {31, 0, 40000};
    s.m_devInfo.m_statistic = {1234567, 4294967295u};
    s.m_pressureGain = -1.5;
    s.m_setupTimes[0] = -5;
    s.m_setupTimes[19] = 25;
    return s;
}

// The file fullBlock() saves to, line for line.
const char* const kGolden = "m_timeStamp\t05-06-2024-10:11:12\r\n"
                            "m_devInfo.m_version\t256\r\n"
                            "m_devInfo.m_injCount\t8\r\n"
                            "m_devInfo.m_serial\tsi001\r\n"
                            "m_devInfo.m_prodDate\t21/05/2006\r\n"
                            "m_devInfo.m_mountDate\t\r\n"
                            "m_devInfo.m_mountService\tAuto-Gaz\tŁódź\r\n"
                            "m_devInfo.m_injSize\t2.0\r\n"
                            "m_devInfo.m_engine\t1600\r\n"
                            "m_devInfo.m_flags.flags1\t31\r\n"
                            "m_devInfo.m_flags.flags2\t0\r\n"
                            "m_devInfo.m_flags.clock\t40000\r\n"
                            "m_devInfo.m_statistic.gas\t1234567\r\n"
                            "m_devInfo.m_statistic.lpg\t4294967295\r\n"
                            "m_switchRPM\t1200\r\n"
                            "m_switchTempr\t35\r\n"
                            "m_rpmDivider\t1\r\n"
                            "m_switchDelay\t30\r\n"
                            "m_mainCorr\t1\r\n"
                            "m_mainCorr2\t1\r\n"
                            "m_mainCorr2Mask\t0\r\n"
                            "m_pressureGain\t-1.5\r\n"
                            "m_pressureRef\t100\r\n"
                            "m_switchPressure\t60\r\n"
                            "m_pressAverageCount\t0.8\r\n"
                            "m_switchDelay\t30\r\n"
                            "m_engineSignalBehavior\t0\r\n"
                            "m_behaviorFlags\t7\r\n"
                            "m_pwmOffset\t4\r\n"
                            "m_pwm\t50\r\n"
                            "m_injectorWarmingImpulse\t1.8\r\n"
                            "m_minLPGTime\t0\r\n"
                            "m_injectorType\t1\r\n"
                            "m_lambdaType\t1\r\n"
                            "m_minVCC\t9\r\n"
                            "m_maxTemprInside\t95\r\n"
                            "m_setupTimes[0]\t-5\r\n"
                            "m_setupTimes[1]\t0\r\n"
                            "m_setupTimes[2]\t0\r\n"
                            "m_setupTimes[3]\t0\r\n"
                            "m_setupTimes[4]\t0\r\n"
                            "m_setupTimes[5]\t0\r\n"
                            "m_setupTimes[6]\t0\r\n"
                            "m_setupTimes[7]\t0\r\n"
                            "m_setupTimes[8]\t0\r\n"
                            "m_setupTimes[9]\t0\r\n"
                            "m_setupTimes[10]\t0\r\n"
                            "m_setupTimes[11]\t0\r\n"
                            "m_setupTimes[12]\t0\r\n"
                            "m_setupTimes[13]\t0\r\n"
                            "m_setupTimes[14]\t0\r\n"
                            "m_setupTimes[15]\t0\r\n"
                            "m_setupTimes[16]\t0\r\n"
                            "m_setupTimes[17]\t0\r\n"
                            "m_setupTimes[18]\t0\r\n"
                            "m_setupTimes[19]\t25\r\n";

// kGolden with one line's value replaced (or the line dropped for a null value).
std::string goldenWith(const std::string& key, const char* value)
{
    std::istringstream in(kGolden);
    std::string out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "\t", 0) == 0) {
            if (value != nullptr) {
                out += key + "\t" + value + "\r\n";
            }
        } else {
            out += line + "\n";
        }
    }
    return out;
}

void expectSameBlock(const CSettings& a, const CSettings& b)
{
    for (const SSettingsKey& key : settingsKeys()) {
        EXPECT_EQ(settingsValueText(key, a), settingsValueText(key, b)) << key.name;
    }
}

} // namespace

TEST_F(SettingsFile, SavedFileIsKeyTabValueCrLfInFileOrder)
{
    std::string error;
    ASSERT_TRUE(saveSettingsFile(path("car.ssf"), fullBlock(), &error)) << error;
    EXPECT_EQ(readRaw(path("car.ssf")), kGolden);
    EXPECT_EQ(entriesInDir(), 1u); // no temporary file left behind
}

TEST_F(SettingsFile, SaveAndLoadKeepEveryValue)
{
    CSettings s = fullBlock();
    s.m_devInfo.m_mountDate = "21/05/2006";
    s.m_pressAverageCount = 0.8;
    s.m_mainCorr = 2.375;
    s.m_minLPGTime = 0.1 + 0.2; // noise in the last bit must survive too
    for (std::size_t i = 0; i < SETUP_TIMES_COUNT; ++i) {
        s.m_setupTimes[i] = static_cast<double>(i) * 7 - 60;
    }
    ASSERT_TRUE(saveSettingsFile(path("a.ssf"), s));
    CSettings back;
    std::string error;
    ASSERT_TRUE(loadSettingsFile(path("a.ssf"), back, &error)) << error;
    expectSameBlock(back, s);
    EXPECT_EQ(back.m_devInfo.m_statistic.gas, 1234567u);
    EXPECT_EQ(back.m_minLPGTime, 0.1 + 0.2);
    EXPECT_EQ(back.m_devInfo.m_mountService, "Auto-Gaz\tŁódź"); // only the first TAB separates
}

TEST_F(SettingsFile, OlderFilesStillLoad)
{
    // Six significant digits and bare LF line ends, as older versions wrote.
    std::string old = goldenWith("m_devInfo.m_statistic.gas", "1.23457e+06");
    for (std::size_t at = old.find("\r\n"); at != std::string::npos; at = old.find("\r\n", at)) {
        old.erase(at, 1);
    }
    writeRaw(path("old.ssf"), old);
    CSettings back;
    std::string error;
    ASSERT_TRUE(loadSettingsFile(path("old.ssf"), back, &error)) << error;
    EXPECT_EQ(back.m_devInfo.m_statistic.gas, 1234570u);
    EXPECT_EQ(back.m_pressureGain, -1.5);
    EXPECT_EQ(back.m_setupTimes[19], 25);
}

TEST_F(SettingsFile, LastLineWithoutLineEndKeepsItsLastCharacter)
{
    std::string text = kGolden;
    text.resize(text.size() - 2); // "...m_setupTimes[19]\t25"
    writeRaw(path("a.ssf"), text);
    CSettings back;
    ASSERT_TRUE(loadSettingsFile(path("a.ssf"), back));
    EXPECT_EQ(back.m_setupTimes[19], 25);
}

TEST_F(SettingsFile, ExtraLinesDuplicatesAndMissingKeys)
{
    CLanguageScope english(LANG_EN);
    // Unknown keys (twice, too) and lines without a TAB are skipped; a key
    // given again with the same value, as every saved file repeats
    // m_switchDelay, loads.
    writeRaw(path("extra.ssf"),
             std::string("comment line\r\nm_futureKey\t5\r\nm_futureKey\t6\r\n") + kGolden +
                 "m_switchRPM\t1200.0\r\nm_devInfo.m_engine\t1600\r\n");
    CSettings back;
    std::string error;
    ASSERT_TRUE(loadSettingsFile(path("extra.ssf"), back, &error)) << error;
    EXPECT_EQ(back.m_switchRPM, 1200);

    // Given again with another value, which one a reader took would decide
    // what goes into the car: refused, naming the key and both values.
    writeRaw(path("twice.ssf"), std::string(kGolden) + "m_switchRPM\t3000\r\n");
    const CSettings before = back;
    EXPECT_FALSE(loadSettingsFile(path("twice.ssf"), back, &error));
    EXPECT_EQ(error, "Cannot load the settings from the file: m_switchRPM: given twice in the "
                     "file, with different values (1200 and 3000)");
    expectSameBlock(back, before);

    writeRaw(path("short.ssf"), goldenWith("m_setupTimes[19]", nullptr));
    CSettings untouched = fullBlock();
    untouched.m_switchRPM = 2222;
    CSettings target = untouched;
    EXPECT_FALSE(loadSettingsFile(path("short.ssf"), target, &error));
    EXPECT_NE(error.find("m_setupTimes[19]"), std::string::npos) << error;
    expectSameBlock(target, untouched); // a failed load changes nothing
}

TEST_F(SettingsFile, DamagedFilesAreRefusedWithTheReason)
{
    CLanguageScope english(LANG_EN);
    struct SCase {
        const char* key;
        const char* value;
        const char* reason; // after "key=value: "
    };
    const SCase cases[] = {
        {"m_switchRPM", "12abc", "not a number"},
        {"m_switchRPM", "", "not a number"},
        {"m_pressureRef", "abc", "not a number"},
        {"m_switchDelay", "400", "0 to 127"},
        {"m_pressureGain", "20", "-12.8 to 12.7"},
        {"m_rpmDivider", "300", "0 to 255"},
        {"m_setupTimes[4]", "-101", "-100 to 155"},
        {"m_devInfo.m_flags.flags1", "-1", "0 to 4294967295"},
        {"m_devInfo.m_engine", "123456", "at most 5 bytes"},
        {"m_devInfo.m_mountDate", "1/5/2006", "a calendar day as dd/mm/yyyy"},
        {"m_minVCC", "nan", "not a number"},
    };
    for (const SCase& c : cases) {
        writeRaw(path("bad.ssf"), goldenWith(c.key, c.value));
        CSettings target;
        std::string error;
        EXPECT_FALSE(loadSettingsFile(path("bad.ssf"), target, &error)) << c.key << "=" << c.value;
        EXPECT_EQ(error, "Cannot load the settings from the file: " + std::string(c.key) + "=" +
                             c.value + ": " + c.reason);
        EXPECT_EQ(target.m_switchRPM, 1200);
        EXPECT_EQ(target.m_devInfo.m_serial, "");
    }
    // A value is quoted with its control bytes escaped and cut short, so a
    // damaged file cannot flood or steer the terminal through the message.
    writeRaw(path("bad.ssf"),
             goldenWith("m_pressureRef", ("\x1b[2J" + std::string(200, '9')).c_str()));
    std::string error;
    CSettings target;
    EXPECT_FALSE(loadSettingsFile(path("bad.ssf"), target, &error));
    EXPECT_EQ(error, "Cannot load the settings from the file: m_pressureRef=\\x1B[2J" +
                         std::string(57, '9') + "...: not a number");
}

TEST_F(SettingsFile, ValuesOffTheViewsListsLoadWithAWarning)
{
    CLanguageScope english(LANG_EN);
    // And an installation text from an editor in another character set (the
    // workshop's name in Latin-2): a controller may hold such bytes, so they
    // load as they are, said in escapes rather than sent to the terminal raw.
    std::string file = goldenWith("m_injectorType", "3");
    file.replace(file.find("Auto-Gaz\tŁódź"), 16,
                 "\xA3\xF3"
                 "d\xBC");
    writeRaw(path("odd.ssf"), file);
    CSettings target;
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(loadSettingsFile(path("odd.ssf"), target, &error, &warnings)) << error;
    EXPECT_EQ(target.m_injectorType, 3);
    EXPECT_EQ(target.m_devInfo.m_mountService, "\xA3\xF3"
                                               "d\xBC");
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "m_devInfo.m_mountService=\\xA3\\xF3d\\xBC: not UTF-8 text; the "
                            "controller gets these bytes as they are",
                            "m_injectorType=3: not on the settings view's list (1, 4, 9)"}));

    // Saved again, the block reads back to the same values.
    const CSettings loaded = target;
    ASSERT_TRUE(saveSettingsFile(path("again.ssf"), loaded));
    CSettings back;
    ASSERT_TRUE(loadSettingsFile(path("again.ssf"), back));
    expectSameBlock(back, loaded);
}

TEST_F(SettingsFile, FilesThatAreNoSettingsFileSaySo)
{
    CLanguageScope english(LANG_EN);
    for (const std::string& content : {std::string(),
                                       std::string("\x7f"
                                                   "ELF\x02\x01\t\0\0",
                                                   9),
                                       std::string("name\tvalue\r\n")}) {
        writeRaw(path("foreign.ssf"), content);
        CSettings target;
        std::string error;
        EXPECT_FALSE(loadSettingsFile(path("foreign.ssf"), target, &error));
        EXPECT_EQ(error, "Cannot load the settings from the file: " + path("foreign.ssf") +
                             ": not a settings file");
    }
    // Saved by an editor as "Unicode": said so, not merely "not a settings file".
    std::u16string wide = u"\uFEFFm_switchRPM\t1200\r\n";
    writeRaw(path("utf16.ssf"),
             std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
    std::string error;
    CSettings target;
    EXPECT_FALSE(loadSettingsFile(path("utf16.ssf"), target, &error));
    EXPECT_EQ(error, "Cannot load the settings from the file: " + path("utf16.ssf") +
                         ": the file is saved as UTF-16; a settings file must be UTF-8");
    // A directory, and a missing file, in our words (the system's after them).
    EXPECT_FALSE(loadSettingsFile(m_dir.string(), target, &error));
    EXPECT_NE(error.find(": not a regular file"), std::string::npos) << error;
    CLanguageScope polish(LANG_PL);
    EXPECT_FALSE(loadSettingsFile(path("missing.ssf"), target, &error));
    EXPECT_EQ(error.rfind("Nie można wczytać ustawień z pliku: " + path("missing.ssf") +
                              ": nie można otworzyć pliku (",
                          0),
              0u)
        << error;
}

TEST_F(SettingsFile, GarbageAndHugeLinesAreRefusedQuickly)
{
    std::string garbage(4000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>((i * 7919u + 13u) % 256u);
    }
    writeRaw(path("garbage.ssf"), garbage);
    CSettings target;
    EXPECT_FALSE(loadSettingsFile(path("garbage.ssf"), target));

    // A 10 MB line after a good file: refused without reading it all in.
    writeRaw(path("huge.ssf"), std::string(kGolden) + "x\t" + std::string(10u << 20, 'y'));
    EXPECT_FALSE(loadSettingsFile(path("huge.ssf"), target));

    writeRaw(path("longline.ssf"),
             std::string("note\t") + std::string(CSettingsFile::MAX_LINE, 'z') + "\n" + kGolden);
    EXPECT_FALSE(loadSettingsFile(path("longline.ssf"), target));
    EXPECT_EQ(target.m_devInfo.m_serial, "");

    EXPECT_FALSE(loadSettingsFile(path("missing.ssf"), target));
    EXPECT_FALSE(loadSettingsFile(m_dir.string(), target));
    ASSERT_EQ(::mkfifo(path("pipe.ssf").c_str(), 0600), 0);
    EXPECT_FALSE(loadSettingsFile(path("pipe.ssf"), target)); // must not wait for a writer
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFileAlone)
{
    const std::string target = path("car.ssf");
    writeRaw(target, "old contents\r\n");

    // A value that would break the line format fails the whole save.
    CSettings s = fullBlock();
    s.m_devInfo.m_engine = "16\n00";
    std::string error;
    EXPECT_FALSE(saveSettingsFile(target, s, &error));
    EXPECT_NE(error.find("m_devInfo.m_engine"), std::string::npos) << error;
    EXPECT_EQ(readRaw(target), "old contents\r\n");
    EXPECT_EQ(entriesInDir(), 1u);

    // A directory in the way of the target.
    fs::create_directory(path("dir.ssf"));
    EXPECT_FALSE(saveSettingsFile(path("dir.ssf"), fullBlock(), &error));
    EXPECT_TRUE(fs::is_directory(path("dir.ssf")));
    EXPECT_EQ(entriesInDir(), 2u);

    EXPECT_FALSE(saveSettingsFile(path("no/such/dir.ssf"), fullBlock(), &error));
    EXPECT_FALSE(error.empty());

    // A FIFO (as a device) is refused, never replaced by a plain file: run as
    // root, "save /dev/null" would otherwise put a file where the device was.
    ASSERT_EQ(::mkfifo(path("pipe.ssf").c_str(), 0600), 0);
    CLanguageScope english(LANG_EN);
    EXPECT_FALSE(saveSettingsFile(path("pipe.ssf"), fullBlock(), &error));
    EXPECT_EQ(error, "Cannot write the settings to the car data file: " + path("pipe.ssf") +
                         ": not a regular file");
    struct stat info {};
    ASSERT_EQ(::stat(path("pipe.ssf").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // A disk that fills up during the save leaves the old file whole and no
    // temporary file beside it.
    {
        CFileSizeLimit full(200);
        EXPECT_FALSE(saveSettingsFile(target, fullBlock(), &error));
    }
    EXPECT_NE(error.find("cannot write the file (File too large)"), std::string::npos) << error;
    EXPECT_EQ(readRaw(target), "old contents\r\n");
    EXPECT_EQ(entriesInDir(), 3u);
}

TEST_F(SettingsFile, UnwritableDirectoryFailsTheSave)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes anywhere";
    }
    const std::string target = path("car.ssf");
    writeRaw(target, "old contents\r\n");
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(saveSettingsFile(target, fullBlock()));
    fs::permissions(m_dir, fs::perms::owner_all);
    EXPECT_EQ(readRaw(target), "old contents\r\n");
    EXPECT_EQ(entriesInDir(), 1u);
}

TEST_F(SettingsFile, SaveReplacesAnOldFileKeepingItsPermissions)
{
    const std::string target = path("car.ssf");
    writeRaw(target, "old contents\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(saveSettingsFile(target, fullBlock()));
    EXPECT_EQ(readRaw(target), kGolden);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SettingsFile, ReaderTakesValueAfterFirstTabAndMayBeEmpty)
{
    writeRaw(path("kv.txt"), "\xEF\xBB\xBF"
                             "a\tone\ttwo\r\nb\t\nc\t3.5\rtail\nd\t7");
    CSettingsFile file;
    ASSERT_TRUE(file.open(path("kv.txt"), false));
    EXPECT_EQ(file.path(), path("kv.txt"));
    std::string text;
    ASSERT_TRUE(file.readText("a", text));
    EXPECT_EQ(text, "one\ttwo");
    ASSERT_TRUE(file.readText("b", text));
    EXPECT_EQ(text, "");
    double number = 0;
    EXPECT_FALSE(file.readNumber("b", number));
    EXPECT_FALSE(file.readNumber("c", number)); // a lone CR is not a line end
    ASSERT_TRUE(file.readNumber("d", number));
    EXPECT_EQ(number, 7);
    EXPECT_FALSE(file.readText("e", text));
    file.close();
    EXPECT_FALSE(file.isOpen());
    file.close();
}

TEST_F(SettingsFile, UncommittedWriteLeavesNothing)
{
    {
        CSettingsFile file;
        ASSERT_TRUE(file.open(path("never.ssf"), true));
        EXPECT_TRUE(file.writeNumber("x", 1));
    }
    EXPECT_EQ(entriesInDir(), 0u);
}

TEST_F(SettingsFile, WritableCopyKeepsTheConnectedControllersIdentity)
{
    CSettings live;
    live.m_devInfo.m_serial = "live01";
    live.m_devInfo.m_flags.flags1 = 0x1B;
    const CSettings fromFile = fullBlock();
    copyWritableSettings(fromFile, live);
    EXPECT_EQ(live.m_devInfo.m_serial, "live01");
    EXPECT_EQ(live.m_devInfo.m_flags.flags1, 0x1Bu);
    EXPECT_EQ(live.m_devInfo.m_mountService, fromFile.m_devInfo.m_mountService);
    EXPECT_EQ(live.m_pressureGain, -1.5);
    EXPECT_EQ(live.m_setupTimes[19], 25);
    EXPECT_EQ(live.m_timeStamp, fromFile.m_timeStamp);
}

TEST(SettingsFileNames, TimeStampForms)
{
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 5;
    t.tm_mday = 5;
    t.tm_hour = 9;
    t.tm_min = 8;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    EXPECT_EQ(settingsTimeStamp(when), "05-06-2024-09:08:07");
    EXPECT_EQ(settingsFileDate(when), "05-06-2024");
}
