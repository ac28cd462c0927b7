// Figures of the desktop application: time from process start to the first
// painted main window (demonstration mode, no port scan), resident memory
// and CPU share of the whole process over S seconds of live data at the line
// rate with the gauges view shown (the controller is a separate nimo-emu
// process, so its work is not counted), and the median time to paint the
// upper view once.
// Usage: bench_app [SECONDS]   (default 60; the platform as QT_QPA_PLATFORM says)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QImage>
#include <QPainter>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CMainMenuView.h"
#include "app/CQtShell.h"
#include "link/CPortList.h"

extern char** environ;

namespace {

// Seconds since this process started, from its start time in /proc.
double secondsSinceProcessStart()
{
    std::ifstream in("/proc/self/stat");
    std::string s((std::istreambuf_iterator<char>(in)), {});
    const auto close = s.rfind(')');
    unsigned long long start = 0;
    // Field 22 (starttime, clock ticks after boot); after ") " come fields 3 onwards.
    std::istringstream fields(s.substr(close + 2));
    std::string skip;
    for (int field = 3; field < 22; ++field)
        fields >> skip;
    fields >> start;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec + now.tv_nsec / 1e9 - double(start) / double(sysconf(_SC_CLK_TCK));
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

long residentKiB()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// The application's own event loop for a while, sleeping when idle as exec() does.
void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

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
    char* argv[] = {exe, pace, nullptr};
    const int rc = posix_spawn(&pid, exe, &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    std::string path;
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (rc == 0 && ::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
        path += c;
    ::close(out[0]);
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setOrganizationName("Nimo");
    QApplication::setApplicationName("nimo");
    QApplication app(argc, argv);

    {
        CQtShell shell;
        CAutrelDoc doc(shell);
        CMainFrame frame(doc, shell);
        registerViews(frame);
        frame.show();
        frame.startFirstConnection(true);
        frame.repaint();
        QCoreApplication::processEvents();
        std::printf("start to first painted window (demo): %.3f s (target < 0.5 s)\n",
                    secondsSinceProcessStart());
        frame.close();
    }

    pid_t emu = 0;
    const std::string port = startEmulator(emu);
    if (port.empty()) {
        std::fprintf(stderr, "bench_app: the virtual controller did not start\n");
        return 1;
    }
    CPortList::setSystemScan(false);
    CPortList::setUserPaths({port});
    CQtShell shell;
    CAutrelDoc doc(shell);
    CMainFrame frame(doc, shell);
    registerViews(frame);
    frame.resize(1024, 746);
    frame.show();
    frame.startFirstConnection();
    frame.runCommand(ID_VIEW_DISPLAY);
    runEvents(2000); // the first records and the first paints
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runEvents(seconds * 1000);
    const double share = (cpuSeconds() - cpu0) / (wall.elapsed() / 1000.0);
    std::printf("live data for %d s, gauges shown: CPU %.2f %% of one core (target < 2 %%), "
                "resident %.1f MB (target < 80 MB)\n",
                seconds, share * 100, residentKiB() / 1024.0);

    std::vector<double> ms;
    QImage image(frame.upperView()->size(), QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 200; ++i) {
        QPainter painter(&image);
        const auto t0 = std::chrono::steady_clock::now();
        frame.upperView()->render(&painter);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("paint the upper view once (%dx%d): median %.3f ms, max %.3f ms (target < 3 ms)\n",
                frame.upperView()->width(), frame.upperView()->height(), ms[ms.size() / 2],
                ms.back());
    frame.close();
    ::kill(emu, SIGTERM);
    ::waitpid(emu, nullptr, 0);
    return 0;
}
