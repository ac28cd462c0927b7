// The process-wide sleep in milliseconds.
#pragma once

#include <cstdint>

void sleepMs(std::uint32_t ms);
