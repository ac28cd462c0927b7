#include "data/SettingsChange.h"

#include "data/MountDataRecord.h"
#include "data/SettingsRecord.h"

namespace {

constexpr std::uint8_t kPressureSensorBit = 0x10;

bool needsReset(const CSettings& before, const CSettings& after)
{
    return before.m_engineSignalBehavior != after.m_engineSignalBehavior ||
           ((before.m_behaviorFlags ^ after.m_behaviorFlags) & kPressureSensorBit) != 0;
}

} // namespace

SSettingsPlan planSettingsChange(const CSettings& before, const CSettings& after)
{
    // Compared as the controller would receive them: a change too small for
    // the record (a fraction of a tick) writes nothing.
    const ERecordForm form = recordForm(after.m_devInfo.m_flags.flags1);
    SSettingsPlan plan;
    plan.settingsRecord = toRecord(before, form) != toRecord(after, form);
    plan.setupTable = toSetupTable(before) != toSetupTable(after);
    plan.mountData = toMountData(before.m_devInfo) != toMountData(after.m_devInfo);
    plan.reset = needsReset(before, after);
    plan.petrolFirst = plan.reset;
    return plan;
}

SSettingsPlan settingsPlanForControl(int control)
{
    SSettingsPlan plan;
    plan.settingsRecord = true;
    // Petrol injection control, +12 V petrol injectors, pressure sensor type.
    if (control == 1026 || control == 1027 || control == 1055) {
        plan.petrolFirst = true;
        plan.reset = true;
    }
    return plan;
}
