#include "data/SettingsFileIO.h"

#include "data/CSettingsFile.h"
#include "data/SettingsKeys.h"
#include "lang/Translation.h"

namespace {

void report(std::string* error, const char* polish, const std::string& detail)
{
    if (error != nullptr) {
        *error = translate(polish);
        if (!detail.empty()) {
            *error += ": " + detail;
        }
    }
}

const char* const kSaveFailed = "Nie można wpisać ustawień do pliku z danymi samochodu";
const char* const kLoadFailed = "Nie można wczytać ustawień z pliku";

// A key given twice must say the same both times: which one a reader takes
// would decide what goes into the car. Saved files repeat m_switchDelay, with
// the same value; "30" and "30.0" are the same number too.
std::string conflictingValues(const SSettingsKey& key, const std::vector<std::string>& values)
{
    for (std::size_t i = 1; i < values.size(); ++i) {
        double first = 0;
        double other = 0;
        const bool same =
            values[i] == values.front() ||
            (key.type != ESettingsKeyType::Text && parseSettingsNumber(values.front(), first) &&
             parseSettingsNumber(values[i], other) && first == other);
        if (!same)
            return translateFill(
                "%1: podany w pliku dwa razy, z różnymi wartościami (%2 i %3)",
                {key.name, shownSettingsText(values.front()), shownSettingsText(values[i])});
    }
    return {};
}

std::string formatLocal(std::time_t when, const char* format)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

} // namespace

bool saveSettingsFile(const std::string& path, const CSettings& s, std::string* error)
{
    CSettingsFile file;
    if (!file.open(path, true)) {
        report(error, kSaveFailed, path + ": " + file.lastError());
        return false;
    }
    const SSettingsKey* switchDelay = findSettingsKey("m_switchDelay");
    for (const SSettingsKey& key : settingsKeys()) {
        bool ok = file.writeText(key.name, settingsValueText(key, s));
        // Files have always carried the switch delay a second time here;
        // other readers of the format may still count on it.
        if (ok && key.name == "m_pressAverageCount") {
            ok = file.writeText(switchDelay->name, settingsValueText(*switchDelay, s));
        }
        if (!ok) {
            report(error, kSaveFailed, key.name + ": " + file.lastError());
            return false;
        }
    }
    if (!file.commit()) {
        report(error, kSaveFailed, path + ": " + file.lastError());
        return false;
    }
    return true;
}

bool loadSettingsFile(const std::string& path, CSettings& s, std::string* error,
                      std::vector<std::string>* warnings)
{
    CSettingsFile file;
    if (!file.open(path, false)) {
        report(error, kLoadFailed, path + ": " + file.lastError());
        return false;
    }
    CSettings loaded = s;
    std::size_t found = 0;
    std::string problem;
    for (const SSettingsKey& key : settingsKeys()) {
        const std::vector<std::string> values = file.values(key.name);
        if (values.empty()) {
            if (problem.empty())
                problem = translateFill("%1: brak w pliku", {key.name});
            continue;
        }
        ++found;
        if (problem.empty())
            problem = conflictingValues(key, values);
        if (problem.empty())
            setSettingsValue(key, loaded, values.front(), &problem);
    }
    // An empty, binary or foreign file would otherwise be reported by the
    // first key it lacks, which tells the user nothing.
    if (found == 0) {
        report(error, kLoadFailed, path + ": " + translate("to nie jest plik ustawień"));
        return false;
    }
    if (!problem.empty()) {
        report(error, kLoadFailed, problem);
        return false;
    }
    if (warnings != nullptr)
        *warnings = settingsValueWarnings(loaded);
    s = std::move(loaded);
    return true;
}

void copyWritableSettings(const CSettings& from, CSettings& to)
{
    for (const SSettingsKey& key : settingsKeys()) {
        if (key.target == ESettingsTarget::DeviceInfo) {
            continue;
        }
        if (key.type == ESettingsKeyType::Text) {
            key.setText(to, key.getText(from));
        } else {
            key.setNumber(to, key.getNumber(from));
        }
    }
}

std::string settingsTimeStamp(std::time_t when)
{
    return formatLocal(when, "%d-%m-%Y-%H:%M:%S");
}

std::string settingsFileDate(std::time_t when)
{
    return formatLocal(when, "%d-%m-%Y");
}
