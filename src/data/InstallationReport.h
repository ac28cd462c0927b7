// What the installation report says, for the car's owner and the workshop's
// files: the controller's identity and work times, the installation data,
// every setting with the settings view's label, value and unit, the two main
// corrections, the correction table and the faults the controller reports,
// all in the current language. Rendering it is the application's business.
// Thread safety: pure functions (texts in the current language).
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "data/CSettings.h"

struct SReportInput {
    // As the controller holds it now.
    CSettings settings;
    // The fault texts as the error codes view shows them (the controller
    // object's describeErrors), lines apart by "\r\n"; empty for no fault.
    std::string faults;
    // The workshop name this computer keeps; empty for none.
    std::string workshop;
    std::time_t when = 0;
    // The values are the demonstration mode's, not a controller's.
    bool demo = false;
    // The correction chart shows ± this many per cent; 0 for no limit.
    double chartLimit = 0;
};

struct SReportRow {
    std::string label;
    std::string value;
    std::string unit; // empty for none
};

struct SReportSection {
    std::string title;
    std::vector<SReportRow> rows;
    // Paragraphs after the rows.
    std::vector<std::string> lines;
    // The correction chart heads this section.
    bool chart = false;
};

struct SInstallationReport {
    std::string title;
    // The controller's, for every page's foot.
    std::string serial;
    // Who issued the report and when.
    std::vector<SReportRow> heading;
    // Set in demonstration mode: what the values are.
    std::string notice;
    std::vector<SReportSection> sections;
    // The correction table as the chart draws it, whole per cent.
    std::array<double, SETUP_TIMES_COUNT> corrections{};
};

// The workshop is the configured name, else the controller's own installer;
// every settings item appears in exactly one section.
SInstallationReport installationReport(const SReportInput& in);
