// Saving and loading a whole settings block as a settings file (.ssf).
// Thread safety: no shared state; one call per block at a time.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "data/CSettings.h"

// Writes every key in file order. The target is replaced only when the whole
// file has been written and closed; otherwise it stays as it was. On failure
// *error gets the translated save message and the reason.
bool saveSettingsFile(const std::string& path, const CSettings& s, std::string* error = nullptr);

// Reads every key; a missing key, a key given twice with different values,
// a value that is not a complete number or one its record cannot carry fails
// the load and leaves s unchanged. On
// failure *error gets the translated load message and the reason, naming key,
// value and what would be accepted. Values the settings view has no list
// entry for load, and each is named in *warnings, as are installation texts
// that are no UTF-8.
bool loadSettingsFile(const std::string& path, CSettings& s, std::string* error = nullptr,
                      std::vector<std::string>* warnings = nullptr);

// Copies what a settings file may change on a controller (settings, setup
// table, installation data, time stamp) and keeps the identity, flags and
// counters the connected controller reported.
void copyWritableSettings(const CSettings& from, CSettings& to);

// "%d-%m-%Y-%H:%M:%S" in local time: the time stamp a save writes.
std::string settingsTimeStamp(std::time_t when);
// "%d-%m-%Y" in local time: the file name a save proposes.
std::string settingsFileDate(std::time_t when);
