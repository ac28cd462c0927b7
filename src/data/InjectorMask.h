// Switching single LPG injectors off for a test: which bits a controller has
// and when a mask may be sent at all.
// Thread safety: pure functions.
#pragma once

#include <cstdint>

// Injectors the mask can name: 4, 6, or 8 for any other count.
int maskedInjectors(int injCount);
// The bits of those injectors: 0x0F, 0x3F or 0xFF.
std::uint8_t injectorMaskLimit(int injCount);
// Injectors 1 to this many can be switched by hand: 4, 6 or 8. Above 4
// injectors the next pair counts, above 6 all eight.
int switchableInjectors(int injCount);
// Only while the engine runs on LPG; on petrol a mask has no effect, so it
// is not sent.
bool injectorMaskAllowed(std::uint8_t fuelInUse);
