#include "data/StatusBarValues.h"

#include <charconv>

#include "data/Conversions.h"

// to_chars, not printf: the desktop application runs under the user's locale,
// and a Polish one would turn "2.40" into "2,40" beside the "0.00" it starts with.
std::string fixedText(double value, int decimals)
{
    char buf[32];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "?";
    std::string text(buf, end);
    // A negative value that rounds to zero would read "-0".
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
        text.erase(0, 1);
    return text;
}

SStatusBarValues statusBarValues(const diag_t& rec)
{
    const SDiagChannel& first = rec.channels[0];
    const double petrol = roundTwo(petrolTimeMs(first.petrolA));
    SStatusBarValues v;
    v.petrolMs = fixedText(petrol, 2);
    v.lpgMs = fixedText(roundTwo(correctionMs(first.corrA) + petrol), 2);
    // rpmFromPeriod gives 0 for a period word of 0, so a record without an
    // ignition signal reads as a stopped engine rather than dividing by zero.
    v.rpm = fixedText(displayRpm(recordRpm(rec)), 0);
    v.reducerC = fixedText(temperatureFromRaw(rec.reducerTemp), 0);
    v.gasKpa = fixedText(pressureFromRaw(rec.gasPressure), 0);
    v.lambdaV = fixedText(byteToVolts(rec.lambda), 1);
    v.petrolFuel = rec.fuel == FUEL_PETROL;
    return v;
}

SStatusBarValues initialStatusBarValues()
{
    SStatusBarValues v;
    v.petrolMs = "0.00";
    v.lpgMs = "0.00";
    v.rpm = "0000";
    v.reducerC = "00";
    v.gasKpa = "00";
    v.lambdaV = "0.0";
    return v;
}
