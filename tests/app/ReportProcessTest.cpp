// nimo --report as a workshop's script runs it: the real program against the
// virtual controller program, no display, the PDF read back as text.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "data/CUserConfig.h"
#include "data/SettingsLabels.h"
#include "lang/LanguageScope.h"
#include "link/CGasDeviceErr.h"
#include "support/ChildProcess.h"

namespace {

// pdftotext breaks lines where the page does; one blank between words
// makes a label the same text however it was laid out.
std::string words(const std::string& text)
{
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\f' || c == '\r') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    return names;
}

class ReportProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Under the address sanitizer the toolkit's font and platform caches,
        // kept to the end by design, would read as leaks of the program's.
        const char* asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", ((asan ? std::string(asan) + ":" : "") + "detect_leaks=0").c_str(),
               1);
        // A sensor fault (low supply voltage) and a serial of the test's own.
        m_emu = std::make_unique<CProcess>(std::vector<std::string>{
            NIMO_EMU_EXE, "--serial", "RPT-0417", "--errors", "00 00 10 00"});
        ASSERT_TRUE(m_emu->started());
        ASSERT_TRUE(m_emu->readLines(1, std::chrono::seconds(5))) << m_emu->stdErr;
        m_port = m_emu->stdOut.substr(0, m_emu->stdOut.find('\n'));
        std::filesystem::create_directories(dir.file("out"));
        ASSERT_TRUE(CUserConfig().storeMountServiceName("Auto-Gaz Łódź"));
    }
    void TearDown() override
    {
        m_emu->signal(SIGTERM);
        EXPECT_EQ(m_emu->wait(std::chrono::seconds(5)), 0);
    }

    CCliTempDir dir;
    std::unique_ptr<CProcess> m_emu;
    std::string m_port;
};

} // namespace

TEST_F(ReportProcess, WritesTheControllersReportWithoutAWindow)
{
    const std::string pdf = dir.file("out/report.pdf");
    CProcess nimo({NIMO_EXE, "--report", pdf, "--port", m_port, "--lang", "en"});
    ASSERT_EQ(nimo.wait(std::chrono::seconds(60)), 0) << nimo.stdErr;
    EXPECT_EQ(nimo.stdErr.find("nimo:"), std::string::npos) << nimo.stdErr;
    // Written whole under its name; no temporary file left beside it.
    EXPECT_EQ(filesIn(dir.file("out")), std::vector<std::string>{"report.pdf"});

    CProcess text({PDFTOTEXT_EXE, "-enc", "UTF-8", pdf, "-"});
    ASSERT_EQ(text.wait(std::chrono::seconds(20)), 0) << text.stdErr;
    const std::string page = words(text.stdOut);
    EXPECT_NE(page.find("Installation report"), std::string::npos) << page;
    EXPECT_NE(page.find("RPT-0417"), std::string::npos);
    EXPECT_NE(page.find("Auto-Gaz Łódź"), std::string::npos);

    CLanguageScope english(LANG_EN);
    for (const SSettingsItem& item : settingsItems()) {
        const std::string label = words(settingsItemLabel(item));
        EXPECT_NE(page.find(label), std::string::npos) << label;
    }
    CGasDeviceErr faults;
    faults.rebuildErrors();
    const std::string fault =
        words(faults.describeErrors(std::vector<std::uint8_t>{0, 0, 0x10, 0}));
    ASSERT_FALSE(fault.empty());
    EXPECT_NE(page.find(fault), std::string::npos) << fault;
}

TEST_F(ReportProcess, WithoutAControllerSaysSoAndWritesNothing)
{
    const std::string pdf = dir.file("out/report.pdf");
    CProcess nimo({NIMO_EXE, "--report", pdf, "--port", dir.file("no-such-port"), "--lang", "en"});
    EXPECT_EQ(nimo.wait(std::chrono::seconds(60)), 4);
    EXPECT_NE(nimo.stdErr.find("nimo: No controller answers; the report was not written."),
              std::string::npos)
        << nimo.stdErr;
    EXPECT_NE(nimo.stdErr.find(dir.file("no-such-port")), std::string::npos) << nimo.stdErr;
    EXPECT_TRUE(filesIn(dir.file("out")).empty());
}
