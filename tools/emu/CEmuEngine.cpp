#include "CEmuEngine.h"

#include <algorithm>
#include <cmath>

#include "EmuUnits.h"
#include "EmuWire.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// The engine computer's trim authority and how fast its lambda loop settles.
constexpr double kTrimLimit = 0.25;
constexpr double kTrimTauSec = 0.3;
// Mixture within this fraction of stoichiometric keeps the probe switching.
constexpr double kLambdaWindow = 0.02;
constexpr double kLambdaPeriodSec = 1.0;
constexpr double kReducerHotC = 75;
constexpr double kReducerTauSec = 90;
constexpr double kCoolTauSec = 600;
constexpr double kDrivePeriodSec = 20;
constexpr double kInternalC = 35;
// Cylinder-to-cylinder spread of the petrol injectors, ticks.
constexpr int kCylinderSpread[8] = {1, -1, -1, 1, 1, -2, -1, 1};
constexpr int kJitterTicks = 2;
constexpr std::int64_t kHalfSecondUs = 500000;

double settingsMs(std::uint8_t ticks)
{
    return ticks * emu::TICK_MS;
}

} // namespace

CEmuEngine::CEmuEngine(std::uint32_t seed) : m_rng(seed) {}

void CEmuEngine::reseed(std::uint32_t seed)
{
    m_rng.seed(seed);
}

double CEmuEngine::gasPressureKpa(const SEmuState& s) const
{
    if (s.m_car.m_gasPressureKpa >= 0)
        return s.m_car.m_gasPressureKpa;
    return emuPressureOf(s.m_settings[6]);
}

void CEmuEngine::updateScenario(const SEmuState& s)
{
    const SEmuCar& car = s.m_car;
    if (car.m_rpm <= 0) {
        m_rpm = 0;
        m_manifoldKpa = 101;
        m_baseMs = 0;
        return;
    }
    switch (car.m_scenario) {
    case EEmuScenario::Idle:
        m_rpm = car.m_rpm + 15 * std::sin(2 * kPi * m_runSec / 3.7);
        m_manifoldKpa = 33;
        break;
    case EEmuScenario::Steady:
        m_rpm = car.m_rpm;
        m_manifoldKpa = std::clamp(25 + car.m_rpm * 0.008, 20.0, 100.0);
        break;
    case EEmuScenario::Drive: {
        // A triangle so that every load band gets the same share of the drive.
        const double phase = std::fmod(m_runSec, kDrivePeriodSec) / kDrivePeriodSec;
        const double tri = phase < 0.5 ? phase * 2 : 2 - phase * 2;
        m_manifoldKpa = 20 + 80 * tri;
        m_rpm = 1500 + (m_manifoldKpa - 20) * 25;
        break;
    }
    }
    // Petrol time the engine computer's map asks for at this load.
    m_baseMs = std::max(0.8, 0.14 * m_manifoldKpa - 1.5);
}

double CEmuEngine::lpgTimeMs(const SEmuState& s, int channel, double petrolMs) const
{
    // Per-cent correction from the table, interpolated between the middles of
    // its 1 ms slots.
    const double x = std::clamp(petrolMs - 0.5, 0.0, 19.0);
    const int k = std::min(18, static_cast<int>(x));
    const double a = s.m_table[k] - 100.0;
    const double b = s.m_table[k + 1] - 100.0;
    const double pct = a + (b - a) * (x - k);
    const bool second = s.extendedSettings() && ((s.m_settings[21] >> channel) & 1);
    const double corr = settingsMs(second ? s.m_settings[20] : s.m_settings[5]);
    return petrolMs * (1 + pct / 100.0) + corr;
}

double CEmuEngine::deliveredMs(const SEmuState& s, int channel, double petrolMs) const
{
    if (!((s.m_injMask >> channel) & 1))
        return 0;
    const double open = std::max(0.0, lpgTimeMs(s, channel, petrolMs) - s.m_car.m_trueOffsetMs);
    const auto& curve = s.m_car.m_gain;
    double gain = 1.0;
    if (!curve.empty()) {
        if (open <= curve.front().m_timeMs) {
            gain = curve.front().m_gain;
        } else if (open >= curve.back().m_timeMs) {
            gain = curve.back().m_gain;
        } else {
            for (std::size_t i = 1; i < curve.size(); ++i) {
                if (open <= curve[i].m_timeMs) {
                    const auto& p = curve[i - 1];
                    const auto& q = curve[i];
                    const double span = q.m_timeMs - p.m_timeMs;
                    gain = span > 0 ? p.m_gain + (q.m_gain - p.m_gain) * (open - p.m_timeMs) / span
                                    : q.m_gain;
                    break;
                }
            }
        }
    }
    return open * gain;
}

double CEmuEngine::meanDelivered(const SEmuState& s, double petrolMs) const
{
    const int n = std::min<int>(s.m_injCount, 8);
    if (n <= 0)
        return petrolMs;
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += deliveredMs(s, i, petrolMs);
    return sum / n;
}

double CEmuEngine::targetTrim(const SEmuState& s) const
{
    if (s.m_fuel != 3 || m_baseMs <= 0)
        return 1.0;
    // The engine computer lengthens or shortens its time until the gas
    // delivered matches what its map wanted, as far as its authority goes.
    double lo = 1 - kTrimLimit;
    double hi = 1 + kTrimLimit;
    if (meanDelivered(s, lo * m_baseMs) >= m_baseMs)
        return lo;
    if (meanDelivered(s, hi * m_baseMs) <= m_baseMs)
        return hi;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (meanDelivered(s, mid * m_baseMs) < m_baseMs ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

void CEmuEngine::setWorkMode(SEmuState& s, std::uint8_t mode)
{
    s.m_workMode = mode;
    m_armed = false;
    m_fellBack = false;
    if (mode == 2)
        s.m_fuel = 2;
    modeLogic(s);
}

void CEmuEngine::modeLogic(SEmuState& s)
{
    const bool running = m_rpm > 0;
    const double switchPressure = emuPressureOf(s.m_settings[8]);
    const bool pressureLow = gasPressureKpa(s) < switchPressure;
    if (s.m_fuel == 3 && (!running || pressureLow)) {
        // Losing gas pressure (or the engine) drops the car back to petrol.
        s.m_fuel = 2;
        m_armed = false;
        m_fellBack = true;
    }
    switch (s.m_workMode) {
    case 3:
        if (s.m_fuel == 2 && !m_fellBack && running)
            s.m_fuel = 3;
        break;
    case 1: {
        if (s.m_fuel == 3 || !running)
            break;
        const unsigned period = emu::getBe16(s.m_settings.data());
        const double switchRpm = period ? emu::RPM_FACTOR / period : 0;
        const double switchC = emuTemperatureOf(s.m_settings[3]);
        if (!m_armed && m_reducerC >= switchC && m_rpm >= switchRpm) {
            m_armed = true;
            m_armedAt = m_runSec;
        }
        if (m_armed && m_runSec - m_armedAt >= s.m_settings[4] * 0.5 && !pressureLow)
            s.m_fuel = 3;
        break;
    }
    default:
        s.m_fuel = 2;
        break;
    }
}

void CEmuEngine::driverSwitch(SEmuState& s)
{
    const double every = s.m_car.m_fuelSwitchSec;
    if (every <= 0) {
        m_switchEvery = 0;
        return;
    }
    const auto due = static_cast<std::int64_t>(m_runSec / every);
    if (every != m_switchEvery) {
        // A switch set (or changed) on a running car counts from now on, on
        // the same grid as the drive's sweep.
        m_switchEvery = every;
        m_switchesDone = due;
        return;
    }
    for (; m_switchesDone < due; ++m_switchesDone)
        setWorkMode(s, s.m_workMode == 3 ? 2 : 3);
}

void CEmuEngine::step(SEmuState& s, double dt)
{
    m_runSec += dt;
    updateScenario(s);
    const bool running = m_rpm > 0;
    const SEmuCar& car = s.m_car;

    const double hot = running ? kReducerHotC : car.m_ambientC;
    const double tau = running ? kReducerTauSec : kCoolTauSec;
    m_reducerC = hot - (hot - m_reducerC) * std::exp(-dt / tau);
    const double lpgTarget = car.m_ambientC + 0.4 * (m_reducerC - car.m_ambientC);
    m_lpgC = lpgTarget - (lpgTarget - m_lpgC) * std::exp(-dt / 60);

    driverSwitch(s);
    modeLogic(s);

    const double target = targetTrim(s);
    m_trim += (target - m_trim) * (1 - std::exp(-dt / kTrimTauSec));
    if (m_baseMs > 0) {
        m_mixtureError =
            s.m_fuel == 3 ? meanDelivered(s, m_trim * m_baseMs) / m_baseMs - 1 : m_trim - 1;
    } else {
        m_mixtureError = 0;
    }
    m_lambdaPhase = std::fmod(m_lambdaPhase + dt / kLambdaPeriodSec, 1.0);

    if (running) {
        std::int64_t& acc = s.m_fuel == 3 ? m_lpgUs : m_gasUs;
        std::uint32_t& counter = s.m_fuel == 3 ? s.m_lpgHalfSeconds : s.m_gasHalfSeconds;
        acc += static_cast<std::int64_t>(dt * 1e6);
        while (acc >= kHalfSecondUs) {
            acc -= kHalfSecondUs;
            ++counter;
        }
    }
}

void CEmuEngine::advance(SEmuState& s, std::int64_t nowUs)
{
    if (!m_started) {
        m_started = true;
        m_reducerC = s.m_car.m_reducerStartC;
        m_lpgC = s.m_car.m_ambientC;
        m_nowUs = nowUs;
        updateScenario(s);
        m_trim = targetTrim(s);
        modeLogic(s);
        return;
    }
    std::int64_t carUs = 0;
    if (s.m_car.m_clockStepMs > 0) {
        carUs = std::llround(s.m_car.m_clockStepMs * 1000);
    } else if (nowUs > m_nowUs) {
        carUs = std::llround((nowUs - m_nowUs) * std::max(0.0, s.m_car.m_timeScale));
    }
    m_nowUs = nowUs;
    // Small steps of the car's clock keep the warm-up, the trim and the
    // switch delay honest however irregularly the host asks.
    constexpr std::int64_t kStepUs = 50000;
    for (; carUs >= kStepUs; carUs -= kStepUs)
        step(s, kStepUs / 1e6);
    if (carUs > 0)
        step(s, carUs / 1e6);
}

std::array<std::uint8_t, 76> CEmuEngine::diagRecord(const SEmuState& s)
{
    std::array<std::uint8_t, 76> r{};
    const bool running = m_rpm > 0;
    r[0] = s.m_workMode;
    r[1] = s.m_fuel;
    r[2] = emuTemperatureCode(std::round(m_reducerC));
    r[3] = emuTemperatureCode(std::round(m_lpgC));
    r[4] = emuTemperatureCode(kInternalC);
    r[5] = emuVoltsCode((running ? 14.1 : 12.4) / 6.0);

    double lambda;
    if (!running)
        lambda = 0.45;
    else if (m_mixtureError > kLambdaWindow)
        lambda = 0.85;
    else if (m_mixtureError < -kLambdaWindow)
        lambda = 0.08;
    else
        lambda = m_lambdaPhase < 0.5 ? 0.75 : 0.15;
    r[6] = emuVoltsCode(lambda);

    std::uniform_real_distribution<double> noise(-0.8, 0.8);
    r[7] = emuPressureCode(gasPressureKpa(s) + noise(m_rng));
    r[8] = s.m_car.m_vacuumSensor ? emuPressureCode(m_manifoldKpa) : 0;
    r[9] = s.m_car.m_fuelLevelRaw;
    const long period = running ? std::lround(emu::RPM_FACTOR / m_rpm) : 65535;
    emu::putBe16(&r[10], static_cast<unsigned>(std::clamp(period, 1L, 65535L)));

    std::uniform_int_distribution<int> jitter(-kJitterTicks, kJitterTicks);
    const int n = std::min<int>(s.m_injCount, 8);
    for (int i = 0; i < 8; ++i) {
        // Draw for every channel so that the injector count never shifts the
        // random sequence of the others.
        const int j = jitter(m_rng);
        if (i >= n || !running)
            continue;
        const long ticks = std::lround(m_trim * m_baseMs / emu::TICK_MS) + kCylinderSpread[i] + j;
        const long petrol = std::clamp(ticks, 0L, 60000L);
        const double lpg = lpgTimeMs(s, i, petrol * emu::TICK_MS);
        long corr = std::lround(lpg / emu::TICK_MS) - petrol;
        corr = std::clamp(corr, -5000L, 60000L);
        // Negative corrections travel as 65535 + value.
        const long word = corr >= 0 ? corr : 65535 + corr;
        emu::putBe16(&r[12 + 8 * i], static_cast<unsigned>(petrol));
        emu::putBe16(&r[14 + 8 * i], static_cast<unsigned>(word));
    }
    return r;
}
