// nimo's command line: nimo [--port PATH|N]... [--emulator] [--demo]
// [--lang pl|en|ru|it|de] [--play FILE] [--help].
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
};

// Empty on success, otherwise what is wrong (in the current language).
std::string parseGuiOptions(const std::vector<std::string>& args, SGuiOptions& opt);
std::string guiUsage();
