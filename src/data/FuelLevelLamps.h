// The four lamps of the car's fuel-level switch as the fuel-sensor view
// copies them from the live records: the level picture from the raw reading
// and the thresholds, and the pictures the work mode forces (all off, all
// blinking, a running light).
// Thread safety: the free functions are pure; a CFuelLampDriver belongs to
// one thread.
#pragma once

#include <array>
#include <cstdint>

#include "data/FuelSensorCheck.h"

constexpr int FUEL_LAMPS = 4;

// Lamp 0 is the top one (full tank), lamp 3 the bottom one.
using SFuelLamps = std::array<bool, FUEL_LAMPS>;

enum class EFuelLampPicture { Off, BlinkAll, RunningLight, Level };

// Petrol mode darkens the switch, automatic mode still on petrol blinks it,
// work mode 4 runs a light; anything else shows the level.
EFuelLampPicture fuelLampPicture(std::uint8_t workMode, std::uint8_t fuel);

// Lamps lit from the bottom up for the reading: 4 for a full tank down to
// 1 for the last quarter, 0 for the reserve. Thresholds count as falling
// when threshold 3 is below threshold 0, as rising otherwise; a reading
// beyond a threshold lights the band above it.
int fuelLevelLampCount(const SFuelThresholds& t, int reading);

// The level picture; in the reserve only lamp 3 is on, and only while
// `blink` is.
SFuelLamps fuelLevelLamps(const SFuelThresholds& t, int reading, bool blink);

// What each refresh of the copy shows. The blink values invert on every
// refresh that uses them; the running light moves one lamp per refresh and
// turns round at lamps 0 and 3.
class CFuelLampDriver {
public:
    SFuelLamps refresh(std::uint8_t workMode, std::uint8_t fuel, const SFuelThresholds& t,
                       int reading);

private:
    bool m_blinkAll = false;
    bool m_blinkReserve = false;
    int m_running = 0;
    int m_step = 1;
};
