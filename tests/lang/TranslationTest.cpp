#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "lang/CLangError.h"
#include "lang/Translation.h"
#include "DictionaryKeys.h"
#include "LanguageScope.h"

TEST(Translation, PolishComesBackUnchangedEvenWhenUnknown)
{
    CLanguageScope scope(LANG_PL);
    EXPECT_EQ(translate("Koniec"), "Koniec");
    EXPECT_EQ(translate("Tego tekstu nie ma w słowniku"), "Tego tekstu nie ma w słowniku");
    EXPECT_EQ(translate(""), "");
}

TEST(Translation, EnglishTranslatesKnownTextsOnly)
{
    CLanguageScope scope(LANG_EN);
    EXPECT_EQ(translate("Koniec"), "End");
    EXPECT_EQ(translate("Tego tekstu nie ma w słowniku"), "Tego tekstu nie ma w słowniku");
    // A near miss is a different text.
    EXPECT_EQ(translate("Koniec "), "Koniec ");
}

TEST(Translation, InvalidLanguageGivesPolish)
{
    for (int bad : {5, 7, -1, 1000}) {
        CLanguageScope scope(bad);
        EXPECT_EQ(translate("Koniec"), "Koniec") << bad;
        EXPECT_EQ(translateTo("Koniec", bad), "Koniec") << bad;
    }
}

TEST(Translation, RowsGivenInAllLanguagesComeOutVerbatim)
{
    struct SRow {
        const char* texts[kLanguageCount];
    } rows[] = {
        {{"Koniec", "End", "Конец", "Fine", "Ende"}},
        {{"Łączenie ze sterownikiem...", "Starting communication with device...",
          "Наладка связи с устройством...", "Avvio della comunicazione con il dispositivo...",
          "Kommunikation mit dem Gerät aufnehmen..."}},
        {{"Czy chcesz przywrócić ustawienia fabryczne?", "Do you want to restore default settings?",
          "Хотите вернуться к заводским установкам?", "Ritornare alle impostazioni di fabbrica?",
          "Möchten Sie die vorgegebenen Einstellungen wiederherstellen?"}},
        {{"Błąd - Brak diagnostyki!", "Error - no diagnostic data!", "Ошибка - Нет диагностики!",
          "Errore - Diagnostica mancante!", "Fehler - keine Diagnostik vorhanden!"}},
        // The status bar sets these itself; they must read as its own control texts.
        {{"Błąd komunikacji", "No connection", "НЕТ СВЯЗИ", "Mancaza di collegamento",
          "Keine verbindung"}},
        {{"BENZYNA", "Gasoline", "Бензин", "Benzina", "Benzin"}},
        {{"BŁĄD", "ERROR", "ОШИБКА", "ERRORE", "FEHLER"}},
        {{"1 cewka na 2 cylindry", "1 coil per 2 cylinders \"DIS\"",
          "1 катушка на 2 цилиндра \"DIS\"", "1 bobina per 2 cilindri \"DIS\"",
          "1 Zündspule pro 2 Zylinder \"DIS\""}},
    };
    for (const auto& row : rows) {
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            CLanguageScope scope(lang);
            EXPECT_EQ(translate(row.texts[LANG_PL]), row.texts[lang]) << languageCode(lang);
        }
    }
}

TEST(Translation, LangErrorReadsInTheLanguageCurrentWhenBuilt)
{
    CLanguageScope scope(LANG_EN);
    CLangError lang(CLangError::errLang, "CMultiLangText::checkLang()", 46, "multilang");
    setCurrentLanguage(LANG_DE);
    CLangError text(CLangError::errNoText, "CMultiLangText::text()", 56, "multilang");
    EXPECT_EQ(lang.description(), "This language is not supported.");
    EXPECT_EQ(text.description(), "Der angeforderte Text wurde nicht gefunden.");
}

TEST(Translation, ConcurrentLookupsAgree)
{
    std::vector<std::string> expected;
    for (auto key : kDictionaryKeys) {
        for (int lang = 0; lang < kLanguageCount; ++lang)
            expected.push_back(translateTo(key, lang));
    }
    CLanguageScope scope(LANG_RU);
    std::vector<int> mismatches(8, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                std::size_t i = 0;
                for (auto key : kDictionaryKeys) {
                    for (int lang = 0; lang < kLanguageCount; ++lang, ++i) {
                        if (translateTo(key, lang) != expected[i])
                            ++mismatches[t];
                    }
                    if (translate(key) != expected[i - kLanguageCount + LANG_RU])
                        ++mismatches[t];
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int count : mismatches)
        EXPECT_EQ(count, 0);
}
