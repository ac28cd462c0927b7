// Command line of nimo-emu: parsing into the controller's state and the
// server's configuration, and the help text.
// Thread safety: pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CEmuFaults.h"
#include "CEmuServer.h"
#include "SEmuState.h"

struct SEmuOptions {
    SEmuState m_state;
    SEmuServerConfig m_server;
    SEmuFaultConfig m_faults;
    std::uint32_t m_seed = 1;
    bool m_help = false;
    bool m_ignoreAllButTest = false;
    std::vector<std::uint8_t> m_ignoreCommands;
    std::vector<std::uint8_t> m_ignoreTypes;
};

// Fills `out`; returns an empty text on success, else what is wrong.
std::string emuParseOptions(const std::vector<std::string>& args, SEmuOptions& out);
std::string emuUsage();
// Puts state, ignores, faults and seeds into a controller.
void emuApplyOptions(const SEmuOptions& opt, CEmuController& ctl);
