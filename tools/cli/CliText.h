// How nimo-cli sets a value off inside a translated message: the fixed
// pieces go through translate() one by one, the value stands between them
// as the user typed it, its control characters escaped and a long one cut.
// Thread safety: pure functions.
#pragma once

#include <string>

#include "data/SettingsKeys.h"

inline std::string cliQuoted(const std::string& value)
{
    return "'" + shownSettingsText(value) + "'";
}
