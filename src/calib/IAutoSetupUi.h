// What the autocalibration asks of whoever shows it: the desktop view with
// message boxes and a progress bar, nimo-cli with printed messages, tests
// with a recording fake. Texts arrive translated.
// Thread safety: called on the thread that runs the procedure only.
#pragma once

#include <cstdint>
#include <string>

#include "data/CSettings.h"

class IAutoSetupUi {
public:
    virtual ~IAutoSetupUi() = default;

    // Modal boxes; each returns once the fitter has closed it.
    virtual void warningBox(const std::string& text) = 0;
    virtual void errorBox(const std::string& text) = 0;
    // An error object's report, shown without an icon.
    virtual void plainBox(const std::string& text) = 0;
    // The information box the procedure waits on before it changes
    // anything. False when nobody can close it (a script without a person):
    // the procedure then ends as if stopped.
    virtual bool confirm(const std::string& text) = 0;

    // The installation data before the first calibration. `info` arrives
    // with today's date and the stored installer name filled in; true when
    // the fitter confirmed, with the date, name, injector size and engine
    // capacity set in it.
    virtual bool askMountData(SDevInfo& info) = 0;
    virtual std::string storedInstallerName() = 0;
    virtual void storeInstallerName(const std::string& name) = 0;

    // 0 to 100.
    virtual void showProgress(int percent) = 0;
    // The corrections or the cylinder assignment in the settings block changed.
    virtual void showCorrections() = 0;

    // Keeps the window alive between the waits' sleeps.
    virtual void pumpEvents() = 0;
    virtual void sleep(std::uint32_t ms) = 0;
    // False once the fitter asked to stop; the procedure ends silently at
    // its next wait.
    virtual bool running() = 0;
    // The procedure is over, whichever way it ended.
    virtual void finished() = 0;
};
