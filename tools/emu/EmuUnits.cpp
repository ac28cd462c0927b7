#include "EmuUnits.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTemperature[256] = {
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

std::uint8_t clampCode(double v)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

int emuTemperatureOf(std::uint8_t code)
{
    return kTemperature[code];
}

std::uint8_t emuTemperatureCode(double celsius)
{
    for (int c = 0; c < 256; ++c)
        if (kTemperature[c] <= celsius)
            return static_cast<std::uint8_t>(c);
    // Colder than the table: the sensor sits at its end stop.
    return 255;
}

double emuPressureOf(std::uint8_t code)
{
    return std::max(0.0, (code * 5.0 / 255.0 / 5.0 - 0.04) / 0.004);
}

std::uint8_t emuPressureCode(double kpa)
{
    return clampCode((kpa * 0.004 + 0.04) * 255.0);
}

std::uint8_t emuVoltsCode(double volts)
{
    return clampCode(volts * 255.0 / 5.0);
}
