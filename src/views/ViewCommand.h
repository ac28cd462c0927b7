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
