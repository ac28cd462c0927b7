// The process-wide current language and the dictionary keyed by Polish text.
// Thread safety: all functions may be called from any thread.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

class CTranslationDict;

enum ELanguage { LANG_PL = 0, LANG_EN = 1, LANG_RU = 2, LANG_IT = 3, LANG_DE = 4 };
constexpr int kLanguageCount = 5;

// Starts as the user's language (languageFromEnvironment), taken on first use
// of either function, so it is safe from static constructors as well.
int currentLanguage();
// Stores any number; an invalid one makes translate() return Polish and
// CMultiLangText::checkLang() throw.
void setCurrentLanguage(int language);

// "pl_PL.UTF-8" → 0, "ru" → 2, "it_IT" → 3, "de_AT" → 4, anything else → 1.
int languageFromLocale(std::string_view locale);
// The user's locale from LC_ALL, LC_MESSAGES or LANG, as languageFromLocale.
int languageFromEnvironment();
// Two-letter code of a language ("pl", "en", ...), empty for an invalid one.
std::string_view languageCode(int language);

// The text in the current language; the Polish text itself for Polish, for a
// text the dictionary lacks and for an invalid language. Never fails.
std::string translate(std::string_view polish);
// The same for a given language, whatever the current one.
std::string translateTo(std::string_view polish, int language);
// translate(), then %1 to %9 replaced by the arguments: word order differs
// between the languages, so a sentence is translated whole, values and all.
std::string translateFill(std::string_view polish, std::initializer_list<std::string_view> args);

// The dictionary of the compiled-in text table, built on first use.
const CTranslationDict& translationDictionary();
