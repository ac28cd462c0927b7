// The program's texts as one table for translators (texts.tsv, compiled in):
// the dictionary rows and the rows of every window text class.
// Thread safety: parseTextTable() is pure; textTable() parses once on first
// use from any thread and is read-only afterwards.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lang/Translation.h"

// Table name of the dictionary rows; every other name is a window text class.
inline constexpr std::string_view kDictTable = "dict";

struct STextRow {
    std::string table;
    std::int32_t key = 0;                          // control identifier; 0 for a dictionary row
    std::array<std::string, kLanguageCount> texts; // indexed by language number
    std::size_t line = 0;                          // line of the file, for messages to translators
};

struct STextTable {
    std::vector<STextRow> rows;        // in file order
    std::vector<std::string> problems; // "line N: reason", one per rejected row
};

// Rejects, and names in problems, every row that is not exactly seven columns,
// has a bad key or escape, or repeats a text already given (a repeat would
// never be used, so a translator's edit there would be lost without a trace).
STextTable parseTextTable(std::string_view tsv);

// The table compiled into the program.
const STextTable& textTable();
