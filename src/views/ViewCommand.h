// How a view runs a controller operation: optionally under the wait cursor,
// with every exception turned into the message the fitter is shown, so the
// view stays usable whatever the link does.
// Thread safety: the user-interface thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CWaitCursor.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/IGasShell.h"

// `operation` returns the message of a failure it reports by result, empty
// on success. An error object yields its description, anything else
// "Błąd krytyczny.". The message is returned, not shown: the caller shows
// it once the wait cursor is gone.
template <class F>
std::string runViewCommand(F&& operation, bool waitCursor = true)
{
    std::optional<CWaitCursor> wait;
    if (waitCursor)
        wait.emplace();
    try {
        return operation();
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        return owned->description();
    } catch (...) {
        return translate("Błąd krytyczny.");
    }
}

// The same for a command that reports only by throwing: the failure is shown
// in an error box at once. True when the command ran to its end.
template <class F>
bool runGuarded(IGasShell& shell, F&& command)
{
    bool ran = false;
    const std::string failure = runViewCommand(
        [&] {
            command();
            ran = true;
            return std::string();
        },
        false);
    if (!ran)
        shell.errorBox(failure);
    return ran;
}
