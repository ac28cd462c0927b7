#include "app/AppCommands.h"

#include <algorithm>
#include <iterator>

#include "lang/Translation.h"

namespace {

constexpr SToolbarCommand kToolbar[] = {
    {ID_VIEW_SETTINGS, ":/icons/settings.svg", "Konfiguracja", false},
    {ID_VIEW_DISPLAY, ":/icons/display.svg", "Wyświetlenie", false},
    {ID_VIEW_AUTOSETUP, ":/icons/autosetup.svg", "Autokalibracja", false},
    {ID_VIEW_MAPCREATE, ":/icons/mapcreate.svg", "Autokalibracja w czasie jazdy", false},
    {ID_VIEW_CORR, ":/icons/corr.svg", "Ręczna modyfikacja mieszanki", true},
    {ID_VIEW_FUELSENSOR, ":/icons/fuelsensor.svg", "Czujnik poziomu LPG", true},
    {ID_VIEW_ERRCODES, ":/icons/errcodes.svg", "Kody błędów", false},
    {ID_VIEW_SERVICETOOLS, ":/icons/servicetools.svg", "Narzędzia serwisowe", false},
    {ID_VIEW_DEVINFO, ":/icons/devinfo.svg", "Informacje o sterowniku", true},
    {ID_FILE_FACTORY, ":/icons/factory.svg", "Przywróć ustawienia fabryczne", false},
    {ID_FILE_LOAD, ":/icons/load.svg", "Otwórz", false},
    {ID_FILE_SAVE, ":/icons/save.svg", "Zapisz jako", false},
    {ID_VIEW_PLOT, ":/icons/plot.svg", "Wykres", false},
    {ID_RECORD, ":/icons/record.svg", "Nagrywanie danych bieżących", false},
};

constexpr int kLanguageCommands[kLanguageCount] = {ID_LANG_PL, ID_LANG_EN, ID_LANG_RU, ID_LANG_IT,
                                                   ID_LANG_DE};

} // namespace

std::span<const SToolbarCommand> toolbarCommands()
{
    return kToolbar;
}

bool isViewCommand(int command)
{
    constexpr int kViews[] = {ID_VIEW_SETTINGS,   ID_VIEW_DISPLAY,      ID_VIEW_AUTOSETUP,
                              ID_VIEW_MAPCREATE,  ID_VIEW_CORR,         ID_VIEW_FUELSENSOR,
                              ID_VIEW_ERRCODES,   ID_VIEW_SERVICETOOLS, ID_VIEW_DEVINFO,
                              ID_VIEW_CORR_ALIAS, ID_VIEW_PLOT};
    return std::find(std::begin(kViews), std::end(kViews), command) != std::end(kViews);
}

int languageOfCommand(int command)
{
    for (int language = 0; language < kLanguageCount; ++language)
        if (kLanguageCommands[language] == command)
            return language;
    return -1;
}

int commandOfLanguage(int language)
{
    return language >= 0 && language < kLanguageCount ? kLanguageCommands[language] : 0;
}
