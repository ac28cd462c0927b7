#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lang/Translation.h"

TEST(Locale, LanguageIsTheLeadingCodeOfTheLocaleName)
{
    struct SCase {
        const char* locale;
        int language;
    } cases[] = {
        {"pl_PL.UTF-8", LANG_PL},
        {"pl", LANG_PL},
        {"pl_PL@euro", LANG_PL},
        {"PL-pl", LANG_PL},
        {"ru_RU.KOI8-R", LANG_RU},
        {"ru", LANG_RU},
        {"it_IT", LANG_IT},
        {"it_CH.UTF-8", LANG_IT},
        {"de_AT", LANG_DE},
        {"de_CH.UTF-8", LANG_DE},
        {"en_GB.UTF-8", LANG_EN},
        {"fr_FR", LANG_EN},
        {"C", LANG_EN},
        {"C.UTF-8", LANG_EN},
        {"POSIX", LANG_EN},
        {"", LANG_EN},
        {"plx", LANG_EN},
        {"rue_UA", LANG_EN},
        {"d", LANG_EN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(languageFromLocale(c.locale), c.language) << '"' << c.locale << '"';
}

class LocaleEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }
    void TearDown() override
    {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (m_saved[i])
                setenv(kNames[i], m_saved[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }

    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> m_saved;
};

TEST_F(LocaleEnvironment, FirstSetAndNonEmptyVariableDecides)
{
    EXPECT_EQ(languageFromEnvironment(), LANG_EN);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(languageFromEnvironment(), LANG_DE);
    setenv("LC_MESSAGES", "it_IT.UTF-8", 1);
    EXPECT_EQ(languageFromEnvironment(), LANG_IT);
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(languageFromEnvironment(), LANG_IT);
    setenv("LC_ALL", "ru_RU.UTF-8", 1);
    EXPECT_EQ(languageFromEnvironment(), LANG_RU);
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(languageFromEnvironment(), LANG_EN);
}
