// nimo-emu: a virtual controller on a pseudo-terminal, for demonstrations,
// training and the host's end-to-end tests.

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <pthread.h>

#include "CEmuServer.h"
#include "EmuOptions.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    SEmuOptions opt;
    if (const auto err = emuParseOptions(args, opt); !err.empty()) {
        std::fprintf(stderr, "nimo-emu: %s\nTry 'nimo-emu --help'.\n", err.c_str());
        return 2;
    }
    if (opt.m_help) {
        std::fputs(emuUsage().c_str(), stdout);
        return 0;
    }

    // Signals are taken by sigwait below; the server thread inherits the mask
    // and never sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    CEmuServer server(opt.m_server);
    server.withController([&](CEmuController& c) { emuApplyOptions(opt, c); });
    server.onReplug([](const std::string& path) {
        std::fprintf(stderr, "nimo-emu: port plugged in again at %s\n", path.c_str());
    });
    try {
        server.start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nimo-emu: %s\n", e.what());
        return 1;
    }
    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    server.stop();
    return 0;
}
