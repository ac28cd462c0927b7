// The controller's live-data sample, exactly as it arrives in a diagnostic
// reply (16-bit fields already in host order), and what it means per channel.
// Thread safety: plain data and pure functions.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t DIAG_RECORD_SIZE = 76;
constexpr std::size_t DIAG_CHANNELS = 8;

// Fuel in use as the controller reports it. Codes 4 and 5 are LPG variants
// that no view tells apart from 3.
constexpr std::uint8_t FUEL_PETROL = 2;
constexpr std::uint8_t FUEL_LPG = 3;
constexpr std::uint8_t FUEL_LPG_4 = 4;
constexpr std::uint8_t FUEL_LPG_5 = 5;

constexpr bool isLpgFuel(std::uint8_t fuel)
{
    return fuel == FUEL_LPG || fuel == FUEL_LPG_4 || fuel == FUEL_LPG_5;
}
// The code as the views see it: every LPG variant as FUEL_LPG.
constexpr std::uint8_t viewedFuel(std::uint8_t fuel)
{
    return isLpgFuel(fuel) ? FUEL_LPG : fuel;
}
// Work mode selected in the controller.
constexpr std::uint8_t WORK_AUTO = 1;
constexpr std::uint8_t WORK_PETROL = 2;
constexpr std::uint8_t WORK_LPG = 3;

// Two (petrol time, LPG correction) pairs per injector channel, in ticks.
struct SDiagChannel {
    std::uint16_t petrolA;
    std::uint16_t corrA;
    std::uint16_t petrolB;
    std::uint16_t corrB;
};

struct diag_t {
    std::uint8_t workMode;
    std::uint8_t fuel;
    std::uint8_t reducerTemp; // raw; °C through the temperature table
    std::uint8_t lpgTemp;
    std::uint8_t temp3;
    std::uint8_t supply;      // raw; volts through supplyFromRaw
    std::uint8_t lambda;      // raw; volts through byteToVolts
    std::uint8_t gasPressure; // raw; kPa through pressureFromRaw
    std::uint8_t manifoldPressure;
    std::uint8_t fuelLevel; // raw, used unconverted
    std::uint16_t enginePeriod;
    SDiagChannel channels[DIAG_CHANNELS];
};

static_assert(sizeof(diag_t) == DIAG_RECORD_SIZE, "the record is copied byte for byte");
static_assert(offsetof(diag_t, enginePeriod) == 10);
static_assert(offsetof(diag_t, channels) == 12);

// Petrol time in ms of a raw tick count.
double petrolTimeMs(std::uint16_t raw);
// LPG correction in ms: words above 60000 are negative, counted from 65535.
double correctionMs(std::uint16_t raw);

// A channel's petrol time is the larger of its two (A on a tie) and its LPG
// time is built on the correction of the same pair.
struct SChannelTimes {
    double petrolMs;
    double lpgMs;
};
SChannelTimes channelTimes(const SDiagChannel& channel);

// Engine speed in rpm; 0 without an ignition signal.
double recordRpm(const diag_t& rec);

// A record from the first len payload bytes (at most 76) of a diagnostic
// reply already in host order; the rest stays zero.
diag_t diagFromPayload(const std::uint8_t* payload, std::size_t len);
