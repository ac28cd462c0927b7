// Arbitrary line rates through the kernel's second termios interface. Kept
// apart because its header cannot share a translation unit with <termios.h>.
// Thread safety: stateless; the caller serialises use of the descriptor.
#pragma once

#include <cstdint>

// Both return 0 or the errno value of the failing call.
int setLineBaud(int fd, std::uint32_t rate);
int getLineBaud(int fd, std::uint32_t& rate);
