// nimo-cli's commands, once: what each accepts, whether it needs a
// controller, what runs it and what its help says. The option check, the
// dispatcher and the help are all read from this table, so that a new
// command is one entry.
// Thread safety: the table is built on first use and read-only afterwards.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "CliOptions.h"

struct SCliContext;

enum class ECliLink {
    None,  // never links through the controller object (it may probe ports on its own)
    First, // linked before the handler runs
    Own,   // the handler refuses what it was given before it seeks a controller
};

struct SCliCommand {
    const char* name = "";
    // What follows the name in the overview and in a usage error.
    const char* synopsis = "";
    std::vector<std::string> options = {}; // the command options it accepts
    std::size_t minOperands = 0;
    std::size_t maxOperands = 0;
    // The form its operands and option values must have beyond their count:
    // a usage message, empty when the line is well formed. Nothing is linked
    // before it passes, so a typing error never costs a port scan.
    std::string (*check)(const SCliOptions&) = nullptr;
    ECliLink link = ECliLink::First;
    int (*run)(SCliContext&) = nullptr;
    const char* summary = ""; // its line in the overview
    const char* page = "";    // its manual page
    // set, load, defaults, restore: a failure that reaches the dispatcher
    // came before their writes (which report their own), so it says so.
    bool replacesSettings = false;
};

// In the order the overview lists them.
const std::vector<SCliCommand>& cliCommandTable();
// Null for a name that is no command.
const SCliCommand* findCliCommand(const std::string& name);
