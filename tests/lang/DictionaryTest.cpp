#include <array>
#include <cctype>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "lang/CTranslationDict.h"
#include "lang/TextTable.h"
#include "lang/Translation.h"
#include "DictionaryKeys.h"

namespace {

// Rows whose texts are the same in some languages on purpose: names, units
// and words these languages share.
const std::set<std::string, std::less<>> kSameInSeveralLanguages = {
    "AEB1050", "90 ohm",      "min",          "Normalna", // dictionary
    "Stop",    "Lambda",      "LPG",          "AUTO",     // status bar and calibration buttons
    "Plik",    "O programie", "Jazda",                    // menu and map buttons
    " ms",                                                // a unit joined to a number
    "s",       "ms",          "kPa",          "V",        // units
    "[ms]",    "%1 ms: %2 %", "[%]",                      // chart captions and values
    "Pauza",   "°C",          "Kursor: %1 s",             // the plot's button, unit and cursor
};

std::pair<std::size_t, std::size_t> blanksAround(std::string_view s)
{
    auto isBlank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    std::size_t lead = 0;
    while (lead < s.size() && isBlank(s[lead]))
        ++lead;
    std::size_t trail = 0;
    while (trail < s.size() - lead && isBlank(s[s.size() - 1 - trail]))
        ++trail;
    return {lead, trail};
}

} // namespace

TEST(Dictionary, StartsWithTheProgramsKeysInTheirOrder)
{
    // Texts added later follow the first list; they never reorder or
    // replace it.
    const auto& keys = translationDictionary().keys();
    std::vector<std::string_view> expected(std::begin(kDictionaryKeys), std::end(kDictionaryKeys));
    ASSERT_EQ(expected.size(), 141u);
    ASSERT_GE(keys.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(keys[i], expected[i]) << "position " << i;
    // Every dictionary row of the table made it in: none was dropped as a repeat.
    std::size_t dictRows = 0;
    for (const auto& row : textTable().rows)
        dictRows += row.table == kDictTable ? 1 : 0;
    EXPECT_EQ(keys.size(), dictRows);
}

TEST(Dictionary, EveryKeyReadsInEveryLanguage)
{
    const auto& dict = translationDictionary();
    for (const std::string& key : dict.keys()) {
        for (int lang = LANG_EN; lang < kLanguageCount; ++lang) {
            const std::string* text = dict.find(key, lang);
            ASSERT_NE(text, nullptr) << key << " in " << languageCode(lang);
            EXPECT_FALSE(text->empty()) << key << " in " << languageCode(lang);
        }
    }
}

TEST(Dictionary, CoreMessagesBeyondTheFirstListAreTranslated)
{
    // Texts the core shows that the first list lacks; without a row they
    // would read in Polish whatever the language.
    const char* const shown[] = {
        "Błąd krytyczny.",
        "Nieznany kod błędu",
        "Błąd - za wysoka temperatura LPG (powyżej 90 °C",
        "Błąd - za niska temperatura ogrzewacza LPG (poniżej 20 °C",
        "Nie powiodło się wczytanie ustawień urządzenia!",
        "Wczytywanie ustawień z urządzenia",
        "Nie można otworzyć pliku do odczytu danych diagnostycznych",
    };
    for (const char* polish : shown)
        EXPECT_TRUE(translationDictionary().contains(polish)) << polish;
    EXPECT_EQ(translateTo("Błąd krytyczny.", LANG_DE), "Schwerwiegender Fehler.");
    // The unclosed parenthesis is the controller text's own; translations keep it.
    EXPECT_EQ(translateTo("Błąd - za wysoka temperatura LPG (powyżej 90 °C", LANG_EN),
              "Error - LPG temperature too high (above 90 °C");
}

TEST(Dictionary, FragmentsKeepTheBlanksTheyAreJoinedBy)
{
    // A stripped blank glues a number to the next word in a composed message.
    EXPECT_EQ(translateTo(" ms jest za duża.", LANG_EN), " ms is too large.");
    EXPECT_EQ(translateTo("-zmienić wtryskiwacze na mniejsze lub ", LANG_DE),
              "-kleinere Injektoren einbauen oder ");
    EXPECT_EQ(translateTo(" Konfiguracja ", LANG_RU), " Конфигурация ");
    for (const auto& row : textTable().rows) {
        auto polish = blanksAround(row.texts[LANG_PL]);
        for (int lang = LANG_EN; lang < kLanguageCount; ++lang)
            EXPECT_EQ(blanksAround(row.texts[lang]), polish)
                << "line " << row.line << " in " << languageCode(lang);
    }
}

TEST(Dictionary, LanguagesOfARowDifferExceptWhereTheyShareTheWord)
{
    for (const auto& row : textTable().rows) {
        if (kSameInSeveralLanguages.contains(row.texts[LANG_PL]))
            continue;
        for (int a = 0; a < kLanguageCount; ++a) {
            for (int b = a + 1; b < kLanguageCount; ++b)
                EXPECT_NE(row.texts[a], row.texts[b])
                    << "line " << row.line << ": " << languageCode(a) << " = " << languageCode(b);
        }
    }
}

TEST(TranslationDict, FirstAddWinsAndBlankTranslationsFallBackToPolish)
{
    CTranslationDict dict;
    dict.add("Kasuj", "Clear", "Удалить", "Cancella", "Löschen");
    dict.add("Kasuj", "Erase", "Стереть", "Elimina", "Entfernen");
    dict.add("Wpisz", "Write", "", "Scrivi", "");
    EXPECT_EQ(dict.size(), 2u);
    ASSERT_NE(dict.find("Kasuj", LANG_DE), nullptr);
    EXPECT_EQ(*dict.find("Kasuj", LANG_DE), "Löschen");
    EXPECT_EQ(*dict.find("Kasuj", LANG_EN), "Clear");
    // The Polish text is the key, never an entry of its own.
    EXPECT_EQ(dict.find("Kasuj", LANG_PL), nullptr);
    EXPECT_EQ(dict.find("Wpisz", LANG_RU), nullptr);
    EXPECT_EQ(*dict.find("Wpisz", LANG_IT), "Scrivi");
    EXPECT_EQ(dict.find("Brak", LANG_EN), nullptr);
    EXPECT_EQ(dict.keys(), (std::vector<std::string>{"Kasuj", "Wpisz"}));
}
