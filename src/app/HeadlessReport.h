// nimo --report FILE: the installation report written without a window.
// The controller is sought as at start, but without the no-connection
// question; what goes wrong is told on stderr.
// Thread safety: the user-interface thread.
#pragma once

#include <string>

class CAutrelDoc;
class CQtShell;

// Exit statuses beside 0 (written), 2 (usage) and 3 (emulator).
constexpr int REPORT_NO_CONTROLLER = 4;
constexpr int REPORT_FAILED = 5;

// With demo, the demonstration mode's values. Makes the shell windowless.
int runHeadlessReport(CAutrelDoc& doc, CQtShell& shell, const std::string& path, bool demo);
