// info, settings, set, save, load, defaults: the commands that show or write
// the settings block.

#include "CliContext.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <set>

#include "CliJson.h"
#include "CliText.h"
#include "data/DeviceInfoText.h"
#include "data/SettingsChange.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsKeys.h"
#include "errors/IError.h"
#include "link/SettingsTransfer.h"
#include "lang/Translation.h"

namespace {

std::string hex32(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

// The counters change while the car runs; the block shows them as they are now.
void refreshCounters(SCliContext& c)
{
    if (!c.device.readStatistic())
        c.err << "nimo-cli: " << translate("Nie powiodło się odczytanie ustawień urządzenia!")
              << translate(" (czasy pracy)") << std::endl;
}

void printDone(SCliContext& c, const std::string& what, const std::string& file,
               const std::string& line)
{
    CJsonObject o;
    o.boolean("ok", true).text("command", what);
    if (!file.empty())
        o.text("file", file);
    cliDone(c, o.str(), line);
}

// "KEY=VALUE, ..." of what the controller holds now for the keys given and
// for those they changed with them (an injector type brings its drive values).
std::string writtenValues(const CSettings& before, const CSettings& after,
                          const std::vector<std::pair<const SSettingsKey*, std::string>>& given)
{
    std::string list;
    for (const SSettingsKey& key : settingsKeys()) {
        const std::string now = settingsValueText(key, after);
        const bool named = std::any_of(given.begin(), given.end(),
                                       [&](const auto& g) { return g.first->name == key.name; });
        if (named || now != settingsValueText(key, before))
            list += (list.empty() ? "" : ", ") + key.name + "=" + now;
    }
    return list;
}

} // namespace

int cliTransferExit(SCliContext& c, const STransferOutcome& r)
{
    switch (r.result) {
    case ETransferResult::Done:
        return CLI_OK;
    case ETransferResult::NotLinked:
        return cliFail(c, CLI_NO_DEVICE, r.message);
    case ETransferResult::FileRefused:
        return cliFail(c, CLI_REFUSED, r.message);
    case ETransferResult::PetrolFailed:
    case ETransferResult::WriteFailed:
    case ETransferResult::ResetFailed:
    case ETransferResult::BackupFailed:
        break;
    }
    return cliFail(c, CLI_FAILED, r.message);
}

int cliReplaceSettings(SCliContext& c, const std::string& backup,
                       const std::function<STransferOutcome(STransferProgress&)>& replace)
{
    STransferProgress progress;
    STransferOutcome outcome;
    bool lost = false;
    try {
        outcome = replace(progress);
    } catch (IError* e) {
        // The port failed under an exchange: said as a lost link, with what
        // the controller had taken by then.
        std::unique_ptr<IError> owned(e);
        lost = true;
        outcome = {ETransferResult::NotLinked, e->description() + " (" + e->text() + ")", {}};
    }
    cliWarnings(c, outcome.warnings);
    cliBackupNote(c, backup);
    const bool underWay = lost || outcome.result == ETransferResult::PetrolFailed ||
                          outcome.result == ETransferResult::WriteFailed ||
                          outcome.result == ETransferResult::ResetFailed;
    if (underWay) {
        // Whether the controller was changed is what the fitter must know next.
        outcome.message += "; " + transferProgressText(progress);
        if (progress.sending && !backup.empty())
            outcome.message += translate("; poprzednie ustawienia przywróci 'nimo-cli restore 1'");
    }
    return cliTransferExit(c, outcome);
}

void cliWarnings(SCliContext& c, const std::vector<std::string>& warnings)
{
    for (const std::string& w : warnings)
        c.err << "nimo-cli: " << translate("uwaga: ") << w << std::endl;
}

void cliBackupNote(SCliContext& c, const std::string& backupPath)
{
    if (!backupPath.empty())
        c.err << "nimo-cli: " << translate("poprzednie ustawienia zapisano w ") << backupPath
              << std::endl;
}

int cmdInfo(SCliContext& c)
{
    CGasDevice& d = c.device;
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;
    if (!d.readStatistic())
        return cliFail(c, CLI_FAILED,
                       translate("Nie powiodło się odczytanie ustawień urządzenia!"));
    const SDevInfo& i = d.m_devInfo;
    const std::string port = d.isDemo() ? std::string() : d.serialPort().path();
    if (c.opt.json) {
        CJsonObject o;
        o.number("m_devInfo.m_version", i.m_version)
            .text("version", versionText(i.m_version))
            .number("m_devInfo.m_injCount", i.m_injCount)
            .text("m_devInfo.m_serial", i.m_serial)
            .text("m_devInfo.m_prodDate", i.m_prodDate)
            .number("m_devInfo.m_flags.flags1", i.m_flags.flags1)
            .number("m_devInfo.m_flags.flags2", i.m_flags.flags2)
            .number("m_devInfo.m_flags.clock", i.m_flags.clock)
            .number("m_devInfo.m_statistic.gas", i.m_statistic.gas)
            .number("m_devInfo.m_statistic.lpg", i.m_statistic.lpg)
            .text("m_devInfo.m_mountDate", i.m_mountDate)
            .text("m_devInfo.m_mountService", i.m_mountService)
            .text("m_devInfo.m_injSize", i.m_injSize)
            .text("m_devInfo.m_engine", i.m_engine)
            .text("port", port)
            .boolean("demo", d.isDemo());
        c.out << o.str() << std::endl;
        return CLI_OK;
    }
    auto line = [&](const std::string& label, const std::string& value) {
        c.out << label << '\t' << value << '\n';
    };
    // The device information view's lines, then what only a terminal shows.
    for (const auto& [label, value] : deviceInfoLines(i))
        line(label, value);
    line("m_devInfo.m_serial", i.m_serial);
    line("m_devInfo.m_flags.flags1", hex32(i.m_flags.flags1));
    line("m_devInfo.m_flags.flags2", hex32(i.m_flags.flags2));
    line("m_devInfo.m_flags.clock", std::to_string(i.m_flags.clock));
    line("port", d.isDemo() ? "demo" : port);
    c.out.flush();
    return CLI_OK;
}

int cmdSettings(SCliContext& c)
{
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;
    refreshCounters(c);
    printSettingsBlock(c, c.device);
    return CLI_OK;
}

int cmdSet(SCliContext& c)
{
    // Everything is parsed and checked before the controller is touched, so a
    // typing error in the last pair changes nothing.
    std::vector<std::pair<const SSettingsKey*, std::string>> changes;
    std::set<std::string> seen;
    for (const std::string& pair : c.opt.operands) {
        const auto eq = pair.find('=');
        if (eq == std::string::npos || eq == 0)
            return cliFail(c, CLI_USAGE,
                           translate("oczekiwano KLUCZ=WARTOŚĆ, a nie ") + cliQuoted(pair));
        const std::string name = pair.substr(0, eq);
        const SSettingsKey* key = findSettingsKey(name);
        if (key == nullptr)
            return cliFail(c, CLI_USAGE,
                           translate("nieznany klucz ") + cliQuoted(name) +
                               translate(" (listę kluczy pokazuje 'nimo-cli settings')"));
        if (key->target == ESettingsTarget::DeviceInfo || key->target == ESettingsTarget::FileOnly)
            return cliFail(c, CLI_REFUSED,
                           name + translate(" nie jest ustawieniem, które przyjmuje sterownik"));
        if (!seen.insert(name).second)
            return cliFail(c, CLI_USAGE, name + translate(" podano dwukrotnie"));
        changes.emplace_back(key, pair.substr(eq + 1));
    }
    if (cliConnect(c) != CLI_OK)
        return CLI_NO_DEVICE;
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;

    CGasDevice& d = c.device;
    CSettings changed = static_cast<const CSettings&>(d);
    // The injector type brings its drive values; explicit ones given with it win.
    std::stable_partition(changes.begin(), changes.end(),
                          [](const auto& ch) { return ch.first->name == "m_injectorType"; });
    for (const auto& [key, value] : changes) {
        std::string why;
        if (!setSettingsValue(*key, changed, value, &why))
            return cliFail(c, CLI_REFUSED, why);
        if (key->name == "m_injectorType")
            changed.setInjectorType(changed.m_injectorType);
    }
    // Only the keys given are judged: whatever else the controller holds is
    // its own business, even where the settings view has no entry for it.
    std::vector<std::string> warnings;
    for (const auto& change : changes) {
        if (std::string w = settingsValueWarning(*change.first, changed); !w.empty())
            warnings.push_back(std::move(w));
    }
    cliWarnings(c, warnings);

    const SSettingsPlan plan = planSettingsChange(d, changed);
    const CSettings before = static_cast<const CSettings&>(d);
    std::string backup;
    const int rc = cliReplaceSettings(c, backup, [&](STransferProgress& progress) {
        STransferOutcome outcome =
            replaceSettings(d, changed, plan, EReplaceOperation::Set, &backup, &progress);
        // What the controller holds now, not what was sent; a read-back that
        // fails is said with what was written.
        if (outcome.ok() && !(d.readSettings() && d.readSetupTable() && d.readMountData()))
            outcome = {ETransferResult::WriteFailed,
                       translate("Nie powiodło się wczytanie ustawień z urządzenia!"),
                       {}};
        return outcome;
    });
    if (rc != CLI_OK)
        return rc;
    if (c.opt.json)
        printSettingsBlock(c, d);
    else
        c.out << translate("zapisano w sterowniku: ") << writtenValues(before, d, changes)
              << std::endl;
    return CLI_OK;
}

int cmdSave(SCliContext& c)
{
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;
    refreshCounters(c);
    const std::string& path = c.opt.operands.front();
    const int rc = cliTransferExit(c, saveSettingsToFile(c.device, path, std::time(nullptr)));
    if (rc == CLI_OK)
        printDone(c, "save", path, translate("zapisano ustawienia w pliku ") + path);
    return rc;
}

int cmdLoad(SCliContext& c)
{
    // A file that would be refused is refused before any controller is sought.
    const std::string& path = c.opt.operands.front();
    CSettings probe;
    std::string error;
    if (!loadSettingsFile(path, probe, &error))
        return cliFail(c, CLI_REFUSED, error);
    if (cliConnect(c) != CLI_OK)
        return CLI_NO_DEVICE;
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;
    std::string backup;
    const int rc = cliReplaceSettings(c, backup, [&](STransferProgress& progress) {
        return loadSettingsIntoDevice(c.device, path, EReplaceOperation::Load, &backup, &progress);
    });
    if (rc == CLI_OK)
        printDone(c, "load", path,
                  translate("ustawienia z pliku ") + path + translate(" wpisano do sterownika") +
                      translate("; sterownik zresetowano"));
    return rc;
}

std::string checkFileOperands(const SCliOptions& opt)
{
    for (const std::string& operand : opt.operands) {
        if (operand.empty())
            return opt.command + ": " + translate("nie podano nazwy pliku");
    }
    return {};
}

std::string checkDefaults(const SCliOptions& opt)
{
    if (!opt.yes)
        return translate("Czy chcesz przywrócić ustawienia fabryczne?") +
               translate(" Dodaj --yes, aby je przywrócić.");
    return {};
}

int cmdDefaults(SCliContext& c)
{
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;
    std::string backup;
    const int rc = cliReplaceSettings(c, backup, [&](STransferProgress& progress) {
        return restoreFactorySettings(c.device, &backup, &progress);
    });
    if (rc == CLI_OK)
        printDone(c, "defaults", {},
                  translate("przywrócono ustawienia fabryczne") +
                      translate("; sterownik zresetowano"));
    return rc;
}
