// The numbers of the autocalibration, apart from the controller: what the
// first pass makes of its difference and what the fitter is told about it,
// how the three passes are judged, how a correction steps, the progress, and
// the means of a batch of live records.
// Thread safety: pure functions; callable from any thread.
#pragma once

#include "data/MountDataEdit.h" // mountDateText, shared with the device information view

#include <array>
#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "data/DiagRecord.h"

// The controller takes corrections on the tick grid within these limits (ms).
constexpr double CORR_MIN_MS = 0.0;
constexpr double CORR_MAX_MS = 6.0;
constexpr double CORR_STEP_MS = 0.025;
// What suits the injectors; outside it the fitter is warned, not stopped.
constexpr double CORR_ADVISED_MIN_MS = 0.5;
constexpr double CORR_ADVISED_MAX_MS = 3.0;

// Records of a settling wait and of an averaging batch.
constexpr int SETTLE_RECORDS = 50;
constexpr int SETTLE_RECORDS_DEMO = 5;
constexpr int AVERAGE_RECORDS = 40;
constexpr int AUTOSETUP_PASSES = 3;
// Below this share of the reference pressure the controller falls back to petrol.
constexpr double SWITCH_PRESSURE_SHARE = 0.6;
// Petrol times at or below this are a channel without a signal (ms).
constexpr double MEASURED_PETROL_MIN_MS = 0.2;

enum class EFirstPassBox { None, Warning, Error };

struct SFirstPass {
    double corr = 0; // what is stored (unused on Error)
    EFirstPassBox box = EFirstPassBox::None;
    std::string text; // translated, empty without a box
};

// The correction read at the start (k0) plus the first difference, on the
// grid: below 0 an error and nothing stored, above 6 limited to 6 with a
// warning, outside the advised range a warning.
SFirstPass firstPassCorrection(double k0, double d0);

// A correction as the boxes print it: up to six significant digits, no
// trailing zeros (6 as "6", 0.375 as "0.375"), whatever the locale.
std::string correctionNumber(double ms);

// The yardstick the three differences are judged by, from them sorted
// ascending (see the definition for why it is their median).
double referenceDifference(const std::array<double, AUTOSETUP_PASSES>& sorted);
// The differences that pass the filter, ascending; empty when none does.
std::vector<double> keptDifferences(std::array<double, AUTOSETUP_PASSES> d);
// The correction after the passes: grid(corr + mean of the kept), within 0
// to 6; nothing when every difference was rejected.
std::optional<double> finalCorrection(double corr, const std::array<double, AUTOSETUP_PASSES>& d);

// A spin step of `delta` positions from the value shown: one step is 0.025 ms
// and a rising position lowers the value. Nothing outside 0 to 6 ms.
std::optional<double> steppedCorrection(double shown, int delta);

// 8 settling waits, 7 averaging batches and 15 to spare.
int progressDenominator(int settleRecords, int averageRecords);
// The share of the records seen so far, kept below the 99 % and 100 % that
// the last steps show themselves.
int progressPercent(std::size_t seen, int denominator);

struct SSampleMeans {
    // Mean over every measured channel above 0.2 ms; empty when none was.
    std::optional<double> petrolMs;
    double gasKpa = 0;
    double supplyV = 0;
};
// Means over the records (none: all zero, no petrol time).
SSampleMeans sampleMeans(const std::vector<diag_t>& records, int channels);

// "dd/mm/yyyy" of a local day, as the installation date is kept.
