// What a change of the settings block takes to reach the controller: which
// records to write, and whether the car must be on petrol first and the
// controller reset afterwards (the petrol injection control, the +12 V
// petrol injectors and the pressure sensor type only take effect that way).
// Thread safety: pure functions.
#pragma once

#include "data/CSettings.h"

struct SSettingsPlan {
    bool petrolFirst = false;
    bool settingsRecord = false;
    bool setupTable = false;
    bool mountData = false;
    bool reset = false;

    bool any() const { return settingsRecord || setupTable || mountData || reset; }
    bool operator==(const SSettingsPlan&) const = default;
};

// The records that differ between the two blocks, and the petrol switch and
// reset that a changed engine-signal byte or pressure-sensor bit needs.
// Nothing at all when the blocks write the same bytes.
SSettingsPlan planSettingsChange(const CSettings& before, const CSettings& after);

// What a control of the settings view writes once its handler has changed
// the block: the settings record, with the petrol switch and the reset for
// the controls that need them.
SSettingsPlan settingsPlanForControl(int control);
