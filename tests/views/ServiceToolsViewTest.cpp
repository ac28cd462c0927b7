#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/CAutrelDoc.h"
#include "controls/CColorStatic.h"
#include "data/CDiagInputThread.h"
#include "link/Protocol.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CServiceToolsView.h"

namespace {

constexpr int kFields[8] = {1052, 1061, 1062, 1063, 1064, 1065, 1066, 1067};

// Counts the paints of the widgets it watches.
class CPaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class ServiceToolsViewEmu : public DeviceEmuTest {
protected:
    void SetUp() override
    {
        DeviceEmuTest::SetUp();
        doc.setTiming(kShortLinkTiming);
        doc.rebuildErrors();
        ASSERT_TRUE(doc.tryPort(1));
    }
    void TearDown() override
    {
        stopLive(doc);
        DeviceEmuTest::TearDown();
    }

    QPushButton* button(int n) { return view.findChild<QPushButton*>(QString::number(1043 + n)); }
    CColorStatic* field(int n)
    {
        return view.findChild<CColorStatic*>(QString::number(kFields[n - 1]));
    }
    bool green(int n) { return field(n)->backgroundColor() == QColor(0, 200, 0); }
    std::uint64_t maskWrites() { return emu().counters().m_commands[CMD_SET_INJ_MASK]; }
    std::uint64_t maskReads() { return emu().counters().m_commands[CMD_GET_INJ_MASK]; }
    // Until the newest live record reports this fuel.
    bool liveFuelIs(std::uint8_t fuel)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end) {
            diag_t rec{};
            if (doc.m_diagData.count() > 0) {
                doc.m_diagData.getLast(rec);
                if (rec.fuel == fuel)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    CAutrelDoc doc{shell};
    CServiceToolsView view{doc};
};

} // namespace

TEST_F(ServiceToolsViewEmu, FourInjectorControllerShowsItsInjectorsAndSwitchesOnlyOnLpg)
{
    emu().withState([](SEmuState& s) { s.m_injMask = 0xFF; });
    view.show();
    view.refreshControls();
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(green(n), n <= 4) << n;
        EXPECT_EQ(button(n)->isEnabled(), n <= 4) << n;
        EXPECT_TRUE(field(n)->isEnabled()) << n;
    }
    EXPECT_EQ(view.currentMask(), 0x0F);
    EXPECT_EQ(field(1)->accessibleName(), "Wtryskiwacz 1 wł.");
    EXPECT_EQ(field(5)->accessibleName(), "Wtryskiwacz 5 wył.");

    ASSERT_TRUE(startLive(doc));
    ASSERT_TRUE(liveFuelIs(FUEL_PETROL));
    emu().resetCounters();
    button(2)->click();
    EXPECT_EQ(maskWrites(), 0u);
    EXPECT_EQ(view.currentMask(), 0x0F);

    ASSERT_TRUE(doc.workLpg());
    ASSERT_TRUE(liveFuelIs(FUEL_LPG));
    button(2)->click();
    EXPECT_FALSE(green(2));
    EXPECT_EQ(maskWrites(), 1u);
    EXPECT_EQ(emu().state().m_injMask, 0x0D);
    button(2)->click();
    EXPECT_EQ(emu().state().m_injMask, 0x0F);

    // The controller changes the mask itself: the periodic read shows it,
    // once every twenty display ticks.
    emu().withState([](SEmuState& s) { s.m_injMask = 0x05; });
    const std::uint64_t reads = maskReads();
    diag_t rec{};
    for (int i = 0; i < 20; ++i)
        view.onDiagRecord(rec);
    EXPECT_EQ(maskReads(), reads + 1);
    EXPECT_EQ(view.currentMask(), 0x05);

    // The mask already shown (bits of absent injectors aside) repaints nothing.
    CPaintCounter counter;
    for (int n = 1; n <= 8; ++n)
        field(n)->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
    view.showMask(0xF5);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    view.showMask(0x07);
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(view.currentMask(), 0x07);

    // A mask the controller does not take is not shown as if it had.
    emu().ignoreCommand(CMD_SET_INJ_MASK);
    button(4)->click();
    EXPECT_EQ(shell.errors(), std::vector<std::string>{"Nie powiodło się ustawienie urządzenia!"});
    EXPECT_FALSE(green(4));
    EXPECT_EQ(emu().state().m_injMask, 0x05);
}

TEST_F(ServiceToolsViewEmu, ButtonsFollowTheInjectorCountAndTheLink)
{
    emu().withState([](SEmuState& s) { s.m_injMask = 0xFF; });
    const std::pair<int, int> counts[] = {{4, 4}, {5, 6}, {6, 6}, {8, 8}};
    for (const auto& [count, switchable] : counts) {
        doc.m_devInfo.m_injCount = count;
        view.refreshControls();
        for (int n = 1; n <= 8; ++n)
            EXPECT_EQ(button(n)->isEnabled(), n <= switchable) << count << " injectors, " << n;
    }
    EXPECT_EQ(view.currentMask(), 0xFF);
    doc.m_devInfo.m_injCount = 6;
    view.refreshControls();
    EXPECT_EQ(view.currentMask(), 0x3F);

    // A read that is not answered changes nothing and says nothing.
    emu().ignoreCommand(CMD_GET_INJ_MASK);
    emu().withState([](SEmuState& s) { s.m_injMask = 0x01; });
    view.refreshControls();
    EXPECT_EQ(view.currentMask(), 0x3F);
    EXPECT_TRUE(shell.errors().empty());

    emu().resetCounters();
    doc.setConnected(false);
    view.refreshControls();
    for (int n = 1; n <= 8; ++n) {
        EXPECT_FALSE(button(n)->isEnabled()) << n;
        EXPECT_FALSE(field(n)->isEnabled()) << n;
    }
    EXPECT_EQ(emu().counters().m_requests, 0u);
}
