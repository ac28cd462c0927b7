#include "link/SettingsTransfer.h"

#include "data/CSettings.h"
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

STransferOutcome loadSettingsIntoDevice(CGasDevice& device, const std::string& path)
{
    CSettings loaded = device;
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
    copyWritableSettings(loaded, device);
    STransferOutcome outcome = writeWholeBlock(device);
    outcome.warnings = std::move(warnings);
    return outcome;
}

STransferOutcome restoreFactorySettings(CGasDevice& device)
{
    if (!device.isConnected())
        return notLinked();
    CSettings fresh;
    fresh.m_devInfo = device.m_devInfo;
    static_cast<CSettings&>(device) = fresh;
    return writeWholeBlock(device);
}

STransferOutcome writeWholeBlock(CGasDevice& device)
{
    SSettingsPlan all;
    all.settingsRecord = all.setupTable = all.mountData = true;
    all.reset = true;
    return applySettingsPlan(device, all);
}

STransferOutcome applySettingsPlan(CGasDevice& device, const SSettingsPlan& plan)
{
    constexpr const char* kWriteFailed = "Nie powiodło się wpisanie ustawień do urządzenia!";
    if (plan.petrolFirst && !device.switchToPetrolAndWait())
        return failed(ETransferResult::PetrolFailed, "Nie powiodło się przełączenie na benzynę!");
    if (plan.settingsRecord && !device.writeSettings())
        return failed(ETransferResult::WriteFailed, kWriteFailed);
    if (plan.setupTable && !device.writeSetupTable())
        return failed(ETransferResult::WriteFailed, kWriteFailed);
    if (plan.mountData && !device.writeMountData())
        return failed(ETransferResult::WriteFailed, kWriteFailed);
    if (plan.reset && !device.clearErrors())
        return failed(ETransferResult::ResetFailed, "Nie powiodło się zresetowanie urządzenia!");
    return {};
}
