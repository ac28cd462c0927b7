// One diagnostic record as a line of live values: text columns, a JSON
// object, or CSV. monitor and replay print the same columns, the ones the
// application exports (data/LiveCsv.h).
// Thread safety: pure functions.
#pragma once

#include <string>

#include "data/DiagRecord.h"

enum class ELiveFormat { Text, Json, Csv };

// The column names (TAB- or comma-separated); empty for JSON, whose objects
// name their fields.
std::string liveHeader(ELiveFormat format);
std::string liveLine(const diag_t& rec, ELiveFormat format);
