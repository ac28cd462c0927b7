#include "msglib/Sleep.h"

#include <chrono>
#include <thread>

void sleepMs(std::uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
