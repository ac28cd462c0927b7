// The main menu's three whole-block commands without their windows: save the
// controller's settings to a settings file, load a file into the controller,
// restore the factory settings. Questions and file choice stay with the caller.
// Thread safety: the thread that drives the controller object.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "data/SettingsChange.h"

class CGasDevice;

enum class ETransferResult {
    Done,
    NotLinked,    // no controller (nor demonstration mode) to write to
    FileRefused,  // the file could not be written, read or was not a settings file
    PetrolFailed, // the switch to petrol that must come first failed
    WriteFailed,  // a record was refused after its retries
    ResetFailed,  // everything written, but the reset failed
};

struct STransferOutcome {
    ETransferResult result = ETransferResult::Done;
    // Translated, for the user; empty on success.
    std::string message;
    // Values written although the settings view has no list entry for them.
    std::vector<std::string> warnings;

    bool ok() const { return result == ETransferResult::Done; }
};

// Stamps the block with `now` and writes every key. The controller is not
// asked; the block is what was last read from it.
STransferOutcome saveSettingsToFile(CGasDevice& device, const std::string& path, std::time_t now);

// Reads the file into a copy first, under the waiting window "Wczytywanie
// ustawień z pliku", so a refused file changes nothing; then
// takes its settings, table and installation data (the controller's own
// identity, flags and counters stay), writes them and resets the controller.
STransferOutcome loadSettingsIntoDevice(CGasDevice& device, const std::string& path);

// A freshly built settings block with the controller's device information,
// written and followed by the reset, as after a load.
STransferOutcome restoreFactorySettings(CGasDevice& device);

// Settings record, setup table, installation data, then the reset that makes
// the controller take them up. Stops at the first failure.
STransferOutcome writeWholeBlock(CGasDevice& device);

// Carries out a plan for the block the controller object now holds: petrol
// first, the records it names, the reset last. Stops at the first failure;
// the block keeps the new values either way.
STransferOutcome applySettingsPlan(CGasDevice& device, const SSettingsPlan& plan);
