// The settings block on the wire: the settings record (basic and extended
// form, 22 bytes each) and the 20-byte setup table. Payloads are in host
// order; the frame layer swaps the 16-bit period word at offset 0.
// Thread safety: pure functions; callable from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "data/CSettings.h"

constexpr std::size_t SETTINGS_RECORD_SIZE = 22;
constexpr std::size_t SETUP_TABLE_SIZE = 20;

using SSettingsRecord = std::array<std::uint8_t, SETTINGS_RECORD_SIZE>;
using SSetupTable = std::array<std::uint8_t, SETUP_TABLE_SIZE>;

// Basic: frame type 2, the second correction and its mask travel as zero.
// Extended: frame type 12, all 22 bytes.
enum class ERecordForm { Basic, Extended };

// The form a controller speaks, by bit 2 of its flags1.
ERecordForm recordForm(std::uint32_t flags1);

// Values outside what a byte can carry are held at its limit rather than
// wrapped; check the block with checkSettingsRanges before writing it.
SSettingsRecord toRecord(const CSettings& s, ERecordForm form);
// Replaces the settings fields the record carries in into and returns it;
// device information and the setup table are kept.
CSettings fromRecord(const SSettingsRecord& rec, ERecordForm form, CSettings into = {});
void readRecordInto(const SSettingsRecord& rec, ERecordForm form, CSettings& s);

SSetupTable toSetupTable(const CSettings& s);
void readSetupTableInto(const SSetupTable& table, CSettings& s);

// The period word at offset 0 as host-order bytes, and back.
std::uint16_t recordPeriod(const SSettingsRecord& rec);
void setRecordPeriod(SSettingsRecord& rec, std::uint16_t period);
