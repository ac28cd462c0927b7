#include <cstdlib>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "lang/Translation.h"

// Each case runs in a child process that has not used the language yet.

TEST(StartupLanguage, IsTakenFromTheUsersLocaleOnFirstUse)
{
    EXPECT_EXIT(
        {
            setenv("LC_ALL", "de_DE.UTF-8", 1);
            bool ok = currentLanguage() == LANG_DE && translate("Koniec") == "Ende";
            // Read once: a later change of the environment does not switch the language.
            setenv("LC_ALL", "ru_RU.UTF-8", 1);
            ok = ok && currentLanguage() == LANG_DE;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(StartupLanguage, ChoiceMadeBeforeFirstUseIsKept)
{
    EXPECT_EXIT(
        {
            setenv("LC_ALL", "it_IT.UTF-8", 1);
            setCurrentLanguage(LANG_RU);
            std::exit(currentLanguage() == LANG_RU ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(StartupLanguage, FirstUseFromManyThreadsAtOnce)
{
    EXPECT_EXIT(
        {
            setenv("LC_ALL", "it_IT.UTF-8", 1);
            std::vector<std::thread> threads;
            std::vector<int> wrong(8, 0);
            for (std::size_t t = 0; t < wrong.size(); ++t) {
                threads.emplace_back([&, t] {
                    wrong[t] = translate("Koniec") != "Fine" || currentLanguage() != LANG_IT;
                });
            }
            for (auto& thread : threads)
                thread.join();
            for (int w : wrong) {
                if (w)
                    std::exit(1);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
