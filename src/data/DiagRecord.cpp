#include "data/DiagRecord.h"

#include <cstring>

#include "data/Conversions.h"

double petrolTimeMs(std::uint16_t raw)
{
    return raw * TICK_TIME_MS;
}

double correctionMs(std::uint16_t raw)
{
    // The controller's own arithmetic counts from 65535, so 65535 is zero.
    const double ticks = raw > 60000 ? static_cast<double>(raw) - 65535.0 : raw;
    return ticks * TICK_TIME_MS;
}

SChannelTimes channelTimes(const SDiagChannel& channel)
{
    const bool useB = channel.petrolB > channel.petrolA;
    const double petrol = petrolTimeMs(useB ? channel.petrolB : channel.petrolA);
    const double corr = correctionMs(useB ? channel.corrB : channel.corrA);
    return {petrol, petrol + corr};
}

double recordRpm(const diag_t& rec)
{
    return rpmFromPeriod(rec.enginePeriod);
}

diag_t diagFromPayload(const std::uint8_t* payload, std::size_t len)
{
    diag_t rec{};
    std::memcpy(&rec, payload, len < sizeof rec ? len : sizeof rec);
    return rec;
}
