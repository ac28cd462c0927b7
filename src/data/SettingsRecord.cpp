#include "data/SettingsRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/Conversions.h"

namespace {

// Whole part of a field value, held within [lo, hi]. Not-a-number becomes lo.
int fieldValue(double x, int lo, int hi)
{
    if (!(x >= lo)) {
        return lo;
    }
    if (x >= hi) {
        return hi;
    }
    return static_cast<int>(cutToWhole(x));
}

std::uint8_t byteOf(double x)
{
    return static_cast<std::uint8_t>(fieldValue(x, 0, 255));
}

std::uint8_t signedByteOf(double x)
{
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(fieldValue(x, -128, 127)));
}

} // namespace

ERecordForm recordForm(std::uint32_t flags1)
{
    return (flags1 & FLAGS1_EXTENDED_SETUP) != 0 ? ERecordForm::Extended : ERecordForm::Basic;
}

std::uint16_t recordPeriod(const SSettingsRecord& rec)
{
    std::uint16_t period = 0;
    std::memcpy(&period, rec.data(), sizeof period);
    return period;
}

void setRecordPeriod(SSettingsRecord& rec, std::uint16_t period)
{
    std::memcpy(rec.data(), &period, sizeof period);
}

SSettingsRecord toRecord(const CSettings& s, ERecordForm form)
{
    SSettingsRecord rec{};
    // A period of 0 reads as 0 rpm, so 0 rpm goes back as 0 rather than
    // through a division by zero; a controller's own record then round-trips.
    const double period = s.m_switchRPM > 0 ? roundWhole(RPM_FACTOR / s.m_switchRPM) : 0.0;
    setRecordPeriod(rec, static_cast<std::uint16_t>(fieldValue(period, 0, 65535)));
    rec[2] = byteOf(s.m_rpmDivider);
    rec[3] = rawFromTemperature(s.m_switchTempr);
    rec[4] = byteOf(s.m_switchDelay * 2);
    rec[5] = byteOf(roundOne(s.m_mainCorr / TICK_TIME_MS));
    rec[6] = byteOf(roundWhole(pressureToRaw(s.m_pressureRef)));
    rec[7] = signedByteOf(s.m_pressureGain * 10);
    rec[8] = byteOf(roundWhole(pressureToRaw(s.m_switchPressure)));
    rec[9] = byteOf(roundWhole(s.m_pressAverageCount * 10));
    rec[10] = s.m_injectorType;
    rec[11] = byteOf(roundWhole(s.m_minLPGTime / TICK_TIME_MS));
    rec[12] = byteOf(roundWhole(s.m_injectorWarmingImpulse / TICK_TIME_MS));
    rec[13] = byteOf(roundWhole(s.m_pwmOffset / TICK_TIME_MS));
    rec[14] = byteOf(roundWhole(s.m_pwm * 255 / 100));
    rec[15] = rawFromTemperature(s.m_maxTemprInside);
    rec[16] = byteOf(roundWhole(s.m_minVCC / 6 / (5.0 / 255.0)));
    rec[17] = s.m_engineSignalBehavior;
    rec[18] = s.m_behaviorFlags;
    rec[19] = s.m_lambdaType;
    if (form == ERecordForm::Extended) {
        rec[20] = byteOf(roundOne(s.m_mainCorr2 / TICK_TIME_MS));
        rec[21] = s.m_mainCorr2Mask;
    }
    return rec;
}

void readRecordInto(const SSettingsRecord& rec, ERecordForm form, CSettings& s)
{
    s.m_switchRPM = roundWhole(rpmFromPeriod(recordPeriod(rec)));
    s.m_rpmDivider = rec[2];
    s.m_switchTempr = temperatureFromRaw(rec[3]);
    s.m_switchDelay = std::floor(rec[4] / 2.0); // the odd half-second is dropped
    s.m_mainCorr = tickGrid(rec[5] * TICK_TIME_MS);
    s.m_pressureRef = roundWhole(pressureFromRaw(rec[6]));
    s.m_pressureGain = static_cast<std::int8_t>(rec[7]) / 10.0;
    s.m_switchPressure = roundWhole(pressureFromRaw(rec[8]));
    s.m_pressAverageCount = roundOne(rec[9] * 0.1);
    s.m_injectorType = rec[10];
    s.m_minLPGTime = roundOne(rec[11] * TICK_TIME_MS);
    s.m_injectorWarmingImpulse = roundOne(rec[12] * TICK_TIME_MS);
    s.m_pwmOffset = roundOne(rec[13] * TICK_TIME_MS);
    s.m_pwm = roundWhole(rec[14] * 100.0 / 255.0);
    s.m_maxTemprInside = temperatureFromRaw(rec[15]);
    s.m_minVCC = roundOne(supplyFromRaw(rec[16]));
    s.m_engineSignalBehavior = rec[17];
    s.m_behaviorFlags = rec[18];
    s.m_lambdaType = rec[19];
    if (form == ERecordForm::Extended) {
        s.m_mainCorr2 = tickGrid(rec[20] * TICK_TIME_MS);
        s.m_mainCorr2Mask = rec[21];
    }
}

CSettings fromRecord(const SSettingsRecord& rec, ERecordForm form, CSettings into)
{
    readRecordInto(rec, form, into);
    return into;
}

SSetupTable toSetupTable(const CSettings& s)
{
    SSetupTable table{};
    for (std::size_t i = 0; i < SETUP_TABLE_SIZE; ++i) {
        table[i] = byteOf(s.m_setupTimes[i] + 100);
    }
    return table;
}

void readSetupTableInto(const SSetupTable& table, CSettings& s)
{
    for (std::size_t i = 0; i < SETUP_TABLE_SIZE; ++i) {
        s.m_setupTimes[i] = table[i] - 100;
    }
}
