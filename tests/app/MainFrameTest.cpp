#include <chrono>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenuBar>

#include <gtest/gtest.h>

#include "EmuGTest.h"
#include "app/AppCommands.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CMainMenuView.h"
#include "app/CQtShell.h"
#include "lang/LanguageScope.h"
#include "link/CPortList.h"
#include "support/Eventually.h"

namespace {

// The port list holds only the test's paths: no real serial port is probed.
class CPortScope {
public:
    explicit CPortScope(std::vector<std::string> paths) : m_saved(CPortList::userPaths())
    {
        CPortList::setSystemScan(false);
        CPortList::setUserPaths(std::move(paths));
    }
    ~CPortScope()
    {
        CPortList::setUserPaths(m_saved);
        CPortList::setSystemScan(true);
    }

private:
    std::vector<std::string> m_saved;
};

// A view that counts what the frame asks of it.
class CCountingView : public CMainMenuView {
public:
    using CMainMenuView::CMainMenuView;
    void onDiagRecord(const diag_t&) override { ++records; }
    void refreshControls() override { ++refreshes; }
    void reloadSettings() override { ++reloads; }
    int records = 0;
    int refreshes = 0;
    int reloads = 0;
};

struct SFrameRig {
    SFrameRig()
    {
        shell.m_fastSleep = true;
        shell.onErrorBox = [this](const std::string& t) { errors.push_back(t); };
        shell.onAskDemoMode = [this] {
            ++demoQuestions;
            return answerDemo;
        };
    }
    CQtShell shell;
    CAutrelDoc doc{shell};
    CMainFrame frame{doc, shell};
    std::vector<std::string> errors;
    int demoQuestions = 0;
    bool answerDemo = false;
};

} // namespace

class MainFrameEmu : public EmuTest {};

TEST_F(MainFrameEmu, LinksOverThePortFeedsTheViewAndStopsTheReaderOnClose)
{
    CPortScope ports({emu().path()});
    SFrameRig rig;
    rig.frame.registerView(ID_VIEW_DISPLAY, [](CAutrelDoc& d, QWidget* parent) {
        return new CCountingView(d, parent);
    });
    rig.frame.show();
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    EXPECT_EQ(rig.demoQuestions, 0);
    EXPECT_TRUE(rig.frame.displayTimerActive());

    rig.frame.runCommand(ID_VIEW_DISPLAY);
    auto* view = dynamic_cast<CCountingView*>(rig.frame.upperView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(rig.frame.action(ID_VIEW_DISPLAY)->isChecked());
    ASSERT_TRUE(eventually([&] { return view->records >= 3; }));

    // Every switch makes the view afresh; nothing survives it.
    rig.frame.runCommand(ID_VIEW_DISPLAY);
    auto* fresh = dynamic_cast<CCountingView*>(rig.frame.upperView());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->records, 0);
    rig.frame.runCommand(ID_VIEW_CORR_ALIAS); // a placeholder until its view exists
    EXPECT_EQ(rig.frame.upperCommand(), ID_VIEW_CORR);

    QElapsedTimer closing;
    closing.start();
    rig.frame.close();
    EXPECT_LT(closing.elapsed(), 1000);
    EXPECT_EQ(rig.doc.m_liveReaders.count(), 0);
    EXPECT_FALSE(rig.frame.displayTimerActive());
    EXPECT_TRUE(rig.errors.empty());
}

TEST_F(MainFrameEmu, ALostLinkReconnectsWhenTheControllerComesBack)
{
    CPortScope ports({emu().path()});
    SFrameRig rig;
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    emu().unplug();
    ASSERT_TRUE(eventually([&] { return rig.frame.reconnecting(); }, 15000));
    EXPECT_FALSE(rig.doc.isConnected());
    emu().replug();
    ASSERT_TRUE(eventually([&] { return rig.doc.isConnected(); }, 8000));
    EXPECT_TRUE(rig.frame.displayTimerActive());
    EXPECT_FALSE(rig.frame.reconnecting());
    rig.frame.close();
}

TEST(MainFrame, NoControllerAsksOnceThenRetriesOrRunsTheDemonstration)
{
    CPortScope ports({"/nonexistent/ttyNIMO"});
    {
        SFrameRig rig;
        rig.frame.startFirstConnection();
        EXPECT_EQ(rig.demoQuestions, 1);
        EXPECT_FALSE(rig.doc.isConnected());
        EXPECT_TRUE(rig.frame.reconnecting());
        EXPECT_FALSE(rig.frame.displayTimerActive());
    }
    SFrameRig rig;
    rig.answerDemo = true;
    rig.frame.startFirstConnection();
    EXPECT_TRUE(rig.doc.isDemo());
    EXPECT_TRUE(rig.frame.displayTimerActive());
    rig.frame.close();
}

TEST(MainFrame, ChangingTheLanguageRetitlesMenuToolbarAndViews)
{
    CLanguageScope polish(LANG_PL);
    SFrameRig rig;
    rig.frame.registerView(ID_VIEW_ERRCODES, [](CAutrelDoc& d, QWidget* parent) {
        return new CCountingView(d, parent);
    });
    rig.frame.runCommand(ID_VIEW_ERRCODES);
    auto* view = dynamic_cast<CCountingView*>(rig.frame.upperView());
    ASSERT_NE(view, nullptr);
    const int refreshes = view->refreshes;
    const auto menus = rig.frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[1]->text(), "Język");
    EXPECT_EQ(rig.frame.action(ID_VIEW_ERRCODES)->toolTip(), "Kody błędów");
    EXPECT_TRUE(rig.frame.action(ID_LANG_PL)->isChecked());

    rig.frame.setLanguage(LANG_EN);
    EXPECT_EQ(menus[0]->text(), "File");
    EXPECT_EQ(menus[1]->text(), "Language");
    EXPECT_EQ(rig.frame.action(ID_LANG_DE)->text(), "German");
    EXPECT_EQ(rig.frame.action(ID_APP_EXIT)->text(), "Exit");
    EXPECT_EQ(rig.frame.action(ID_VIEW_ERRCODES)->toolTip(), "Error codes");
    EXPECT_TRUE(rig.frame.action(ID_LANG_EN)->isChecked());
    EXPECT_FALSE(rig.frame.action(ID_LANG_PL)->isChecked());
    EXPECT_EQ(view->refreshes, refreshes + 1);

    // The language already in use changes nothing.
    rig.frame.setLanguage(LANG_EN);
    EXPECT_EQ(view->refreshes, refreshes + 1);
}
