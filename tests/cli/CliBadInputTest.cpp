// What a user or a file can put in nimo-cli's way: damaged settings files,
// ports that are no serial port, a link that dies under a write, a disk that
// fills up. Each is refused or reported with its reason, the controller
// keeps what it holds unless the message says otherwise, and no file is
// left half-written.

#include <chrono>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliTestSupport.h"
#include "EmuGTest.h"
#include "data/CDiagFile.h"
#include "data/CUserConfig.h"
#include "data/SettingsHistory.h"
#include "lang/Translation.h"
#include "link/Protocol.h"
#include "support/FileSizeLimit.h"
#include "support/ShortLinkTiming.h"

namespace {

bool contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class CliBadInput : public EmuTest {
protected:
    void TearDown() override
    {
        setCurrentLanguage(LANG_PL);
        EmuTest::TearDown();
    }
    SCliResult cli(std::vector<std::string> args, const SLinkTiming& timing = {})
    {
        args.insert(args.begin(), {"--port", emu().path(), "--lang", "en"});
        return runCliArgs(std::move(args), timing);
    }
    // The history folder of the emulator's controller.
    std::vector<SBackupFile> backups()
    {
        return listBackups(CUserConfig::historyDirectory(emu().state().m_serial));
    }

    CCliTempDir dir;
};

} // namespace

TEST_F(CliBadInput, DamagedSettingsFilesAreRefusedBeforeAPortIsSought)
{
    const std::string good = dir.file("good.ssf");
    ASSERT_EQ(cli({"save", good}).rc, CLI_OK);
    const std::string saved = readAll(good);

    std::string noise(64 * 1024, '\0');
    std::uint32_t seed = 12345;
    for (char& b : noise) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 24);
    }
    std::string wide = "\xFF\xFE";
    for (char ch : saved)
        wide += std::string{ch, '\0'};
    std::filesystem::create_directory(dir.file("folder.ssf"));
    ASSERT_EQ(::mkfifo(dir.file("fifo.ssf").c_str(), 0600), 0);
    const struct {
        std::string name;
        std::string bytes; // written unless the name is already there
        const char* says;
    } cases[] = {
        {"truncated.ssf", saved.substr(0, saved.size() / 2), ": missing from the file"},
        {"random.ssf", noise, ": not a settings file"},
        {"huge.ssf", saved + std::string(10u << 20, 'x'), ": the file is too large"},
        {"utf16.ssf", wide, ": the file is saved as UTF-16; a settings file must be UTF-8"},
        {"twice.ssf", saved + "m_switchRPM\t4000\r\n",
         "m_switchRPM: given twice in the file, with different values (1200 and 4000)"},
        {"empty.ssf", "", ": not a settings file"},
        {"folder.ssf", "", ": not a regular file"},
        {"fifo.ssf", "", ": not a regular file"}, // no writer is waited for
        {"missing.ssf", "", ": cannot open the file (No such file or directory)"},
    };
    emu().resetCounters();
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name);
        if (!std::filesystem::exists(path) && c.name != "missing.ssf")
            writeAll(path, c.bytes);
        for (const auto& [command, rc] : {std::pair<const char*, int>{"load", CLI_REFUSED},
                                          {"restore", CLI_REFUSED},
                                          {"diff", 2}}) {
            const SCliResult r = cli({command, path});
            EXPECT_EQ(r.rc, rc) << command << " " << c.name;
            EXPECT_TRUE(contains(r.err, c.says)) << command << " " << c.name << ": " << r.err;
            EXPECT_EQ(r.out, "");
        }
    }
    // Not one request: a refused file never costs a port, let alone a write.
    EXPECT_EQ(emu().counters().m_requests, 0u);
    EXPECT_TRUE(backups().empty());
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo.ssf")));
}

TEST(CliPorts, APathThatIsNoSerialPortSaysSoAtOnceAndIsLeftAlone)
{
    CCliTempDir dir;
    const std::string plain = dir.file("plain.txt");
    writeAll(plain, "keep me");
    const std::string folder = dir.file("folder");
    std::filesystem::create_directory(folder);
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* says;
    } cases[] = {
        {plain, ": Inappropriate ioctl for device; this is not a serial device"},
        {folder, ": Is a directory; this is not a serial device"},
        {"/dev/null", ": Inappropriate ioctl for device; this is not a serial device"},
        {fifo, ": Inappropriate ioctl for device; this is not a serial device"},
        {dir.file("none"), ": No such file or directory; no such device"},
    };
    for (const auto& c : cases) {
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"set", "m_switchRPM=1500"}, {"monitor", "--count", "1"}}) {
            std::vector<std::string> args = {"--lang", "en", "--port", c.path};
            args.insert(args.end(), command.begin(), command.end());
            const SCliResult r = runCliArgs(args);
            EXPECT_EQ(r.rc, CLI_NO_DEVICE) << c.path;
            EXPECT_TRUE(contains(r.err, c.path + c.says)) << r.err;
        }
    }
    EXPECT_EQ(readAll(plain), "keep me");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(CliBadInput, AWriteCutShortSaysWhatTheControllerTookAndHowToGoBack)
{
    const std::string file = dir.file("car.ssf");
    ASSERT_EQ(cli({"set", "m_switchRPM=2500", "m_setupTimes[2]=9"}).rc, CLI_OK);
    ASSERT_EQ(cli({"save", file}).rc, CLI_OK);
    ASSERT_EQ(cli({"defaults", "--yes"}).rc, CLI_OK);
    const SEmuState factory = emu().state();

    // The controller takes the settings record but never answers for the
    // correction table: the load stops there, and says so.
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_TABLE); });
    const SCliResult refused = cli({"load", file}, kShortLinkTiming);
    EXPECT_EQ(refused.rc, CLI_FAILED);
    EXPECT_TRUE(contains(refused.err, "written to the controller: settings; not confirmed: "
                                      "correction table, installation data, reset; the "
                                      "controller may hold only part of the new settings; "
                                      "'nimo-cli restore 1' brings the previous settings back"))
        << refused.err;
    EXPECT_TRUE(contains(refused.err, "the previous settings were saved in " + backups()[0].path));
    EXPECT_NE(emu().state().m_settings, factory.m_settings);
    EXPECT_EQ(emu().state().m_table, factory.m_table);
    // The way back it names.
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_TABLE, false); });
    ASSERT_EQ(cli({"restore", "1"}).rc, CLI_OK);
    EXPECT_EQ(emu().state().m_settings, factory.m_settings);

    // The cable pulled while the host waits for the table's answer: the
    // port fails under the write, and the message is as honest.
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_TABLE); });
    emu().resetCounters();
    SCliResult lost;
    std::thread load([&] { lost = cli({"set", "m_setupTimes[4]=7", "m_switchRPM=3000"}); });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (emu().counters().m_frames[MSG_TYPE_TABLE] == 0 &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    emu().unplug();
    load.join();
    EXPECT_EQ(lost.rc, CLI_NO_DEVICE) << lost.err;
    EXPECT_TRUE(contains(lost.err, "written to the controller: settings; not confirmed: "
                                   "correction table; the controller may hold only part of the "
                                   "new settings; 'nimo-cli restore 1'"))
        << lost.err;
    EXPECT_TRUE(contains(lost.err, "the previous settings were saved in ")) << lost.err;
    EXPECT_EQ(lost.out, "");
    EXPECT_EQ(emu().state().m_table, factory.m_table);

    // Stopped before the first write (the petrol switch a changed engine
    // signal needs is refused): nothing was changed, and it says that.
    emu().replug();
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_TABLE, false); });
    emu().ignoreCommand(CMD_WORK_GAS);
    const SEmuState held = emu().state();
    const SCliResult petrol = cli({"set", "m_engineSignalBehavior=2"}, kShortLinkTiming);
    EXPECT_EQ(petrol.rc, CLI_FAILED);
    EXPECT_TRUE(contains(petrol.err, "; nothing was written to the controller")) << petrol.err;
    EXPECT_EQ(emu().state().m_settings, held.m_settings);
}

TEST_F(CliBadInput, AFullDiskEndsTheRecordingWholeAndFailsTheMonitor)
{
    const std::string recording = dir.file("drive.bin");
    SCliResult r;
    {
        // Room for the header, three records and part of a fourth.
        CFileSizeLimit full(DIAG_FILE_HEADER + 3 * DIAG_RECORD_SIZE + 30);
        r = cli({"monitor", "--count", "20", "--record", recording});
    }
    EXPECT_EQ(r.rc, CLI_FAILED) << r.err;
    EXPECT_EQ(splitLines(r.out).size(), 21u); // the stream went on without it
    EXPECT_TRUE(contains(r.err, "cannot write the recording " + recording + " (File too large)"))
        << r.err;
    EXPECT_TRUE(contains(r.err, "the recording " + recording +
                                    " is incomplete: records "
                                    "written: 3"))
        << r.err;
    EXPECT_EQ(std::filesystem::file_size(recording), DIAG_FILE_HEADER + 3 * DIAG_RECORD_SIZE);

    // A FIFO or a device is never opened for a recording: it would wait for
    // a reader, or be written as if it were a file.
    const std::string fifo = dir.file("fifo.bin");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& target : {fifo, std::string("/dev/null")}) {
        const SCliResult refused = cli({"monitor", "--count", "2", "--record", target});
        EXPECT_EQ(refused.rc, CLI_REFUSED);
        EXPECT_TRUE(
            contains(refused.err, "cannot write the recording " + target + ": not a regular file"))
            << refused.err;
    }
}
