// The request to end a long-running command (monitor) cleanly: raised by
// SIGINT/SIGTERM in the program, or by a test.
// Thread safety: all functions may be called from any thread.
#pragma once

void requestCliStop();
bool cliStopRequested();
void resetCliStop();

// While one of these lives, a stop request is taken up by the running
// command; otherwise the program ends at once on a signal.
class CCliStopScope {
public:
    CCliStopScope();
    ~CCliStopScope();
    CCliStopScope(const CCliStopScope&) = delete;
    CCliStopScope& operator=(const CCliStopScope&) = delete;
};
bool cliStopHandled();
