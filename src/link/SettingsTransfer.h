// The main menu's three whole-block commands without their windows: save the
// controller's settings to a settings file, load a file into the controller,
// restore the factory settings. Questions and file choice stay with the caller.
// Whatever replaces the controller's settings goes through replaceSettings,
// which first keeps what the controller held in its history: nothing is
// replaced without its way back.
// Thread safety: the thread that drives the controller object.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "data/SettingsChange.h"
#include "data/SettingsHistory.h"

class CGasDevice;

enum class ETransferResult {
    Done,
    NotLinked,    // no controller (nor demonstration mode) to write to
    FileRefused,  // the file could not be written, read or was not a settings file
    PetrolFailed, // the switch to petrol that must come first failed
    WriteFailed,  // a record was refused after its retries
    ResetFailed,  // everything written, but the reset failed
    BackupFailed, // what the controller held could not be kept; nothing was written
};

struct STransferOutcome {
    ETransferResult result = ETransferResult::Done;
    // Translated, for the user; empty on success.
    std::string message;
    // Values written although the settings view has no list entry for them.
    std::vector<std::string> warnings;

    bool ok() const { return result == ETransferResult::Done; }
};

// How far a plan got, for telling the fitter what the controller holds when
// it ended early: a record refused, or the link lost under a write, which
// throws past the outcome (so the caller keeps this to read afterwards).
struct STransferProgress {
    SSettingsPlan planned;   // what was to be done
    SSettingsPlan confirmed; // what the controller took (petrolFirst: it is on petrol)
    // A record or the reset went out: the controller may hold new values.
    bool sending = false;
};

// "written to the controller: settings; not confirmed: correction table,
// installation data, reset; the controller may hold only part of the new
// settings", or "nothing was written to the controller"; translated.
std::string transferProgressText(const STransferProgress& progress);

// Stamps the block with `now` and writes every key. The controller is not
// asked; the block is what was last read from it.
STransferOutcome saveSettingsToFile(CGasDevice& device, const std::string& path, std::time_t now);

// Reads the file into a copy first, under the waiting window "Wczytywanie
// ustawień z pliku", so a refused file changes nothing; then
// takes its settings, table and installation data (the controller's own
// identity, flags and counters stay), writes them and resets the controller.
// A backup restored is loaded the same way, as EReplaceOperation::Restore.
STransferOutcome loadSettingsIntoDevice(CGasDevice& device, const std::string& path,
                                        EReplaceOperation op = EReplaceOperation::Load,
                                        std::string* backupPath = nullptr,
                                        STransferProgress* progress = nullptr);

// A freshly built settings block with the controller's device information,
// written and followed by the reset, as after a load.
STransferOutcome restoreFactorySettings(CGasDevice& device, std::string* backupPath = nullptr,
                                        STransferProgress* progress = nullptr);

// Reads the settings, setup table and installation data the controller holds
// now and keeps them as a backup in its history folder, before op replaces
// them; the block the controller object holds stays as it was. Demonstration
// mode keeps nothing. BackupFailed, with the reason, when the controller
// cannot be read or the backup not written: the caller must then not write.
// *backupPath gets the file written (left alone when none).
STransferOutcome backUpSettings(CGasDevice& device, EReplaceOperation op,
                                std::string* backupPath = nullptr);

// Every operation that replaces the controller's settings: the backup first,
// then `wanted` taken into the block and written as the plan says (petrol
// first, the records it names, the reset last). A plan that writes nothing
// needs no backup. When the backup fails, block and controller stay as they were.
// *progress, when given, follows the plan step by step.
STransferOutcome replaceSettings(CGasDevice& device, const CSettings& wanted,
                                 const SSettingsPlan& plan, EReplaceOperation op,
                                 std::string* backupPath = nullptr,
                                 STransferProgress* progress = nullptr);

// The plan that writes the whole block: settings record, setup table,
// installation data and the reset that makes the controller take them up.
SSettingsPlan wholeBlockPlan();

// Carries out a plan for the block the controller object now holds, with no
// backup: for the settings view's single edits, each of which the fitter
// makes and sees. Stops at the first failure; the block keeps the new values
// either way.
STransferOutcome applySettingsPlan(CGasDevice& device, const SSettingsPlan& plan,
                                   STransferProgress* progress = nullptr);
