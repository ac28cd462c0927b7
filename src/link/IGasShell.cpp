#include "link/IGasShell.h"

#include "msglib/Sleep.h"

void CQuietShell::sleep(std::uint32_t ms)
{
    sleepMs(ms);
}
