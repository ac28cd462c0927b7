// nimo's command line: nimo [--port PATH|N]... [--emulator] [--demo]
// [--lang pl|en|ru|it|de] [--report FILE.pdf] [--play FILE] [--help].
// Thread safety: pure functions.
#pragma once

#include <string>
#include <vector>

struct SGuiOptions {
    std::vector<std::string> ports; // device paths, tried first, in order
    int port = 0;                   // a port number of the port list, tried first
    bool emulator = false;
    bool demo = false;
    int language = -1; // -1: from the locale
    std::string play;  // a recording to play once the window is up
    bool help = false;
    // Write the installation report here and exit, showing no window.
    std::string report;
};

// Empty on success, otherwise what is wrong (in the current language).
std::string parseGuiOptions(const std::vector<std::string>& args, SGuiOptions& opt);
std::string guiUsage();
// Whether the arguments ask for a report, told before the toolkit starts
// (which must then start without a display); the same reading as the parse.
bool reportRequested(const std::vector<std::string>& args);
// The language of a well-formed --lang anywhere on the line (the last one),
// -1 for none: what is wrong with the rest is said in it.
int requestedLanguage(const std::vector<std::string>& args);
