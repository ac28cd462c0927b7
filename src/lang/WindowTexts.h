// The rows of the window text classes (CSettingsTexts, CMainMenuTexts, ...),
// as the table holds them, for the classes' init() to add.
// Thread safety: built once on first use from any thread; read-only after.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lang/Translation.h"

struct SWindowText {
    std::int32_t key = 0;                          // control identifier; -1 a dialog's caption
    std::array<std::string, kLanguageCount> texts; // indexed by language number
};

// The rows of one text class in table order; empty for a name the table lacks.
const std::vector<SWindowText>& windowTexts(std::string_view tableName);
// Names of all window text classes in the table, sorted.
std::vector<std::string> windowTextTables();
