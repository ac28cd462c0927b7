// The car behind the virtual controller: engine speed and load from a
// scenario, warm-up, the engine computer's closed-loop trim of its petrol
// times, the gas injectors' real behaviour, and the controller's own fuel
// switching. Produces the controller's live-data record.
// Thread safety: none; the owner serialises calls.
#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "SEmuState.h"

class CEmuEngine {
public:
    explicit CEmuEngine(std::uint32_t seed = 1);

    void reseed(std::uint32_t seed);

    // Runs the car and the mode logic up to `nowUs` (monotonic microseconds).
    void advance(SEmuState& s, std::int64_t nowUs);

    // A work-mode command: 1 auto, 2 petrol, 3 LPG.
    void setWorkMode(SEmuState& s, std::uint8_t mode);

    // The live-data record at the last advance, as sent (16-bit fields big-endian).
    std::array<std::uint8_t, 76> diagRecord(const SEmuState& s);

    // Observations for tests and traces.
    double rpm() const { return m_rpm; }
    double manifoldKpa() const { return m_manifoldKpa; }
    double basePetrolMs() const { return m_baseMs; }
    double trim() const { return m_trim; }
    double mixtureError() const { return m_mixtureError; }
    double reducerC() const { return m_reducerC; }
    void setReducerC(double c)
    {
        m_reducerC = c;
        m_started = true;
    }
    double gasPressureKpa(const SEmuState& s) const;

private:
    void step(SEmuState& s, double dtSec);
    void updateScenario(const SEmuState& s);
    double lpgTimeMs(const SEmuState& s, int channel, double petrolMs) const;
    double deliveredMs(const SEmuState& s, int channel, double petrolMs) const;
    double meanDelivered(const SEmuState& s, double petrolMs) const;
    double targetTrim(const SEmuState& s) const;
    void modeLogic(SEmuState& s);
    void driverSwitch(SEmuState& s);

    std::mt19937 m_rng;
    bool m_started = false;
    // Real time of the last advance; the car's own clock is m_runSec.
    std::int64_t m_nowUs = 0;
    double m_runSec = 0;

    double m_rpm = 0;
    double m_manifoldKpa = 101;
    double m_baseMs = 0;
    double m_trim = 1.0;
    double m_mixtureError = 0;
    double m_reducerC = 20;
    double m_lpgC = 20;
    double m_lambdaPhase = 0;

    bool m_armed = false;
    double m_armedAt = 0;
    bool m_fellBack = false;
    std::int64_t m_gasUs = 0;
    std::int64_t m_lpgUs = 0;
    double m_switchEvery = 0;
    std::int64_t m_switchesDone = 0;
};
