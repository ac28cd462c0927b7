#include "data/SettingsHistory.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "data/SettingsFileIO.h"
#include "lang/Translation.h"

namespace {

struct SOperationName {
    EReplaceOperation op;
    std::string_view id;
    const char* polish;
};

constexpr SOperationName kOperations[] = {
    {EReplaceOperation::Set, "set", "Zmiana ustawień"},
    {EReplaceOperation::Load, "load", "Wczytanie ustawień z pliku"},
    {EReplaceOperation::Defaults, "defaults", "Przywrócenie ustawień fabrycznych"},
    {EReplaceOperation::Restore, "restore", "Przywrócenie kopii ustawień"},
    {EReplaceOperation::Autocalibration, "autocalibrate", "Autokalibracja"},
    {EReplaceOperation::MapTable, "map", "Zapis mapy korekt"},
};

// "2024-05-01_14-03-22_": 20 characters before the operation.
constexpr std::size_t kStampLength = 20;
constexpr std::string_view kExtension = ".ssf";
// Far more backups in one second than any workshop makes.
constexpr int kMaxSequence = 1000;

bool digits(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string stampOf(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S_", &local);
    return std::string(text, n);
}

} // namespace

std::string_view operationId(EReplaceOperation op)
{
    for (const SOperationName& o : kOperations)
        if (o.op == op)
            return o.id;
    return "set";
}

std::string operationText(std::string_view id)
{
    for (const SOperationName& o : kOperations)
        if (o.id == id)
            return translate(o.polish);
    return std::string(id);
}

bool parseBackupName(std::string_view name, SBackupFile& file)
{
    if (name.size() <= kStampLength + kExtension.size() ||
        name.substr(name.size() - kExtension.size()) != kExtension)
        return false;
    const std::string_view stamp = name.substr(0, kStampLength);
    // YYYY-MM-DD_HH-MM-SS_
    constexpr std::string_view kShape = "dddd-dd-dd_dd-dd-dd_";
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool isDigit = stamp[i] >= '0' && stamp[i] <= '9';
        if (kShape[i] == 'd' ? !isDigit : stamp[i] != kShape[i])
            return false;
    }
    std::string_view rest =
        name.substr(kStampLength, name.size() - kStampLength - kExtension.size());
    int sequence = 1;
    if (const auto underscore = rest.find('_'); underscore != std::string_view::npos) {
        const std::string_view number = rest.substr(underscore + 1);
        if (!digits(number) || number.size() > 4)
            return false;
        sequence = std::stoi(std::string(number));
        if (sequence < 2)
            return false;
        rest = rest.substr(0, underscore);
    }
    if (rest.empty() ||
        !std::all_of(rest.begin(), rest.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        return false;
    file.name = std::string(name);
    file.operation = std::string(rest);
    file.sequence = sequence;
    std::string time(stamp.substr(0, kStampLength - 1));
    time[10] = ' ';
    time[13] = ':';
    time[16] = ':';
    file.time = std::move(time);
    return true;
}

std::vector<SBackupFile> listBackups(const std::string& directory)
{
    std::vector<SBackupFile> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        SBackupFile file;
        if (parseBackupName(it->path().filename().string(), file)) {
            file.path = it->path().string();
            files.push_back(std::move(file));
        }
    }
    std::sort(files.begin(), files.end(), [](const SBackupFile& x, const SBackupFile& y) {
        if (x.time != y.time)
            return x.time > y.time;
        if (x.sequence != y.sequence)
            return x.sequence > y.sequence;
        return x.name > y.name;
    });
    return files;
}

bool writeBackup(const std::string& directory, const CSettings& s, EReplaceOperation op,
                 std::time_t when, std::string& path, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec) {
        error =
            directory + ": " + translate("nie można utworzyć katalogu") + " (" + ec.message() + ")";
        return false;
    }
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    // The sequence counts the backups of one second whatever their
    // operation, so that the newest is always the one with the highest.
    const std::string stamp = stampOf(when);
    int sequence = 1;
    std::error_code listError;
    for (std::filesystem::directory_iterator it(dir, listError), end; !listError && it != end;
         it.increment(listError)) {
        SBackupFile other;
        const std::string name = it->path().filename().string();
        if (name.rfind(stamp, 0) == 0 && parseBackupName(name, other))
            sequence = std::max(sequence, other.sequence + 1);
    }
    const std::string candidate = dir + stamp + std::string(operationId(op)) +
                                  (sequence == 1 ? "" : "_" + std::to_string(sequence)) +
                                  std::string(kExtension);
    std::error_code existsError;
    if (listError || sequence > kMaxSequence || std::filesystem::exists(candidate, existsError)) {
        error = candidate + ": " + translate("nie można utworzyć pliku w tym katalogu");
        return false;
    }
    CSettings stamped = s;
    stamped.m_timeStamp = settingsTimeStamp(when);
    if (!saveSettingsFile(candidate, stamped, &error))
        return false;
    path = candidate;
    return true;
}

std::vector<SHistoryEntry> readHistory(const std::string& directory, const CSettings& now)
{
    std::vector<SHistoryEntry> entries;
    for (SBackupFile& file : listBackups(directory)) {
        SHistoryEntry entry;
        entry.readable = loadSettingsFile(file.path, entry.settings, &entry.error);
        if (entry.readable)
            entry.differences = compareSettings(entry.settings, now);
        entry.file = std::move(file);
        entries.push_back(std::move(entry));
    }
    return entries;
}
