// Settings against settings: what a fitter must know before one replaces the
// other. Only what a controller takes is compared (settings, correction
// table, installation data); identity, counters and time stamps are not.
// Thread safety: pure functions (texts in the current language).
#pragma once

#include <string>
#include <vector>

#include "data/CSettings.h"
#include "data/SettingsLabels.h"

struct SSettingsDifference {
    const SSettingsItem* item = nullptr;
    std::string key;   // the settings-file key
    std::string label; // as the view that edits it names it
    std::string unit;  // empty for none
    // As the views show them, without the unit.
    std::string a;
    std::string b;
};

// The items that differ, in the settings file's key order.
std::vector<SSettingsDifference> compareSettings(const CSettings& a, const CSettings& b);
// The keys among them, each once, in that order.
std::vector<std::string> differingKeys(const std::vector<SSettingsDifference>& differences);
// A value and its unit, as a line of text shows it: "1200 obr/min".
std::string withUnit(const std::string& value, const std::string& unit);
