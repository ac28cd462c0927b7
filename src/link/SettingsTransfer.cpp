#include "link/SettingsTransfer.h"

#include <ctime>

#include "data/CSettings.h"
#include "data/CUserConfig.h"
#include "data/SettingsFileIO.h"
#include "lang/Translation.h"
#include "link/CGasDevice.h"

namespace {

STransferOutcome failed(ETransferResult result, const char* polish)
{
    return {result, translate(polish), {}};
}

STransferOutcome notLinked()
{
    return failed(ETransferResult::NotLinked, "Nie można nawiązać komunikacji z urządzeniem LPG");
}

STransferOutcome backupFailed(const std::string& why)
{
    return {ETransferResult::BackupFailed,
            translate("Nie można zapisać kopii ustawień sterownika; nic nie zostało zmienione") +
                ": " + why,
            {}};
}
// The waiting window for as long as it lives, closed on every way out.
class CWaitingScope {
public:
    CWaitingScope(IGasShell& shell, const char* polish) : m_shell(shell)
    {
        m_shell.showWaiting(translate(polish));
    }
    ~CWaitingScope() { m_shell.closeWaiting(); }
    CWaitingScope(const CWaitingScope&) = delete;
    CWaitingScope& operator=(const CWaitingScope&) = delete;

private:
    IGasShell& m_shell;
};

} // namespace

STransferOutcome saveSettingsToFile(CGasDevice& device, const std::string& path, std::time_t now)
{
    device.m_timeStamp = settingsTimeStamp(now);
    std::string error;
    if (!saveSettingsFile(path, device, &error))
        return {ETransferResult::FileRefused, error, {}};
    return {};
}

std::string transferProgressText(const STransferProgress& progress)
{
    if (!progress.sending)
        return translate("nic nie zapisano w sterowniku");
    const SSettingsPlan& planned = progress.planned;
    const SSettingsPlan& done = progress.confirmed;
    std::string took;
    std::string open;
    auto add = [&](bool wanted, bool confirmed, const char* polish) {
        if (!wanted)
            return;
        std::string& list = confirmed ? took : open;
        list += (list.empty() ? "" : ", ") + translate(polish);
    };
    add(planned.settingsRecord, done.settingsRecord, "ustawienia");
    add(planned.setupTable, done.setupTable, "tabela poprawek");
    add(planned.mountData, done.mountData, "dane montażu");
    const bool recordOpen = !open.empty();
    add(planned.reset, done.reset, "zresetowanie");
    std::string text;
    if (!took.empty())
        text = translate("zapisano w sterowniku: ") + took;
    if (!open.empty())
        text += (text.empty() ? "" : "; ") + translate("bez potwierdzenia: ") + open;
    if (recordOpen)
        text += "; " + translate("sterownik może mieć tylko część nowych ustawień");
    return text;
}

STransferOutcome loadSettingsIntoDevice(CGasDevice& device, const std::string& path,
                                        EReplaceOperation op, std::string* backupPath,
                                        STransferProgress* progress)
{
    // Only the settings block: the file is checked on a copy of it.
    CSettings loaded = static_cast<const CSettings&>(device);
    std::string error;
    std::vector<std::string> warnings;
    {
        // Closed before the writes, which show windows of their own.
        CWaitingScope waiting(device.shell(), "Wczytywanie ustawień z pliku");
        if (!loadSettingsFile(path, loaded, &error, &warnings))
            return {ETransferResult::FileRefused, error, {}};
    }
    // Checked only after the file: a bad file is the first thing to report.
    if (!device.isConnected())
        return notLinked();
    CSettings wanted = device.settings();
    copyWritableSettings(loaded, wanted);
    STransferOutcome outcome =
        replaceSettings(device, wanted, wholeBlockPlan(), op, backupPath, progress);
    outcome.warnings = std::move(warnings);
    return outcome;
}

STransferOutcome restoreFactorySettings(CGasDevice& device, std::string* backupPath,
                                        STransferProgress* progress)
{
    if (!device.isConnected())
        return notLinked();
    CSettings fresh;
    fresh.m_devInfo = device.m_devInfo;
    return replaceSettings(device, fresh, wholeBlockPlan(), EReplaceOperation::Defaults, backupPath,
                           progress);
}

STransferOutcome backUpSettings(CGasDevice& device, EReplaceOperation op, std::string* backupPath)
{
    if (device.isDemo())
        return {};
    // The serial names the folder, so the history is the controller's own
    // whichever port or computer it was reached through.
    const std::string directory = CUserConfig::historyDirectory(device.m_devInfo.m_serial);
    if (directory.empty())
        return backupFailed(translate("nie ustawiono katalogu domowego (HOME)"));
    // What the controller holds now, not what this program last made of it:
    // a write that failed earlier leaves its values in the block only.
    const CSettings held = device.settings();
    const bool read = device.readSettings() && device.readSetupTable() && device.readMountData();
    const CSettings current = device.settings();
    static_cast<CSettings&>(device) = held;
    if (!read)
        return backupFailed(translate("Nie powiodło się odczytanie ustawień urządzenia!"));
    std::string path;
    std::string error;
    if (!writeBackup(directory, current, op, std::time(nullptr), path, error))
        return backupFailed(error);
    if (backupPath != nullptr)
        *backupPath = path;
    return {};
}

STransferOutcome replaceSettings(CGasDevice& device, const CSettings& wanted,
                                 const SSettingsPlan& plan, EReplaceOperation op,
                                 std::string* backupPath, STransferProgress* progress)
{
    if (progress != nullptr)
        *progress = {plan, {}, false};
    if (plan.any()) {
        if (!device.isConnected())
            return notLinked();
        if (STransferOutcome backup = backUpSettings(device, op, backupPath); !backup.ok())
            return backup;
    }
    static_cast<CSettings&>(device) = wanted;
    return applySettingsPlan(device, plan, progress);
}

SSettingsPlan wholeBlockPlan()
{
    SSettingsPlan all;
    all.settingsRecord = all.setupTable = all.mountData = true;
    all.reset = true;
    return all;
}

STransferOutcome applySettingsPlan(CGasDevice& device, const SSettingsPlan& plan,
                                   STransferProgress* progress)
{
    constexpr const char* kWriteFailed = "Nie powiodło się wpisanie ustawień do urządzenia!";
    STransferProgress local;
    STransferProgress& p = progress != nullptr ? *progress : local;
    p = {plan, {}, false};
    if (plan.petrolFirst) {
        if (!device.switchToPetrolAndWait())
            return failed(ETransferResult::PetrolFailed,
                          "Nie powiodło się przełączenie na benzynę!");
        p.confirmed.petrolFirst = true;
    }
    // Marked before each step: should the link fail under it, the caller
    // knows the controller may have taken it.
    const auto step = [&](bool wanted, bool SSettingsPlan::*done, auto&& run) {
        if (!wanted)
            return true;
        p.sending = true;
        if (!run())
            return false;
        p.confirmed.*done = true;
        return true;
    };
    if (!step(plan.settingsRecord, &SSettingsPlan::settingsRecord,
              [&] { return device.writeSettings(); }) ||
        !step(plan.setupTable, &SSettingsPlan::setupTable,
              [&] { return device.writeSetupTable(); }) ||
        !step(plan.mountData, &SSettingsPlan::mountData, [&] { return device.writeMountData(); }))
        return failed(ETransferResult::WriteFailed, kWriteFailed);
    if (!step(plan.reset, &SSettingsPlan::reset, [&] { return device.clearErrors(); }))
        return failed(ETransferResult::ResetFailed, "Nie powiodło się zresetowanie urządzenia!");
    return {};
}
