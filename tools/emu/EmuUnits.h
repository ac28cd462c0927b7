// The controller's sensor codes and their physical values.
// Thread safety: pure functions.
#pragma once

#include <cstdint>

// Temperature of a sensor code, °C (the thermistor table: 209 °C at 0 down to
// -36 °C at 255).
int emuTemperatureOf(std::uint8_t code);
// The code a temperature reads as: the first code at or below it.
std::uint8_t emuTemperatureCode(double celsius);
// Pressure sensor: kPa of a code, clamped at 0, and the code of a pressure.
double emuPressureOf(std::uint8_t code);
std::uint8_t emuPressureCode(double kpa);
// Volts on a 5 V, 8-bit input.
std::uint8_t emuVoltsCode(double volts);
