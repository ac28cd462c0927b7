#include "data/LiveCsv.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "data/CDiagFile.h"
#include "data/Conversions.h"
#include "data/SettingsKeys.h"
#include "data/TempFileBeside.h"
#include "lang/Translation.h"

namespace {

// Injection times are whole ticks of 0.025 ms: three decimals say them exactly.
double ms3(double ms)
{
    return std::round(ms * 1000) / 1000;
}

const char* const kTailUnits[] = {"kPa", "kPa", "°C", "°C", "V", "V", "", "", ""};
static_assert(std::size(kTailUnits) == std::size(LIVE_TAIL_COLUMNS));

// Our own words first; the system's text, in whatever language the C library
// speaks, only in parentheses.
std::string reason(const char* polish, int err)
{
    std::string text = translate(polish);
    if (err != 0)
        text += std::string(" (") + std::strerror(err) + ")";
    return text;
}

} // namespace

SLiveValues liveValues(const diag_t& rec)
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

std::vector<double> liveTailValues(const SLiveValues& v)
{
    return {v.gasKpa,  v.mapKpa,   v.reducerC, v.gasC, v.supplyV,
            v.lambdaV, v.workMode, v.fuel,     v.level};
}

std::string liveNumber(double value)
{
    return std::isfinite(value) ? formatSettingsNumber(value) : "null";
}

std::string liveHeaderRow(char sep)
{
    std::string line = "rpm";
    for (std::size_t i = 1; i <= DIAG_CHANNELS; ++i)
        line += sep + std::string("petrol_ms") + std::to_string(i);
    for (std::size_t i = 1; i <= DIAG_CHANNELS; ++i)
        line += sep + std::string("lpg_ms") + std::to_string(i);
    for (const char* name : LIVE_TAIL_COLUMNS)
        line += sep + std::string(name);
    return line;
}

std::string liveUnitsRow(char sep)
{
    std::string line = "rpm";
    for (std::size_t i = 0; i < 2 * DIAG_CHANNELS; ++i)
        line += sep + std::string("ms");
    for (const char* unit : kTailUnits)
        line += sep + std::string(unit);
    return line;
}

std::string liveRow(const diag_t& rec, char sep)
{
    const SLiveValues v = liveValues(rec);
    std::string line = liveNumber(v.rpm);
    for (double x : v.petrol)
        line += sep + liveNumber(x);
    for (double x : v.lpg)
        line += sep + liveNumber(x);
    for (double x : liveTailValues(v))
        line += sep + liveNumber(x);
    return line;
}

SCsvExport exportRecordingCsv(const std::string& recording, const std::string& csv)
{
    SCsvExport result;
    CDiagFileReader reader;
    if (!reader.open(recording)) {
        result.error = reader.file().problem();
        return result;
    }
    auto failed = [&](const char* polish, int err) {
        result.error =
            translateFill("Nie można wyeksportować nagrania do %1: %2", {csv, reason(polish, err)});
        return result;
    };
    std::string temp;
    const int fd = createTempBeside(csv, temp);
    if (fd < 0)
        return failed("nie można utworzyć pliku w tym katalogu", errno);
    std::FILE* out = ::fdopen(fd, "wb");
    if (out == nullptr) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return failed("nie można utworzyć pliku w tym katalogu", err);
    }
    std::string text = liveHeaderRow(',') + "\n" + liveUnitsRow(',') + "\n";
    bool ok = std::fputs(text.c_str(), out) >= 0;
    diag_t rec{};
    while (ok && reader.readRecord(rec) == 0) {
        text = liveRow(rec, ',') + "\n";
        ok = std::fputs(text.c_str(), out) >= 0;
        ++result.records;
    }
    int err = ok ? 0 : errno;
    if (ok && (std::fflush(out) != 0 || ::fsync(::fileno(out)) != 0)) {
        ok = false;
        err = errno;
    }
    if (std::fclose(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return failed("nie można zapisać pliku", err);
    }
    if (std::rename(temp.c_str(), csv.c_str()) != 0) {
        err = errno;
        ::unlink(temp.c_str());
        return failed("nie można zastąpić pliku", err);
    }
    result.ok = true;
    return result;
}
