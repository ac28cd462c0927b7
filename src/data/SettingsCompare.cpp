#include "data/SettingsCompare.h"

#include "data/SettingsKeys.h"

std::vector<SSettingsDifference> compareSettings(const CSettings& a, const CSettings& b)
{
    std::vector<SSettingsDifference> out;
    for (const SSettingsItem& item : settingsItems()) {
        if (!settingsItemDiffers(item, a, b))
            continue;
        out.push_back({&item, item.key->name, settingsItemLabel(item), settingsItemUnit(item),
                       settingsItemText(item, a), settingsItemText(item, b)});
    }
    return out;
}

std::vector<std::string> differingKeys(const std::vector<SSettingsDifference>& differences)
{
    std::vector<std::string> keys;
    for (const SSettingsDifference& d : differences) {
        if (keys.empty() || keys.back() != d.key)
            keys.push_back(d.key);
    }
    return keys;
}

std::string withUnit(const std::string& value, const std::string& unit)
{
    return unit.empty() ? value : value + " " + unit;
}
