// The six live values of the status bar as the fitter reads them, from the
// newest diagnostic record, and the texts shown before the first one.
// Thread safety: pure functions.
#pragma once

#include <string>

#include "data/DiagRecord.h"

struct SStatusBarValues {
    std::string petrolMs; // channel 0, pair A
    std::string lpgMs;    // the same pair's correction on the rounded petrol time
    std::string rpm;
    std::string reducerC;
    std::string gasKpa;
    std::string lambdaV;
    bool petrolFuel = true; // fuel in use reported as petrol, any other code is LPG
};

SStatusBarValues statusBarValues(const diag_t& rec);
SStatusBarValues initialStatusBarValues();

// A value with a fixed number of decimals and a point whatever the locale,
// never "-0"; "?" for a value that does not fit.
std::string fixedText(double value, int decimals);
