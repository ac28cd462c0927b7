// What the device information view does to the installation data before and
// after its dialog: clearing it, and proposing a date and a workshop name
// when the controller holds none.
// Thread safety: pure functions.
#pragma once

#include <ctime>
#include <string>

#include "data/CSettings.h"

// "%d/%m/%Y" in local time: the date an installation gets when it has none.
std::string mountDateText(std::time_t when);

// Empties the date, workshop name, injector size and engine capacity; the
// identity, flags and counters stay.
void clearMountData(SDevInfo& info);

struct SMountDataProposal {
    SDevInfo info;
    // The workshop name came from the configuration (or there was none), so
    // the fitter may type it; a name the controller holds stays as it is.
    bool nameEditable = false;
};

// The installation data to offer: today's date when none is set, the
// workshop name remembered on this computer when the controller holds none.
SMountDataProposal proposeMountData(const SDevInfo& info, std::time_t now,
                                    const std::string& rememberedService);
