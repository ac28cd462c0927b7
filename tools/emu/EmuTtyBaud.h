// Line speed of a terminal at any baud rate (Linux termios2), kept apart from
// the rest because <asm/termbits.h> clashes with <termios.h>.
// Thread safety: plain system calls.
#pragma once

// The speed the slave of a pseudo-terminal is set to, read through its master
// (the kernel reports the slave's settings there); 0 when it cannot be read.
unsigned emuTtyBaud(int fd);
// Sets output and input speed to `baud`, leaving the rest of the settings.
bool emuSetTtyBaud(int fd, unsigned baud);
