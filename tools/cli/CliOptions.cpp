#include "CliOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "CliCommands.h"
#include "CliText.h"
#include "data/SettingsKeys.h"
#include "lang/Translation.h"
#include "link/CGasDevice.h"

namespace {

bool takesValue(const std::string& name)
{
    static const std::vector<std::string> withValue = {
        "--port", "--lang", "--count",         "--seconds",  "--record",
        "--set",  "--mask", "--mount-service", "--inj-size", "--engine"};
    return std::find(withValue.begin(), withValue.end(), name) != withValue.end();
}

bool parseUnsigned(const std::string& text, std::uint64_t& value)
{
    int base = 10;
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    return !digits.empty() && r.ec == std::errc() && r.ptr == digits.data() + digits.size();
}

std::string apply(const std::string& name, const std::string& value, SCliOptions& opt)
{
    if (name == "--port") {
        if (value.empty())
            return translate("--port wymaga ścieżki lub numeru portu");
        // A number that names no port is a mistake, never a file called "0".
        static_assert(SCAN_PORTS == 7, "the --port message names ports 1 to 7");
        if (cliPortNumber(value) < 0)
            return translate("--port przyjmuje ścieżkę urządzenia albo numer portu od 1 do 7, a "
                             "nie ") +
                   cliQuoted(value);
        opt.ports.push_back(value);
    } else if (name == "--lang") {
        opt.language = cliLanguage(value);
        if (opt.language < 0)
            return translate("--lang przyjmuje pl, en, ru, it lub de, a nie ") + cliQuoted(value);
    } else if (name == "--count") {
        std::uint64_t n = 0;
        if (!parseUnsigned(value, n) || n == 0)
            return translate("--count przyjmuje liczbę całkowitą większą od 0, a nie ") +
                   cliQuoted(value);
        opt.count = n;
    } else if (name == "--seconds") {
        double s = 0;
        if (!parseSettingsNumber(value, s) || !(s > 0) || s > 1e9)
            return translate("--seconds przyjmuje liczbę sekund większą od 0, a nie ") +
                   cliQuoted(value);
        opt.seconds = s;
    } else if (name == "--record") {
        if (value.empty())
            return translate("--record wymaga nazwy pliku");
        opt.record = value;
    } else if (name == "--set") {
        opt.set = value;
    } else if (name == "--mask") {
        std::uint64_t m = 0;
        if (!parseUnsigned(value, m) || m > 255)
            return translate("--mask przyjmuje liczbę od 0 do 255 (lub od 0x00 do 0xFF), a nie ") +
                   cliQuoted(value);
        opt.mask = static_cast<std::uint8_t>(m);
    } else if (name == "--mount-service") {
        opt.mountService = value;
    } else if (name == "--inj-size") {
        opt.injSize = value;
    } else if (name == "--engine") {
        opt.engine = value;
    } else if (name == "--demo") {
        opt.demo = true;
    } else if (name == "--json") {
        opt.json = true;
    } else if (name == "--help") {
        opt.help = true;
    } else if (name == "--version") {
        opt.version = true;
    } else if (name == "--csv") {
        opt.csv = true;
    } else if (name == "--yes") {
        opt.yes = true;
    } else if (name == "--write") {
        opt.write = true;
    } else {
        return translate("nieznana opcja ") + cliQuoted(name);
    }
    return {};
}

bool isGlobal(const std::string& name)
{
    return name == "--port" || name == "--lang" || name == "--demo" || name == "--json" ||
           name == "--help" || name == "--version";
}

} // namespace

int cliLanguage(const std::string& code)
{
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        if (languageCode(lang) == code)
            return lang;
    }
    return -1;
}

int cliPortNumber(const std::string& portArg)
{
    if (portArg.empty() ||
        !std::all_of(portArg.begin(), portArg.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    int n = 0;
    const auto r = std::from_chars(portArg.data(), portArg.data() + portArg.size(), n);
    return r.ec == std::errc() && n >= 1 && n <= SCAN_PORTS ? n : -1;
}

SCliEarlyOptions cliEarlyOptions(const std::vector<std::string>& args)
{
    SCliEarlyOptions early;
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        int asked = -1;
        if (args[i] == "--json")
            early.json = true;
        else if (args[i] == "--lang" && i + 1 < args.size())
            asked = cliLanguage(args[++i]);
        else if (args[i].rfind("--lang=", 0) == 0)
            asked = cliLanguage(args[i].substr(7));
        else if (takesValue(args[i]))
            ++i; // a value that merely looks like --json is still a value
        if (asked >= 0)
            early.language = asked;
    }
    return early;
}

std::string parseCliOptions(const std::vector<std::string>& args, SCliOptions& opt)
{
    bool optionsEnd = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnd || arg.size() < 2 || arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (takesValue(name)) {
            if (!hasValue) {
                if (i + 1 >= args.size())
                    return name + translate(" wymaga wartości");
                value = args[++i];
            }
        } else if (hasValue) {
            return name + translate(" nie przyjmuje wartości");
        }
        if (std::string why = apply(name, value, opt); !why.empty())
            return why;
        if (!isGlobal(name))
            opt.given.push_back(name);
    }

    if (positional.empty())
        return {};
    opt.command = positional.front();
    opt.operands.assign(positional.begin() + 1, positional.end());
    const SCliCommand* cmd = findCliCommand(opt.command);
    if (cmd == nullptr)
        return translate("nieznane polecenie ") + cliQuoted(opt.command);
    for (const std::string& name : opt.given) {
        if (std::find(cmd->options.begin(), cmd->options.end(), name) == cmd->options.end())
            return opt.command + translate(" nie przyjmuje opcji ") + name;
    }
    if (opt.help)
        return {};
    const std::size_t n = opt.operands.size();
    if (n < cmd->minOperands || n > cmd->maxOperands) {
        if (cmd->maxOperands == 0)
            return opt.command + translate(" nie przyjmuje argumentów");
        return translate("użycie: ") + "nimo-cli " + opt.command + " " + cmd->synopsis;
    }
    return cmd->check != nullptr ? cmd->check(opt) : std::string();
}
