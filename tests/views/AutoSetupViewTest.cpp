// The autocalibration view against the virtual controller: the whole
// procedure through the main frame, as the fitter runs it, and the
// corrections and cylinders edited by hand.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "EmuGTest.h"
#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "controls/CColorButton.h"
#include "controls/CProgressBar.h"
#include "controls/CSpinButton.h"
#include "data/CDiagInputThread.h"
#include "data/Conversions.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "link/Protocol.h"
#include "support/AutoSetupEmu.h"
#include "support/Eventually.h"
#include "support/ShortLinkTiming.h"
#include "views/CAutoSetupDisplay.h"
#include "views/CAutoSetupView.h"
#include "views/CClock.h"

namespace {

constexpr double kTrueOffsetMs = 1.20;
constexpr double kGasKpa = 130;
const QColor kGreen(0, 200, 0);
const QColor kGrey(170, 170, 170);

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

// What a fitter sees of the boxes, in order.
struct SBoxes {
    std::vector<std::string> shown;
    void attach(CAutoSetupView& view)
    {
        view.onMessageBox = [this](EAutoSetupBox kind, const std::string& text) {
            std::string line = kind == EAutoSetupBox::Information ? "info: "
                               : kind == EAutoSetupBox::Warning   ? "warning: "
                                                                  : "plain: ";
            line += text;
            shown.push_back(line);
        };
    }
};

// The main frame on the virtual controller, as nimo starts it.
class AutoSetupFrame : public EmuTest {
protected:
    SEmuServerConfig serverConfig() const override { return settlingLine(); }
    void SetUp() override
    {
        EmuTest::SetUp();
        setCurrentLanguage(LANG_PL);
        emu().withState([](SEmuState& s) {
            s.m_car.m_trueOffsetMs = kTrueOffsetMs;
            s.m_car.m_gasPressureKpa = kGasKpa;
        });
        ports.emplace(std::vector<std::string>{emu().path()});
        shell.m_fastSleep = true; // the half-second pauses before mode switches
        shell.onErrorBox = [this](const std::string& t) { boxes.shown.push_back("error: " + t); };
        registerViews(frame);
        frame.show();
        frame.startFirstConnection();
        ASSERT_TRUE(doc.isConnected());
    }
    void TearDown() override
    {
        frame.close();
        EmuTest::TearDown();
    }

    CAutoSetupView* showView()
    {
        frame.runCommand(ID_VIEW_AUTOSETUP);
        auto* view = dynamic_cast<CAutoSetupView*>(frame.upperView());
        if (view != nullptr)
            boxes.attach(*view);
        return view;
    }
    template <class T>
    T* control(QWidget* view, int id)
    {
        return view->findChild<T*>(QString::number(id));
    }
    std::uint8_t settingsByte(int at) { return emu().state().m_settings[at]; }

    std::optional<CPortScope> ports;
    CQtShell shell;
    CAutrelDoc doc{shell};
    CMainFrame frame{doc, shell};
    SBoxes boxes;
};

} // namespace

TEST_F(AutoSetupFrame, CalibratesToTheTrueOffsetAndStopsSilentlyHalfway)
{
    CAutoSetupView* view = showView();
    ASSERT_NE(view, nullptr);
    int mountQuestions = 0;
    view->onMountData = [&](SDevInfo& info) {
        ++mountQuestions;
        info.m_mountService = "Auto-Gaz";
        info.m_injSize = "3";
        info.m_engine = "1598";
        return true;
    };
    auto* start = control<QPushButton>(view, 1019);
    auto* stop = control<QPushButton>(view, 1020);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_EQ(control<QLineEdit>(view, 1198)->text(), "1.000");

    // Stopped once the first pass has stored its correction: silently, the
    // progress back at 0 %, what was written kept.
    QTimer stopper;
    int progressSeen = 0;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        progressSeen = std::max(progressSeen, view->progressBar().percent());
        if (view->isRunning() && settingsByte(5) != 40)
            stop->click();
    });
    stopper.start(20);
    start->click();
    EXPECT_TRUE(view->isRunning());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_FALSE(control<QLineEdit>(view, 1198)->isEnabled());
    EXPECT_FALSE(control<CColorButton>(view, 1054)->isEnabled());
    ASSERT_TRUE(eventually([&] { return view->runsEnded() == 1; }, 60000));
    stopper.stop();
    EXPECT_EQ(view->lastEnd(), EAutoSetupEnd::Stopped);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"info: Ustal stabilne obroty"});
    EXPECT_EQ(mountQuestions, 1);
    EXPECT_EQ(view->progressBar().percent(), 0);
    EXPECT_GT(progressSeen, 20);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(stop->isEnabled());
    const double firstPass = settingsByte(5) * TICK_TIME_MS;
    EXPECT_NEAR(firstPass, kTrueOffsetMs, TICK_TIME_MS + 1e-9);
    EXPECT_EQ(control<QLineEdit>(view, 1198)->text(), QString::asprintf("%.3f", firstPass));
    EXPECT_NE(emu().state().m_workMode, WORK_AUTO);

    // Again to the end. The display timer kept running all along, so the
    // window never froze: the dial and the bars show live records.
    boxes.shown.clear();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(100);
    QElapsedTimer took;
    took.start();
    start->click();
    ASSERT_TRUE(eventually([&] { return view->runsEnded() == 2; }, 90000));
    const qint64 ms = took.elapsed();
    ticker.stop();
    EXPECT_EQ(view->lastEnd(), EAutoSetupEnd::Done) << testing::PrintToString(boxes.shown);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"info: Ustal stabilne obroty"});
    EXPECT_EQ(mountQuestions, 1) << "the controller holds them now";
    EXPECT_GT(ticks, ms / 100 / 2) << "the event loop ran " << ticks << " ticks in " << ms << " ms";
    EXPECT_GT(view->panel().rpmClock().value(), 700);

    EXPECT_NEAR(doc.m_mainCorr, kTrueOffsetMs, TICK_TIME_MS + 1e-9);
    const SEmuState s = emu().state();
    EXPECT_NEAR(s.m_settings[5] * TICK_TIME_MS, kTrueOffsetMs, TICK_TIME_MS + 1e-9);
    EXPECT_EQ(control<QLineEdit>(view, 1198)->text(), QString::asprintf("%.3f", doc.m_mainCorr));
    const double measured = pressureFromRaw(std::round((kGasKpa * 0.004 + 0.04) * 255));
    EXPECT_DOUBLE_EQ(doc.m_pressureRef, roundWhole(measured));
    EXPECT_DOUBLE_EQ(doc.m_switchPressure, roundWhole(0.6 * measured));
    EXPECT_EQ(s.m_settings[6], static_cast<int>(roundWhole(pressureToRaw(doc.m_pressureRef))));
    EXPECT_EQ(s.m_workMode, WORK_AUTO);
    EXPECT_EQ(view->progressBar().percent(), 0);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(frame.windowTitle().contains("Autokalibracja"), true)
        << frame.windowTitle().toStdString();
}

TEST_F(AutoSetupFrame, SwitchingViewsOrClosingStopsARunningCalibration)
{
    emu().withState([](SEmuState& s) {
        SDevInfo info;
        info.m_mountDate = "15/03/2010";
        info.m_mountService = "Serwis";
        s.m_mountData = mountDataOnWire(info);
    });
    ASSERT_TRUE(doc.readMountData());
    CAutoSetupView* view = showView();
    ASSERT_NE(view, nullptr);
    // Away to the gauges during the first wait: the view that ran it is
    // gone, and the procedure ends at its next wait without a word.
    QTimer away;
    away.setSingleShot(true);
    QObject::connect(&away, &QTimer::timeout, [&] { frame.runCommand(ID_VIEW_DISPLAY); });
    control<QPushButton>(view, 1019)->click();
    away.start(400);
    ASSERT_TRUE(eventually([&] { return frame.upperCommand() == ID_VIEW_DISPLAY; }, 5000));
    const auto lpg = emu().counters().m_commands[CMD_WORK_LPG];
    QElapsedTimer settle;
    settle.start();
    eventually([&] { return settle.elapsed() > 3000; }, 4000);
    EXPECT_LE(emu().counters().m_commands[CMD_WORK_LPG], lpg + 1) << "it went on without a view";
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"info: Ustal stabilne obroty"});

    // Closing the window in the middle of a wait: the run ends and the close
    // is not held up by it.
    view = showView();
    ASSERT_NE(view, nullptr);
    control<QPushButton>(view, 1019)->click();
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&] { frame.close(); });
    closer.start(400);
    ASSERT_TRUE(eventually([&] { return view->runsEnded() == 1; }, 10000));
    EXPECT_EQ(view->lastEnd(), EAutoSetupEnd::Stopped);
}

// Editing by hand: a quick line, no procedure.
class AutoSetupEdit : public EmuTest {
protected:
    void SetUp() override
    {
        EmuTest::SetUp();
        setCurrentLanguage(LANG_PL);
        CPortList::setSystemScan(false);
        CPortList::setUserPaths({emu().path()});
        shell.m_fastSleep = true;
        shell.onErrorBox = [this](const std::string& t) { errors.push_back(t); };
        doc.setTiming(kShortLinkTiming);
    }
    void TearDown() override
    {
        CPortList::setUserPaths({});
        CPortList::setSystemScan(true);
        setCurrentLanguage(LANG_PL);
        EmuTest::TearDown();
    }
    std::unique_ptr<CAutoSetupView> open()
    {
        EXPECT_TRUE(doc.tryPort(1));
        auto view = std::make_unique<CAutoSetupView>(doc);
        view->refreshControls();
        view->show();
        return view;
    }
    template <class T>
    T* control(QWidget* view, int id)
    {
        return view->findChild<T*>(QString::number(id));
    }
    std::uint64_t writes() { return emu().counters().m_frames[MSG_TYPE_SETUP]; }

    CQtShell shell;
    CAutrelDoc doc{shell};
    std::vector<std::string> errors;
};

TEST_F(AutoSetupEdit, SpinStepsStayOnTheGridAndWithinTheRange)
{
    emu().withState([](SEmuState& s) { s.m_settings[5] = 239; }); // 5.975 ms
    auto view = open();
    auto* edit = control<QLineEdit>(view.get(), 1198);
    auto* spin = control<CSpinButton>(view.get(), 1200);
    EXPECT_EQ(edit->text(), "5.975");
    EXPECT_TRUE(edit->isEnabled());

    spin->upButton()->click();
    EXPECT_EQ(edit->text(), "6.000");
    // Every cylinder on the first correction: the second follows it.
    EXPECT_EQ(control<QLineEdit>(view.get(), 1199)->text(), "6.000");
    EXPECT_EQ(emu().state().m_settings[5], 240);
    EXPECT_EQ(emu().state().m_settings[20], 240);
    const auto before = writes();
    spin->upButton()->click(); // 6.025 is beyond the controller's range
    EXPECT_EQ(edit->text(), "6.000");
    EXPECT_EQ(writes(), before);

    // The arrow keys in the field step it too.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(edit, &down);
    EXPECT_EQ(edit->text(), "5.975");
    EXPECT_EQ(emu().state().m_settings[5], 239);

    // The second correction on its own, once a cylinder uses it.
    control<CColorButton>(view.get(), 1054)->click();
    control<CSpinButton>(view.get(), 1201)->downButton()->click();
    EXPECT_EQ(control<QLineEdit>(view.get(), 1199)->text(), "5.950");
    EXPECT_EQ(edit->text(), "5.975");
    EXPECT_EQ(emu().state().m_settings[20], 238);

    emu().withState([](SEmuState& s) { s.m_settings[5] = 0; });
    ASSERT_TRUE(doc.readSettings());
    view->refreshControls();
    EXPECT_EQ(edit->text(), "0.000");
    spin->downButton()->click();
    EXPECT_EQ(edit->text(), "0.000");
    EXPECT_TRUE(errors.empty());
}

TEST_F(AutoSetupEdit, CylindersToggleBothWaysAndAFailedWriteIsReported)
{
    auto view = open();
    auto* first = control<CColorButton>(view.get(), 1062);  // cylinder 5, first row
    auto* second = control<CColorButton>(view.get(), 1078); // cylinder 5, second row
    EXPECT_EQ(first->faceColor(), kGreen);
    EXPECT_EQ(second->faceColor(), kGrey);
    EXPECT_EQ(first->accessibleDescription(), "wybrany");

    first->click();
    EXPECT_EQ(doc.m_mainCorr2Mask, 0x10);
    EXPECT_EQ(emu().state().m_settings[21], 0x10);
    EXPECT_EQ(first->faceColor(), kGrey);
    EXPECT_EQ(second->faceColor(), kGreen);
    EXPECT_EQ(second->accessibleDescription(), "wybrany");
    second->click(); // the other row does the same
    EXPECT_EQ(doc.m_mainCorr2Mask, 0);
    EXPECT_EQ(emu().state().m_settings[21], 0);
    EXPECT_EQ(first->faceColor(), kGreen);
    EXPECT_EQ(second->faceColor(), kGrey);

    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_SETUP); });
    first->click();
    EXPECT_EQ(errors,
              std::vector<std::string>{"Nie powiodło się wpisanie ustawień do urządzenia!"});
    EXPECT_EQ(doc.m_mainCorr2Mask, 0x10) << "the change stays in memory";
    EXPECT_EQ(first->faceColor(), kGrey);
}

TEST_F(AutoSetupEdit, SecondCorrectionOnlyWhereTheControllerHasIt)
{
    emu().withState([](SEmuState& s) { s.m_flags1 = 0; });
    auto view = open();
    EXPECT_FALSE(control<QLabel>(view.get(), 1015)->isVisible());
    EXPECT_FALSE(control<QLineEdit>(view.get(), 1199)->isVisible());
    EXPECT_FALSE(control<CSpinButton>(view.get(), 1201)->isVisible());
    EXPECT_FALSE(control<CColorButton>(view.get(), 1054)->isVisible());
    EXPECT_FALSE(control<CColorButton>(view.get(), 1081)->isVisible());
    EXPECT_TRUE(control<QLineEdit>(view.get(), 1198)->isVisible());

    // Texts follow the language; the title too.
    QString title;
    QObject::connect(view.get(), &CAutoSetupView::titleChanged,
                     [&](const QString& t) { title = t; });
    setCurrentLanguage(LANG_EN);
    view->refreshControls();
    EXPECT_EQ(title, "Autocalibration");
    EXPECT_EQ(control<QPushButton>(view.get(), 1019)->text(), "Autocalibration");
    EXPECT_EQ(control<QLabel>(view.get(), 1014)->text(), "Main correction [ms]");
}

TEST(AutoSetupDemo, StartsButLeavesTheCorrectionsAlone)
{
    setCurrentLanguage(LANG_PL);
    CQtShell shell;
    CAutrelDoc doc(shell);
    doc.enterDemo();
    CAutoSetupView view(doc);
    view.refreshControls();
    EXPECT_TRUE(view.findChild<QPushButton*>("1019")->isEnabled());
    EXPECT_FALSE(view.findChild<QLineEdit*>("1198")->isEnabled());
    EXPECT_FALSE(view.findChild<CSpinButton*>("1200")->isEnabled());
}
