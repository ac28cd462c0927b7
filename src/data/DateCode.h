// Dates as the controller stores them: unsigned 16-bit day numbers.
// Thread safety: pure functions; callable from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "dd/mm/yyyy" of a day number; 0 is 1 April 2004, 1 is 2 April 2004.
std::string dateFromCode(std::uint16_t code);

// The day number of a "dd/mm/yyyy" text (the separators are not examined).
// 0 for any other length, for digits that are not a calendar date, and for
// dates the 16-bit counter cannot hold.
std::uint16_t codeFromDate(std::string_view text);
