// Per-cylinder petrol and LPG times of a live record as the bar displays and
// the autocalibration show them: which channels carry a measurement, and how
// half- and non-sequential petrol injection repeat them over the cylinders.
// Thread safety: pure functions; callable from any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "data/DiagRecord.h"

// Bars shown for an injector count: the count itself, 4 when the controller
// reports none, never more than the record has channels.
int barCount(int injCount);

// Channels that carry their own petrol time: only the first two with
// half-sequential petrol injection, only the first with non-sequential,
// otherwise one per injector (at most the record's eight).
int measuredChannels(int injCount, std::uint8_t engineSignalBehavior);

// A channel's times rounded as shown: each petrol time to two decimals, the
// larger winning, and the LPG time built on the winner's correction.
SChannelTimes shownChannelTimes(const SDiagChannel& channel);

// One entry per bar: measured channels first, the others repeating them
// (even bars channel 0 and odd bars channel 1 for half-sequential, every bar
// channel 0 for non-sequential).
std::vector<SChannelTimes> barTimes(const diag_t& rec, int injCount,
                                    std::uint8_t engineSignalBehavior);
