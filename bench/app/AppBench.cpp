// Figures of the desktop application: time from process start to the first
// painted main window (demonstration mode, no port scan), resident memory
// and CPU share of the whole process over S seconds of live data at the line
// rate with the gauges view shown and then with the plot shown (the
// controller is a separate nimo-emu process, so its work is not counted),
// the median time to paint the upper view once, the plot's paint with five
// full minutes, and a memory soak of M minutes of live data, the gauges shown
// for the first half and the plot for the second: what is resident at the end
// must stay within 5 MB of what it was after the first minute.
// Usage: bench_app [SECONDS] [--repeat N] [--rss-minutes M]
//   SECONDS of live data per CPU figure (default 60), N alternating runs of
//   both views with their medians (default 1), M minutes of the memory soak
//   (default 0: none; 30 for the real one). The platform as QT_QPA_PLATFORM says.
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
#include "data/CLiveHistory.h"
#include "link/CPortList.h"
#include "views/CPlotChart.h"
#include "views/CPlotView.h"

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

// CPU share of the whole process while the event loop runs for `seconds`.
double cpuShare(int seconds)
{
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runEvents(seconds * 1000);
    return (cpuSeconds() - cpu0) / (wall.elapsed() / 1000.0);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Median and worst time of 200 paints of a widget into an image, in ms.
std::pair<double, double> paintTimes(QWidget& widget)
{
    std::vector<double> ms;
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 200; ++i) {
        QPainter painter(&image);
        const auto t0 = std::chrono::steady_clock::now();
        widget.render(&painter);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    const double worst = *std::max_element(ms.begin(), ms.end());
    return {median(ms), worst};
}

// The plot view over five full minutes of the records the controller sent,
// played at the line rate into a ring of its own.
void benchFullPlot(const std::vector<STimedRecord>& live)
{
    if (live.empty())
        return;
    CQtShell shell;
    CAutrelDoc doc(shell);
    const auto minutes = static_cast<std::size_t>(15 * CLiveHistory::LIVE_HISTORY_SECONDS);
    for (std::size_t i = 0; i < minutes; ++i)
        doc.m_history.add(static_cast<double>(i) / 15.0, live[i % live.size()].m_rec);
    CPlotView view(doc);
    view.resize(1024, 580);
    view.setSpan(static_cast<int>(CPlotView::SPANS.size()) - 1);
    // The plot alone is what a display tick repaints; the rest of the view
    // only when a value or a setting changes.
    const auto [med, worst] = paintTimes(view.chart());
    std::printf("paint the plot once, 5 min of %zu records (%dx%d): median %.3f ms, "
                "max %.3f ms\n",
                view.series().samples().size(), view.chart().width(), view.chart().height(), med,
                worst);
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures show as they come
    int seconds = 60;
    int repeat = 1;
    int rssMinutes = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (a == "--rss-minutes" && i + 1 < argc)
            rssMinutes = std::max(0, std::atoi(argv[++i]));
        else
            seconds = std::max(1, std::atoi(argv[i]));
    }
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

    // The two views by turns, so that a busy machine weighs on both alike.
    std::vector<double> gauges;
    std::vector<double> plot;
    for (int run = 0; run < repeat; ++run) {
        frame.runCommand(ID_VIEW_DISPLAY);
        gauges.push_back(cpuShare(seconds) * 100);
        std::printf("live data for %d s, gauges shown: CPU %.2f %% of one core (target < 2 %%), "
                    "resident %.1f MB (target < 80 MB)\n",
                    seconds, gauges.back(), residentKiB() / 1024.0);
        if (run == 0) {
            const auto [med, worst] = paintTimes(*frame.upperView());
            std::printf("paint the upper view once (%dx%d): median %.3f ms, max %.3f ms "
                        "(target < 3 ms)\n",
                        frame.upperView()->width(), frame.upperView()->height(), med, worst);
        }
        frame.runCommand(ID_VIEW_PLOT);
        plot.push_back(cpuShare(seconds) * 100);
        std::printf("live data for %d s, plot shown: CPU %.2f %% of one core (target < 3 %%), "
                    "resident %.1f MB\n",
                    seconds, plot.back(), residentKiB() / 1024.0);
    }
    std::printf("median of %d: gauges %.2f %%, plot %.2f %%, plot above gauges %.2f points "
                "(target <= 1)\n",
                repeat, median(gauges), median(plot), median(plot) - median(gauges));

    std::vector<STimedRecord> live;
    doc.m_history.copySince(-1, live);
    benchFullPlot(live);

    if (rssMinutes > 0) {
        // The gauges for the first half, then the plot afresh (its copy of
        // the ring starts empty) over the widest window, the most it ever
        // holds and draws. What the first minute holds is the baseline.
        frame.runCommand(ID_VIEW_DISPLAY);
        long firstMinute = 0;
        long last = 0;
        for (int minute = 1; minute <= rssMinutes; ++minute) {
            const bool plotShown = minute > rssMinutes / 2;
            if (plotShown && minute == rssMinutes / 2 + 1) {
                frame.runCommand(ID_VIEW_PLOT);
                if (auto* view = dynamic_cast<CPlotView*>(frame.upperView()))
                    view->setSpan(static_cast<int>(CPlotView::SPANS.size()) - 1);
            }
            const double share = cpuShare(60) * 100;
            last = residentKiB();
            if (minute == 1)
                firstMinute = last;
            if (minute == 1 || minute % 5 == 0 || minute == rssMinutes)
                std::printf("minute %d, %s shown: resident %.1f MB, ring %zu records, CPU %.2f "
                            "%% of one core in that minute\n",
                            minute, plotShown ? "plot" : "gauges", last / 1024.0,
                            doc.m_history.count(), share);
        }
        std::printf("memory soak of %d min: resident %.1f MB at the end, %.1f MB after the "
                    "first minute, growth %.1f MB (target <= 5 MB)\n",
                    rssMinutes, last / 1024.0, firstMinute / 1024.0, (last - firstMinute) / 1024.0);
    }
    frame.close();
    ::kill(emu, SIGTERM);
    ::waitpid(emu, nullptr, 0);
    return 0;
}
