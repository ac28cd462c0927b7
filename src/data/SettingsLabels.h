// Every setting a controller takes, as the fitter knows it: the label of the
// view that edits it (the settings view's own texts for its controls), the
// unit of its value and the value as that view shows it. One item per
// settings-file key, except the two option bytes, whose bits are separate
// check boxes and lists in the settings view and get one item each.
// Thread safety: the table is built once and read-only; texts are in the
// current language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/CSettings.h"

struct SSettingsKey;

enum class ESettingsShow {
    Number,    // the value as the settings file writes it
    Choice,    // the text of a settings view list entry (code or bits)
    Flag,      // a check box: on or off
    Bits,      // bits no control edits, in hex
    Injectors, // a mask of injectors, by their numbers
    Text,      // installation texts
};

struct SSettingsItem {
    const SSettingsKey* key = nullptr;
    // The bits of the key's byte this item stands for; 0: the whole value.
    std::uint8_t mask = 0;
    ESettingsShow show = ESettingsShow::Number;
    // Choice: the settings view's list.
    int list = 0;
    // The label: a row of a window text class (viewTable, viewLabel), or a
    // dictionary text (Polish, %1 filled with fill when not empty).
    std::string_view viewTable;
    int viewLabel = 0;
    std::string_view polish;
    std::string fill;
    // Polish, translated when shown; empty for none.
    std::string_view unit;
};

// Every writable key's items, in the settings file's key order.
const std::vector<SSettingsItem>& settingsItems();

std::string settingsItemLabel(const SSettingsItem& item);
std::string settingsItemUnit(const SSettingsItem& item);
// The value as shown, without its unit.
std::string settingsItemText(const SSettingsItem& item, const CSettings& s);
// Whether the two blocks hold different values for this item (for a bit
// item, different bits under its mask).
bool settingsItemDiffers(const SSettingsItem& item, const CSettings& a, const CSettings& b);
