// nimo-cli as a function: the whole program behind main(), so tests can run
// every command in-process against a virtual controller.
// Thread safety: one call at a time (the port list and the language are
// process-wide).
#pragma once

#include <ostream>

#include "link/CGasLink.h"

// Parses the command line, runs the command and returns its exit status
// (ECliExit). Data go to out, messages to err. Tests pass a short read
// time-out in `timing` so that unanswered requests cost little; the program
// itself always runs on the real line's.
int runCli(int argc, char** argv, std::ostream& out, std::ostream& err,
           const SLinkTiming& timing = {});
