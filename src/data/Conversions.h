// Units of the controller's records: tick time, engine-speed factor, the
// temperature table, pressure and voltage codes, and the rounding rules the
// views and the record conversions share.
// Thread safety: pure functions and constants; callable from any thread.
#pragma once

#include <array>
#include <cstdint>

// Injection times travel in ticks of 0.025 ms and engine speed as a period
// word, rpm = RPM_FACTOR / period. Both follow from the controller's 40 kHz
// clock, which the link forces, so they never change at run time.
constexpr double TICK_TIME_MS = 0.025;
constexpr double RPM_FACTOR = 4800000.0;

// Temperature in °C of each raw sensor byte; falls from 209 at 0 to -36 at 255.
extern const std::array<int, 256> TEMPERATURE_TABLE;

int temperatureFromRaw(std::uint8_t raw);
// The first code whose temperature is not above the given one, 0 when none.
std::uint8_t rawFromTemperature(double celsius);

double byteToVolts(double raw);
double wordToVolts(double raw);
double supplyVolts(double volts);
double voltsToRaw(double volts);
// Pressure in kPa of a sensor byte, never negative.
double pressureFromRaw(double raw);
double pressureToRaw(double kpa);
double supplyFromRaw(double raw);

// Engine speed of a period word; 0 for a period of 0 (no signal).
double rpmFromPeriod(double period);
// What the displays show: speeds below 100 rpm read as a stopped engine.
double displayRpm(double rpm);

double roundWhole(double x); // halves away from zero
double roundOne(double x);   // to one decimal, halves away from zero
double roundTwo(double x);   // to two decimals, halves away from zero
// The nearest multiple of the tick time, kept to three decimals.
double tickGrid(double ms);
// Whole-number part of a value that is meant to be whole already: a product
// such as 5.6 × 10 can land just below 56 in binary and must not become 55.
double cutToWhole(double x);
