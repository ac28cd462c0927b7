// The settings block by name: one descriptor per settings-file key, in file
// order, with its record, its accepted values and how to read and set it.
// The settings file, the command-line tool and its JSON all use these names.
// Thread safety: the table is built once and read-only; the functions are
// pure apart from the block they are given.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/CSettings.h"

enum class ESettingsKeyType {
    Text,
    Integer, // stored whole; a fraction is cut toward zero
    Real,
};

// Where a value goes when the block is written to the controller.
enum class ESettingsTarget {
    FileOnly,       // the time stamp of a settings file
    DeviceInfo,     // read from the controller, never written back
    SettingsRecord, // frame type 2 or 12
    SetupTable,     // frame type 6
    MountData,      // frame type 10
};

struct SSettingsKey {
    std::string name;
    ESettingsKeyType type = ESettingsKeyType::Real;
    ESettingsTarget target = ESettingsTarget::SettingsRecord;
    // Numbers: the closed range, and when not empty the only values allowed.
    double min = 0;
    double max = 0;
    std::vector<double> allowed;
    // Texts: the longest in bytes, and whether it must be a day the
    // controller's date code can hold (or empty).
    std::size_t maxBytes = 0;
    bool dateText = false;

    std::function<std::string(const CSettings&)> getText;
    std::function<void(CSettings&, const std::string&)> setText;
    std::function<double(const CSettings&)> getNumber;
    std::function<void(CSettings&, double)> setNumber;
};

// Every key once, in the order the settings file lists them.
const std::vector<SSettingsKey>& settingsKeys();
const SSettingsKey* findSettingsKey(std::string_view name);

bool acceptsNumber(const SSettingsKey& key, double value);
bool acceptsText(const SSettingsKey& key, std::string_view text);

// Whole numbers as integers ("1234567"), others in the shortest form that
// reads back to the same double ("0.8").
std::string formatSettingsNumber(double value);
// A complete finite decimal number and nothing else.
bool parseSettingsNumber(std::string_view text, double& value);

// The value as the settings file writes it.
std::string settingsValueText(const SSettingsKey& key, const CSettings& s);
// Parses, checks and stores; on false the block is unchanged.
bool setSettingsValue(const SSettingsKey& key, CSettings& s, std::string_view text);

// Whether every field holds a value the settings view offers or its record
// can carry; names the first key that does not.
bool checkSettingsRanges(const CSettings& s, std::string* firstBadKey = nullptr);
