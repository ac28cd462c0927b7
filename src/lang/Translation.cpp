#include "lang/Translation.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <mutex>

#include "lang/CTranslationDict.h"
#include "lang/TextTable.h"

namespace {

// Both are constant-initialised, so the error classes may translate from the
// constructors of static objects in any order.
std::atomic<int> g_language{LANG_PL};
std::once_flag g_languageTaken;

void takeUserLanguage()
{
    std::call_once(g_languageTaken, [] { g_language.store(languageFromEnvironment()); });
}

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    }
    return true;
}

} // namespace

int currentLanguage()
{
    takeUserLanguage();
    return g_language.load();
}

void setCurrentLanguage(int language)
{
    // Taken first so that a later first use cannot overwrite the choice.
    takeUserLanguage();
    g_language.store(language);
}

int languageFromLocale(std::string_view locale)
{
    // language[_territory][.codeset][@modifier]; "pl-PL" is seen in the wild too.
    auto code = locale.substr(0, locale.find_first_of("_.@-"));
    for (int language = 0; language < kLanguageCount; ++language) {
        if (sameLetters(code, languageCode(language)))
            return language;
    }
    return LANG_EN;
}

int languageFromEnvironment()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return languageFromLocale(value);
    }
    return LANG_EN;
}

std::string_view languageCode(int language)
{
    static constexpr std::string_view codes[] = {"pl", "en", "ru", "it", "de"};
    if (language < 0 || language >= kLanguageCount)
        return {};
    return codes[language];
}

const CTranslationDict& translationDictionary()
{
    static const CTranslationDict dict = [] {
        CTranslationDict built;
        for (const auto& row : textTable().rows) {
            if (row.table == kDictTable) {
                const auto& t = row.texts;
                built.add(t[LANG_PL], t[LANG_EN], t[LANG_RU], t[LANG_IT], t[LANG_DE]);
            }
        }
        return built;
    }();
    return dict;
}

std::string translateTo(std::string_view polish, int language)
{
    if (language <= LANG_PL || language >= kLanguageCount)
        return std::string(polish);
    const std::string* text = translationDictionary().find(polish, language);
    return text != nullptr ? *text : std::string(polish);
}

std::string translate(std::string_view polish)
{
    return translateTo(polish, currentLanguage());
}

std::string translateFill(std::string_view polish, std::initializer_list<std::string_view> args)
{
    const std::string pattern = translate(polish);
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t n = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && n < args.size()) {
            out.append(*(args.begin() + n));
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}
