// nimo-cli against a controller that misbehaves: a line with faults, a cable
// pulled and plugged back, commands the controller will not answer. Tests of
// retries and faults run on a short read time-out; the pulled cable keeps the
// real line's, so one monitor run sees it end to end.

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliStop.h"
#include "CliTestSupport.h"
#include "EmuGTest.h"
#include "data/CDiagFile.h"
#include "data/CDiagInputThread.h"
#include "lang/Translation.h"
#include "link/Protocol.h"
#include "support/ShortLinkTiming.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Runs a command on its own thread, the way a user leaves monitor running.
class CBackgroundCli {
public:
    explicit CBackgroundCli(std::vector<std::string> args, const SLinkTiming& timing = {})
        : m_thread([this, args, timing] { m_result = runCliArgs(args, timing); })
    {
    }
    SCliResult stop()
    {
        requestCliStop();
        return wait();
    }
    SCliResult wait()
    {
        m_thread.join();
        return m_result;
    }

private:
    SCliResult m_result;
    std::thread m_thread;
};

template <class F>
bool waitFor(F&& done, std::chrono::milliseconds limit)
{
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

Bytes hexBytes(std::istream& in)
{
    Bytes b;
    std::string tok;
    while (in >> tok) {
        if (tok == "-" || tok.front() == '[')
            break;
        b.push_back(static_cast<std::uint8_t>(std::stoul(tok, nullptr, 16)));
    }
    return b;
}

// A reply as the host keeps it: 16-bit fields from the wire's big-endian
// order, fuel-in-use variants as LPG, a stopped engine's petrol noise as 0.
Bytes hostRecord(const std::uint8_t* wire)
{
    Bytes r(wire, wire + DIAG_RECORD_SIZE);
    for (std::size_t off = 10; off + 1 < DIAG_RECORD_SIZE; off += 2)
        std::swap(r[off], r[off + 1]);
    if (r[1] == 4 || r[1] == 5)
        r[1] = 3;
    if ((r[12] | (r[13] << 8)) < 8)
        r[12] = r[13] = 0;
    return r;
}

// One reply of the controller, from its frame trace.
struct SExchange {
    std::string note; // injected faults; empty for a clean reply
    bool diag = false;
    // The record, when the frame reached the line whole (clean, late, or
    // behind a noise byte): what the host may rightly keep.
    std::optional<Bytes> record;
    bool recorded = false;
};

std::vector<SExchange> readTrace(const std::string& path)
{
    std::vector<SExchange> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        std::string time, dir;
        s >> time >> dir;
        if (dir != "TX")
            continue;
        SExchange e;
        if (const auto open = line.find('['); open != std::string::npos)
            e.note = line.substr(open + 1, line.find(']', open) - open - 1);
        Bytes frame = hexBytes(s);
        if (e.note == "garbage" && !frame.empty())
            frame.erase(frame.begin());
        const bool whole = e.note.empty() || e.note == "delay" || e.note == "garbage";
        e.diag = frame.size() == 4 + DIAG_RECORD_SIZE + 2 && frame[0] == FRAME_HEAD_1 &&
                 frame[1] == FRAME_HEAD_2 && frame[3] == MSG_TYPE_DIAG;
        if (whole && e.diag)
            e.record = hostRecord(&frame[4]);
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<Bytes> readRecordLog(const std::string& path)
{
    std::vector<Bytes> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        const Bytes wire = hexBytes(s);
        if (wire.size() == DIAG_RECORD_SIZE)
            out.push_back(hostRecord(wire.data()));
    }
    return out;
}

class CliStream : public EmuTest {
protected:
    void TearDown() override
    {
        resetCliStop();
        setCurrentLanguage(LANG_PL);
        EmuTest::TearDown();
    }
    std::uint64_t diagRequests() { return emu().counters().m_commands[CMD_DIAG]; }

    CCliTempDir dir;
};

class CliFaultyLine : public CliStream {
protected:
    SEmuServerConfig serverConfig() const override
    {
        SEmuServerConfig cfg;
        cfg.m_tracePath = m_trace;
        cfg.m_recordLogPath = m_log;
        return cfg;
    }
    std::string m_trace = dir.file("trace.txt");
    std::string m_log = dir.file("records.txt");
};

} // namespace

TEST_F(CliFaultyLine, RecordingHoldsOnlyRecordsSentWholeAndTheStreamComesBack)
{
    SEmuFaultConfig faults;
    faults.m_rate[static_cast<int>(EEmuFault::Drop)] = 0.02;
    faults.m_rate[static_cast<int>(EEmuFault::Flip)] = 0.02;
    faults.m_rate[static_cast<int>(EEmuFault::Garbage)] = 0.02;
    faults.m_rate[static_cast<int>(EEmuFault::Delay)] = 0.01;
    // Late enough to miss the host's read time-out, in time for its next one.
    faults.m_delayMs = static_cast<int>(kShortLinkTiming.readTimeoutMs * 3 / 2);
    emu().setFaults(faults);

    const std::string recording = dir.file("live.bin");
    constexpr std::uint64_t kExchanges = 2000;
    CBackgroundCli monitor({"--port", emu().path(), "monitor", "--record", recording},
                           kShortLinkTiming);
    const bool reached =
        waitFor([&] { return diagRequests() >= kExchanges; }, std::chrono::minutes(4));
    const SCliResult r = monitor.stop();
    ASSERT_TRUE(reached) << "only " << diagRequests() << " exchanges\n" << r.err;
    ASSERT_EQ(r.rc, CLI_OK) << r.err;

    CDiagFileReader reader;
    ASSERT_TRUE(reader.open(recording));
    std::vector<diag_t> kept;
    reader.readAll(kept);
    EXPECT_EQ(std::filesystem::file_size(recording), DIAG_FILE_HEADER + kept.size() * 76);
    // monitor printed what it recorded (and a header row).
    EXPECT_TRUE(printedAllOrSaidSo(splitLines(r.out).size() - 1, kept.size(), r.err)) << r.err;

    std::vector<SExchange> trace = readTrace(m_trace);
    std::size_t faultCount = 0;
    std::size_t clean = 0;
    std::map<Bytes, int> logged;
    for (const SExchange& e : trace) {
        faultCount += !e.note.empty();
        clean += e.diag && e.note.empty();
    }
    for (const Bytes& b : readRecordLog(m_log))
        ++logged[b];
    EXPECT_GT(faultCount, 60u); // the faults did happen
    std::size_t loggedCount = 0;
    for (const auto& [rec, n] : logged)
        loggedCount += static_cast<std::size_t>(n);
    EXPECT_EQ(loggedCount, clean); // the trace and the record log agree

    // Every kept record is one the controller sent whole, in the order sent:
    // nothing damaged, nothing made up, nothing twice.
    std::size_t at = 0;
    std::size_t fromLog = 0;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const Bytes rec(reinterpret_cast<const std::uint8_t*>(&kept[i]),
                        reinterpret_cast<const std::uint8_t*>(&kept[i]) + 76);
        while (at < trace.size() && !(trace[at].record && *trace[at].record == rec))
            ++at;
        ASSERT_LT(at, trace.size()) << "record " << i << " was never sent whole";
        trace[at].recorded = true;
        fromLog += logged.count(rec) != 0;
        ++at;
    }
    // Late replies and replies behind a noise byte are whole too; all others
    // are in the controller's log of intact records.
    EXPECT_GE(fromLog + faultCount, kept.size());

    // After each fault (or run of faults) a record is kept again within
    // three exchanges. A late reply can leave the host one reply behind for a
    // while; that stream still flows and is checked above for order and
    // integrity, so it is not counted as lost here.
    for (std::size_t k = 0; k < trace.size(); ++k) {
        if (trace[k].note.empty() || (k + 1 < trace.size() && !trace[k + 1].note.empty()))
            continue;
        if (k + 4 >= trace.size())
            break;
        // Faults while connecting are answered by retries, not by records.
        if (!trace[k + 1].diag && !trace[k + 2].diag && !trace[k + 3].diag)
            continue;
        const bool back = trace[k + 1].recorded || trace[k + 2].recorded || trace[k + 3].recorded;
        EXPECT_TRUE(back) << "no record kept within three exchanges of the fault at " << k << " ["
                          << trace[k].note << "]";
    }
    EXPECT_GE(kept.size() + 3 * faultCount, clean);
}

TEST_F(CliStream, MonitorReconnectsAfterTheCableIsPulledAndPluggedBack)
{
    const std::string recording = dir.file("live.bin");
    CBackgroundCli monitor(
        {"--lang", "en", "--port", emu().path(), "--json", "monitor", "--record", recording});
    ASSERT_TRUE(waitFor([&] { return diagRequests() >= 20; }, std::chrono::seconds(10)));
    emu().unplug();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const std::uint64_t before = diagRequests();
    const auto plugged = Clock::now();
    emu().replug();
    // Well past the reconnection's own exchanges, so the stream itself is back.
    // The limits leave room for a loaded machine: the retry comes within a
    // few seconds, a stream that never came back would take them all.
    const bool back =
        waitFor([&] { return diagRequests() > before + 20; }, std::chrono::seconds(12));
    const auto took = Clock::now() - plugged;
    const SCliResult r = monitor.stop();
    ASSERT_TRUE(back) << r.err;
    EXPECT_LT(took, std::chrono::seconds(9));
    EXPECT_EQ(r.rc, CLI_OK) << r.err;
    EXPECT_NE(r.err.find("link lost, reconnecting"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("linked again at " + emu().path()), std::string::npos) << r.err;
    // Both stretches are in one whole recording.
    CDiagFileReader reader;
    ASSERT_TRUE(reader.open(recording));
    std::vector<diag_t> kept;
    reader.readAll(kept);
    EXPECT_GE(kept.size(), 25u);
    EXPECT_TRUE(printedAllOrSaidSo(splitLines(r.out).size(), kept.size(), r.err)) << r.err;
    EXPECT_EQ(std::filesystem::file_size(recording), DIAG_FILE_HEADER + kept.size() * 76);
}

TEST_F(CliStream, MonitorEndsWithTheLinkDownWhenItNeverComesBack)
{
    emu().unplug();
    const SCliResult r = runCliArgs({"--port", emu().path(), "monitor", "--seconds", "1"});
    EXPECT_EQ(r.rc, CLI_NO_DEVICE); // no controller at the start
    emu().replug();
    // Long enough that a loaded machine still links and streams before the cable goes.
    CBackgroundCli monitor({"--lang", "de", "--port", emu().path(), "monitor", "--seconds", "6"});
    ASSERT_TRUE(waitFor([&] { return diagRequests() >= 5; }, std::chrono::seconds(5)));
    emu().unplug();
    const SCliResult down = monitor.wait();
    EXPECT_EQ(down.rc, CLI_NO_DEVICE) << down.err;
    EXPECT_NE(down.err.find("nimo-cli: Keine verbindung - Verbindung zum Steuergerät verloren, "
                            "Verbindung wird neu aufgebaut...\n"),
              std::string::npos)
        << down.err;
    EXPECT_NE(down.err.find("die Verbindung zum Steuergerät war bis zum Ende unterbrochen"),
              std::string::npos)
        << down.err;
}

TEST_F(CliStream, RefusalsAfterAllRetriesAreExitOne)
{
    emu().ignoreCommand(CMD_WORK_LPG);
    const SCliResult r =
        runCliArgs({"--lang", "pl", "--port", emu().path(), "mode", "lpg"}, kShortLinkTiming);
    EXPECT_EQ(r.rc, CLI_FAILED);
    EXPECT_NE(r.err.find("Nie powiodło się przełączenie na LPG!"), std::string::npos);
    EXPECT_EQ(emu().counters().m_commands[CMD_WORK_LPG], 10u);
}

TEST_F(CliStream, SettingsThatCouldNotBeReadAreNeitherShownNorWritten)
{
    // The controller answers everything but the settings record: the block
    // would hold defaults standing in for the car's values.
    emu().ignoreCommand(CMD_SETUP);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"settings"}, {"set", "m_switchRPM=1500"}}) {
        std::vector<std::string> full = {"--lang", "pl", "--port", emu().path()};
        full.insert(full.end(), args.begin(), args.end());
        const SCliResult r = runCliArgs(full, kShortLinkTiming);
        EXPECT_EQ(r.rc, CLI_FAILED) << args[0];
        EXPECT_NE(r.err.find("Nie powiodło się wczytanie ustawień urządzenia!"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(emu().counters().m_frames[MSG_TYPE_SETUP], 0u);
}
