// The window's whole-block replacements of the controller's settings (load a
// file, factory settings, restore a backup), run so that a link lost midway
// is said in words that tell what the controller may hold now and where its
// previous settings are kept, instead of escaping to the event loop; and the
// question a file's texts in another encoding need before they are written.
// Thread safety: the user-interface thread only.
#pragma once

#include <functional>
#include <string>

#include "link/SettingsTransfer.h"

// The text to show for the run, empty when it succeeded. `replace` gets the
// place to put the backup it makes before its first write.
std::string runSettingsReplacement(const std::function<STransferOutcome(std::string*)>& replace);

// The installation texts a settings file would write that are no UTF-8 (a
// file saved in Latin-2 or a Windows code page): each as "label "text"" as
// the window would show it, joined by "; ". Empty when every one is UTF-8.
std::string foreignTexts(const CSettings& s);
