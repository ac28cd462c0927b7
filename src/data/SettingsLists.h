// The value lists of the settings view: which values each list offers, in
// list order, with the text shown for each and the settings key it edits.
// Values the controller holds outside a list are legal (the record carries
// them); the view merely has no entry for them.
// Thread safety: the tables are built once and read-only; pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SSettingsChoice {
    double value = 0;
    // Numeric lists: the value as shown. Text lists: the Polish text, to be
    // translated when shown.
    std::string text;
};

struct SSettingsList {
    int control = 0;      // the list's control identifier in the settings view
    std::string_view key; // the settings key it edits
    // 0 to 3 decimals for numeric lists; -1 for lists of texts with codes.
    int precision = 0;
    // Lists that stand for bits of a byte rather than for its value (the
    // petrol injection control, the buzzer, the pressure sensor).
    std::uint8_t bits = 0;
    std::vector<SSettingsChoice> choices;
};

// Every list of the settings view.
const std::vector<SSettingsList>& settingsLists();
const SSettingsList* settingsListByControl(int control);
// The list that offers values of a key (bit lists excluded); null when none.
const SSettingsList* settingsListForKey(std::string_view key);

// The value rounded half away from zero to 0 to 3 decimals, and as the
// lists show it: "%d" for 0 (and anything outside 1 to 3), "%.1f" to "%.3f".
double roundToPrecision(double value, int precision);
std::string listValueText(double value, int precision);

// Position of the first choice equal to value, both rounded to the list's
// precision; -1 when no entry matches (the view then keeps its selection).
int findChoice(const SSettingsList& list, double value);

// What a list offers, for messages: "500 to 5000 in steps of 100" for an
// even run, otherwise its values in list order ("1, 4, 9"). Translated.
std::string describeChoices(const SSettingsList& list);

// Code of the petrol injection control list from the byte's bits 1 and 2
// (bit 1 wins), and the byte with a code's bits set and the others kept.
int petrolInjectionCode(std::uint8_t engineSignalBehavior);
std::uint8_t withPetrolInjectionCode(std::uint8_t engineSignalBehavior, int code);
