// One diagnostic record as a row of live values: the columns nimo-cli prints
// (monitor, replay) and the application exports a recording with, so that a
// script reading one reads the other. Numbers are written the one way on
// every locale: a point, no thousands separator, no trailing zeros.
// Thread safety: pure functions; the export touches only the files it names.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "data/DiagRecord.h"

// The values as shown: rpm rounded whole, injection times to the 0.001 ms
// their ticks carry, pressures to 0.1 kPa, voltages to 0.01 V.
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

SLiveValues liveValues(const diag_t& rec);

// The columns after rpm and the sixteen injection times, and their values.
inline constexpr const char* LIVE_TAIL_COLUMNS[] = {"gas_kpa",   "map_kpa",  "reducer_c",
                                                    "gas_c",     "supply_v", "lambda_v",
                                                    "work_mode", "fuel",     "level"};
std::vector<double> liveTailValues(const SLiveValues& v);

// A number of a row; "null" for one that is not finite.
std::string liveNumber(double value);
// The column names, the units of the columns ("" for codes and raw values),
// and one record, each joined by sep.
std::string liveHeaderRow(char sep);
std::string liveUnitsRow(char sep);
std::string liveRow(const diag_t& rec, char sep);

struct SCsvExport {
    bool ok = false;
    std::size_t records = 0;
    std::string error; // translated, with the system's reason; empty on success
};

// A recording as CSV: the header row, the units row, one row per whole record.
// The target is replaced only once the whole file is written.
SCsvExport exportRecordingCsv(const std::string& recording, const std::string& csv);
