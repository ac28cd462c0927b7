#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "CEmuController.h"
#include "EmuTestFrames.h"

namespace {

// A host that polls live data at the line's pace, with the arithmetic of the
// calibration procedures written out from their description.
class CHost {
public:
    explicit CHost(CEmuController& c) : m_c(c) {}

    SParsedReply diag()
    {
        m_now += 66000;
        auto r = exchange(m_c, commandFrame(6), m_now);
        EXPECT_TRUE(r && r->m_type == 1);
        return *r;
    }
    void command(std::uint8_t code)
    {
        m_now += 500000;
        auto r = exchange(m_c, commandFrame(code), m_now);
        ASSERT_TRUE(r);
        ASSERT_EQ(r->m_payload[0], 4);
    }
    void writeSettings(const std::array<std::uint8_t, 22>& s)
    {
        m_now += 66000;
        auto r = exchange(m_c, requestFrame(12, {s.begin(), s.end()}), m_now);
        ASSERT_TRUE(r);
        ASSERT_EQ(r->m_payload[0], 4);
    }
    void writeTable(const std::array<std::uint8_t, 20>& t)
    {
        m_now += 66000;
        auto r = exchange(m_c, requestFrame(6, {t.begin(), t.end()}), m_now);
        ASSERT_TRUE(r);
    }
    std::array<std::uint8_t, 22> readSettings()
    {
        auto r = exchange(m_c, commandFrame(21), m_now);
        std::array<std::uint8_t, 22> s{};
        std::copy(r->m_payload.begin(), r->m_payload.end(), s.begin());
        return s;
    }
    void waitSamples(int n)
    {
        for (int i = 0; i < n; ++i)
            diag();
    }

    static double dec2(double x) { return std::round(x * 100) / 100; }
    static double grid(double x) { return std::round(std::round(x / 0.025) * 0.025 * 1000) / 1000; }
    static double kpa(std::uint8_t raw)
    {
        return std::max(0.0, (raw * 5.0 / 255 / 5 - 0.04) / 0.004);
    }
    static std::uint8_t pressureCode(double kpa)
    {
        return static_cast<std::uint8_t>(std::lround((kpa * 0.004 + 0.04) * 5 / (5.0 / 255)));
    }
    static double channelPetrol(const SParsedReply& r, int ch)
    {
        return std::max(dec2(0.025 * r.word(12 + 8 * ch)), dec2(0.025 * r.word(16 + 8 * ch)));
    }

    struct SAverage {
        double petrol = 0;
        double pressure = 0;
    };
    SAverage averageSamples(int channels)
    {
        double sum = 0, pressure = 0;
        int count = 0;
        for (int i = 0; i < 40; ++i) {
            const auto r = diag();
            for (int ch = 0; ch < channels; ++ch) {
                const double t = channelPetrol(r, ch);
                if (t > 0.2) {
                    sum += t;
                    ++count;
                }
            }
            pressure += kpa(r.m_payload[7]);
        }
        return {count ? sum / count : 0, pressure / 40};
    }

    // Autocalibration: returns the main correction it settles on, ms.
    double autocalibrate()
    {
        constexpr int N = 50;
        auto s = readSettings();
        const double k0 = grid(s[5] * 0.025);
        s[20] = s[5];
        s[21] = 0;
        writeSettings(s);
        command(2);
        waitSamples(N);
        command(1);
        waitSamples(N);
        const double p = averageSamples(4).pressure;
        s[6] = pressureCode(std::round(p));
        s[8] = pressureCode(std::round(0.6 * p));
        s[7] = 10;
        command(2);
        writeSettings(s);
        double k = k0;
        std::vector<double> d;
        for (int pass = 0; pass < 3; ++pass) {
            command(2);
            waitSamples(N);
            const double tp = averageSamples(4).petrol;
            command(1);
            waitSamples(N);
            const double tg = averageSamples(4).petrol;
            d.push_back(tg - tp);
            if (pass == 0) {
                k = std::clamp(grid(k0 + d[0]), 0.0, 6.0);
                s[5] = static_cast<std::uint8_t>(std::floor((k / 0.025 + 0.05) * 10) / 10);
                writeSettings(s);
            }
        }
        std::sort(d.begin(), d.end());
        const double ref = d[1];
        double kept = 0;
        int n = 0;
        for (double x : d) {
            if (ref == 0 || std::abs(std::trunc((ref - x) / ref)) < 10) {
                kept += x;
                ++n;
            }
        }
        k = std::clamp(grid(k + kept / n), 0.0, 6.0);
        s[5] = static_cast<std::uint8_t>(std::lround(k / 0.025));
        writeSettings(s);
        command(3);
        return k;
    }

    struct SBin {
        std::vector<double> samples;
        double mean() const
        {
            double sum = 0;
            for (double x : samples)
                sum += x;
            return samples.empty() ? 0 : sum / static_cast<double>(samples.size());
        }
        double banded() const
        {
            if (samples.size() <= 10)
                return 0;
            const double m = mean();
            double sum = 0;
            int n = 0;
            for (double x : samples)
                if (std::abs(x - m) <= 0.15 * m) {
                    sum += x;
                    ++n;
                }
            return n ? sum / n : 0;
        }
    };
    struct SMap {
        SBin petrol[50];
        SBin lpg[50];
    };

    // Drives for `seconds` on the given fuel, binning channel 0's petrol time
    // by manifold vacuum.
    void drive(SMap& map, std::uint8_t fuelCommand, double seconds)
    {
        command(fuelCommand);
        waitSamples(30);
        const int n = static_cast<int>(seconds / 0.066);
        for (int i = 0; i < n; ++i) {
            const auto r = diag();
            const double vacuum = 101 - kpa(r.m_payload[8]);
            const int b = static_cast<int>(std::trunc(vacuum)) / 2;
            if (b < 0 || b > 49)
                continue;
            const double t = std::round(r.word(12) * 0.025 * 10) / 10;
            if (t > 1.0)
                (r.m_payload[1] == 2 ? map.petrol : map.lpg)[b].samples.push_back(t);
        }
    }

    // Map computation: the per-cent corrections to add to the table.
    static std::array<double, 20> corrections(const SMap& map)
    {
        std::vector<double> slot[20];
        for (int b = 0; b < 50; ++b) {
            const double p = map.petrol[b].banded();
            const double l = map.lpg[b].banded();
            const double d = p > 0 && l > 0 ? (l - p) * 100 / p : 0;
            slot[std::clamp(static_cast<int>(std::floor(p)), 0, 19)].push_back(d);
        }
        std::array<double, 20> t{};
        for (int k = 0; k < 20; ++k) {
            double sum = 0;
            for (double x : slot[k])
                sum += x;
            t[k] = slot[k].empty() ? 0 : std::clamp(sum / slot[k].size(), -25.0, 25.0);
        }
        int first = 0, last = 19;
        for (int k = 1; k < 20; ++k)
            if (t[k] != 0 && t[k - 1] == 0) {
                first = k;
                break;
            }
        for (int k = 18; k >= 0; --k)
            if (t[k] != 0 && t[k + 1] == 0) {
                last = k;
                break;
            }
        for (int k = 0; k < 20; ++k)
            if (t[k] == 0)
                for (int j = k + 1; j < 20; ++j)
                    if (t[j] != 0) {
                        t[k] = t[j];
                        break;
                    }
        for (int k = 0; k < 20; ++k) {
            if (k < first)
                t[k] = t[first];
            if (k > last)
                t[k] = t[last];
        }
        std::array<double, 20> s = t;
        for (int k = 1; k < 19; ++k)
            s[k] = (t[k - 1] + t[k] + t[k + 1]) / 3;
        return s;
    }

    std::int64_t m_now = 0;

private:
    CEmuController& m_c;
};

} // namespace

TEST(EmuEngine, AutocalibrationFindsTheTrueInjectorOffset)
{
    // Offsets the engine computer can bridge from the 1.0 ms start (its trim
    // reaches 25 % of the 3.1 ms idle time).
    for (double offset : {0.4, 0.7, 1.3, 1.7}) {
        CEmuController c;
        c.state().m_car.m_trueOffsetMs = offset;
        c.state().m_car.m_reducerStartC = 60;
        CHost host(c);
        EXPECT_NEAR(host.autocalibrate(), offset, 0.05) << offset;
        EXPECT_EQ(c.state().m_workMode, 1);
        // The pressure reference came from the reducer's 100 kPa.
        EXPECT_NEAR(CHost::kpa(c.state().m_settings[6]), 100, 2);
    }
    // Beyond that reach the first pass stops at the trim limit and the
    // averaging of the later passes overshoots a little.
    CEmuController c;
    c.state().m_car.m_trueOffsetMs = 2.2;
    CHost host(c);
    EXPECT_NEAR(host.autocalibrate(), 2.2, 0.15);
}

TEST(EmuEngine, MapCreationFindsTheGainCurve)
{
    CEmuController c;
    auto& car = c.state().m_car;
    car.m_scenario = EEmuScenario::Drive;
    car.m_reducerStartC = 60;
    car.m_trueOffsetMs = 1.0; // matches the 1.0 ms main correction
    car.m_gain = {{2, 0.9}, {12, 1.1}};
    CHost host(c);
    CHost::SMap map;
    host.drive(map, 2, 150);
    host.drive(map, 1, 150);
    const auto s = CHost::corrections(map);

    // Where the injectors run short the table adds time, where they run
    // long it takes some away: 100 / gain - 100 at the slot's petrol time.
    for (int k = 2; k <= 10; ++k) {
        const double gain = 0.9 + 0.2 * (k + 0.5 - 2) / 10;
        EXPECT_NEAR(s[k], 100 / gain - 100, 2.0) << k;
    }
    std::array<std::uint8_t, 20> table{};
    for (int k = 0; k < 20; ++k)
        table[k] = static_cast<std::uint8_t>(100 + std::clamp(std::lround(s[k]), -25L, 25L));
    host.writeTable(table);

    // With the table in place the engine computer no longer needs to trim:
    // a second drive finds next to nothing left to correct.
    CHost::SMap again;
    host.drive(again, 2, 150);
    host.drive(again, 1, 150);
    const auto rest = CHost::corrections(again);
    for (int k = 2; k <= 10; ++k)
        EXPECT_NEAR(rest[k], 0, 1.5) << k;
}

TEST(EmuEngine, AutoModeSwitchesWhenWarmFastAndAfterTheDelay)
{
    CEmuController c;
    auto& s = c.state();
    s.m_car.m_scenario = EEmuScenario::Steady;
    s.m_car.m_rpm = 2500;
    s.m_car.m_reducerStartC = 20;
    CHost host(c);
    host.command(3);
    EXPECT_EQ(s.m_workMode, 1);
    // 20 °C to the 35 °C switch temperature takes about half a minute, then
    // the 30 s delay runs.
    auto at = [&](double sec) {
        host.m_now = static_cast<std::int64_t>(sec * 1e6) - 66000;
        return host.diag();
    };
    EXPECT_EQ(at(20).m_payload[1], 2);
    EXPECT_EQ(at(45).m_payload[1], 2);
    const auto gas = at(75);
    EXPECT_EQ(gas.m_payload[0], 1);
    EXPECT_EQ(gas.m_payload[1], 3);

    // Losing gas pressure below the switch pressure drops back to petrol.
    s.m_car.m_gasPressureKpa = 40;
    EXPECT_EQ(at(76).m_payload[1], 2);

    // Forced LPG switches at once, forced petrol too.
    s.m_car.m_gasPressureKpa = -1;
    host.command(1);
    EXPECT_EQ(host.diag().m_payload[1], 3);
    host.command(2);
    const auto petrol = host.diag();
    EXPECT_EQ(petrol.m_payload[0], 2);
    EXPECT_EQ(petrol.m_payload[1], 2);

    // Below the switch speed a warm engine stays on petrol in auto.
    s.m_car.m_rpm = 900;
    host.command(3);
    EXPECT_EQ(at(200).m_payload[1], 2);
}

TEST(EmuEngine, LiveDataFollowsTheCar)
{
    CEmuController c;
    auto& s = c.state();
    s.m_car.m_reducerStartC = 60;
    CHost host(c);
    auto first = host.diag();
    EXPECT_NEAR(4800000.0 / first.word(10), 800, 20);
    EXPECT_EQ(first.m_payload[5], 120); // 14.1 V
    EXPECT_NEAR(CHost::kpa(first.m_payload[8]), 33, 1);
    // Channels beyond the injector count stay empty.
    EXPECT_EQ(first.word(12 + 8 * 4), 0);

    // Work-time counters tick in half-seconds on the fuel in use.
    const auto gas0 = s.m_gasHalfSeconds;
    host.m_now += 10000000;
    host.diag();
    EXPECT_NEAR(static_cast<double>(s.m_gasHalfSeconds - gas0), 20, 1);

    // Right mixture: the probe swings around 0.45 V; far too lean a gas
    // setting beyond the engine computer's reach: it sticks lean.
    host.command(1);
    int high = 0, low = 0;
    for (int i = 0; i < 60; ++i) {
        const auto r = host.diag();
        (r.m_payload[6] > 23 ? high : low)++;
        // A negative correction travels as 65535 + value.
        EXPECT_LT(r.word(14), 1000);
    }
    EXPECT_GT(high, 10);
    EXPECT_GT(low, 10);
    s.m_car.m_trueOffsetMs = 3.5;
    host.waitSamples(30);
    for (int i = 0; i < 10; ++i)
        EXPECT_LT(host.diag().m_payload[6], 10);

    s.m_settings[5] = 0;
    s.m_table.fill(75); // -25 %
    s.m_car.m_trueOffsetMs = 1.0;
    const auto neg = host.diag();
    const unsigned word = neg.word(14);
    EXPECT_GT(word, 60000u);
}

TEST(EmuEngine, AFasterClockDrivesTheSameCarInLessTime)
{
    // The same seed, one car at 10 times the real pace: after 1 s of real
    // time it is where the other is after 10 s, top of the sweep included.
    CEmuController slow, fast;
    for (CEmuController* c : {&slow, &fast}) {
        c->state().m_car.m_scenario = EEmuScenario::Drive;
        c->state().m_car.m_reducerStartC = 60;
    }
    fast.state().m_car.m_timeScale = 10;
    CHost a(slow), b(fast);
    auto at = [](CHost& host, double sec) {
        host.m_now = static_cast<std::int64_t>(sec * 1e6) - 66000;
        return host.diag();
    };
    at(a, 0);
    at(b, 0);
    const auto gas0 = fast.state().m_gasHalfSeconds;
    for (double t : {0.3, 0.7, 1.0}) {
        const auto ra = at(a, 10 * t);
        const auto rb = at(b, t);
        EXPECT_EQ(ra.m_payload[8], rb.m_payload[8]) << t; // manifold pressure
        EXPECT_NEAR(ra.word(12), rb.word(12), 5) << t;    // petrol time, within the jitter
    }
    EXPECT_NEAR(CHost::kpa(at(b, 1.0).m_payload[8]), 100, 1.5);
    EXPECT_NEAR(static_cast<double>(fast.state().m_gasHalfSeconds - gas0), 20, 1);
}

TEST(EmuEngine, ARequestClockIgnoresTheRealTime)
{
    CEmuController c;
    c.state().m_car.m_scenario = EEmuScenario::Drive;
    c.state().m_car.m_clockStepMs = 20;
    CHost host(c);
    // 500 requests in no real time at all are 10 s of driving: the top of the sweep.
    for (int i = 0; i < 500; ++i)
        exchange(c, commandFrame(6), 0);
    const auto top = exchange(c, commandFrame(6), 0);
    EXPECT_NEAR(CHost::kpa(top->m_payload[8]), 100, 1.5);
    // An hour's wait is one step like any other.
    const auto later = exchange(c, commandFrame(6), 3600000000LL);
    EXPECT_NEAR(CHost::kpa(later->m_payload[8]), 100, 1.5);

    // Without the extra vacuum sensor its byte reads 0, whatever the load.
    c.state().m_car.m_vacuumSensor = false;
    EXPECT_EQ(exchange(c, commandFrame(6), 0)->m_payload[8], 0);
}

TEST(EmuEngine, TheDriversSwitchAlternatesTheFuelOnTheCarsClock)
{
    CEmuController c;
    auto& s = c.state();
    s.m_car.m_scenario = EEmuScenario::Drive;
    s.m_car.m_fuelSwitchSec = 20;
    CHost host(c);
    auto at = [&](double sec) {
        host.m_now = static_cast<std::int64_t>(sec * 1e6) - 66000;
        return host.diag();
    };
    // The car's clock starts at the first request. Petrol for a whole sweep,
    // LPG for the next, petrol again; the work mode byte says what the
    // switch selected.
    at(0);
    const std::pair<double, std::uint8_t> expected[] = {{1, 2},    {19.9, 2}, {20.1, 3},
                                                        {39.9, 3}, {40.1, 2}, {60.1, 3}};
    for (const auto& [sec, fuel] : expected) {
        const auto r = at(sec);
        EXPECT_EQ(r.m_payload[1], fuel) << sec;
        EXPECT_EQ(r.m_payload[0], fuel) << sec;
    }
    // A host's mode command still wins until the next flip.
    host.command(2);
    EXPECT_EQ(host.diag().m_payload[1], 2);
    EXPECT_EQ(at(80.1).m_payload[1], 3);

    // Set on a running car, the switch waits for its next grid point
    // instead of catching up on the flips it missed.
    CEmuController late;
    late.state().m_car.m_scenario = EEmuScenario::Drive;
    CHost h2(late);
    h2.diag();
    h2.m_now = 75000000;
    h2.diag();
    late.state().m_car.m_fuelSwitchSec = 20;
    h2.m_now = 79000000;
    EXPECT_EQ(h2.diag().m_payload[1], 2);
    h2.m_now = 80500000;
    EXPECT_EQ(h2.diag().m_payload[1], 3);
}
