#include "CliLiveFormat.h"

#include <cmath>
#include <vector>

#include "CliJson.h"
#include "data/Conversions.h"

namespace {

// Injection times are whole ticks of 0.025 ms: three decimals say them exactly.
double ms3(double ms)
{
    return std::round(ms * 1000) / 1000;
}

struct SLiveValues {
    double rpm;
    double petrol[DIAG_CHANNELS];
    double lpg[DIAG_CHANNELS];
    double gasKpa;
    double mapKpa;
    double reducerC;
    double gasC;
    double supplyV;
    double lambdaV;
    double workMode;
    double fuel;
    double level;
};

SLiveValues valuesOf(const diag_t& rec)
{
    SLiveValues v{};
    v.rpm = roundWhole(displayRpm(recordRpm(rec)));
    for (std::size_t i = 0; i < DIAG_CHANNELS; ++i) {
        const SChannelTimes t = channelTimes(rec.channels[i]);
        v.petrol[i] = ms3(t.petrolMs);
        v.lpg[i] = ms3(t.lpgMs);
    }
    v.gasKpa = roundOne(pressureFromRaw(rec.gasPressure));
    v.mapKpa = roundOne(pressureFromRaw(rec.manifoldPressure));
    v.reducerC = temperatureFromRaw(rec.reducerTemp);
    v.gasC = temperatureFromRaw(rec.lpgTemp);
    v.supplyV = roundTwo(supplyFromRaw(rec.supply));
    v.lambdaV = roundTwo(byteToVolts(rec.lambda));
    v.workMode = rec.workMode;
    v.fuel = rec.fuel;
    v.level = rec.fuelLevel;
    return v;
}

const char* const kTail[] = {"gas_kpa",  "map_kpa",   "reducer_c", "gas_c", "supply_v",
                             "lambda_v", "work_mode", "fuel",      "level"};

std::vector<double> tailValues(const SLiveValues& v)
{
    return {v.gasKpa,  v.mapKpa,   v.reducerC, v.gasC, v.supplyV,
            v.lambdaV, v.workMode, v.fuel,     v.level};
}

} // namespace

std::string liveHeader(ELiveFormat format)
{
    if (format == ELiveFormat::Json)
        return {};
    const char sep = format == ELiveFormat::Csv ? ',' : '\t';
    std::string line = "rpm";
    for (std::size_t i = 1; i <= DIAG_CHANNELS; ++i)
        line += sep + std::string("petrol_ms") + std::to_string(i);
    for (std::size_t i = 1; i <= DIAG_CHANNELS; ++i)
        line += sep + std::string("lpg_ms") + std::to_string(i);
    for (const char* name : kTail)
        line += sep + std::string(name);
    return line;
}

std::string liveLine(const diag_t& rec, ELiveFormat format)
{
    const SLiveValues v = valuesOf(rec);
    const std::vector<double> tail = tailValues(v);
    if (format == ELiveFormat::Json) {
        std::vector<std::string> petrol;
        std::vector<std::string> lpg;
        for (std::size_t i = 0; i < DIAG_CHANNELS; ++i) {
            petrol.push_back(jsonNumber(v.petrol[i]));
            lpg.push_back(jsonNumber(v.lpg[i]));
        }
        CJsonObject o;
        o.number("rpm", v.rpm).raw("petrol_ms", jsonArray(petrol)).raw("lpg_ms", jsonArray(lpg));
        for (std::size_t i = 0; i < tail.size(); ++i)
            o.number(kTail[i], tail[i]);
        return o.str();
    }
    const char sep = format == ELiveFormat::Csv ? ',' : '\t';
    std::string line = jsonNumber(v.rpm);
    for (double x : v.petrol)
        line += sep + jsonNumber(x);
    for (double x : v.lpg)
        line += sep + jsonNumber(x);
    for (double x : tail)
        line += sep + jsonNumber(x);
    return line;
}
