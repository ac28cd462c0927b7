#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "controls/CConsole.h"
#include "data/CDiagInputThread.h"
#include "lang/LanguageScope.h"
#include "link/Protocol.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CFuelSensorView.h"
#include "views/CServiceToolsView.h"

namespace {

using SLamps = std::array<bool, 4>;

// The emulator's record holds a rising series (threshold 3 first) as 255
// minus each byte with direction 1: AEB1050's 255, 253, 249, 241 travel as
// 241, 249, 253, 255 and so as 14, 6, 2, 0.
constexpr std::array<std::uint8_t, 6> kAebRecord{14, 6, 2, 0, 1, 0};

class FuelSensorViewEmu : public DeviceEmuTest {
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

    QLineEdit* edit(int id) { return view.findChild<QLineEdit*>(QString::number(id)); }
    QComboBox* types() { return view.findChild<QComboBox*>("1157"); }
    CConsole* lamps() { return view.findChild<CConsole*>("1022"); }
    std::vector<std::string> fields()
    {
        std::vector<std::string> v;
        for (int id = 1135; id <= 1138; ++id)
            v.push_back(edit(id)->text().toStdString());
        return v;
    }
    void enter(std::initializer_list<const char*> values)
    {
        int id = 1135;
        for (const char* v : values)
            edit(id++)->setText(v);
    }
    void write() { view.findChild<QPushButton*>("1068")->click(); }
    void choose(int index)
    {
        types()->setCurrentIndex(index);
        emit types()->activated(index);
    }
    // Three display ticks: exactly one refresh of the copy, wherever the
    // shared countdown stood.
    SLamps refresh(const diag_t& rec)
    {
        for (int i = 0; i < 3; ++i)
            view.onDiagRecord(rec);
        return lamps()->lamps();
    }
    static diag_t record(std::uint8_t workMode, std::uint8_t fuel, std::uint8_t level)
    {
        diag_t rec{};
        rec.workMode = workMode;
        rec.fuel = fuel;
        rec.fuelLevel = level;
        return rec;
    }

    CAutrelDoc doc{shell};
    CFuelSensorView view{doc};
};

} // namespace

TEST_F(FuelSensorViewEmu, ReadsTheTypeRefusesCrossedThresholdsAndWritesTheRecord)
{
    emu().withState([](SEmuState& s) { s.m_fuelSensor = kAebRecord; });
    view.reloadSettings();
    view.refreshControls();
    EXPECT_EQ(fields(), (std::vector<std::string>{"255", "253", "249", "241"}));
    EXPECT_EQ(types()->currentText().toStdString(), "AEB1050");
    EXPECT_TRUE(view.findChild<QPushButton*>("1068")->isEnabled());
    {
        // The list is refilled in the new language and keeps its choice.
        CLanguageScope english(LANG_EN);
        view.refreshControls();
        EXPECT_EQ(types()->itemText(4).toStdString(), "Other");
        EXPECT_EQ(types()->currentText().toStdString(), "AEB1050");
        EXPECT_EQ(view.findChild<QPushButton*>("1068")->text(), "Write to device");
    }
    view.refreshControls();

    // One unit off: no type matches.
    emu().withState([](SEmuState& s) { s.m_fuelSensor = {15, 6, 2, 0, 1, 0}; });
    view.reloadSettings();
    EXPECT_EQ(types()->currentText().toStdString(), "Inny");
    EXPECT_EQ(fields(), (std::vector<std::string>{"255", "253", "249", "240"}));

    emu().resetCounters();
    enter({"10", "20", "20", "30"});
    write();
    EXPECT_EQ(shell.errors(), (std::vector<std::string>{"Nieprawidłowe wartości.\nPowinny być "
                                                        "wprowadzone w porządku rosnącym lub "
                                                        "malejącym."}));
    enter({"10", "", "20", "30"});
    write();
    ASSERT_EQ(shell.errors().size(), 2u);
    EXPECT_EQ(shell.errors().back(), "Progi muszą być liczbami całkowitymi od 0 do 255.");
    EXPECT_EQ(emu().counters().m_frames[MSG_TYPE_FUEL_SENSOR], 0u);

    // Falling: threshold 3 first, 5, 10, 20, 30, a rising series on the
    // wire, so 255 minus each and direction 1.
    enter({"30", "20", "10", "5"});
    write();
    EXPECT_EQ(shell.errors().size(), 2u);
    EXPECT_EQ(emu().state().m_fuelSensor, (std::array<std::uint8_t, 6>{250, 245, 235, 225, 1, 0}));
    EXPECT_EQ(view.thresholds(), (SFuelThresholds{30, 20, 10, 5}));
    enter({"0", "0", "0", "0"});
    view.reloadSettings();
    EXPECT_EQ(fields(), (std::vector<std::string>{"30", "20", "10", "5"}));

    // A type sets its four thresholds; "Inny" leaves the fitter's own.
    choose(1);
    EXPECT_EQ(fields(), (std::vector<std::string>{"103", "106", "112", "119"}));
    EXPECT_EQ(view.thresholds(), (SFuelThresholds{103, 106, 112, 119}));
    enter({"1", "2", "3", "4"});
    choose(4);
    EXPECT_EQ(fields(), (std::vector<std::string>{"1", "2", "3", "4"}));

    // A read the controller leaves unanswered says so and keeps the form.
    emu().withController([](CEmuController& c) { c.ignoreCommand(CMD_FUEL_SENSOR); });
    view.reloadSettings();
    ASSERT_EQ(shell.errors().size(), 3u);
    EXPECT_EQ(shell.errors().back(),
              "Nie można wczytać ustawień czujnika poziomu gazu z urządzenia");
    EXPECT_EQ(fields(), (std::vector<std::string>{"1", "2", "3", "4"}));
    emu().clearIgnores();

    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_FUEL_SENSOR); });
    enter({"30", "20", "10", "4"});
    write();
    ASSERT_EQ(shell.errors().size(), 4u);
    EXPECT_EQ(shell.errors().back(),
              "Nie można wpisać ustawień czujnika poziomu gazu do urządzenia");
    EXPECT_EQ(emu().state().m_fuelSensor[0], 250); // still 30, 20, 10, 5

    // Without the link there is nothing to write to.
    doc.setConnected(false);
    view.refreshControls();
    EXPECT_FALSE(view.findChild<QPushButton*>("1068")->isEnabled());
}

TEST_F(FuelSensorViewEmu, LampsFollowTheLevelTheWorkModeAndTheLink)
{
    choose(1); // "90 ohm": 103, 106, 112, 119, rising
    const diag_t half = record(WORK_LPG, FUEL_LPG, 112);
    EXPECT_EQ(refresh(half), (SLamps{false, false, true, true}));
    EXPECT_EQ(edit(1155)->text(), "112");
    EXPECT_EQ(refresh(record(WORK_LPG, FUEL_LPG, 120)), (SLamps{true, true, true, true}));

    // Reserve: only the bottom lamp, blinking.
    const bool reserve = refresh(record(WORK_LPG, FUEL_LPG, 103))[3];
    EXPECT_EQ(refresh(record(WORK_LPG, FUEL_LPG, 103)), (SLamps{false, false, false, !reserve}));
    EXPECT_EQ(refresh(record(WORK_LPG, FUEL_LPG, 103)), (SLamps{false, false, false, reserve}));

    EXPECT_EQ(refresh(record(WORK_PETROL, FUEL_PETROL, 112)), (SLamps{}));
    // Automatic mode still on petrol: all four blink together.
    const bool all = refresh(record(WORK_AUTO, FUEL_PETROL, 112))[0];
    EXPECT_EQ(refresh(record(WORK_AUTO, FUEL_PETROL, 112)), (SLamps{!all, !all, !all, !all}));
    EXPECT_EQ(refresh(record(WORK_AUTO, FUEL_LPG, 112)), (SLamps{false, false, true, true}));

    // Work mode 4: one lamp running back and forth, one step every third tick.
    const diag_t running = record(4, FUEL_PETROL, 112);
    std::vector<int> positions;
    SLamps last = lamps()->lamps();
    for (int tick = 0; tick < 24; ++tick) {
        view.onDiagRecord(running);
        if (lamps()->lamps() == last)
            continue;
        last = lamps()->lamps();
        ASSERT_EQ(lamps()->litCount(), 1) << tick;
        positions.push_back(int(std::find(last.begin(), last.end(), true) - last.begin()));
    }
    ASSERT_EQ(positions.size(), 8u);
    for (std::size_t i = 1; i < positions.size(); ++i)
        EXPECT_EQ(std::abs(positions[i] - positions[i - 1]), 1) << i;
    EXPECT_NE(std::find(positions.begin(), positions.end(), 0), positions.end());
    EXPECT_NE(std::find(positions.begin(), positions.end(), 3), positions.end());

    // Link down: the copy stays as it was.
    doc.setConnected(false);
    EXPECT_EQ(refresh(record(WORK_LPG, FUEL_LPG, 50)), last);
    EXPECT_EQ(edit(1155)->text(), "112");
}

TEST_F(FuelSensorViewEmu, ShowsTheControllersLiveReadingOnItsLamps)
{
    choose(1);
    emu().withState([](SEmuState& s) {
        s.m_workMode = WORK_LPG;
        s.m_car.m_fuelLevelRaw = 112;
    });
    ASSERT_TRUE(startLive(doc));
    // The display timer's part, until the records say LPG at that level.
    auto shows = [&](const char* reading, SLamps expected) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end) {
            if (doc.m_diagData.count() > 0) {
                diag_t rec{};
                doc.m_diagData.getLast(rec);
                view.onDiagRecord(rec);
                if (edit(1155)->text() == reading && lamps()->lamps() == expected)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            QCoreApplication::processEvents();
        }
        return false;
    };
    EXPECT_TRUE(shows("112", {false, false, true, true}));
    emu().withState([](SEmuState& s) { s.m_car.m_fuelLevelRaw = 200; });
    EXPECT_TRUE(shows("200", {true, true, true, true}));
    EXPECT_TRUE(shell.errors().empty());
}

TEST(ConfigurationViews, TheToolbarOpensBothViewsTitledInDemonstrationMode)
{
    CLanguageScope polish(LANG_PL);
    CQtShell shell;
    shell.m_fastSleep = true;
    std::vector<std::string> errors;
    shell.onErrorBox = [&errors](const std::string& t) { errors.push_back(t); };
    CAutrelDoc doc{shell};
    CMainFrame frame{doc, shell};
    registerViews(frame);
    frame.startFirstConnection(true);

    frame.runCommand(ID_VIEW_FUELSENSOR);
    auto* fuel = dynamic_cast<CFuelSensorView*>(frame.upperView());
    ASSERT_NE(fuel, nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Czujnik poziomu LPG"));
    // The demonstration controller holds AEB1050's thresholds.
    EXPECT_EQ(fuel->findChild<QComboBox*>("1157")->currentText(), "AEB1050");

    frame.runCommand(ID_VIEW_SERVICETOOLS);
    auto* tools = dynamic_cast<CServiceToolsView*>(frame.upperView());
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Narzędzia serwisowe"));
    EXPECT_NE(tools->currentMask(), 0);
    EXPECT_TRUE(errors.empty());
    frame.close();
}
