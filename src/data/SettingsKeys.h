// The settings block by name: one descriptor per settings-file key, in file
// order, with its record, the values that record can carry and how to read
// and set it. The settings file, the command-line tool and its JSON all use
// these names. A value the record carries is always accepted, even when the
// settings view offers no list entry for it: a controller's own settings
// must always load back into it.
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
    // Numbers: the closed range the record carries.
    double min = 0;
    double max = 0;
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
// Why a value given as text is refused, naming key, value and what would be
// accepted ("m_switchDelay=400: 0 to 127", "m_pressureRef=abc: not a
// number"), translated; empty when it is accepted.
std::string settingsRefusal(const SSettingsKey& key, std::string_view text);

// A value as a message quotes it: line ends, TABs, control characters and
// bytes that are no UTF-8 as \n, \t, \xNN, and cut off with "..." after 64
// bytes, so a pasted blob or a binary file cannot flood or steer the terminal.
std::string shownSettingsText(std::string_view text);

// Whole numbers as integers ("1234567"), others in the shortest form that
// reads back to the same double ("0.8").
std::string formatSettingsNumber(double value);
// A complete finite decimal number and nothing else.
bool parseSettingsNumber(std::string_view text, double& value);

// The value as the settings file writes it.
std::string settingsValueText(const SSettingsKey& key, const CSettings& s);
// Parses, checks and stores; on false the block is unchanged and *why holds
// settingsRefusal's reason.
bool setSettingsValue(const SSettingsKey& key, CSettings& s, std::string_view text,
                      std::string* why = nullptr);

// Whether every field holds a value its record can carry; *why gets the
// reason for the first that does not.
bool checkSettingsRanges(const CSettings& s, std::string* why = nullptr);

// When the key's value is one the settings view's list has no entry for
// (which shows the list on its previous entry): "m_switchRPM=450: not on the
// settings view's list (500 to 5000 in steps of 100)", translated. Empty
// otherwise, and for keys without a list.
std::string settingsListWarning(const SSettingsKey& key, const CSettings& s);
// What the fitter is warned of before a value is written: the list warning,
// or for an installation text, bytes that are no UTF-8 (a file from an editor
// in another character set), which go to the controller as they are.
// "m_devInfo.m_engine=\xB3\xF3dz: not UTF-8 text; ...", translated.
std::string settingsValueWarning(const SSettingsKey& key, const CSettings& s);
// Every such warning of a block, in file order.
std::vector<std::string> settingsValueWarnings(const CSettings& s);
