#include "EmuOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <map>

#include "EmuWire.h"

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

const std::map<std::string, std::uint8_t>& commandNames()
{
    static const std::map<std::string, std::uint8_t> names = {
        {"work_lpg", emu::CMD_WORK_LPG},
        {"work_gas", emu::CMD_WORK_GAS},
        {"work_auto", emu::CMD_WORK_AUTO},
        {"error", emu::CMD_ERROR},
        {"diag", emu::CMD_DIAG},
        {"setup_v1", emu::CMD_SETUP_V1},
        {"clear_errors", emu::CMD_CLEAR_ERRORS},
        {"eeprom", emu::CMD_EEPROM},
        {"setup_table", emu::CMD_SETUP_TABLE},
        {"version", emu::CMD_VERSION},
        {"fuel_sensor", emu::CMD_FUEL_SENSOR},
        {"flags", emu::CMD_FLAGS},
        {"statistic", emu::CMD_STATISTIC},
        {"mount_data", emu::CMD_MOUNT_DATA},
        {"set_inj_mask", emu::CMD_SET_INJ_MASK},
        {"get_inj_mask", emu::CMD_GET_INJ_MASK},
        {"setup", emu::CMD_SETUP},
        {"test", emu::CMD_TEST},
    };
    return names;
}

const std::map<std::string, std::uint8_t>& typeNames()
{
    static const std::map<std::string, std::uint8_t> names = {
        {"setup_v1", emu::MSG_TYPE_SETUP_V1},     {"eeprom", emu::MSG_TYPE_EEPROM},
        {"table", emu::MSG_TYPE_TABLE},           {"fuel_sensor", emu::MSG_TYPE_FUEL_SENSOR},
        {"mount_data", emu::MSG_TYPE_MOUNT_DATA}, {"setup", emu::MSG_TYPE_SETUP},
    };
    return names;
}

std::string parseIgnore(const std::string& list, SEmuOptions& o)
{
    for (auto item : split(list, ',')) {
        std::string name = lower(item);
        std::replace(name.begin(), name.end(), '-', '_');
        unsigned long long v = 0;
        if (name == "all_but_test") {
            o.m_ignoreAllButTest = true;
        } else if (name == "all") {
            for (unsigned c = 0; c < 256; ++c)
                o.m_ignoreCommands.push_back(static_cast<std::uint8_t>(c));
            for (const auto& [n, t] : typeNames())
                o.m_ignoreTypes.push_back(t);
        } else if (name.rfind("type:", 0) == 0 || name.rfind("msg_type_", 0) == 0) {
            const std::string rest = name[0] == 't' ? name.substr(5) : name.substr(9);
            auto it = typeNames().find(rest);
            if (it != typeNames().end())
                o.m_ignoreTypes.push_back(it->second);
            else if (toUnsigned(rest, 255, v))
                o.m_ignoreTypes.push_back(static_cast<std::uint8_t>(v));
            else
                return "--ignore: unknown frame type '" + item + "'";
        } else if (toUnsigned(name, 255, v)) {
            o.m_ignoreCommands.push_back(static_cast<std::uint8_t>(v));
        } else {
            if (name.rfind("cmd_", 0) == 0)
                name = name.substr(4);
            auto it = commandNames().find(name);
            if (it == commandNames().end())
                return "--ignore: unknown command '" + item + "'";
            o.m_ignoreCommands.push_back(it->second);
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

} // namespace

std::string emuUsage()
{
    return R"(Usage: nimo-emu [OPTION]...
A virtual LPG/CNG injection controller on a pseudo-terminal. Prints the
slave's path as its first line of output, then serves the host until
SIGINT or SIGTERM. Options take their value as --opt VALUE or --opt=VALUE.

Line:
  --link PATH          also make a symbolic link PATH to the slave (kept
                       pointing at the port after a disconnect; removed on exit)
  --pace               send one byte every 10/14400 s and take requests as
                       arriving no faster, like the real line (default: off)
  --turnaround MS      pause between request and reply, ms (default 0)
  --strict-baud        answer only while the host has set the port to 14400
                       baud; at any other speed requests are taken as noise
  --faults LIST        reply faults, kind=rate,... with rate 0 to 1 per reply;
                       kinds: drop (no reply), truncate (cut short), flip (one
                       bit flipped), garbage (a noise byte first), delay (reply
                       sent late, see --delay-ms), silent (no replies for
                       --silent-ms), disconnect (port closed for
                       --disconnect-ms, then a new one; see --link)
  --delay-ms MS        lateness of a delayed reply (default 1000)
  --silent-ms MS       length of a silent spell (default 3000)
  --disconnect-ms MS   length of a disconnection (default 2000)
  --ignore LIST        requests left unanswered: command numbers or names
                       (diag, version, test, CMD_SETUP, ...), type:N or
                       type:NAME for data frames the host writes (table, setup,
                       setup_v1, eeprom, fuel_sensor, mount_data), "all", or
                       "all-but-test" (answers CMD_TEST and nothing else);
                       e.g. --ignore 6,13
  --seed N             seed of the faults and of the engine's jitter
                       (default 1); the same seed and traffic give the same
                       faults

Controller:
  --serial TEXT        serial text, up to 16 characters (default si001)
  --version-word N     version word of the identity record (default 0x0102)
  --injectors N        injector count, 1 to 8 (default 4)
  --flags1 N           flags1 word; bit 2 (4) selects the extended settings
                       record (default 0x04)
  --errors HEX         the four fault bytes, e.g. "00 00 01 00" (default none)
  --mode MODE          work mode at start: auto, petrol or lpg (default petrol)

Car:
  --scenario NAME      idle (default), steady (at --rpm), or drive (manifold
                       pressure sweeping 20 to 100 kPa every 20 s)
  --rpm N              engine speed for idle and steady; 0: engine off
                       (default 800 idle, 2500 steady)
  --true-offset MS     opening time the gas injectors need before they deliver
                       (default 1.0); autocalibration should find it
  --gain CURVE         gas injectors' gain: one number, or TIME:GAIN points
                       over the effective opening time in ms, linear between
                       points (default 1); map creation should find it
  --reducer-temp C     reducer temperature at start (default 20; it warms up)
  --ambient C          ambient temperature (default 20)
  --gas-pressure KPA   hold the gas pressure here instead of at the reducer
                       pressure in the settings (default: follow the settings)
  --fuel-level RAW     raw fuel-level sensor value, 0 to 255 (default 135)

Output:
  --trace [FILE]       frame trace to FILE, or to stderr without one: one line
                       per frame, "SECONDS RX|TX HEX-BYTES [notes]", times in
                       seconds since start, RX from the host, TX to it, notes
                       naming injected faults, ignored requests and port events
  --record-log FILE    every live-data record sent intact (not faulted, not
                       late), one per line: its 76 payload bytes as sent on
                       the wire (16-bit fields big-endian), two upper-case hex
                       digits each, separated by single spaces
  --help               this text

Exit status: 0 after SIGINT/SIGTERM, 1 when the terminal cannot be set up,
2 on a bad option.
)";
}

std::string emuParseOptions(const std::vector<std::string>& args, SEmuOptions& o)
{
    bool rpmGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string opt = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
            hasValue = true;
        }
        auto need = [&](std::string& v) -> bool {
            if (hasValue) {
                v = value;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            v = args[++i];
            return true;
        };
        auto flag = [&]() -> std::string {
            return hasValue ? opt + " takes no value" : std::string();
        };
        std::string v;
        unsigned long long n = 0;
        double d = 0;
        if (opt == "--help" || opt == "-h") {
            o.m_help = true;
        } else if (opt == "--pace") {
            if (auto e = flag(); !e.empty())
                return e;
            o.m_server.m_pace = true;
        } else if (opt == "--strict-baud") {
            if (auto e = flag(); !e.empty())
                return e;
            o.m_server.m_strictBaud = true;
        } else if (opt == "--trace") {
            // The file is optional: a following option means "to stderr".
            if (hasValue)
                o.m_server.m_tracePath = value;
            else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0)
                o.m_server.m_tracePath = args[++i];
            else
                o.m_server.m_tracePath.assign(1, '-');
        } else if (!need(v)) {
            if (opt.rfind("--", 0) != 0 || opt.size() < 3)
                return "unexpected argument '" + opt + "'";
            static const char* known[] = {
                "--link",         "--turnaround",    "--faults",       "--delay-ms",
                "--silent-ms",    "--disconnect-ms", "--ignore",       "--seed",
                "--serial",       "--version-word",  "--injectors",    "--flags1",
                "--errors",       "--mode",          "--scenario",     "--rpm",
                "--true-offset",  "--gain",          "--reducer-temp", "--ambient",
                "--gas-pressure", "--fuel-level",    "--record-log"};
            for (const char* k : known)
                if (opt == k)
                    return opt + " needs a value";
            return "unknown option '" + opt + "'";
        } else if (opt == "--link") {
            o.m_server.m_linkPath = v;
        } else if (opt == "--record-log") {
            o.m_server.m_recordLogPath = v;
        } else if (opt == "--turnaround") {
            if (!toDouble(v, 0, 10000, d))
                return "--turnaround: milliseconds from 0 to 10000";
            o.m_server.m_turnaroundUs = static_cast<int>(d * 1000);
        } else if (opt == "--faults") {
            if (auto e = parseFaults(v, o.m_faults); !e.empty())
                return e;
        } else if (opt == "--delay-ms" || opt == "--silent-ms" || opt == "--disconnect-ms") {
            if (!toUnsigned(v, 600000, n))
                return opt + ": milliseconds from 0 to 600000";
            (opt == "--delay-ms"    ? o.m_faults.m_delayMs
             : opt == "--silent-ms" ? o.m_faults.m_silentMs
                                    : o.m_faults.m_disconnectMs) = static_cast<int>(n);
        } else if (opt == "--ignore") {
            if (auto e = parseIgnore(v, o); !e.empty())
                return e;
        } else if (opt == "--seed") {
            if (!toUnsigned(v, 0xFFFFFFFFull, n))
                return "--seed: a number from 0 to 4294967295";
            o.m_seed = static_cast<std::uint32_t>(n);
        } else if (opt == "--serial") {
            if (v.size() > 16)
                return "--serial: at most 16 characters";
            o.m_state.m_serial = v;
        } else if (opt == "--version-word") {
            if (!toUnsigned(v, 0xFFFF, n))
                return "--version-word: a number from 0 to 65535";
            o.m_state.m_versionWord = static_cast<std::uint16_t>(n);
        } else if (opt == "--injectors") {
            if (!toUnsigned(v, 8, n) || n < 1)
                return "--injectors: a number from 1 to 8";
            o.m_state.m_injCount = static_cast<std::uint8_t>(n);
            o.m_state.m_injMask = o.m_state.maskLimit();
        } else if (opt == "--flags1") {
            if (!toUnsigned(v, 0xFFFFFFFFull, n))
                return "--flags1: a 32-bit number";
            o.m_state.m_flags1 = static_cast<std::uint32_t>(n);
        } else if (opt == "--errors") {
            if (auto e = parseErrors(v, o.m_state.m_faults); !e.empty())
                return e;
        } else if (opt == "--mode") {
            const std::string m = lower(v);
            if (m == "auto")
                o.m_state.m_workMode = 1;
            else if (m == "petrol")
                o.m_state.m_workMode = 2;
            else if (m == "lpg")
                o.m_state.m_workMode = 3;
            else
                return "--mode: auto, petrol or lpg";
        } else if (opt == "--scenario") {
            const std::string s = lower(v);
            if (s == "idle")
                o.m_state.m_car.m_scenario = EEmuScenario::Idle;
            else if (s == "steady")
                o.m_state.m_car.m_scenario = EEmuScenario::Steady;
            else if (s == "drive")
                o.m_state.m_car.m_scenario = EEmuScenario::Drive;
            else
                return "--scenario: idle, steady or drive";
        } else if (opt == "--rpm") {
            if (!toDouble(v, 0, 12000, d))
                return "--rpm: a number from 0 to 12000";
            o.m_state.m_car.m_rpm = d;
            rpmGiven = true;
        } else if (opt == "--true-offset") {
            if (!toDouble(v, 0, 10, d))
                return "--true-offset: milliseconds from 0 to 10";
            o.m_state.m_car.m_trueOffsetMs = d;
        } else if (opt == "--gain") {
            if (auto e = parseGain(v, o.m_state.m_car.m_gain); !e.empty())
                return e;
        } else if (opt == "--reducer-temp") {
            if (!toDouble(v, -40, 120, d))
                return "--reducer-temp: °C from -40 to 120";
            o.m_state.m_car.m_reducerStartC = d;
        } else if (opt == "--ambient") {
            if (!toDouble(v, -40, 60, d))
                return "--ambient: °C from -40 to 60";
            o.m_state.m_car.m_ambientC = d;
        } else if (opt == "--gas-pressure") {
            if (!toDouble(v, 0, 240, d))
                return "--gas-pressure: kPa from 0 to 240";
            o.m_state.m_car.m_gasPressureKpa = d;
        } else if (opt == "--fuel-level") {
            if (!toUnsigned(v, 255, n))
                return "--fuel-level: a number from 0 to 255";
            o.m_state.m_car.m_fuelLevelRaw = static_cast<std::uint8_t>(n);
        } else {
            return "unknown option '" + opt + "'";
        }
    }
    if (!rpmGiven && o.m_state.m_car.m_scenario == EEmuScenario::Steady)
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
