#include "data/DateCode.h"

#include <cstdio>

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date.
long daysFromCivil(long y, long m, long d)
{
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, long& y, long& m, long& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

bool digits(std::string_view text, std::size_t from, std::size_t count, long& value)
{
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool leapYear(long y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

long daysInMonth(long y, long m)
{
    static const long kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

const long kEpoch = daysFromCivil(2004, 4, 1);

} // namespace

std::string dateFromCode(std::uint16_t code)
{
    long y = 0;
    long m = 0;
    long d = 0;
    civilFromDays(kEpoch + code, y, m, d);
    char text[64];
    std::snprintf(text, sizeof text, "%02ld/%02ld/%04ld", d, m, y);
    return text;
}

std::uint16_t codeFromDate(std::string_view text)
{
    long d = 0;
    long m = 0;
    long y = 0;
    if (text.size() != 10 || !digits(text, 0, 2, d) || !digits(text, 3, 2, m) ||
        !digits(text, 6, 4, y)) {
        return 0;
    }
    if (m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) {
        return 0;
    }
    const long code = daysFromCivil(y, m, d) - kEpoch;
    // Before the epoch or past the counter's end would wrap into some other day.
    return code > 0 && code <= 0xFFFF ? static_cast<std::uint16_t>(code) : 0;
}
