// Soak: live data from the paced virtual controller, with faults injected into
// its replies, through the controller object and the live-data reader over a
// real pseudo-terminal, while a second thread issues what the views issue
// (mode switches, settings and table writes, fault reads, injector masks) every
// few seconds and the reader records to a recording file. Every record the
// reader accepted is held against the one the controller built for that very
// exchange, every confirmed command against what the controller then stores.
// The same run without faults gives the link's efficiency for comparison.
// A recovery counts the exchanges from the last fault to the next good
// record, that one not counted: a lost reply answered by a good record at
// once costs one.
//
//   bench_soak [--exchanges N] [--seed S] [--faults RATE] [--no-baseline]
//              [--trace FILE]   (the controller's frame trace of the faulty run)
//
// Defaults: 10000 exchanges, seed 1, faults at 5 % of the replies (drop,
// truncate, flip, garbage and delay, one fifth each). Each run goes in a child
// process, so that a crash or a hang is counted instead of ending the bench.

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CEmuFaults.h"
#include "EmuFixture.h"
#include "data/CDiagFile.h"
#include "data/CDiagInputThread.h"
#include "data/SettingsRecord.h"
#include "errors/IError.h"
#include "link/CGasDevice.h"
#include "link/CPortList.h"
#include "link/CSerialPort.h"
#include "link/IGasShell.h"
#include "link/Protocol.h"

namespace {

using Clock = std::chrono::steady_clock;

// One CMD_DIAG exchange: a 12-byte request and an 82-byte reply, 10 bits a
// byte at 14400 baud.
constexpr double kExchangeBytes = 12 + 82;
constexpr double kLimitPerSecond = 14400.0 / (10 * kExchangeBytes);
// Faults this bench injects; silence and disconnection are other tests' business.
constexpr EEmuFault kSoakFaults[] = {EEmuFault::Drop, EEmuFault::Truncate, EEmuFault::Flip,
                                     EEmuFault::Garbage, EEmuFault::Delay};
// No request for this long while the reader should be streaming is a hang.
constexpr auto kStallLimit = std::chrono::seconds(20);
// A confirmed command whose effect is missing is looked at once more after
// this, to tell a controller still busy with a late request from a lost one.
constexpr auto kRecheckAfter = std::chrono::milliseconds(1500);

struct SOptions {
    std::uint64_t m_exchanges = 10000;
    std::uint32_t m_seed = 1;
    double m_faultRate = 0.05;
    bool m_baseline = true;
    std::string m_tracePath; // the controller's frame trace of the faulty run
};

// What one run found; it crosses from the child process as plain bytes.
struct SRunResult {
    double m_wallSeconds = 0;
    std::uint64_t m_exchanges = 0; // requests the controller took
    std::uint64_t m_hostExchanges = 0;
    std::uint64_t m_hostFailed = 0;
    std::uint64_t m_portErrors = 0;
    std::uint64_t m_staleBytes = 0;
    std::uint64_t m_faults[kEmuFaultKinds] = {};
    std::uint64_t m_faultedReplies = 0;
    std::uint64_t m_readerExchanges = 0;
    std::uint64_t m_recordsAccepted = 0;
    std::uint64_t m_otherReplies = 0;
    std::uint64_t m_readerFailed = 0;
    std::uint64_t m_recordsWrong = 0;   // accepted, but not this exchange's intact record
    std::uint64_t m_recordsLate = 0;    // of those: an earlier exchange's record
    std::uint64_t m_recordsDamaged = 0; // of those: no record the controller built
    std::uint64_t m_recorded = 0;
    std::uint64_t m_recordingWrong = 0;
    std::uint64_t m_commandsSent = 0;
    std::uint64_t m_commandsConfirmed = 0;
    std::uint64_t m_commandsNotApplied = 0;
    std::uint64_t m_commandsAppliedLate = 0;
    std::uint64_t m_settingsChecks = 0;
    std::uint64_t m_settingsDiffer = 0;
    std::uint64_t m_recoveries = 0;
    std::uint64_t m_longestRecovery = 0;
    std::uint64_t m_recoveriesOver3 = 0;
    std::uint64_t m_unexplainedLosses = 0;
    std::uint64_t m_readerStops = 0;
    std::uint64_t m_stalls = 0;
    std::uint64_t m_orderMismatch = 0; // reader calls against diagnostic requests seen
};

// One request as the controller saw it.
struct SServed {
    bool m_diag = false;
    std::uint8_t m_faults = 0;
    diag_t m_record{}; // the record it built, for a diagnostic request
};

// One diagnostic exchange as the reader saw it.
struct SRead {
    int m_result = 2;
    diag_t m_record{};
};

// Reads the controller's record from its frame on our own: a second opinion
// on the host's byte order (16-bit words from offset 10 travel big-endian).
diag_t decodeSent(const std::vector<std::uint8_t>& frame)
{
    diag_t rec{};
    if (frame.size() < 4 + DIAG_RECORD_SIZE)
        return rec;
    const std::uint8_t* p = frame.data() + 4;
    auto* out = reinterpret_cast<std::uint8_t*>(&rec);
    std::memcpy(out, p, offsetof(diag_t, enginePeriod));
    for (std::size_t at = offsetof(diag_t, enginePeriod); at + 1 < DIAG_RECORD_SIZE; at += 2) {
        const auto word = static_cast<std::uint16_t>((p[at] << 8) | p[at + 1]);
        std::memcpy(out + at, &word, sizeof word);
    }
    return rec;
}

bool sameRecord(const diag_t& a, const diag_t& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The controller object with a tap on the reader's exchanges, kept in the
// order they crossed the line.
class CSoakDevice : public CGasDevice {
public:
    using CGasDevice::CGasDevice;
    // The tap must outlive any reader still reading through it.
    ~CSoakDevice() override
    {
        m_runFlag.store(0);
        m_liveReaders.waitUntilNone(std::chrono::seconds(2));
    }

    int readDiag(diag_t& rec) override
    {
        CMutexGuard guard(linkLock());
        try {
            const int result = CGasDevice::readDiag(rec);
            m_reads.push_back({result, rec});
            return result;
        } catch (...) {
            m_reads.push_back({3, {}});
            throw;
        }
    }

    std::vector<SRead> takeReads()
    {
        CMutexGuard guard(linkLock());
        return std::move(m_reads);
    }

private:
    std::vector<SRead> m_reads;
};

// What the views do, every few seconds, on the thread that owns the
// controller object; each confirmed command is checked against the
// controller's stored state.
class CViewsLoad {
public:
    CViewsLoad(CSoakDevice& dev, CEmuFixture& emu, std::uint32_t seed, SRunResult& out)
        : m_dev(dev), m_emu(emu), m_rng(seed), m_out(out)
    {
    }

    void run(const std::atomic<bool>& stop)
    {
        for (unsigned step = 0;; ++step) {
            const auto gap = std::chrono::milliseconds(2000 + m_rng() % 2000);
            const auto until = Clock::now() + gap;
            while (Clock::now() < until) {
                if (stop.load())
                    return;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            act(step % 8);
        }
    }

    // At the end: the controller holds the last settings and table confirmed.
    void finalCheck()
    {
        if (!m_settingsWire.empty())
            checkSettings(false);
        if (!m_tableWire.empty())
            checkSettings(true);
    }

private:
    template <class FCheck>
    void confirmed(bool ok, FCheck applied)
    {
        ++m_out.m_commandsSent;
        if (!ok)
            return;
        ++m_out.m_commandsConfirmed;
        if (applied())
            return;
        std::this_thread::sleep_for(kRecheckAfter);
        if (applied())
            ++m_out.m_commandsAppliedLate;
        else
            ++m_out.m_commandsNotApplied;
    }

    void mode(bool (CGasDevice::*op)(), std::uint8_t expect)
    {
        const bool ok = (m_dev.*op)();
        confirmed(ok, [&] { return m_emu.state().m_workMode == expect; });
    }

    // The settings record or the setup table the controller stores, against
    // the bytes of the last confirmed write.
    bool storedMatches(bool table)
    {
        const SEmuState s = m_emu.state();
        if (table)
            return std::equal(m_tableWire.begin(), m_tableWire.end(), s.m_table.begin(),
                              s.m_table.end());
        return std::equal(m_settingsWire.begin(), m_settingsWire.end(), s.m_settings.begin(),
                          s.m_settings.end());
    }

    void checkSettings(bool table)
    {
        ++m_out.m_settingsChecks;
        if (!storedMatches(table))
            ++m_out.m_settingsDiffer;
    }

    void writeSettings()
    {
        m_dev.m_switchRPM = 1000 + 50 * static_cast<double>(m_rng() % 20);
        m_dev.m_switchDelay = 5 + static_cast<double>(m_rng() % 40);
        const ERecordForm form = recordForm(m_dev.m_devInfo.m_flags.flags1);
        SSettingsRecord wire = toRecord(m_dev, form);
        toWire(wire.data(), form == ERecordForm::Extended ? MSG_TYPE_SETUP : MSG_TYPE_SETUP_V1,
               wire.size());
        written(m_dev.writeSettings(), wire, false);
    }

    void writeTable()
    {
        for (double& t : m_dev.m_setupTimes)
            t = static_cast<double>(m_rng() % 60) - 20;
        SSetupTable wire = toSetupTable(m_dev);
        toWire(wire.data(), MSG_TYPE_TABLE, wire.size());
        written(m_dev.writeSetupTable(), wire, true);
    }

    // A confirmed write becomes what the controller must hold from now on.
    void written(bool ok, std::span<const std::uint8_t> wire, bool table)
    {
        if (ok)
            (table ? m_tableWire : m_settingsWire).assign(wire.begin(), wire.end());
        confirmed(ok, [&] { return storedMatches(table); });
        if (ok)
            checkSettings(table);
    }

    void readFaults()
    {
        SErrorRecord rec{};
        const bool ok = m_dev.readErrors(rec);
        confirmed(ok, [&] { return rec == m_emu.state().m_faults; });
    }

    void act(unsigned which)
    {
        switch (which) {
        case 0:
            mode(&CGasDevice::workLpg, WORK_LPG);
            break;
        case 1:
            readFaults();
            break;
        case 2:
            writeSettings();
            break;
        case 3: {
            const auto mask = static_cast<std::uint8_t>(1 + m_rng() % 15);
            const bool set = m_dev.setInjectorMask(mask);
            confirmed(set, [&] { return m_emu.state().m_injMask == mask; });
            std::uint8_t got = 0;
            const bool read = m_dev.getInjectorMask(got);
            confirmed(read, [&] { return got == m_emu.state().m_injMask; });
            break;
        }
        case 4:
            mode(&CGasDevice::workAuto, WORK_AUTO);
            break;
        case 5:
            writeTable();
            break;
        case 6:
            mode(&CGasDevice::workGas, WORK_PETROL);
            break;
        default: // the status bar reads the faults more often than the rest
            readFaults();
            break;
        }
    }

    CSoakDevice& m_dev;
    CEmuFixture& m_emu;
    std::mt19937 m_rng;
    SRunResult& m_out;
    std::vector<std::uint8_t> m_settingsWire;
    std::vector<std::uint8_t> m_tableWire;
};

// Holds each accepted record against what the controller built for the same
// exchange, and measures the recoveries.
void judgeRecords(const std::vector<SServed>& served, const std::vector<SRead>& reads,
                  SRunResult& out)
{
    std::vector<std::size_t> diagAt; // index into served of each diagnostic request
    for (std::size_t i = 0; i < served.size(); ++i)
        if (served[i].m_diag)
            diagAt.push_back(i);
    out.m_readerExchanges = reads.size();
    if (diagAt.size() != reads.size())
        out.m_orderMismatch = diagAt.size() > reads.size() ? diagAt.size() - reads.size()
                                                           : reads.size() - diagAt.size();
    const std::size_t n = std::min(diagAt.size(), reads.size());

    std::vector<bool> good(served.size(), false);
    for (std::size_t j = 0; j < n; ++j) {
        const SRead& r = reads[j];
        if (r.m_result == 1)
            ++out.m_otherReplies;
        if (r.m_result >= 2)
            ++out.m_readerFailed;
        if (r.m_result != 0)
            continue;
        ++out.m_recordsAccepted;
        const SServed& s = served[diagAt[j]];
        if (s.m_faults == 0 && sameRecord(s.m_record, r.m_record)) {
            good[diagAt[j]] = true;
            continue;
        }
        ++out.m_recordsWrong;
        bool late = false;
        for (std::size_t back = 1; back <= 8 && back <= j && !late; ++back)
            late = sameRecord(served[diagAt[j - back]].m_record, r.m_record);
        ++(late ? out.m_recordsLate : out.m_recordsDamaged);
    }

    std::size_t lastFault = served.size();
    bool lossSinceGood = false;
    for (std::size_t i = 0; i < served.size(); ++i) {
        if (served[i].m_faults != 0) {
            lastFault = i;
            continue;
        }
        if (served[i].m_diag && !good[i] && lastFault == served.size())
            lossSinceGood = true;
        if (!good[i])
            continue;
        if (lastFault != served.size()) {
            const std::uint64_t took = i - lastFault;
            ++out.m_recoveries;
            out.m_longestRecovery = std::max(out.m_longestRecovery, took);
            if (took > 3)
                ++out.m_recoveriesOver3;
        }
        if (lossSinceGood)
            ++out.m_unexplainedLosses;
        lastFault = served.size();
        lossSinceGood = false;
    }
}

// The recording holds exactly the accepted records, as the reader keeps them.
void judgeRecording(const std::string& path, const std::vector<SRead>& reads, SRunResult& out)
{
    std::vector<diag_t> recorded;
    CDiagFileReader reader;
    if (reader.open(path)) {
        try {
            reader.readAll(recorded);
        } catch (IError* e) {
            delete e;
        }
    }
    out.m_recorded = recorded.size();
    std::size_t k = 0;
    for (const SRead& r : reads) {
        if (r.m_result != 0)
            continue;
        if (k >= recorded.size() || !sameRecord(recorded[k], liveRecord(r.m_record)))
            ++out.m_recordingWrong;
        ++k;
    }
    if (recorded.size() > k)
        out.m_recordingWrong += recorded.size() - k;
}

SRunResult soak(const SOptions& opt, double faultRate)
{
    SRunResult out;
    SEmuServerConfig cfg;
    cfg.m_pace = true;
    if (faultRate > 0)
        cfg.m_tracePath = opt.m_tracePath;
    CEmuFixture emu(cfg);
    emu.withController([&](CEmuController& c) {
        c.state().m_car.m_scenario = EEmuScenario::Drive;
        c.state().m_faults = {0x01, 0x00, 0x04, 0x00};
        c.seedEngine(opt.m_seed);
    });

    CQuietShell shell;
    CSoakDevice dev(shell);
    CPortList::setUserPaths({emu.path()});
    dev.rebuildErrors();
    if (!dev.tryPort(1)) {
        std::fprintf(stderr, "bench_soak: no controller on %s\n", emu.path().c_str());
        std::exit(2);
    }

    std::mutex servedLock;
    std::vector<SServed> served;
    served.reserve(opt.m_exchanges + 1000);
    emu.server().onReply([&](const SEmuReply& r, bool) {
        SServed s;
        s.m_diag = r.m_requestType == MSG_TYPE_COMMAND && r.m_command == CMD_DIAG;
        s.m_faults = r.m_outcome.m_faults;
        if (s.m_diag)
            s.m_record = decodeSent(r.m_produced);
        std::lock_guard<std::mutex> lock(servedLock);
        served.push_back(s);
    });
    SEmuFaultConfig faults;
    faults.m_seed = opt.m_seed;
    for (EEmuFault f : kSoakFaults)
        faults.m_rate[static_cast<std::size_t>(f)] = faultRate / std::size(kSoakFaults);
    emu.setFaults(faults);
    emu.resetCounters();
    const SLinkStats before = dev.stats();

    const std::string recording = emu.tempDir() + "/soak.rec";
    const auto t0 = Clock::now();
    if (!startLive(dev, recording)) {
        std::fprintf(stderr, "bench_soak: the reader did not start\n");
        std::exit(2);
    }
    std::atomic<bool> stop{false};
    CViewsLoad views(dev, emu, opt.m_seed, out);
    std::thread viewsThread([&] { views.run(stop); });

    std::uint64_t lastRequests = 0;
    auto lastProgress = Clock::now();
    for (;;) {
        // As often as the views look at the buffer.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::vector<diag_t> taken;
        dev.m_diagData.takeAll(taken);
        const std::uint64_t requests = emu.counters().m_requests;
        if (requests >= opt.m_exchanges)
            break;
        if (requests != lastRequests) {
            lastRequests = requests;
            lastProgress = Clock::now();
        } else if (Clock::now() - lastProgress > kStallLimit) {
            ++out.m_stalls;
            break;
        }
        if (dev.m_liveReaders.count() == 0) {
            // The reader gave up on the link, as eight failures in a row make
            // it; the application would reconnect and start another.
            ++out.m_readerStops;
            if (!startLive(dev, NO_RECORDING))
                break;
        }
    }
    out.m_wallSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    stopLive(dev, 5000);
    stop.store(true);
    viewsThread.join();
    views.finalCheck();
    emu.server().onReply(nullptr);

    const SEmuCounters counters = emu.counters();
    const SLinkStats after = dev.stats();
    out.m_exchanges = counters.m_requests;
    out.m_hostExchanges = after.exchanges - before.exchanges;
    out.m_hostFailed = after.failures - before.failures;
    out.m_portErrors = after.portErrors - before.portErrors;
    out.m_staleBytes = after.staleBytes - before.staleBytes;
    for (std::size_t i = 0; i < kEmuFaultKinds; ++i)
        out.m_faults[i] = counters.m_faults[i];

    const std::vector<SRead> reads = dev.takeReads();
    {
        std::lock_guard<std::mutex> lock(servedLock);
        for (const SServed& s : served)
            out.m_faultedReplies += s.m_faults != 0;
        judgeRecords(served, reads, out);
    }
    judgeRecording(recording, reads, out);
    CPortList::setUserPaths({});
    return out;
}

// Runs one soak in a child process; false when it crashed or hung.
bool soakInChild(const SOptions& opt, double faultRate, SRunResult& out, bool& crashed, bool& hung)
{
    crashed = hung = false;
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return false;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::close(pipeFd[0]);
        const SRunResult r = soak(opt, faultRate);
        const bool sent = ::write(pipeFd[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
        std::fflush(nullptr);
        ::_exit(sent ? 0 : 3);
    }
    ::close(pipeFd[1]);
    // Generous: a faultless exchange takes about 65 ms, a delayed one a second.
    const auto limit = std::chrono::seconds(120) +
                       std::chrono::milliseconds(300) * static_cast<long>(opt.m_exchanges);
    const auto until = Clock::now() + limit;
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0) {
        if (Clock::now() > until) {
            hung = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const bool read =
        !hung && ::read(pipeFd[0], &out, sizeof out) == static_cast<ssize_t>(sizeof out);
    ::close(pipeFd[0]);
    crashed = !hung && WIFSIGNALED(status);
    return read;
}

const char* verdict(bool ok)
{
    return ok ? "ok" : "FAILED";
}

void printRun(const char* title, const SRunResult& r)
{
    auto u = [](std::uint64_t v) { return static_cast<unsigned long long>(v); };
    std::printf("%s: %.1f s\n", title, r.m_wallSeconds);
    std::printf("  exchanges                 %llu (host started %llu)\n", u(r.m_exchanges),
                u(r.m_hostExchanges));
    std::printf("  faults injected           %llu replies:", u(r.m_faultedReplies));
    for (EEmuFault f : kSoakFaults)
        std::printf(" %s %llu", std::string(emuFaultName(f)).c_str(),
                    u(r.m_faults[static_cast<std::size_t>(f)]));
    std::printf("\n");
    std::printf("  failed exchanges          %llu (port errors %llu, stale bytes %llu)\n",
                u(r.m_hostFailed), u(r.m_portErrors), u(r.m_staleBytes));
    std::printf("  reader exchanges          %llu: records %llu, other replies %llu, failed %llu\n",
                u(r.m_readerExchanges), u(r.m_recordsAccepted), u(r.m_otherReplies),
                u(r.m_readerFailed));
    std::printf("  records not as sent       %llu (late %llu, damaged %llu; must be 0) %s\n",
                u(r.m_recordsWrong), u(r.m_recordsLate), u(r.m_recordsDamaged),
                verdict(r.m_recordsWrong == 0));
    std::printf("  recording                 %llu records, %llu not as accepted %s\n",
                u(r.m_recorded), u(r.m_recordingWrong),
                verdict(r.m_recordingWrong == 0 && r.m_recorded == r.m_recordsAccepted));
    std::printf("  commands sent / confirmed %llu / %llu; confirmed but not applied %llu, "
                "applied late %llu %s\n",
                u(r.m_commandsSent), u(r.m_commandsConfirmed), u(r.m_commandsNotApplied),
                u(r.m_commandsAppliedLate),
                verdict(r.m_commandsNotApplied == 0 && r.m_commandsAppliedLate == 0));
    std::printf("  settings differing        %llu of %llu checks (must be 0) %s\n",
                u(r.m_settingsDiffer), u(r.m_settingsChecks), verdict(r.m_settingsDiffer == 0));
    std::printf("  longest recovery          %llu exchanges over %llu recoveries, %llu above 3 "
                "(at most 3) %s\n",
                u(r.m_longestRecovery), u(r.m_recoveries), u(r.m_recoveriesOver3),
                verdict(r.m_longestRecovery <= 3));
    std::printf("  losses with no fault      %llu; reader restarts %llu; stalls %llu %s\n",
                u(r.m_unexplainedLosses), u(r.m_readerStops), u(r.m_stalls),
                verdict(r.m_unexplainedLosses == 0 && r.m_readerStops == 0 && r.m_stalls == 0));
    if (r.m_orderMismatch)
        std::printf("  reader calls and diagnostic requests differ by %llu\n",
                    u(r.m_orderMismatch));
}

bool parse(int argc, char** argv, SOptions& opt)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--exchanges" && hasValue)
            opt.m_exchanges = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--seed" && hasValue)
            opt.m_seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (a == "--faults" && hasValue)
            opt.m_faultRate = std::atof(argv[++i]);
        else if (a == "--trace" && hasValue)
            opt.m_tracePath = argv[++i];
        else if (a == "--no-baseline")
            opt.m_baseline = false;
        else
            return false;
    }
    return opt.m_exchanges > 0 && opt.m_faultRate >= 0 && opt.m_faultRate <= 1;
}

} // namespace

int main(int argc, char** argv)
{
    SOptions opt;
    if (!parse(argc, argv, opt)) {
        std::fprintf(stderr, "usage: bench_soak [--exchanges N] [--seed S] [--faults RATE] "
                             "[--no-baseline] [--trace FILE]\n");
        return 2;
    }
    std::printf("soak: %llu exchanges, seed %u, faults at %.1f %% of the replies\n",
                static_cast<unsigned long long>(opt.m_exchanges), opt.m_seed,
                100.0 * opt.m_faultRate);

    SRunResult faulty;
    bool crashed = false;
    bool hung = false;
    const bool ran = soakInChild(opt, opt.m_faultRate, faulty, crashed, hung);
    if (ran)
        printRun("with faults", faulty);
    else if (!crashed && !hung)
        std::printf("  the run ended before its figures were in\n");
    std::printf("  crashes %d, hangs %d %s\n", crashed ? 1 : 0, hung ? 1 : 0,
                verdict(!crashed && !hung));

    bool ok = ran && faulty.m_recordsWrong == 0 && faulty.m_recordingWrong == 0 &&
              faulty.m_recorded == faulty.m_recordsAccepted && faulty.m_commandsNotApplied == 0 &&
              faulty.m_commandsAppliedLate == 0 && faulty.m_settingsDiffer == 0 &&
              faulty.m_longestRecovery <= 3 && faulty.m_stalls == 0 && faulty.m_readerStops == 0;

    const double rate =
        ran ? static_cast<double>(faulty.m_recordsAccepted) / faulty.m_wallSeconds : 0.0;
    SRunResult clean;
    bool cleanRan = false;
    if (opt.m_baseline) {
        bool cleanCrashed = false;
        bool cleanHung = false;
        cleanRan = soakInChild(opt, 0.0, clean, cleanCrashed, cleanHung);
        if (cleanRan)
            printRun("without faults", clean);
        std::printf("  crashes %d, hangs %d %s\n", cleanCrashed ? 1 : 0, cleanHung ? 1 : 0,
                    verdict(!cleanCrashed && !cleanHung));
        ok = ok && cleanRan && clean.m_recordsWrong == 0 && clean.m_settingsDiffer == 0;
    }
    std::printf("link efficiency\n");
    std::printf("  with faults     %.2f records/s = %.1f %% of the line's %.2f\n", rate,
                100.0 * rate / kLimitPerSecond, kLimitPerSecond);
    if (cleanRan) {
        const double cleanRate = static_cast<double>(clean.m_recordsAccepted) / clean.m_wallSeconds;
        std::printf("  without faults  %.2f records/s = %.1f %% of the line's\n", cleanRate,
                    100.0 * cleanRate / kLimitPerSecond);
        std::printf("  faults cost     %.1f %% of the faultless rate\n",
                    100.0 * (1.0 - rate / cleanRate));
        // A reply that never comes whole can only be given up when the
        // line's read time-out runs out; that floor is the protocol's, not
        // the recovery's.
        const auto waited = [&](EEmuFault f) {
            return faulty.m_faults[static_cast<std::size_t>(f)];
        };
        const std::uint64_t timeOuts =
            waited(EEmuFault::Drop) + waited(EEmuFault::Truncate) + waited(EEmuFault::Delay);
        const double floorSeconds = timeOuts * (LINE_READ_TIMEOUT_MS / 1000.0);
        const double cleanSeconds = static_cast<double>(faulty.m_recordsAccepted) / cleanRate;
        std::printf("  of which the read time-outs alone (%llu drops, truncations and delays "
                    "x %.1f s) cost at least %.1f %%\n",
                    static_cast<unsigned long long>(timeOuts), LINE_READ_TIMEOUT_MS / 1000.0,
                    100.0 * (1.0 - cleanSeconds / (cleanSeconds + floorSeconds)));
    }
    std::printf("soak %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
