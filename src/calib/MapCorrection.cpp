#include "calib/MapCorrection.h"

#include <algorithm>
#include <vector>

#include "data/Conversions.h"
#include "link/CGasDevice.h"

bool SMapCorrection::measuredAny() const
{
    return std::any_of(m_slotBins.begin(), m_slotBins.end(), [](int n) { return n > 0; });
}

SMapSlots fillAndSmoothSlots(const SMapSlots& values, const std::array<bool, MAP_SLOTS>& measured)
{
    // Slots are told apart by whether a bin measured them, not by a value of
    // 0: a slot that measured no difference at all keeps its 0. And the last
    // measured slot is the last one, even when the slots above 18 ms have data.
    int first = -1;
    int last = -1;
    for (int k = 0; k < MAP_SLOTS; ++k) {
        if (measured[k]) {
            first = first < 0 ? k : first;
            last = k;
        }
    }
    if (first < 0)
        return SMapSlots{};

    SMapSlots t = values;
    int above = last;
    for (int k = MAP_SLOTS - 1; k >= 0; --k) {
        if (k > last)
            t[k] = values[last];
        else if (k < first)
            t[k] = values[first];
        else if (measured[k])
            above = k;
        else
            t[k] = values[above]; // the nearest measured slot above a gap
    }

    SMapSlots s = t;
    for (int k = 1; k < MAP_SLOTS - 1; ++k)
        s[k] = (t[k - 1] + t[k] + t[k + 1]) / 3;
    return s;
}

SMapCorrection computeMapCorrection(const SMapBins& bins, const SMapSlots& table)
{
    SMapCorrection c;
    c.m_before = table;
    std::array<double, MAP_SLOTS> sums{};
    for (int b = 0; b < MAP_BINS; ++b) {
        SMapBinUse& use = c.m_bins[b];
        use.m_petrolMs = bins[MAP_PETROL][b].computedMean();
        use.m_lpgMs = bins[MAP_LPG][b].computedMean();
        // A bin driven on one fuel only has nothing to compare; counted as a
        // difference of 0 it would pull its slot's mean toward no correction.
        if (use.m_petrolMs <= 0 || use.m_lpgMs <= 0)
            continue;
        use.m_diffPct = (use.m_lpgMs - use.m_petrolMs) * 100 / use.m_petrolMs;
        use.m_slot = std::clamp(static_cast<int>(use.m_petrolMs), 0, MAP_SLOTS - 1);
        sums[use.m_slot] += use.m_diffPct;
        ++c.m_slotBins[use.m_slot];
    }
    if (!c.measuredAny()) {
        c.m_after = table;
        return c;
    }

    std::array<bool, MAP_SLOTS> measured{};
    for (int k = 0; k < MAP_SLOTS; ++k) {
        measured[k] = c.m_slotBins[k] > 0;
        if (measured[k])
            c.m_measured[k] = std::clamp(sums[k] / c.m_slotBins[k], -MAP_LIMIT_PCT, MAP_LIMIT_PCT);
    }
    c.m_corrections = fillAndSmoothSlots(c.m_measured, measured);
    for (int k = 0; k < MAP_SLOTS; ++k)
        c.m_after[k] =
            std::clamp(table[k] + roundWhole(c.m_corrections[k]), -MAP_LIMIT_PCT, MAP_LIMIT_PCT);
    return c;
}

STransferOutcome writeMapCorrection(CGasDevice& device, const SMapCorrection& correction,
                                    std::string* backupPath)
{
    CSettings wanted = device.settings();
    wanted.m_setupTimes = correction.m_after;
    SSettingsPlan plan;
    plan.setupTable = true;
    return replaceSettings(device, wanted, plan, EReplaceOperation::MapTable, backupPath);
}
