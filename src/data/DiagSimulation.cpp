#include "data/DiagSimulation.h"

#include <cmath>
#include <mutex>

#include "data/Conversions.h"
#include "msglib/Sleep.h"

namespace {

struct SSimState {
    std::uint8_t workMode = WORK_PETROL;
    std::uint8_t fuel = FUEL_PETROL;
    double basePetrol = 123.0; // ticks
    int lambda = 1;
    int lambdaStep = 1;
    int period = 2000;
    int periodStep = 1;
    double gasPressure = 110.0; // raw
    double gasStep = 0.5;
    double manifold = 50.0; // raw
    double manifoldStep = 0.1;
};

std::mutex g_simMutex;
SSimState g_sim;

// Offsets of the eight petrol times from the base, so the bars differ a little.
constexpr int kChannelOffset[DIAG_CHANNELS] = {1, -1, -1, 1, 1, -2, -1, 1};
constexpr std::uint16_t kSimCorrection = 80;
constexpr std::uint8_t kSimFuelLevel = 135;

} // namespace

void nextSimulatedRecord(diag_t& rec)
{
    std::lock_guard<std::mutex> lock(g_simMutex);
    SSimState& s = g_sim;

    rec = diag_t{};
    rec.workMode = s.workMode;
    rec.fuel = s.fuel;
    rec.gasPressure = static_cast<std::uint8_t>(s.gasPressure);
    rec.manifoldPressure = static_cast<std::uint8_t>(s.manifold);
    rec.lpgTemp = rawFromTemperature(50);
    rec.reducerTemp = rawFromTemperature(70);
    rec.temp3 = rawFromTemperature(45);
    rec.supply = static_cast<std::uint8_t>(voltsToRaw(14.4 / 6.0));
    rec.lambda = static_cast<std::uint8_t>(s.lambda);
    rec.fuelLevel = kSimFuelLevel;
    rec.enginePeriod = static_cast<std::uint16_t>(s.period);
    for (std::size_t i = 0; i < DIAG_CHANNELS; ++i) {
        rec.channels[i].petrolA = static_cast<std::uint16_t>(s.basePetrol + kChannelOffset[i]);
        rec.channels[i].corrA = kSimCorrection;
    }

    if (s.lambda >= 50) {
        s.lambdaStep = -1;
    } else if (s.lambda <= 0) {
        s.lambdaStep = 1;
    }
    if (s.period >= 5100) {
        s.periodStep = -1;
    } else if (s.period <= 5000) {
        s.periodStep = 1;
    }
    if (s.gasPressure >= 115) {
        s.gasStep = -0.5;
    } else if (s.gasPressure <= 105) {
        s.gasStep = 0.5;
    }
    if (s.manifold >= 100) {
        s.manifoldStep = -0.1;
    } else if (s.manifold <= 20) {
        s.manifoldStep = 0.1;
    }

    // Less vacuum, longer petrol times; on gas the engine computer leans out.
    s.basePetrol = (pressureToRaw(101) - s.manifold) * 6.0;
    if (s.fuel == FUEL_LPG) {
        s.basePetrol = roundWhole(s.basePetrol - s.basePetrol / 10.0);
    }

    s.period += s.periodStep;
    s.gasPressure += s.gasStep;
    s.lambda += s.lambdaStep;
    s.manifold += s.manifoldStep;
}

int simulateRecord(diag_t& rec)
{
    nextSimulatedRecord(rec);
    sleepMs(50);
    return 0;
}

void setSimulatedMode(std::uint8_t workMode, std::uint8_t fuel)
{
    std::lock_guard<std::mutex> lock(g_simMutex);
    g_sim.workMode = workMode;
    g_sim.fuel = fuel;
}

void resetSimulation()
{
    std::lock_guard<std::mutex> lock(g_simMutex);
    g_sim = SSimState{};
}
