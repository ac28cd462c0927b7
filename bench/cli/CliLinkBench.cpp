// Link efficiency: live data from `nimo-emu --pace` (the real line's byte
// timing) through the controller object and the live-data reader, as
// nimo-cli monitor runs them. Prints records per second against the line's
// limit and the CPU time this process spent.
//
//   bench_cli_link [SECONDS]   (default 20)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/CDiagInputThread.h"
#include "link/CGasDevice.h"
#include "link/CPortList.h"
#include "link/IGasShell.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// One CMD_DIAG exchange: a 12-byte request and an 82-byte reply, 10 bits a
// byte at 14400 baud.
constexpr double kExchangeBytes = 12 + 82;
constexpr double kLimitPerSecond = 14400.0 / (10 * kExchangeBytes);

double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of a process or thread, from its stat file (fields 14 and 15).
double statCpuSeconds(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return 0;
    char buf[1024] = {};
    const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    std::string s(buf, n);
    const auto close = s.rfind(')');
    if (close == std::string::npos)
        return 0;
    unsigned long utime = 0;
    unsigned long stime = 0;
    // After ") " come fields 3 onwards; utime is field 14.
    std::sscanf(s.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                &utime, &stime);
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double processCpuSeconds(pid_t pid)
{
    return statCpuSeconds("/proc/" + std::to_string(pid) + "/stat");
}

// CPU seconds of each thread of this process but the calling one, by id.
std::map<long, double> otherThreadsCpu()
{
    std::map<long, double> out;
    const long self = static_cast<long>(gettid());
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        const long tid = std::atol(entry.path().filename().c_str());
        if (tid != self)
            out[tid] = statCpuSeconds(entry.path().string() + "/stat");
    }
    return out;
}

// Starts the emulator and returns the slave path it prints first.
std::string startEmulator(pid_t& pid)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
    char exe[] = NIMO_EMU_EXE;
    char pace[] = "--pace";
    char scenario[] = "--scenario";
    char drive[] = "drive";
    char* argv[] = {exe, pace, scenario, drive, nullptr};
    const int rc = posix_spawn(&pid, exe, &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        return {};
    }
    std::string path;
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
        path += c;
    ::close(out[0]);
    return path;
}

std::size_t drain(CGasDevice& dev)
{
    std::vector<diag_t> taken;
    return dev.m_diagData.takeAll(taken);
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    pid_t emu = -1;
    const std::string port = startEmulator(emu);
    if (port.empty()) {
        std::fprintf(stderr, "bench_cli_link: cannot start %s\n", NIMO_EMU_EXE);
        return 1;
    }

    CQuietShell shell;
    int rc = 0;
    {
        CGasDevice dev(shell);
        CPortList::setUserPaths({port});
        dev.rebuildErrors();
        if (!dev.tryPort(1) || !startLive(dev)) {
            std::fprintf(stderr, "bench_cli_link: no controller on %s\n", port.c_str());
            rc = 1;
        } else {
            // Let the reader settle, then measure whole seconds of streaming.
            std::this_thread::sleep_for(std::chrono::seconds(1));
            drain(dev);
            const SLinkStats before = dev.stats();
            const double cpu0 = cpuSeconds();
            const double emuCpu0 = processCpuSeconds(emu);
            const auto threads0 = otherThreadsCpu();
            const auto t0 = Clock::now();
            std::size_t records = 0;
            const auto until = t0 + std::chrono::duration<double>(seconds);
            while (Clock::now() < until) {
                // As often as monitor looks at the buffer.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                records += drain(dev);
            }
            records += drain(dev);
            const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
            const double cpu = cpuSeconds() - cpu0;
            const double emuCpu = processCpuSeconds(emu) - emuCpu0;
            // The reader is the busiest thread besides this one (the thread
            // manager's recycle thread mostly sleeps).
            double readerCpu = 0;
            for (const auto& [tid, secs] : otherThreadsCpu()) {
                const auto was = threads0.find(tid);
                readerCpu = std::max(readerCpu, secs - (was == threads0.end() ? 0 : was->second));
            }
            const SLinkStats after = dev.stats();
            stopLive(dev);

            const double rate = static_cast<double>(records) / wall;
            const double share = 100.0 * rate / kLimitPerSecond;
            const double cpuShare = 100.0 * cpu / wall;
            std::printf("link benchmark: %.1f s of live data from nimo-emu --pace\n", wall);
            std::printf("  records            %zu\n", records);
            std::printf(
                "  records per second %.2f of %.2f possible (%.1f %%; target >= 97 %%) %s\n", rate,
                kLimitPerSecond, share, share >= 97.0 ? "ok" : "BELOW TARGET");
            const double readerShare = 100.0 * readerCpu / wall;
            std::printf("  reader thread CPU  %.3f s = %.2f %% of one core (target < 2 %%) %s\n",
                        readerCpu, readerShare, readerShare < 2.0 ? "ok" : "ABOVE TARGET");
            std::printf("  whole process CPU  %.3f s = %.2f %% of one core (reader, polling, "
                        "thread manager)\n",
                        cpu, cpuShare);
            std::printf("  emulator CPU       %.2f %% of one core (for reference)\n",
                        100.0 * emuCpu / wall);
            std::printf("  exchanges %llu, failed %llu, port errors %llu, stale bytes %llu\n",
                        static_cast<unsigned long long>(after.exchanges - before.exchanges),
                        static_cast<unsigned long long>(after.failures - before.failures),
                        static_cast<unsigned long long>(after.portErrors - before.portErrors),
                        static_cast<unsigned long long>(after.staleBytes - before.staleBytes));
        }
        CPortList::setUserPaths({});
    }
    ::kill(emu, SIGTERM);
    ::waitpid(emu, nullptr, 0);
    return rc;
}
