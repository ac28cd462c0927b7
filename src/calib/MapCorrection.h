// From the samples of a drive to the correction table: per vacuum bin, how
// much longer the engine computer's petrol time is on gas than on petrol, in
// per cent; per 1 ms slot of petrol time the mean of its bins, slots without
// a measurement filled from their neighbours, smoothed, and added to the table.
// Thread safety: pure functions, except writeMapCorrection (the controller's thread).
#pragma once

#include <array>
#include <string>

#include "calib/CMapRecorder.h"
#include "data/CSettings.h"
#include "link/SettingsTransfer.h"

constexpr int MAP_SLOTS = static_cast<int>(SETUP_TIMES_COUNT);
// Both the per-slot differences and the table entries stay within this (per cent).
constexpr double MAP_LIMIT_PCT = 25;

using SMapSlots = std::array<double, MAP_SLOTS>;

// What one bin brought to the computation.
struct SMapBinUse {
    double m_petrolMs = 0; // in-band mean on petrol; 0 when the bin does not count
    double m_lpgMs = 0;    // the same on LPG
    double m_diffPct = 0;  // (LPG - petrol) / petrol, per cent
    int m_slot = -1;       // the slot it measured; -1 without both fuels

    bool used() const { return m_slot >= 0; }
};

struct SMapCorrection {
    std::array<SMapBinUse, MAP_BINS> m_bins{};
    // Mean of each slot's bins, limited; 0 where no bin measured the slot.
    SMapSlots m_measured{};
    std::array<int, MAP_SLOTS> m_slotBins{};
    // Filled and smoothed: what is added to each table entry before rounding.
    SMapSlots m_corrections{};
    SMapSlots m_before{};
    SMapSlots m_after{};

    bool measuredAny() const;
};

// Slots without a measurement take the next measured one above them; below
// the first and above the last measured slot, that slot's value. Then each
// inner slot becomes the mean of itself and its two neighbours.
SMapSlots fillAndSmoothSlots(const SMapSlots& values, const std::array<bool, MAP_SLOTS>& measured);

// The whole computation on the bins of a drive and the table in use. With no
// slot measured the table comes back exactly as it was.
SMapCorrection computeMapCorrection(const SMapBins& bins, const SMapSlots& table);

// Keeps the controller's settings in its history, then puts the new table
// into the settings block and sends it. A backup that fails leaves block and
// controller as they were; a write that fails leaves the new values in the
// block, as any other settings write leaves them.
STransferOutcome writeMapCorrection(CGasDevice& device, const SMapCorrection& correction,
                                    std::string* backupPath = nullptr);
