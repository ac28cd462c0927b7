#include "data/LambdaType.h"

#include <atomic>

namespace {
// Matches the settings default until the first record arrives.
std::atomic<int> g_lambdaType{1};
} // namespace

int currentLambdaType()
{
    return g_lambdaType.load(std::memory_order_relaxed);
}

void setCurrentLambdaType(int type)
{
    g_lambdaType.store(type, std::memory_order_relaxed);
}
