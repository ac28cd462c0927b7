// A controller's settings history: the settings files kept in its folder
// (CUserConfig::historyDirectory) before each operation that replaced them,
// named by local date and time and the operation, so that every replacement
// has its way back.
//   2024-05-01_14-03-22_load.ssf, and 2024-05-01_14-03-22_load_2.ssf for a
//   second one in the same second.
// Thread safety: no shared state; two writers to one folder at the same
// second may pick the same name, which one controller's port never allows.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "data/CSettings.h"
#include "data/SettingsCompare.h"

// What replaced the settings a backup was made for.
enum class EReplaceOperation {
    Set,             // fields changed from the command line
    Load,            // a settings file loaded
    Defaults,        // the factory settings
    Restore,         // a backup restored
    Autocalibration, // the first correction autocalibration writes
    MapTable,        // a correction table made while driving
};

// The word in the file name: "set", "load", "defaults", "restore",
// "autocalibrate", "map".
std::string_view operationId(EReplaceOperation op);
// What the fitter reads for it; an id this version does not know as it stands.
std::string operationText(std::string_view id);

struct SBackupFile {
    std::string path;
    std::string name;
    std::string operation; // the id in its name
    std::string time;      // "2024-05-01 14:03:22", the local time in its name
    int sequence = 1;      // 2, 3, ... for further backups of the same second
};

// The name's parts; false for a file that is no backup.
bool parseBackupName(std::string_view name, SBackupFile& file);
// The backups in the folder, newest first; other files are left out. A
// missing folder holds none.
std::vector<SBackupFile> listBackups(const std::string& directory);

// Saves s, stamped with `when`, as a new backup in the folder (created with
// its parents when missing), atomically: a backup is either whole or not
// there. On failure *error holds the translated reason with the path.
bool writeBackup(const std::string& directory, const CSettings& s, EReplaceOperation op,
                 std::time_t when, std::string& path, std::string& error);

struct SHistoryEntry {
    SBackupFile file;
    bool readable = false;
    std::string error; // why it cannot be read, translated
    CSettings settings;
    // The backup (a) against the settings now (b).
    std::vector<SSettingsDifference> differences;
};

// Every backup in the folder, newest first, read and compared with now.
std::vector<SHistoryEntry> readHistory(const std::string& directory, const CSettings& now);
