// What the installation report needs from the controller, read afresh: the
// block the program holds may carry a value a failed write left behind, and
// the report is to say what the car drives with.
// Thread safety: the thread that drives the controller object.
#pragma once

#include <string>

#include "data/InstallationReport.h"

class CGasDevice;

// Fills in.settings (work times, installation data, settings record, setup
// table), in.faults and in.demo; the block the controller object holds stays
// as it was. Empty on success, otherwise why (translated), with `in` to be
// thrown away.
std::string readReportInput(CGasDevice& device, SReportInput& in);
