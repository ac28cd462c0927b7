// Kept apart: <asm/termbits.h> cannot share a translation unit with <termios.h>.
#include "support/ScriptedPeer.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

std::uint32_t ScriptedPeer::slaveBaud() const
{
    // On the master side the kernel answers with the slave's settings.
    struct termios2 t {};
    if (ioctl(m_master, TCGETS2, &t) != 0)
        return 0;
    return t.c_ospeed;
}
