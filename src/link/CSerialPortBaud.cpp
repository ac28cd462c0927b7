#include "link/CSerialPortBaud.h"

#include <cerrno>

#include <asm/termbits.h>
#include <sys/ioctl.h>

// Linux has no B14400; BOTHER takes the rate from c_ispeed/c_ospeed as a number.
int setLineBaud(int fd, std::uint32_t rate)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

int getLineBaud(int fd, std::uint32_t& rate)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    rate = t.c_ospeed;
    return 0;
}
