// The fuel-level sensor's four thresholds as the fitter enters them: the
// check before anything is written, the sensor types that preset them, and
// the controller record order (threshold 3 first).
// Thread safety: pure functions over constant tables; callable from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Thresholds 0 to 3, in the order the fitter reads them off the sensor.
using SFuelThresholds = std::array<std::uint8_t, 4>;

struct SFuelSensorType {
    const char* name; // Polish, the dictionary key
    bool preset;      // false for "Inny": the fitter enters the values
    SFuelThresholds thresholds;
};

// The types in the order the fuel-sensor view lists them; "Inny" last.
const std::vector<SFuelSensorType>& fuelSensorTypes();
// The first type whose thresholds equal these, else "Inny".
const SFuelSensorType& matchFuelSensorType(const SFuelThresholds& t);
// By its Polish or its current-language name; nullptr when unknown.
const SFuelSensorType* findFuelSensorType(std::string_view name);

// Strictly rising or strictly falling. On false, *message gets the two
// translated lines the fitter is shown ("...\n...").
bool checkFuelThresholds(const SFuelThresholds& t, std::string* message = nullptr);

// Reads "T0,T1,T2,T3": four whole numbers from 0 to 255. False (t unchanged)
// for anything else.
bool parseFuelThresholds(std::string_view text, SFuelThresholds& t);

// The controller keeps threshold 3 in its first byte: what readFuelSensor
// returns and writeFuelSensor takes.
std::array<std::uint8_t, 4> fuelRecordOrder(const SFuelThresholds& t);
SFuelThresholds fuelThresholdsOf(const std::uint8_t* record);
