// nimo-cli's help: the overview (--help) and a manual page per command
// (nimo-cli help COMMAND).
// Thread safety: pure functions.
#pragma once

#include <string>

std::string cliUsage();
// Empty for an unknown command.
std::string cliCommandHelp(const std::string& command);
