#include "data/Conversions.h"

#include <algorithm>
#include <cmath>

const std::array<int, 256> TEMPERATURE_TABLE = {
    209, 203, 198, 192, 187, 182, 177, 173, 168, 164, 160, 156, 152, 148, 144, 141, 138, 135, 132,
    129, 126, 123, 121, 118, 116, 114, 111, 109, 107, 106, 104, 102, 100, 99,  97,  96,  94,  93,
    92,  91,  89,  88,  87,  86,  85,  84,  83,  82,  81,  80,  79,  78,  77,  77,  76,  75,  74,
    73,  73,  72,  71,  70,  70,  69,  68,  68,  67,  66,  66,  65,  64,  64,  63,  63,  62,  61,
    61,  60,  60,  59,  59,  58,  58,  57,  57,  56,  55,  55,  54,  54,  53,  53,  53,  52,  52,
    51,  51,  50,  50,  49,  49,  48,  48,  47,  47,  47,  46,  46,  45,  45,  44,  44,  44,  43,
    43,  42,  42,  41,  41,  41,  40,  40,  39,  39,  39,  38,  38,  37,  37,  37,  36,  36,  35,
    35,  35,  34,  34,  33,  33,  33,  32,  32,  31,  31,  31,  30,  30,  30,  29,  29,  28,  28,
    28,  27,  27,  26,  26,  26,  25,  25,  24,  24,  24,  23,  23,  23,  22,  22,  21,  21,  21,
    20,  20,  19,  19,  19,  18,  18,  17,  17,  16,  16,  16,  15,  15,  14,  14,  14,  13,  13,
    12,  12,  11,  11,  10,  10,  9,   9,   9,   8,   8,   7,   7,   6,   6,   5,   5,   4,   4,
    3,   2,   2,   1,   1,   0,   0,   -1,  -2,  -2,  -3,  -3,  -4,  -5,  -5,  -6,  -7,  -7,  -8,
    -9,  -10, -10, -11, -12, -13, -14, -15, -15, -16, -17, -18, -19, -20, -21, -22, -23, -24, -25,
    -26, -27, -29, -30, -31, -32, -33, -35, -36};

int temperatureFromRaw(std::uint8_t raw)
{
    return TEMPERATURE_TABLE[raw];
}

std::uint8_t rawFromTemperature(double celsius)
{
    for (std::size_t code = 0; code < TEMPERATURE_TABLE.size(); ++code) {
        if (celsius >= TEMPERATURE_TABLE[code]) {
            return static_cast<std::uint8_t>(code);
        }
    }
    return 0;
}

double byteToVolts(double raw)
{
    return raw * 5.0 / 255.0;
}

double wordToVolts(double raw)
{
    return raw * 5.0 / 1023.0;
}

double supplyVolts(double volts)
{
    return volts * 6.0;
}

double voltsToRaw(double volts)
{
    return volts / (5.0 / 255.0);
}

double pressureFromRaw(double raw)
{
    return std::max(0.0, (raw * 5.0 / 255.0 / 5.0 - 0.04) / 0.004);
}

double pressureToRaw(double kpa)
{
    return (kpa * 0.004 + 0.04) * 5.0 / (5.0 / 255.0);
}

double supplyFromRaw(double raw)
{
    return supplyVolts(byteToVolts(raw));
}

double rpmFromPeriod(double period)
{
    return period > 0 ? RPM_FACTOR / period : 0.0;
}

double displayRpm(double rpm)
{
    return rpm < 100.0 ? 0.0 : rpm;
}

double roundWhole(double x)
{
    return std::round(x);
}

// Rounded on the magnitude: flooring a negative value after subtracting the
// half step would push -1.21 down to -1.3 instead of -1.2.
static double roundMagnitude(double x, double scale)
{
    const double magnitude = std::floor((std::fabs(x) + 0.5 / scale) * scale) / scale;
    return magnitude == 0.0 ? 0.0 : std::copysign(magnitude, x); // never "-0.0" on screen
}

double roundOne(double x)
{
    return roundMagnitude(x, 10.0);
}

double roundTwo(double x)
{
    return roundMagnitude(x, 100.0);
}

double tickGrid(double ms)
{
    const double snapped = roundWhole(ms / TICK_TIME_MS) * TICK_TIME_MS;
    return roundWhole(snapped * 1000.0) / 1000.0;
}

double cutToWhole(double x)
{
    // Far below any unit the records carry, far above binary rounding noise.
    constexpr double kSlack = 1e-6;
    return std::trunc(x + std::copysign(kSlack, x));
}
