// The device information as the fitter reads it: version, work times and
// installation data, labelled in the current language.
// Thread safety: pure functions (texts in the current language).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/CSettings.h"

// "%d.%01d" of the version word's high and low byte: 0x030C is "3.12".
std::string versionText(int word);
// A counter in half-seconds as "H godz : MM min", words translated.
std::string workTimeText(std::uint32_t halfSeconds);

// The labelled lines of the device information view, in its order.
std::vector<std::pair<std::string, std::string>> deviceInfoLines(const SDevInfo& info);
// The view's whole text: "label TAB value" lines one empty line apart, with
// a rule of hyphens after the production date and after the LPG work time.
std::string deviceInfoText(const SDevInfo& info);
