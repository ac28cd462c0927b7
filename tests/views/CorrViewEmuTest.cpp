#include <string>
#include <vector>

#include <QApplication>

#include <gtest/gtest.h>

#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "link/Protocol.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CCorrView.h"
#include "views/CTimeCorrChart.h"
#include "views/ChartInput.h"

namespace {

constexpr const char* kWriteFailed = "Nie powiodło się wpisanie ustawień do urządzenia!";

// The view linked to the virtual controller, its chart at the design size.
class CorrViewEmu : public DeviceEmuTest {
protected:
    void link()
    {
        m_doc.setTiming(kShortLinkTiming); // an unanswered request costs 50 ms, not 700
        m_doc.rebuildErrors();
        ASSERT_TRUE(m_doc.tryPort(1));
        m_view.reloadSettings();
        m_view.refreshControls();
    }
    CTimeCorrChart& chart() { return m_view.chart(); }
    std::uint64_t tableWrites() { return emu().counters().m_frames[MSG_TYPE_TABLE]; }
    std::uint8_t stored(int i) { return emu().state().m_table[static_cast<std::size_t>(i)]; }
    // Takes point `index` with the arrow keys from wherever the selection is.
    void selectByKeys(int index)
    {
        while (chart().selected() < index)
            tapKey(&chart(), Qt::Key_Right);
        while (chart().selected() > index)
            tapKey(&chart(), Qt::Key_Left);
    }

    CAutrelDoc m_doc{shell};
    CCorrView m_view{m_doc};
};

} // namespace

TEST_F(CorrViewEmu, EveryStepOfAPointReachesTheControllersTable)
{
    // The controller holds +3 % at 5 ms (bytes carry the per cent plus 100).
    emu().withState([](SEmuState& s) { s.m_table[4] = 103; });
    link();
    EXPECT_EQ(chart().value(4), 3);
    EXPECT_EQ(chart().geometry().width, 1024 - 70) << "the chart fills the pane";
    EXPECT_EQ(m_view.windowTitle(), QString("Ręczna modyfikacja mieszanki"));
    const std::uint64_t before = tableWrites();

    selectByKeys(4);
    EXPECT_EQ(tableWrites(), before) << "choosing a point writes nothing";
    tapKey(&chart(), Qt::Key_Up);
    EXPECT_EQ(stored(4), 104);
    EXPECT_EQ(m_doc.m_setupTimes[4], 4);
    EXPECT_EQ(tableWrites(), before + 1);
    // Up to the top, one write per step; the step past it writes nothing.
    for (int i = 0; i < 30; ++i)
        tapKey(&chart(), Qt::Key_Up);
    EXPECT_EQ(stored(4), 125);
    EXPECT_EQ(tableWrites(), before + 22);
    tapKey(&chart(), Qt::Key_Down);
    EXPECT_EQ(stored(4), 124);

    // A drag writes once, when it ends, whatever it passed through.
    const std::uint64_t dragged = tableWrites();
    press(&chart(), chart().pointPixel(9));
    dragTo(&chart(), {0, rowOf(chart().geometry(), 10)});
    dragTo(&chart(), {0, rowOf(chart().geometry(), -7)});
    release(&chart(), {0, rowOf(chart().geometry(), -7)});
    EXPECT_EQ(stored(9), 93);
    EXPECT_EQ(tableWrites(), dragged + 1);
    // Moved away and back before the release: the table has it already.
    press(&chart(), chart().pointPixel(9));
    dragTo(&chart(), {0, rowOf(chart().geometry(), 12)});
    dragTo(&chart(), {0, rowOf(chart().geometry(), -7)});
    release(&chart(), {0, rowOf(chart().geometry(), -7)});
    EXPECT_EQ(tableWrites(), dragged + 1);
    // The rest of the table went along unchanged.
    EXPECT_EQ(stored(0), 100);
    EXPECT_EQ(stored(19), 100);
    EXPECT_TRUE(shell.errors().empty());

    // Changed elsewhere (a file, the map): reloading takes the table afresh.
    emu().withState([](SEmuState& s) { s.m_table[15] = 88; });
    ASSERT_TRUE(m_doc.readSetupTable());
    m_view.reloadSettings();
    EXPECT_EQ(chart().value(15), -12);
    EXPECT_EQ(chart().value(9), -7);
    // Stored values that are not whole show truncated toward zero.
    m_doc.m_setupTimes[2] = 7.9;
    m_doc.m_setupTimes[3] = -3.5;
    m_view.reloadSettings();
    EXPECT_EQ(chart().value(2), 7);
    EXPECT_EQ(chart().value(3), -3);
}

TEST_F(CorrViewEmu, AFailedWriteKeepsTheNewValueAndTellsTheFitter)
{
    link();
    selectByKeys(7);
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_TABLE); });
    tapKey(&chart(), Qt::Key_Down);
    EXPECT_EQ(shell.errors(), std::vector<std::string>{kWriteFailed});
    EXPECT_EQ(m_doc.m_setupTimes[7], -1);
    EXPECT_EQ(chart().value(7), -1);
    EXPECT_EQ(stored(7), 100);

    // The next step tries the whole table again and brings both values.
    emu().withController([](CEmuController& c) { c.clearIgnores(); });
    tapKey(&chart(), Qt::Key_Down);
    EXPECT_EQ(stored(7), 98);
    EXPECT_EQ(shell.errors().size(), 1u);

    // A port that fails under the write: the error's own description, and
    // the view stays usable.
    emu().unplug();
    tapKey(&chart(), Qt::Key_Down);
    ASSERT_EQ(shell.errors().size(), 2u);
    EXPECT_NE(shell.errors()[1], kWriteFailed);
    EXPECT_FALSE(shell.errors()[1].empty());
    EXPECT_EQ(chart().value(7), -3);
    tapKey(&chart(), Qt::Key_Left);
    EXPECT_EQ(chart().selected(), 6);
}

TEST_F(CorrViewEmu, WithTheLinkDownPointsMoveOnScreenOnly)
{
    link();
    const std::uint64_t before = tableWrites();
    m_doc.setConnected(false);
    selectByKeys(2);
    tapKey(&chart(), Qt::Key_Up);
    tapKey(&chart(), Qt::Key_Up);
    press(&chart(), chart().pointPixel(12));
    dragTo(&chart(), {0, rowOf(chart().geometry(), 20)});
    release(&chart(), {0, rowOf(chart().geometry(), 20)});
    EXPECT_EQ(chart().value(2), 2);
    EXPECT_EQ(chart().value(12), 20);
    EXPECT_EQ(m_doc.m_setupTimes[2], 0);
    EXPECT_EQ(m_doc.m_setupTimes[12], 0);
    EXPECT_EQ(tableWrites(), before);
    EXPECT_TRUE(shell.errors().empty());
    // The next refresh shows the stored table again.
    m_view.refreshControls();
    EXPECT_EQ(chart().value(2), 0);
    EXPECT_EQ(chart().value(12), 0);
}

TEST(CorrViewDemo, DemonstrationModeStoresNothing)
{
    CFakeShell shell;
    CAutrelDoc doc(shell);
    doc.enterDemo();
    CCorrView view(doc);
    view.reloadSettings();
    view.refreshControls();
    const auto table = doc.m_setupTimes;
    tapKey(&view.chart(), Qt::Key_Up);
    EXPECT_EQ(view.chart().value(0), 1);
    EXPECT_EQ(doc.m_setupTimes, table);
    EXPECT_TRUE(shell.errors().empty());
}

class CorrViewFrameEmu : public EmuTest {
protected:
    void SetUp() override
    {
        EmuTest::SetUp();
        setCurrentLanguage(LANG_PL);
        CPortList::setSystemScan(false);
        CPortList::setUserPaths({emu().path()});
    }
    void TearDown() override
    {
        setCurrentLanguage(LANG_PL);
        CPortList::setUserPaths({});
        CPortList::setSystemScan(true);
        EmuTest::TearDown();
    }
};

TEST_F(CorrViewFrameEmu, TheToolbarShowsTheTableAndKeysGoToTheChart)
{
    emu().withState([](SEmuState& s) { s.m_table[0] = 95; });
    CQtShell shell;
    shell.m_fastSleep = true;
    std::vector<std::string> errors;
    shell.onErrorBox = [&errors](const std::string& t) { errors.push_back(t); };
    CAutrelDoc doc(shell);
    CMainFrame frame(doc, shell);
    registerViews(frame);
    frame.show();
    frame.startFirstConnection();
    ASSERT_TRUE(doc.isConnected());

    frame.runCommand(ID_VIEW_CORR_ALIAS);
    auto* view = dynamic_cast<CCorrView*>(frame.upperView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Ręczna modyfikacja mieszanki - "));
    EXPECT_EQ(view->chart().value(0), -5);
    EXPECT_EQ(view->chart().objectName(), QString("1014"));
    EXPECT_GE(view->chart().height(), view->height() - 1) << "the chart fills the pane";

    // Whatever has the keyboard, the arrow keys reach the chart.
    frame.activateWindow();
    QApplication::processEvents();
    QWidget* focused = QApplication::focusWidget();
    ASSERT_EQ(focused, &view->chart());
    tapKey(focused, Qt::Key_Up);
    EXPECT_EQ(emu().state().m_table[0], 96);

    frame.setLanguage(LANG_EN);
    EXPECT_EQ(view->chart().title(), QString("Corrections [%] for injection times"));
    EXPECT_TRUE(frame.windowTitle().startsWith("Manual mixture adjustment - "));
    EXPECT_TRUE(errors.empty());
    frame.close();
}
