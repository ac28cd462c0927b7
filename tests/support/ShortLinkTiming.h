// The link timing of tests that check retry and failure rules against a
// silent or faulty peer: an unanswered request costs 50 ms instead of the
// real line's 700 ms. That still gives the in-process emulator's thread time
// to be scheduled on a busy machine, and a reply that misses it costs one
// retry, which every rule under test allows for.
#pragma once

#include "link/CGasLink.h"

inline constexpr SLinkTiming kShortLinkTiming{50};
