#include <memory>
#include <string>
#include <vector>

#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/CAutrelDoc.h"
#include "link/Protocol.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CErrCodesView.h"

namespace {

using SFaults = std::array<std::uint8_t, 4>;

class ErrCodesViewEmu : public DeviceEmuTest {
protected:
    void SetUp() override
    {
        DeviceEmuTest::SetUp();
        doc.setTiming(kShortLinkTiming); // an unanswered request costs 50 ms
        CErrCodesView::setReadCountdown(CErrCodesView::READ_TICKS);
        doc.rebuildErrors();
        ASSERT_TRUE(doc.tryPort(1));
        reopen();
    }

    void reopen()
    {
        view = std::make_unique<CErrCodesView>(doc);
        view->refreshControls();
    }
    void press(const char* id) { view->findChild<QPushButton*>(id)->click(); }
    void setFaults(SFaults faults)
    {
        emu().withState([&](SEmuState& s) { s.m_faults = faults; });
    }
    std::uint64_t reads() { return emu().counters().m_commands[CMD_ERROR]; }
    void tick(int n)
    {
        for (int i = 0; i < n; ++i)
            view->onDiagRecord(diag_t{});
    }
    std::string shown() const { return view->errorText().toStdString(); }

    CAutrelDoc doc{shell};
    std::unique_ptr<CErrCodesView> view;
};

const std::string kRpmAndInjectors = "\nBrak sygnału RPM\n"
                                     "\nBłąd wtryskiwacza LPG 1 - Przekroczenie prądu"
                                     "\nBłąd wtryskiwacza LPG 8 - Przekroczenie prądu\n";

} // namespace

TEST_F(ErrCodesViewEmu, ReadsTheFaultsAndClearingLeavesTheLinesUntilTheNextReading)
{
    EXPECT_EQ(view->windowTitle(), "Kody błędów");
    EXPECT_EQ(view->findChild<QPushButton*>("1048")->text(), "Wczytaj z urządzenia");
    EXPECT_TRUE(view->findChild<QPushButton*>("1011")->isEnabled());

    setFaults({0, 0, 0x01, 0x81});
    press("1048");
    EXPECT_EQ(shown(), kRpmAndInjectors);
    EXPECT_TRUE(shell.m_faultIndicator);

    press("1011");
    EXPECT_EQ(emu().state().m_faults, SFaults{});
    EXPECT_EQ(emu().counters().m_commands[CMD_CLEAR_ERRORS], 1u);
    EXPECT_EQ(emu().state().m_workMode, WORK_PETROL);
    EXPECT_FALSE(shell.m_faultIndicator);
    EXPECT_EQ(shown(), kRpmAndInjectors);
    press("1048");
    EXPECT_EQ(shown(), "");

    // A fault bit no group has a text for gives no line and no indicator.
    shell.m_faultIndicator = true;
    setFaults({0x04, 0, 0, 0});
    press("1048");
    EXPECT_EQ(shown(), "");
    EXPECT_FALSE(shell.m_faultIndicator);
    EXPECT_TRUE(shell.errors().empty());
    // Only the hint in the empty field tells it from no reading at all.
    EXPECT_EQ(view->findChild<QPlainTextEdit*>("1105")->placeholderText(),
              "Sterownik nie zgłasza błędów.");
    setCurrentLanguage(LANG_EN);
    view->refreshControls();
    EXPECT_EQ(view->findChild<QPlainTextEdit*>("1105")->placeholderText(),
              "The controller reports no faults.");
    setCurrentLanguage(LANG_PL);
    reopen();
    EXPECT_EQ(view->findChild<QPlainTextEdit*>("1105")->placeholderText(), "");
}

TEST_F(ErrCodesViewEmu, TheFortyTickCountdownRunsOnAcrossOpenings)
{
    setFaults({0, 0, 0x02, 0});
    const std::uint64_t before = reads();
    tick(15);
    reopen(); // the countdown stands at 25 now
    tick(24);
    EXPECT_EQ(reads(), before);
    EXPECT_EQ(shown(), "");
    tick(1);
    EXPECT_EQ(reads(), before + 1);
    EXPECT_EQ(shown(), "\nBłąd czujnika ciśnienia\n");
    EXPECT_EQ(CErrCodesView::readCountdown(), CErrCodesView::READ_TICKS);

    // A reading of its own that fails says nothing and keeps the lines.
    emu().ignoreCommand(CMD_ERROR);
    tick(CErrCodesView::READ_TICKS);
    EXPECT_EQ(shown(), "\nBłąd czujnika ciśnienia\n");
    EXPECT_TRUE(shell.errors().empty());
}

TEST_F(ErrCodesViewEmu, FailuresAreReportedAndTheViewStaysUsable)
{
    setFaults({0, 0, 0x01, 0});
    press("1048");
    emu().ignoreCommand(CMD_ERROR);
    press("1048");
    emu().ignoreCommand(CMD_CLEAR_ERRORS);
    press("1011");
    EXPECT_EQ(shell.errors(), (std::vector<std::string>{"Nie można wczytać błędów urządzenia",
                                                        "Nie można skasować błędów urządzenia"}));
    EXPECT_EQ(shown(), "\nBrak sygnału RPM\n");
    EXPECT_EQ(emu().state().m_faults, (SFaults{0, 0, 0x01, 0}));

    // A port that fails under the command: its error object's description.
    emu().clearIgnores();
    emu().unplug();
    press("1048");
    ASSERT_EQ(shell.errors().size(), 3u);
    EXPECT_EQ(shell.errors().back(), "Nie można wykonać operacji na RS.");
    EXPECT_TRUE(view->findChild<QPushButton*>("1048")->isEnabled());

    // With the link down the buttons are off from the moment the view is filled.
    doc.setConnected(false);
    reopen();
    EXPECT_FALSE(view->findChild<QPushButton*>("1048")->isEnabled());
    EXPECT_FALSE(view->findChild<QPushButton*>("1011")->isEnabled());
}
