// The controller's configuration as the PC holds it, in engineering units:
// device information, settings fields and the 20-entry correction table.
// Thread safety: plain data; the owner serialises access (the UI thread).
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct SDevFlags {
    std::uint32_t flags1 = 0;
    std::uint32_t flags2 = 0;
    std::uint32_t clock = 0;
};

// Work-time counters in half-seconds.
struct SDevStatistic {
    std::uint32_t gas = 0;
    std::uint32_t lpg = 0;
};

struct SDevInfo {
    int m_version = 0; // 16-bit version word, high byte major
    int m_injCount = 0;
    std::string m_serial; // at most 16 bytes
    std::string m_prodDate;
    SDevFlags m_flags;
    SDevStatistic m_statistic;
    std::string m_mountDate;    // "dd/mm/yyyy" or empty
    std::string m_mountService; // at most 23 bytes
    std::string m_injSize;      // at most 5 bytes, mm
    std::string m_engine;       // at most 5 bytes, cm3
};

// Bit of flags1 that marks a controller with the extended settings record.
constexpr std::uint32_t FLAGS1_EXTENDED_SETUP = 0x04;

constexpr std::size_t SETUP_TIMES_COUNT = 20;

class CSettings {
public:
    // A copy of the settings block alone: what the controller object or the
    // document holds of the controller, without their link or windows.
    CSettings settings() const { return *this; }

    // Sets the injector code and the drive values that go with that injector.
    void setInjectorType(std::uint8_t code);

    std::string m_timeStamp;
    SDevInfo m_devInfo;
    double m_switchRPM = 1200;
    double m_switchTempr = 35;
    std::uint8_t m_rpmDivider = 1;
    double m_switchDelay = 30; // s
    double m_mainCorr = 1.0;   // ms
    double m_mainCorr2 = 1.0;  // ms
    std::uint8_t m_mainCorr2Mask = 0;
    double m_pressureGain = 1.0;
    double m_pressureRef = 100;       // kPa
    double m_switchPressure = 60;     // kPa
    double m_pressAverageCount = 0.8; // s
    std::uint8_t m_engineSignalBehavior = 0;
    std::uint8_t m_behaviorFlags = 7;
    double m_pwmOffset = 4.0;              // ms
    double m_pwm = 50;                     // %
    double m_injectorWarmingImpulse = 1.8; // ms
    double m_minLPGTime = 0;               // ms
    std::uint8_t m_injectorType = 1;
    std::uint8_t m_lambdaType = 1;
    double m_minVCC = 9.0;                                // V
    double m_maxTemprInside = 95;                         // °C
    std::array<double, SETUP_TIMES_COUNT> m_setupTimes{}; // whole per cent, -100..155
};
