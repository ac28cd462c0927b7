#include "CliStop.h"

#include <atomic>

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_scopes{0};

} // namespace

void requestCliStop()
{
    g_stop.store(true);
}

bool cliStopRequested()
{
    return g_stop.load();
}

void resetCliStop()
{
    g_stop.store(false);
}

CCliStopScope::CCliStopScope()
{
    ++g_scopes;
}

CCliStopScope::~CCliStopScope()
{
    --g_scopes;
}

bool cliStopHandled()
{
    return g_scopes.load() > 0;
}
