#include "app/GuiOptions.h"

#include <charconv>

#include "lang/Translation.h"

namespace {

constexpr int kMaxPortNumber = 7;

int languageOf(const std::string& code)
{
    for (int language = 0; language < kLanguageCount; ++language)
        if (languageCode(language) == code)
            return language;
    return -1;
}

bool takesValue(const std::string& arg)
{
    return arg.rfind("--port", 0) == 0 || arg.rfind("--lang", 0) == 0 ||
           arg.rfind("--report", 0) == 0 || arg.rfind("--play", 0) == 0;
}

bool allDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

std::string parseGuiOptions(const std::vector<std::string>& args, SGuiOptions& opt)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        if (takesValue(arg)) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.resize(eq);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return translateFill("%1 wymaga wartości", {arg});
            }
        }
        if (arg == "--port") {
            if (allDigits(value)) {
                int n = 0;
                std::from_chars(value.data(), value.data() + value.size(), n);
                if (n < 1 || n > kMaxPortNumber)
                    return translateFill("--port przyjmuje ścieżkę urządzenia albo numer portu od "
                                         "1 do %1, a nie '%2'",
                                         {std::to_string(kMaxPortNumber), value});
                opt.port = n;
            } else if (value.empty()) {
                return translateFill("%1 wymaga wartości", {arg});
            } else {
                opt.ports.push_back(value);
            }
        } else if (arg == "--lang") {
            opt.language = languageOf(value);
            if (opt.language < 0)
                return translateFill("--lang przyjmuje pl, en, ru, it lub de, a nie '%1'", {value});
        } else if (arg == "--report") {
            if (value.empty())
                return translateFill("%1 wymaga wartości", {arg});
            opt.report = value;
        } else if (arg == "--play") {
            if (value.empty())
                return translateFill("%1 wymaga wartości", {arg});
            opt.play = value;
        } else if (arg == "--emulator") {
            opt.emulator = true;
        } else if (arg == "--demo") {
            opt.demo = true;
        } else if (arg == "--help" || arg == "-h") {
            opt.help = true;
        } else {
            return translateFill("nieznana opcja '%1'", {arg});
        }
    }
    return {};
}

bool reportRequested(const std::vector<std::string>& args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--report" || arg.rfind("--report=", 0) == 0)
            return true;
        // The value of another option, however it reads, is not an option.
        if (takesValue(arg) && arg.find('=') == std::string::npos)
            ++i;
    }
    return false;
}

int requestedLanguage(const std::vector<std::string>& args)
{
    int language = -1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--lang=", 0) == 0) {
            if (const int l = languageOf(arg.substr(7)); l >= 0)
                language = l;
        } else if (takesValue(arg) && arg.find('=') == std::string::npos && i + 1 < args.size()) {
            if (arg == "--lang")
                if (const int l = languageOf(args[i + 1]); l >= 0)
                    language = l;
            ++i;
        }
    }
    return language;
}

std::string guiUsage()
{
    return "nimo [--port PATH|N]... [--emulator] [--demo] [--lang pl|en|ru|it|de] "
           "[--report FILE.pdf] [--play FILE]";
}
