#include "data/FuelLevelLamps.h"

#include "data/DiagRecord.h"

namespace {

// A work mode the controller reports without saying what it means to it;
// its switch shows a running light then.
constexpr std::uint8_t WORK_RUNNING_LIGHT = 4;

} // namespace

EFuelLampPicture fuelLampPicture(std::uint8_t workMode, std::uint8_t fuel)
{
    if (workMode == WORK_PETROL)
        return EFuelLampPicture::Off;
    if (workMode == WORK_AUTO && fuel == FUEL_PETROL)
        return EFuelLampPicture::BlinkAll;
    if (workMode == WORK_RUNNING_LIGHT)
        return EFuelLampPicture::RunningLight;
    return EFuelLampPicture::Level;
}

int fuelLevelLampCount(const SFuelThresholds& t, int reading)
{
    const bool falling = t[3] < t[0];
    // Threshold i separates band i (below) from band i + 1 (above).
    for (int i = FUEL_LAMPS - 1; i >= 0; --i) {
        const bool beyond = falling ? reading < t[i] : reading > t[i];
        if (beyond)
            return i + 1;
    }
    return 0;
}

SFuelLamps fuelLevelLamps(const SFuelThresholds& t, int reading, bool blink)
{
    const int lit = fuelLevelLampCount(t, reading);
    SFuelLamps lamps{};
    if (lit == 0) {
        lamps[FUEL_LAMPS - 1] = blink;
        return lamps;
    }
    for (int i = FUEL_LAMPS - lit; i < FUEL_LAMPS; ++i)
        lamps[i] = true;
    return lamps;
}

SFuelLamps CFuelLampDriver::refresh(std::uint8_t workMode, std::uint8_t fuel,
                                    const SFuelThresholds& t, int reading)
{
    SFuelLamps lamps{};
    switch (fuelLampPicture(workMode, fuel)) {
    case EFuelLampPicture::Off:
        break;
    case EFuelLampPicture::BlinkAll:
        m_blinkAll = !m_blinkAll;
        lamps.fill(m_blinkAll);
        break;
    case EFuelLampPicture::RunningLight:
        lamps[m_running] = true;
        if (m_running + m_step < 0 || m_running + m_step >= FUEL_LAMPS)
            m_step = -m_step;
        m_running += m_step;
        break;
    case EFuelLampPicture::Level:
        if (fuelLevelLampCount(t, reading) == 0)
            m_blinkReserve = !m_blinkReserve;
        lamps = fuelLevelLamps(t, reading, m_blinkReserve);
        break;
    }
    return lamps;
}
