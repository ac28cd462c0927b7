// Placeholder until the dictionary lands: Polish only.
#include "lang/Translation.h"

#include <atomic>

namespace {
std::atomic<int> g_language{LANG_PL};
}

int currentLanguage()
{
    return g_language.load();
}

void setCurrentLanguage(int language)
{
    g_language.store(language);
}

int languageFromLocale(std::string_view locale)
{
    auto code = locale.substr(0, 2);
    if (code == "pl")
        return LANG_PL;
    if (code == "ru")
        return LANG_RU;
    if (code == "it")
        return LANG_IT;
    if (code == "de")
        return LANG_DE;
    return LANG_EN;
}

int languageFromEnvironment()
{
    return LANG_EN;
}

std::string_view languageCode(int)
{
    return {};
}

std::string translate(std::string_view polish)
{
    return std::string(polish);
}
