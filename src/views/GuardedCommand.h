// The way every view command meets a failure: an error object is shown with
// its description, anything else as "Błąd krytyczny.", and the view stays
// usable. True when the command ran to its end.
// Thread safety: the user-interface thread only.
#pragma once

#include <exception>
#include <memory>

#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/IGasShell.h"

template <class F>
bool runGuarded(IGasShell& shell, F&& command)
{
    try {
        command();
        return true;
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        shell.errorBox(owned->description());
    } catch (...) {
        shell.errorBox(translate("Błąd krytyczny."));
    }
    return false;
}
