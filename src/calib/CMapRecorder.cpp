#include "calib/CMapRecorder.h"

#include <cmath>
#include <cstdio>

#include "data/Conversions.h"

void CMapBin::add(double ms)
{
    m_samples.push_back(ms);
    m_sum += ms;
}

void CMapBin::clear()
{
    m_samples.clear();
    m_sum = 0;
}

double CMapBin::mean() const
{
    return m_samples.empty() ? 0 : m_sum / static_cast<double>(m_samples.size());
}

bool CMapBin::inBand(double ms) const
{
    const double m = mean();
    return std::abs(ms - m) <= MAP_BAND * m;
}

double CMapBin::computedMean() const
{
    if (count() <= MAP_COMPUTED_ABOVE)
        return 0;
    double sum = 0;
    std::size_t n = 0;
    for (double s : m_samples) {
        if (inBand(s)) {
            sum += s;
            ++n;
        }
    }
    return n ? sum / static_cast<double>(n) : 0;
}

double mapVacuumKpa(const diag_t& rec)
{
    return MAP_OUTSIDE_KPA - pressureFromRaw(rec.manifoldPressure);
}

std::string mapVacuumText(const diag_t& rec)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", mapVacuumKpa(rec));
    return text;
}

int mapBinOf(double vacuumKpa)
{
    // A boost above the outside pressure is no vacuum at all; truncating it
    // toward zero would pass -3.9 kPa off as the first bin's.
    if (!(vacuumKpa >= 0))
        return -1;
    const int b = static_cast<int>(std::trunc(vacuumKpa)) / 2;
    return b < MAP_BINS ? b : -1;
}

double mapSampleMs(const diag_t& rec)
{
    return roundOne(petrolTimeMs(rec.channels[0].petrolA));
}

bool mapSensorConnected(const diag_t& rec)
{
    return rec.manifoldPressure >= MAP_SENSOR_MIN_RAW;
}

bool CMapRecorder::start(const diag_t& newest)
{
    for (auto& fuel : m_bins)
        for (CMapBin& b : fuel)
            b.clear();
    m_recording = mapSensorConnected(newest);
    return m_recording;
}

bool CMapRecorder::add(const diag_t& rec)
{
    if (!m_recording)
        return false;
    const int b = mapBinOf(mapVacuumKpa(rec));
    if (b < 0)
        return false;
    const double t = mapSampleMs(rec);
    if (t > MAP_MIN_PETROL_MS)
        m_bins[rec.fuel == FUEL_PETROL ? MAP_PETROL : MAP_LPG][b].add(t);
    if (--m_refreshIn > 0)
        return false;
    m_refreshIn = MAP_REFRESH_RECORDS;
    return true;
}

std::size_t CMapRecorder::samples() const
{
    std::size_t n = 0;
    for (const auto& fuel : m_bins)
        for (const CMapBin& b : fuel)
            n += b.count();
    return n;
}

std::vector<SMapPoint> CMapRecorder::points() const
{
    std::vector<SMapPoint> out;
    for (int f = 0; f < MAP_FUELS; ++f) {
        for (int b = 0; b < MAP_BINS; ++b) {
            const CMapBin& bin = m_bins[f][b];
            if (bin.count() <= MAP_DRAWN_ABOVE)
                continue;
            const double x = MAP_BIN_KPA * b + (f == MAP_LPG ? 1 : 0);
            for (double s : bin.samples())
                if (bin.inBand(s))
                    out.push_back({x, s, static_cast<EMapFuel>(f)});
        }
    }
    return out;
}
