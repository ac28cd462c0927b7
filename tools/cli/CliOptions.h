// nimo-cli's command line: global options, the command, its own options and
// its operands, checked against what each command accepts.
// Thread safety: pure functions (messages use the current language).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Exit status of every command.
enum ECliExit {
    CLI_OK = 0,
    CLI_FAILED = 1,    // the controller refused, or an operation failed after its retries
    CLI_USAGE = 2,     // the command line is wrong
    CLI_NO_DEVICE = 3, // no controller found, or the port could not be used
    CLI_REFUSED = 4,   // a file or a value was refused
};

struct SCliOptions {
    // Global.
    std::vector<std::string> ports; // as given: paths or port numbers
    bool demo = false;
    bool json = false;
    int language = -1; // -1: from the locale
    bool help = false;
    bool version = false;

    std::string command;
    std::vector<std::string> operands;

    // Per command; which ones were given is in `given`.
    std::optional<std::uint64_t> count;
    std::optional<double> seconds;
    std::string record;
    bool csv = false;
    std::string set;
    std::optional<std::uint8_t> mask;
    bool yes = false;
    // The installation data autocalibrate asks for.
    std::string mountService;
    std::string injSize;
    std::string engine;
    bool write = false;
    std::vector<std::string> given;
};

// Empty on success; otherwise what is wrong, for a usage message in the
// current language.
std::string parseCliOptions(const std::vector<std::string>& args, SCliOptions& opt);

// What the line asks of the messages themselves, read before the rest of it
// is checked, so that even a usage error speaks that language and, with
// --json, comes as an object too.
struct SCliEarlyOptions {
    int language = -1; // the last valid --lang, -1 for none
    bool json = false;
};
SCliEarlyOptions cliEarlyOptions(const std::vector<std::string>& args);

// "pl".."de" to a language number, -1 for anything else.
int cliLanguage(const std::string& code);
// A port operand that is all digits is a port number: 1 to SCAN_PORTS, or
// -1 beyond them; 0 for a path.
int cliPortNumber(const std::string& portArg);
