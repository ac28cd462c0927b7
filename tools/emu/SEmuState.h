// Everything the virtual controller stores or is configured with: what the
// host can read and write over the link, and the knobs of the car behind it.
// Thread safety: plain data; CEmuServer guards its copy with its own lock.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class EEmuScenario { Idle, Steady, Drive };

// One point of the gas injectors' gain curve: at this effective opening time
// (ms) the injector delivers `gain` times what the controller assumes.
struct SEmuGainPoint {
    double m_timeMs = 0;
    double m_gain = 1.0;
};

// The car and the engine computer behind the controller.
struct SEmuCar {
    EEmuScenario m_scenario = EEmuScenario::Idle;
    // Idle and steady engine speed; 0 means the engine is not running.
    double m_rpm = 800;
    // Opening time the gas injectors need before they deliver anything, ms.
    double m_trueOffsetMs = 1.0;
    // Linear between points, flat beyond the ends; empty means a gain of 1.
    std::vector<SEmuGainPoint> m_gain;
    double m_ambientC = 20;
    double m_reducerStartC = 20;
    // Gas pressure forced to this value (kPa) when not negative; otherwise the
    // reducer holds the pressure the settings ask for.
    double m_gasPressureKpa = -1;
    std::uint8_t m_fuelLevelRaw = 135;
    // The extra manifold-pressure (vacuum) sensor; unplugged it reads 0.
    bool m_vacuumSensor = true;
    // The car's clock runs this many times as fast as the real one, so that
    // minutes of driving pass in seconds of a test.
    double m_timeScale = 1.0;
    // When above 0, the car's clock moves this far (ms) per request instead
    // of with the real time: a drive then looks the same however fast or
    // however unevenly a busy host asks.
    double m_clockStepMs = 0;
    // The driver's dashboard switch: every this many seconds of the car's
    // clock it flips between the petrol and the LPG work mode; 0 never.
    double m_fuelSwitchSec = 0;
};

// The controller's stored records, byte for byte as they travel.
struct SEmuState {
    // Identity record.
    std::uint16_t m_prodDate = 780; // 21/05/2006
    std::uint16_t m_versionWord = 0x0102;
    std::uint8_t m_injCount = 4;
    std::string m_serial = "si001";

    // Flags record; bit 2 of flags1 selects the extended settings record.
    std::uint32_t m_flags1 = 0x04;
    std::uint32_t m_flags2 = 0;
    std::uint32_t m_clock = 40000;

    // Work-time counters in half-seconds.
    std::uint32_t m_gasHalfSeconds = 1330;
    std::uint32_t m_lpgHalfSeconds = 46145;

    std::array<std::uint8_t, 22> m_settings = defaultSettings();
    std::array<std::uint8_t, 20> m_table = defaultTable();
    std::array<std::uint8_t, 38> m_mountData{};
    std::array<std::uint8_t, 6> m_fuelSensor{0xF0, 0xB4, 0x78, 0x3C, 0, 0};
    std::array<std::uint8_t, 4> m_faults{};
    std::uint8_t m_injMask = 0x0F;
    std::vector<std::uint8_t> m_eeprom = std::vector<std::uint8_t>(65536, 0xFF);

    // 1 auto, 2 petrol, 3 LPG; fuel in use 2 petrol, 3 LPG.
    std::uint8_t m_workMode = 2;
    std::uint8_t m_fuel = 2;

    SEmuCar m_car;

    bool extendedSettings() const { return (m_flags1 & 0x04) != 0; }
    bool faultsStored() const { return m_faults[0] || m_faults[1] || m_faults[2] || m_faults[3]; }
    std::uint8_t maskLimit() const
    {
        return m_injCount >= 8 ? 0xFF : static_cast<std::uint8_t>((1u << m_injCount) - 1);
    }

    // What a fresh controller holds: switch at 1200 rpm, 35 °C, after 30 s,
    // 1.0 ms main correction, 100 kPa reducer, fall back below 60 kPa.
    static std::array<std::uint8_t, 22> defaultSettings()
    {
        return {0x0F, 0xA0, 1,   132, 60, 40, 112, 10, 71, 8,  1,
                0,    72,   160, 128, 36, 77, 0,   7,  1,  40, 0};
    }
    static std::array<std::uint8_t, 20> defaultTable()
    {
        std::array<std::uint8_t, 20> t{};
        t.fill(100);
        return t;
    }
};
