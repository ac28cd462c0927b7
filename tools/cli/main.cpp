// nimo-cli: the workshop tool's core from a terminal.

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <thread>

#include <pthread.h>
#include <unistd.h>

#include "CConsoleShell.h"
#include "CliRun.h"
#include "CliStop.h"

int main(int argc, char** argv)
{
    // Signals are taken by one thread with sigwait; every other thread,
    // the live-data reader included, inherits the mask and never sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A closed output ends the command through the stream's state instead.
    std::signal(SIGPIPE, SIG_IGN);

    std::thread([stopSignals] {
        for (;;) {
            int sig = 0;
            if (sigwait(&stopSignals, &sig) != 0)
                continue;
            // A command that can end cleanly gets the request; a second
            // signal, or one during any other command, ends the program.
            if (!cliStopHandled() || cliStopRequested())
                std::_Exit(128 + sig);
            requestCliStop();
        }
    }).detach();

    CConsoleShell::setShowProgress(isatty(STDERR_FILENO) != 0);
    std::ios::sync_with_stdio(true);
    return runCli(argc, argv, std::cout, std::cerr);
}
