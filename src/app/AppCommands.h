// The command identifiers of the main frame's toolbar and menu, and what each
// view command shows.
// Thread safety: constants and a read-only table.
#pragma once

#include <span>

enum EAppCommand {
    ID_VIEW_SETTINGS = 32777,
    ID_VIEW_DISPLAY = 32778,
    ID_VIEW_AUTOSETUP = 32782,
    ID_VIEW_MAPCREATE = 32780,
    ID_VIEW_CORR = 32781,
    ID_VIEW_FUELSENSOR = 32783,
    ID_VIEW_ERRCODES = 32784,
    ID_VIEW_SERVICETOOLS = 32785,
    ID_VIEW_DEVINFO = 32786,
    ID_FILE_FACTORY = 32787,
    ID_FILE_LOAD = 32788,
    ID_FILE_SAVE = 32789,
    ID_FILE_HISTORY = 32795,
    ID_FILE_COMPARE = 32796,
    ID_FILE_REPORT = 32798,
    ID_RECORD = 32799,
    ID_FILE_PLAYBACK = 32800,
    ID_FILE_EXPORT_CSV = 32801,
    ID_VIEW_PLOT = 32797,
    ID_VIEW_CORR_ALIAS = 32770,
    ID_APP_EXIT = 57665,
    ID_APP_ABOUT = 57664,
    ID_LANG_PL = 32772,
    ID_LANG_EN = 32773,
    ID_LANG_RU = 32774,
    ID_LANG_DE = 32775,
    ID_LANG_IT = 32776,
};

struct SToolbarCommand {
    int command;
    const char* icon;    // resource path of its SVG
    const char* tooltip; // Polish, translated when shown
    // Views that take up the settings again after they are shown.
    bool reloadsSettings;
};

// The toolbar buttons in their order; the last one, recording, is a toggle.
std::span<const SToolbarCommand> toolbarCommands();
bool isViewCommand(int command);
// The language of a language command, -1 for any other command.
int languageOfCommand(int command);
int commandOfLanguage(int language);
