// The channels the live plot draws: what each one is called, its unit, the
// range its scale starts with, and its value in a diagnostic record, all in
// the units the status bar and the gauges show.
// Thread safety: pure functions and constants.
#pragma once

#include <array>
#include <string>

#include "data/DiagRecord.h"

enum EPlotChannel : int {
    PLOT_RPM,
    PLOT_PETROL_MS,
    PLOT_LPG_MS,
    PLOT_GAS_KPA,
    PLOT_MANIFOLD_KPA,
    PLOT_REDUCER_C,
    PLOT_LAMBDA_V,
    PLOT_CHANNELS
};

struct SPlotChannel {
    const char* name; // Polish, translated when shown
    const char* unit; // a dictionary key too
    double min;       // the scale's range before the fitter changes it
    double max;
    double step;  // one step of an edited range
    int decimals; // of a value read out
};

const SPlotChannel& plotChannel(int channel);

using PlotValues = std::array<double, PLOT_CHANNELS>;

// Every channel's value in one record: engine speed as the displays show it,
// the first injector channel's petrol and LPG times as its bar shows them,
// both pressures in kPa, the reducer's temperature and the lambda voltage.
PlotValues plotValues(const diag_t& rec);

// A value as the plot reads it out, with the channel's decimals.
std::string plotValueText(int channel, double value);
