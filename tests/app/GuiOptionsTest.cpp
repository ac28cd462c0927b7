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

TEST(GuiOptions, ReportIsSeenBeforeTheToolkitStartsExactlyAsTheParseSeesIt)
{
    SGuiOptions opt;
    EXPECT_EQ(parseGuiOptions({"--report", "/tmp/r.pdf", "--lang=en"}, opt), "");
    EXPECT_EQ(opt.report, "/tmp/r.pdf");
    EXPECT_TRUE(reportRequested({"--lang", "en", "--report=/tmp/r.pdf"}));
    // A device path that happens to read "--report" starts the window.
    EXPECT_FALSE(reportRequested({"--port", "--report"}));
    SGuiOptions window;
    EXPECT_EQ(parseGuiOptions({"--port", "--report"}, window), "");
    EXPECT_TRUE(window.report.empty());
    SGuiOptions bad;
    EXPECT_NE(parseGuiOptions({"--report"}, bad), "");
    EXPECT_NE(parseGuiOptions({"--report="}, bad), "");
}
