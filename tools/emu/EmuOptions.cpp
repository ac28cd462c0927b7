#include "EmuOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (;;) {
        const auto next = s.find(sep, pos);
        out.push_back(s.substr(pos, next - pos));
        if (next == std::string::npos)
            return out;
        pos = next + 1;
    }
}

bool toUnsigned(const std::string& s, unsigned long long max, unsigned long long& v)
{
    if (s.empty())
        return false;
    int base = 10;
    std::string digits = s;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    const auto* end = digits.data() + digits.size();
    auto [p, ec] = std::from_chars(digits.data(), end, v, base);
    return ec == std::errc() && p == end && v <= max;
}

bool toDouble(const std::string& s, double lo, double hi, double& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && v >= lo && v <= hi;
}

template <class T>
const T* byName(std::span<const T> table, std::string_view name)
{
    for (const auto& e : table)
        if (e.m_name == name)
            return &e;
    return nullptr;
}

std::string parseIgnore(const std::string& list, SEmuOptions& o)
{
    for (const auto& item : split(list, ',')) {
        std::string name = lower(item);
        std::replace(name.begin(), name.end(), '-', '_');
        unsigned long long v = 0;
        if (name == "all_but_test") {
            o.m_ignoreAllButTest = true;
        } else if (name == "all") {
            for (unsigned c = 0; c < 256; ++c)
                o.m_ignoreCommands.push_back(static_cast<std::uint8_t>(c));
            for (const auto& f : CEmuController::dataFrames())
                o.m_ignoreTypes.push_back(f.m_type);
        } else if (name.rfind("type:", 0) == 0 || name.rfind("msg_type_", 0) == 0) {
            const std::string rest = name[0] == 't' ? name.substr(5) : name.substr(9);
            if (const auto* f = byName(CEmuController::dataFrames(), rest))
                o.m_ignoreTypes.push_back(f->m_type);
            else if (toUnsigned(rest, 255, v))
                o.m_ignoreTypes.push_back(static_cast<std::uint8_t>(v));
            else
                return "--ignore: unknown frame type '" + item + "'";
        } else if (toUnsigned(name, 255, v)) {
            o.m_ignoreCommands.push_back(static_cast<std::uint8_t>(v));
        } else {
            if (name.rfind("cmd_", 0) == 0)
                name = name.substr(4);
            const auto* cmd = byName(CEmuController::commands(), name);
            if (!cmd)
                return "--ignore: unknown command '" + item + "'";
            o.m_ignoreCommands.push_back(cmd->m_code);
        }
    }
    return {};
}

std::string parseFaults(const std::string& list, SEmuFaultConfig& f)
{
    for (const auto& item : split(list, ',')) {
        const auto eq = item.find('=');
        EEmuFault kind{};
        if (eq == std::string::npos || !emuFaultFromName(lower(item.substr(0, eq)), kind))
            return "--faults: expected kind=rate with kind one of drop, truncate, flip, garbage, "
                   "delay, silent, disconnect; got '" +
                   item + "'";
        double rate = 0;
        if (!toDouble(item.substr(eq + 1), 0, 1, rate))
            return "--faults: rate of '" + item + "' must be a number from 0 to 1";
        f.m_rate[static_cast<int>(kind)] = rate;
    }
    return {};
}

std::string parseGain(const std::string& list, std::vector<SEmuGainPoint>& curve)
{
    curve.clear();
    double g = 0;
    if (list.find(':') == std::string::npos) {
        if (!toDouble(list, 0.2, 5, g))
            return "--gain: a gain from 0.2 to 5, or points TIME:GAIN,...";
        curve.push_back({0, g});
        return {};
    }
    for (const auto& item : split(list, ',')) {
        const auto colon = item.find(':');
        double t = 0;
        if (colon == std::string::npos || !toDouble(item.substr(0, colon), 0, 50, t) ||
            !toDouble(item.substr(colon + 1), 0.2, 5, g))
            return "--gain: expected TIME:GAIN points (ms 0 to 50, gain 0.2 to 5), got '" + item +
                   "'";
        if (!curve.empty() && t <= curve.back().m_timeMs)
            return "--gain: the points' times must rise";
        curve.push_back({t, g});
    }
    return {};
}

std::string parseErrors(const std::string& list, std::array<std::uint8_t, 4>& out)
{
    std::string hex;
    std::string s = list;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s = s.substr(2);
    for (char c : s) {
        if (c == ' ' || c == ',' || c == ':' || c == '-')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return "--errors: four hex bytes, e.g. \"00 00 01 00\"";
        hex += c;
    }
    if (hex.size() != 8)
        return "--errors: four hex bytes, e.g. \"00 00 01 00\"";
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return {};
}

// The parse in progress: what the options fill, and what one option must
// know about the others.
struct SParse {
    SEmuOptions& m_opt;
    bool m_rpmGiven = false;
};

std::string setFlag(bool& out)
{
    out = true;
    return {};
}

std::string setText(const std::string& v, std::string& out)
{
    out = v;
    return {};
}

// Stores the number in `out` only when it is in range, so that a refused
// value leaves the default in place.
template <class T>
std::string setWhole(const std::string& v, unsigned long long lo, unsigned long long hi, T& out,
                     const char* complaint)
{
    unsigned long long n = 0;
    if (!toUnsigned(v, hi, n) || n < lo)
        return complaint;
    out = static_cast<T>(n);
    return {};
}

std::string setReal(const std::string& v, double lo, double hi, double& out, const char* complaint)
{
    double d = 0;
    if (!toDouble(v, lo, hi, d))
        return complaint;
    out = d;
    return {};
}

template <class T>
std::string setChoice(const std::string& v,
                      std::initializer_list<std::pair<const char*, T>> choices, T& out,
                      const char* complaint)
{
    const std::string want = lower(v);
    for (const auto& [name, value] : choices)
        if (want == name) {
            out = value;
            return {};
        }
    return complaint;
}

struct SOption {
    std::string_view m_name;
    // Empty for a flag; in brackets when the value may be left out, which
    // then reads as "-".
    std::string_view m_value;
    std::string_view m_section;
    // As the help shows it, line breaks included.
    std::string_view m_help;
    std::string (*m_apply)(SParse& p, const std::string& v);
};

constexpr std::string_view kLine = "Line", kController = "Controller", kCar = "Car",
                           kOutput = "Output";

// Parser, the check for a missing value and the help all come from here, in
// the help's order.
const SOption kOptions[] = {
    {"--link", "PATH", kLine,
     "also make a symbolic link PATH to the slave (kept\n"
     "pointing at the port after a disconnect; removed on exit)",
     [](SParse& p, const std::string& v) { return setText(v, p.m_opt.m_server.m_linkPath); }},
    {"--pace", "", kLine,
     "send one byte every 10/14400 s and take requests as\n"
     "arriving no faster, like the real line (default: off)",
     [](SParse& p, const std::string&) { return setFlag(p.m_opt.m_server.m_pace); }},
    {"--turnaround", "MS", kLine, "pause between request and reply, ms (default 0)",
     [](SParse& p, const std::string& v) {
         double ms = 0;
         auto e = setReal(v, 0, 10000, ms, "--turnaround: milliseconds from 0 to 10000");
         if (e.empty())
             p.m_opt.m_server.m_turnaroundUs = static_cast<int>(ms * 1000);
         return e;
     }},
    {"--strict-baud", "", kLine,
     "answer only while the host has set the port to 14400\n"
     "baud; at any other speed requests are taken as noise",
     [](SParse& p, const std::string&) { return setFlag(p.m_opt.m_server.m_strictBaud); }},
    {"--faults", "LIST", kLine,
     "reply faults, kind=rate,... with rate 0 to 1 per reply;\n"
     "kinds: drop (no reply), truncate (cut short), flip (one\n"
     "bit flipped), garbage (a noise byte first), delay (reply\n"
     "sent late, see --delay-ms), silent (no replies for\n"
     "--silent-ms), disconnect (port closed for\n"
     "--disconnect-ms, then a new one; see --link)",
     [](SParse& p, const std::string& v) { return parseFaults(v, p.m_opt.m_faults); }},
    {"--delay-ms", "MS", kLine, "lateness of a delayed reply (default 1000)",
     [](SParse& p, const std::string& v) {
         return setWhole(v, 0, 600000, p.m_opt.m_faults.m_delayMs,
                         "--delay-ms: milliseconds from 0 to 600000");
     }},
    {"--silent-ms", "MS", kLine, "length of a silent spell (default 3000)",
     [](SParse& p, const std::string& v) {
         return setWhole(v, 0, 600000, p.m_opt.m_faults.m_silentMs,
                         "--silent-ms: milliseconds from 0 to 600000");
     }},
    {"--disconnect-ms", "MS", kLine, "length of a disconnection (default 2000)",
     [](SParse& p, const std::string& v) {
         return setWhole(v, 0, 600000, p.m_opt.m_faults.m_disconnectMs,
                         "--disconnect-ms: milliseconds from 0 to 600000");
     }},
    {"--ignore", "LIST", kLine,
     "requests left unanswered: command numbers or names\n"
     "(diag, version, test, CMD_SETUP, ...), type:N or\n"
     "type:NAME for data frames the host writes (table, setup,\n"
     "setup_v1, eeprom, fuel_sensor, mount_data), \"all\", or\n"
     "\"all-but-test\" (answers CMD_TEST and nothing else);\n"
     "e.g. --ignore 6,13",
     [](SParse& p, const std::string& v) { return parseIgnore(v, p.m_opt); }},
    {"--seed", "N", kLine,
     "seed of the faults and of the engine's jitter\n"
     "(default 1); the same seed and traffic give the same\n"
     "faults",
     [](SParse& p, const std::string& v) {
         return setWhole(v, 0, 0xFFFFFFFF, p.m_opt.m_seed, "--seed: a number from 0 to 4294967295");
     }},

    {"--serial", "TEXT", kController, "serial text, up to 16 characters (default si001)",
     [](SParse& p, const std::string& v) {
         return v.size() > 16 ? "--serial: at most 16 characters"
                              : setText(v, p.m_opt.m_state.m_serial);
     }},
    {"--version-word", "N", kController, "version word of the identity record (default 0x0102)",
     [](SParse& p, const std::string& v) {
         return setWhole(v, 0, 0xFFFF, p.m_opt.m_state.m_versionWord,
                         "--version-word: a number from 0 to 65535");
     }},
    {"--injectors", "N", kController, "injector count, 1 to 8 (default 4)",
     [](SParse& p, const std::string& v) {
         auto& s = p.m_opt.m_state;
         auto e = setWhole(v, 1, 8, s.m_injCount, "--injectors: a number from 1 to 8");
         if (e.empty())
             s.m_injMask = s.maskLimit();
         return e;
     }},
    {"--flags1", "N", kController,
     "flags1 word; bit 2 (4) selects the extended settings\n"
     "record (default 0x04)",
     [](SParse& p, const std::string& v) {
         return setWhole(v, 0, 0xFFFFFFFF, p.m_opt.m_state.m_flags1, "--flags1: a 32-bit number");
     }},
    {"--errors", "HEX", kController, "the four fault bytes, e.g. \"00 00 01 00\" (default none)",
     [](SParse& p, const std::string& v) { return parseErrors(v, p.m_opt.m_state.m_faults); }},
    {"--mode", "MODE", kController, "work mode at start: auto, petrol or lpg (default petrol)",
     [](SParse& p, const std::string& v) {
         return setChoice<std::uint8_t>(v, {{"auto", 1}, {"petrol", 2}, {"lpg", 3}},
                                        p.m_opt.m_state.m_workMode, "--mode: auto, petrol or lpg");
     }},

    {"--scenario", "NAME", kCar,
     "idle (default), steady (at --rpm), or drive (manifold\n"
     "pressure sweeping 20 to 100 kPa every 20 s)",
     [](SParse& p, const std::string& v) {
         return setChoice(v,
                          {{"idle", EEmuScenario::Idle},
                           {"steady", EEmuScenario::Steady},
                           {"drive", EEmuScenario::Drive}},
                          p.m_opt.m_state.m_car.m_scenario, "--scenario: idle, steady or drive");
     }},
    {"--rpm", "N", kCar,
     "engine speed for idle and steady; 0: engine off\n"
     "(default 800 idle, 2500 steady)",
     [](SParse& p, const std::string& v) {
         p.m_rpmGiven = true; // a refused value ends the parse anyway
         return setReal(v, 0, 12000, p.m_opt.m_state.m_car.m_rpm,
                        "--rpm: a number from 0 to 12000");
     }},
    {"--true-offset", "MS", kCar,
     "opening time the gas injectors need before they deliver\n"
     "(default 1.0); autocalibration should find it",
     [](SParse& p, const std::string& v) {
         return setReal(v, 0, 10, p.m_opt.m_state.m_car.m_trueOffsetMs,
                        "--true-offset: milliseconds from 0 to 10");
     }},
    {"--gain", "CURVE", kCar,
     "gas injectors' gain: one number, or TIME:GAIN points\n"
     "over the effective opening time in ms, linear between\n"
     "points (default 1); map creation should find it",
     [](SParse& p, const std::string& v) { return parseGain(v, p.m_opt.m_state.m_car.m_gain); }},
    {"--reducer-temp", "C", kCar, "reducer temperature at start (default 20; it warms up)",
     [](SParse& p, const std::string& v) {
         return setReal(v, -40, 120, p.m_opt.m_state.m_car.m_reducerStartC,
                        "--reducer-temp: °C from -40 to 120");
     }},
    {"--ambient", "C", kCar, "ambient temperature (default 20)",
     [](SParse& p, const std::string& v) {
         return setReal(v, -40, 60, p.m_opt.m_state.m_car.m_ambientC,
                        "--ambient: °C from -40 to 60");
     }},
    {"--gas-pressure", "KPA", kCar,
     "hold the gas pressure here instead of at the reducer\n"
     "pressure in the settings (default: follow the settings)",
     [](SParse& p, const std::string& v) {
         return setReal(v, 0, 240, p.m_opt.m_state.m_car.m_gasPressureKpa,
                        "--gas-pressure: kPa from 0 to 240");
     }},
    {"--time-scale", "X", kCar,
     "the car's clock runs X times as fast as the real one\n"
     "(0.01 to 100, default 1): at 10 the drive's 20 s sweep\n"
     "passes in 2 s; the line keeps its real pace",
     [](SParse& p, const std::string& v) {
         return setReal(v, 0.01, 100, p.m_opt.m_state.m_car.m_timeScale,
                        "--time-scale: a factor from 0.01 to 100");
     }},
    {"--clock-step", "MS", kCar,
     "the car's clock moves MS ms per request answered\n"
     "instead of with the real time (default: real time), so\n"
     "that a drive looks the same however busy the host is",
     [](SParse& p, const std::string& v) {
         return setReal(v, 0.01, 10000, p.m_opt.m_state.m_car.m_clockStepMs,
                        "--clock-step: milliseconds from 0.01 to 10000");
     }},
    {"--fuel-switch", "SEC", kCar,
     "the driver flips the dashboard switch between petrol\n"
     "and LPG every SEC seconds of the car's clock (default\n"
     "never); with 20 in the drive scenario each fuel gets\n"
     "whole sweeps",
     [](SParse& p, const std::string& v) {
         return setReal(v, 0.1, 86400, p.m_opt.m_state.m_car.m_fuelSwitchSec,
                        "--fuel-switch: seconds from 0.1 to 86400");
     }},
    {"--no-vacuum-sensor", "", kCar,
     "the extra manifold-pressure sensor is not connected:\n"
     "its byte of the live data reads 0",
     [](SParse& p, const std::string&) {
         p.m_opt.m_state.m_car.m_vacuumSensor = false;
         return std::string();
     }},
    {"--fuel-level", "RAW", kCar, "raw fuel-level sensor value, 0 to 255 (default 135)",
     [](SParse& p, const std::string& v) {
         return setWhole(v, 0, 255, p.m_opt.m_state.m_car.m_fuelLevelRaw,
                         "--fuel-level: a number from 0 to 255");
     }},

    {"--trace", "[FILE]", kOutput,
     "frame trace to FILE, or to stderr without one: one line\n"
     "per frame, \"SECONDS RX|TX HEX-BYTES [notes]\", times in\n"
     "seconds since start, RX from the host, TX to it, notes\n"
     "naming injected faults, ignored requests and port events",
     [](SParse& p, const std::string& v) { return setText(v, p.m_opt.m_server.m_tracePath); }},
    {"--record-log", "FILE", kOutput,
     "every live-data record sent intact (not faulted, not\n"
     "late), one per line: its 76 payload bytes as sent on\n"
     "the wire (16-bit fields big-endian), two upper-case hex\n"
     "digits each, separated by single spaces",
     [](SParse& p, const std::string& v) { return setText(v, p.m_opt.m_server.m_recordLogPath); }},
    {"--help", "", kOutput, "this text",
     [](SParse& p, const std::string&) { return setFlag(p.m_opt.m_help); }},
};

} // namespace

std::string emuUsage()
{
    // Option names and their values take the first 21 columns after the indent.
    constexpr std::size_t kTextColumn = 23;
    std::string out =
        "Usage: nimo-emu [OPTION]...\n"
        "A virtual LPG/CNG injection controller on a pseudo-terminal. Prints the\n"
        "slave's path as its first line of output, then serves the host until\n"
        "SIGINT or SIGTERM. Options take their value as --opt VALUE or --opt=VALUE.\n";
    std::string_view section;
    for (const auto& d : kOptions) {
        if (d.m_section != section) {
            section = d.m_section;
            out.append("\n").append(section).append(":\n");
        }
        std::string left = "  " + std::string(d.m_name);
        if (!d.m_value.empty())
            left.append(" ").append(d.m_value);
        left.resize(std::max(kTextColumn, left.size() + 1), ' ');
        out += left;
        for (char c : d.m_help) {
            out += c;
            if (c == '\n')
                out.append(kTextColumn, ' ');
        }
        out += '\n';
    }
    out += "\nExit status: 0 after SIGINT/SIGTERM, 1 when the terminal cannot be set up,\n"
           "2 on a bad option.\n";
    return out;
}

std::string emuParseOptions(const std::vector<std::string>& args, SEmuOptions& o)
{
    SParse p{o};
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string opt = args[i] == "-h" ? "--help" : args[i];
        std::optional<std::string> value;
        if (const auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = opt.substr(eq + 1);
            opt.resize(eq);
        }
        const bool more = i + 1 < args.size();
        const SOption* d = byName<SOption>(kOptions, opt);
        if (!d) {
            // Only a stray word at the very end is an argument; anywhere else
            // it reads as an option followed by its value.
            const bool word = opt.rfind("--", 0) != 0 || opt.size() < 3;
            return (word && !value && !more ? "unexpected argument '" : "unknown option '") + opt +
                   "'";
        }
        if (d->m_value.empty()) {
            if (value)
                return opt + " takes no value";
        } else if (d->m_value.front() == '[') {
            // A following option means the value was left out.
            if (!value)
                value = more && args[i + 1].rfind("--", 0) != 0 ? args[++i] : "-";
        } else if (!value) {
            if (!more)
                return opt + " needs a value";
            value = args[++i];
        }
        if (auto e = d->m_apply(p, value.value_or("")); !e.empty())
            return e;
    }
    if (!p.m_rpmGiven && o.m_state.m_car.m_scenario == EEmuScenario::Steady)
        o.m_state.m_car.m_rpm = 2500;
    o.m_faults.m_seed = o.m_seed;
    return {};
}

void emuApplyOptions(const SEmuOptions& opt, CEmuController& ctl)
{
    ctl.state() = opt.m_state;
    ctl.clearIgnores();
    if (opt.m_ignoreAllButTest)
        ctl.ignoreAllButTest();
    for (auto c : opt.m_ignoreCommands)
        ctl.ignoreCommand(c);
    for (auto t : opt.m_ignoreTypes)
        ctl.ignoreFrameType(t);
    ctl.setFaults(opt.m_faults);
    // A different stream from the faults', so that switching faults on does
    // not change the engine's jitter.
    ctl.seedEngine(opt.m_seed ^ 0x5EEDCAFEu);
}
