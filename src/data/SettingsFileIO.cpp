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
        report(error, kSaveFailed, file.lastError());
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
        report(error, kSaveFailed, file.lastError());
        return false;
    }
    return true;
}

bool loadSettingsFile(const std::string& path, CSettings& s, std::string* error)
{
    CSettingsFile file;
    if (!file.open(path, false)) {
        report(error, kLoadFailed, file.lastError());
        return false;
    }
    CSettings loaded = s;
    for (const SSettingsKey& key : settingsKeys()) {
        std::string text;
        if (!file.readText(key.name, text) || !setSettingsValue(key, loaded, text)) {
            report(error, kLoadFailed, key.name);
            return false;
        }
    }
    std::string badKey;
    if (!checkSettingsRanges(loaded, &badKey)) {
        report(error, kLoadFailed, badKey);
        return false;
    }
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
