#include "data/InjectorMask.h"

#include "data/DiagRecord.h"

int maskedInjectors(int injCount)
{
    return injCount == 4 || injCount == 6 ? injCount : 8;
}

std::uint8_t injectorMaskLimit(int injCount)
{
    return static_cast<std::uint8_t>((1u << maskedInjectors(injCount)) - 1);
}

int switchableInjectors(int injCount)
{
    if (injCount > 6)
        return 8;
    return injCount > 4 ? 6 : 4;
}

bool injectorMaskAllowed(std::uint8_t fuelInUse)
{
    return isLpgFuel(fuelInUse);
}
