#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/GuiOptions.h"
#include "lang/LanguageScope.h"

TEST(GuiOptions, PortsEmulatorDemoAndLanguageAndTheirMistakes)
{
    CLanguageScope english(LANG_EN);
    SGuiOptions opt;
    EXPECT_EQ(parseGuiOptions({"--port", "/dev/ttyUSB0", "--port=/tmp/x", "--port", "3",
                               "--emulator", "--demo", "--lang", "de", "--play", "drive.bin"},
                              opt),
              "");
    EXPECT_EQ(opt.ports, (std::vector<std::string>{"/dev/ttyUSB0", "/tmp/x"}));
    EXPECT_EQ(opt.port, 3);
    EXPECT_TRUE(opt.emulator && opt.demo);
    EXPECT_EQ(opt.language, LANG_DE);
    EXPECT_EQ(opt.play, "drive.bin");

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--port"},
                                                {"--port", "0"},
                                                {"--port", "8"},
                                                {"--lang", "fr"},
                                                {"--fast"},
                                                {"--port="},
                                                {"--play"},
                                                {"--play="}}) {
        SGuiOptions o;
        EXPECT_NE(parseGuiOptions(bad, o), "") << bad.front();
    }
}
