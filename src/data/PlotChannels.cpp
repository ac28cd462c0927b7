#include "data/PlotChannels.h"

#include "data/ChannelTimes.h"
#include "data/Conversions.h"
#include "data/StatusBarValues.h"

namespace {

// Ranges a running engine stays inside: idle to a high-revving petrol
// engine, injection times up to full load, the reducer's pressure, the
// manifold from idle vacuum to a little above the atmosphere, a winter start
// to an overheated reducer, and a narrow-band lambda probe. The plot divides
// each scale in four, and each of these falls on round values.
constexpr SPlotChannel kChannels[PLOT_CHANNELS] = {
    {"Obroty", "obr/min", 0, 8000, 100, 0},
    {"Czas benzyny", "ms", 0, 20, 0.5, 2},
    {"Czas LPG", "ms", 0, 20, 0.5, 2},
    {"Ciśnienie gazu", "kPa", 0, 200, 10, 0},
    {"Ciśnienie w kolektorze", "kPa", 0, 120, 10, 0},
    {"Temperatura reduktora", "°C", -40, 120, 5, 0},
    {"Napięcie sondy lambda", "V", 0, 1, 0.05, 2},
};

} // namespace

const SPlotChannel& plotChannel(int channel)
{
    return kChannels[channel];
}

PlotValues plotValues(const diag_t& rec)
{
    const SChannelTimes first = shownChannelTimes(rec.channels[0]);
    PlotValues v{};
    v[PLOT_RPM] = displayRpm(recordRpm(rec));
    v[PLOT_PETROL_MS] = first.petrolMs;
    v[PLOT_LPG_MS] = first.lpgMs;
    v[PLOT_GAS_KPA] = pressureFromRaw(rec.gasPressure);
    v[PLOT_MANIFOLD_KPA] = pressureFromRaw(rec.manifoldPressure);
    v[PLOT_REDUCER_C] = temperatureFromRaw(rec.reducerTemp);
    v[PLOT_LAMBDA_V] = byteToVolts(rec.lambda);
    return v;
}

std::string plotValueText(int channel, double value)
{
    return fixedText(value, kChannels[channel].decimals);
}
