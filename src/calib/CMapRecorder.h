// The samples of a drive for the injection map: the petrol injection time the
// engine computer commands, sorted by intake-manifold vacuum and by the fuel
// in use, and what the map chart draws of them. The desktop view and nimo-cli
// both feed it every record the reader brings.
// Thread safety: none; one owner on one thread.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "data/DiagRecord.h"

constexpr int MAP_BINS = 50;
constexpr double MAP_BIN_KPA = 2.0;
// Vacuum is measured against this fixed outside pressure (kPa).
constexpr double MAP_OUTSIDE_KPA = 101.0;
// Petrol times up to this are no load worth mapping (ms).
constexpr double MAP_MIN_PETROL_MS = 1.0;
// A manifold-pressure byte below this means the extra vacuum sensor is not
// connected: recording cannot start.
constexpr std::uint8_t MAP_SENSOR_MIN_RAW = 5;
// The map is redrawn after this many records that fell into a bin.
constexpr int MAP_REFRESH_RECORDS = 10;
// A bin is drawn with more than this many samples ...
constexpr std::size_t MAP_DRAWN_ABOVE = 5;
// ... and counts in the correction with more than this many.
constexpr std::size_t MAP_COMPUTED_ABOVE = 10;
// Samples further than this fraction of their bin's mean from it are
// outliers (a gear change, a throttle blip): neither drawn nor counted.
constexpr double MAP_BAND = 0.15;

// Shown (translated) when recording cannot start.
constexpr const char* MAP_SENSOR_MISSING_TEXT =
    "Błąd dodatkowego czujnika podciśnienia!\nMożliwe że jest niepodłączony.";

enum EMapFuel { MAP_PETROL = 0, MAP_LPG = 1 };
constexpr int MAP_FUELS = 2;

class CMapBin {
public:
    void add(double ms);
    void clear();

    std::size_t count() const { return m_samples.size(); }
    // Over all samples; 0 for an empty bin.
    double mean() const;
    const std::vector<double>& samples() const { return m_samples; }
    bool inBand(double ms) const;
    // Mean of the samples within the band, when the bin holds enough to
    // count; 0 otherwise, and for a bin with no sample inside the band.
    double computedMean() const;

private:
    std::vector<double> m_samples;
    double m_sum = 0;
};

// Bin b of a fuel covers vacuum from 2b to 2b + 2 kPa.
using SMapBins = std::array<std::array<CMapBin, MAP_BINS>, MAP_FUELS>;

// A sample as the map chart draws it: petrol ones at the bin's even kPa,
// LPG ones one kPa to the right, so the two series stand side by side.
struct SMapPoint {
    double m_vacuumKpa = 0;
    double m_timeMs = 0;
    EMapFuel m_series = MAP_PETROL;

    bool operator==(const SMapPoint&) const = default;
};

// Vacuum of a record, kPa: the fixed outside pressure less the manifold's.
double mapVacuumKpa(const diag_t& rec);
// As the view shows it, "%.0f".
std::string mapVacuumText(const diag_t& rec);
// The bin a vacuum falls in, or -1 outside 0 to 100 kPa.
int mapBinOf(double vacuumKpa);
// Channel 0's first petrol time, rounded to 0.1 ms.
double mapSampleMs(const diag_t& rec);
// Whether the extra vacuum sensor reads anything.
bool mapSensorConnected(const diag_t& rec);

class CMapRecorder {
public:
    // Empties every bin, then starts recording when the newest record shows
    // the vacuum sensor connected; false (not recording) otherwise.
    bool start(const diag_t& newest);
    void stop() { m_recording = false; }
    bool recording() const { return m_recording; }

    // Takes one live record while recording. True when the map is due for
    // a redraw with points().
    bool add(const diag_t& rec);

    const SMapBins& bins() const { return m_bins; }
    const CMapBin& bin(EMapFuel fuel, int b) const { return m_bins[fuel][b]; }
    std::size_t samples() const;
    // What the map chart draws: every in-band sample of each bin holding
    // more than MAP_DRAWN_ABOVE, petrol bins first.
    std::vector<SMapPoint> points() const;

private:
    SMapBins m_bins;
    bool m_recording = false;
    // Counts down over the whole life of the recorder, across drives.
    int m_refreshIn = MAP_REFRESH_RECORDS;
};
