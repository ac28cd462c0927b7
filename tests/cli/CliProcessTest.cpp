// The real programs: nimo-emu and nimo-cli as processes, as a fitter's
// script would run them, signals included.

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliTestSupport.h"
#include "JsonCheck.h"
#include "data/CDiagFile.h"
#include "support/ChildProcess.h"

namespace {

class CliProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_emu = std::make_unique<CProcess>(std::vector<std::string>{NIMO_EMU_EXE, "--mode", "lpg"});
        ASSERT_TRUE(m_emu->started());
        ASSERT_TRUE(m_emu->readLines(1, std::chrono::seconds(5))) << m_emu->stdErr;
        m_port = m_emu->stdOut.substr(0, m_emu->stdOut.find('\n'));
    }
    void TearDown() override
    {
        m_emu->signal(SIGTERM);
        EXPECT_EQ(m_emu->wait(std::chrono::seconds(5)), 0);
    }
    std::vector<std::string> cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {NIMO_CLI_EXE, "--lang", "en", "--port", m_port});
        return args;
    }

    CCliTempDir dir;
    std::unique_ptr<CProcess> m_emu;
    std::string m_port;
};

} // namespace

TEST_F(CliProcess, CommandsRunAgainstTheEmulatorProgram)
{
    CProcess info(cli({"--json", "info"}));
    ASSERT_EQ(info.wait(std::chrono::seconds(10)), CLI_OK) << info.stdErr;
    EXPECT_TRUE(CJsonCheck::valid(info.stdOut)) << info.stdOut;
    EXPECT_NE(info.stdOut.find("\"port\":\"" + m_port + "\""), std::string::npos);

    CProcess usage({NIMO_CLI_EXE, "info", "--frobnicate"});
    EXPECT_EQ(usage.wait(std::chrono::seconds(5)), CLI_USAGE);
    EXPECT_EQ(usage.stdOut, "");
    // With --json the failure is data as well; the message stays on stderr.
    CProcess jsonUsage({NIMO_CLI_EXE, "--lang", "en", "--json", "--port", "0", "info"});
    EXPECT_EQ(jsonUsage.wait(std::chrono::seconds(5)), CLI_USAGE);
    EXPECT_EQ(jsonUsage.stdOut, "{\"error\":\"--port takes a device path or a port number from 1 "
                                "to 7, not '0'\",\"exit\":2}\n");
    EXPECT_EQ(jsonUsage.stdErr.rfind("nimo-cli: --port takes a device path", 0), 0u);

    CProcess missing({NIMO_CLI_EXE, "--port", dir.file("none"), "errors"});
    EXPECT_EQ(missing.wait(std::chrono::seconds(5)), CLI_NO_DEVICE);
}

TEST_F(CliProcess, InterruptedMonitorStopsTheReaderAndClosesTheRecordingWhole)
{
    const std::string recording = dir.file("live.bin");
    CProcess monitor(cli({"monitor", "--record", recording}));
    ASSERT_TRUE(monitor.readLines(1 + 30, std::chrono::seconds(10))) << monitor.stdErr;
    monitor.signal(SIGINT);
    ASSERT_EQ(monitor.wait(std::chrono::seconds(5)), CLI_OK) << monitor.stdErr;
    const auto lines = splitLines(monitor.stdOut);
    ASSERT_GE(lines.size(), 31u);
    EXPECT_EQ(lines[0].rfind("rpm\t", 0), 0u);
    // Every printed record is in the recording, and the recording is whole.
    const auto size = std::filesystem::file_size(recording);
    EXPECT_EQ((size - DIAG_FILE_HEADER) % DIAG_RECORD_SIZE, 0u);
    const std::size_t recorded = (size - DIAG_FILE_HEADER) / DIAG_RECORD_SIZE;
    ASSERT_TRUE(printedAllOrSaidSo(lines.size() - 1, recorded, monitor.stdErr)) << monitor.stdErr;

    CProcess replay({NIMO_CLI_EXE, "replay", recording});
    ASSERT_EQ(replay.wait(std::chrono::seconds(5)), CLI_OK);
    // What monitor printed is what replay prints, in order; no more unless
    // monitor said it fell behind.
    const auto replayed = splitLines(replay.stdOut);
    EXPECT_EQ(replayed.size(), recorded + 1);
    std::size_t at = 0;
    for (const std::string& line : lines) {
        while (at < replayed.size() && replayed[at] != line)
            ++at;
        ASSERT_LT(at, replayed.size()) << line;
        ++at;
    }
}

TEST_F(CliProcess, MonitorEndsByCountAndByTime)
{
    CProcess counted(cli({"--json", "monitor", "--count", "7"}));
    ASSERT_EQ(counted.wait(std::chrono::seconds(10)), CLI_OK) << counted.stdErr;
    EXPECT_EQ(splitLines(counted.stdOut).size(), 7u);

    const auto start = std::chrono::steady_clock::now();
    CProcess timed(cli({"monitor", "--seconds", "0.5"}));
    ASSERT_EQ(timed.wait(std::chrono::seconds(10)), CLI_OK) << timed.stdErr;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_GT(splitLines(timed.stdOut).size(), 2u);
}
