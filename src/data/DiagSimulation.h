// Demonstration-mode live data: a slowly ramping engine that needs no
// controller.
// Thread safety: the simulation state is process-wide and locked; any thread
// may call these.
#pragma once

#include <cstdint>

#include "data/DiagRecord.h"

// Fills rec with the next simulated sample, waits 50 ms as a real exchange
// would, and returns 0 (a record, as the live-data reader expects).
int simulateRecord(diag_t& rec);
// The same sample without the wait, for callers that pace themselves.
void nextSimulatedRecord(diag_t& rec);

// The demonstration mode commands: LPG 3/3, petrol 2/2, automatic 1/2.
void setSimulatedMode(std::uint8_t workMode, std::uint8_t fuel);
// Back to the state at process start.
void resetSimulation();
