#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "lang/CLangError.h"
#include "lang/CMultiLangRes.h"
#include "lang/Translation.h"
#include "LanguageScope.h"

namespace {

// A window text class as the windows will have them.
class CNoConnectionTexts : public CMultiLangRes {
public:
    void init() override { addTable("CNoConnectionDlgTexts"); }
};

// A table whose key has a Polish text only.
class CPolishOnlyTexts : public CMultiLangText {
public:
    CPolishOnlyTexts() { m_table[7] = {{LANG_PL, "Tylko po polsku"}}; }
};

std::unique_ptr<IError> caught(const CMultiLangText& texts, std::int32_t key)
{
    try {
        texts.text(key);
    } catch (IError* e) {
        return std::unique_ptr<IError>(e);
    }
    return nullptr;
}

} // namespace

TEST(MultiLangRes, TextFollowsTheCurrentLanguageAndFirstAddWins)
{
    CMultiLangRes texts;
    texts.add(1011, "Kasuj", "Clear errors", "Удалить ошибки", "Cancella gli errori",
              "Fehler löschen");
    texts.add(1011, "Usuń", "Delete", "Стереть", "Elimina", "Entfernen");
    const char* expected[] = {"Kasuj", "Clear errors", "Удалить ошибки", "Cancella gli errori",
                              "Fehler löschen"};
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        CLanguageScope scope(lang);
        EXPECT_EQ(texts.text(1011), expected[lang]);
    }
}

TEST(MultiLangRes, InitThroughTheBaseFillsAWindowsTableFromTheTextTable)
{
    CNoConnectionTexts texts;
    CMultiLangText& base = texts;
    base.init();
    EXPECT_EQ(base.table().size(), 4u);
    EXPECT_EQ(base.table().begin()->first, -1); // the caption comes first
    CLanguageScope scope(LANG_IT);
    EXPECT_EQ(base.text(1), "Avvia in modalità demo");
    setCurrentLanguage(LANG_DE);
    EXPECT_EQ(base.text(1), "Im Demomodus starten");
}

TEST(MultiLangRes, UnknownTextClassIsAnError)
{
    CMultiLangRes texts;
    try {
        texts.addTable("CNoSuchTexts");
        FAIL() << "no error";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_STREQ(e->className(), "CLangError");
        EXPECT_EQ(e->code(), CLangError::errNoText);
        EXPECT_EQ(e->text(), "CMultiLangRes::addTable()");
    }
    EXPECT_TRUE(texts.table().empty());
}

TEST(MultiLangText, MissingKeyThrowsCode6InTheCurrentLanguage)
{
    CLanguageScope scope(LANG_EN);
    CMultiLangRes texts;
    auto e = caught(texts, 1234);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->className(), "CLangError");
    EXPECT_EQ(e->code(), 6);
    EXPECT_EQ(e->text(), "CMultiLangText::text()");
    EXPECT_EQ(e->line(), 56);
    EXPECT_EQ(e->file(), "multilang");
    EXPECT_EQ(e->description(), "The requested text cannot be found.");
}

TEST(MultiLangText, KeyWithoutTextInTheLanguageThrowsFromItsOwnLine)
{
    CPolishOnlyTexts texts;
    {
        CLanguageScope scope(LANG_PL);
        EXPECT_EQ(texts.text(7), "Tylko po polsku");
    }
    CLanguageScope scope(LANG_RU);
    auto e = caught(texts, 7);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->code(), 6);
    EXPECT_EQ(e->text(), "CMultiLangText::text()");
    EXPECT_EQ(e->line(), 66);
    EXPECT_EQ(e->description(), "Невозможно найти запрошенный текст.");
}

TEST(MultiLangText, InvalidCurrentLanguageThrowsCode5)
{
    CMultiLangRes texts;
    texts.add(1, "Tak", "Yes", "Да", "Sì", "Ja");
    for (int bad : {5, 7, -1}) {
        CLanguageScope scope(bad);
        auto e = caught(texts, 1);
        ASSERT_NE(e, nullptr) << bad;
        EXPECT_EQ(e->code(), 5);
        EXPECT_EQ(e->text(), "CMultiLangText::checkLang()");
        EXPECT_EQ(e->line(), 46);
        EXPECT_EQ(e->file(), "multilang");
        // No valid language to translate into: the message stays Polish.
        EXPECT_EQ(e->description(), "Taki język nie jest obsługiwany.");
    }
}
