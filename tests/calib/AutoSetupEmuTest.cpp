// The procedure against the virtual controller, with a recording stand-in
// for the window: what it asks, what it reports, and what the controller
// holds afterwards when it cannot finish.

#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "calib/CAutoSetup.h"
#include "data/CDiagInputThread.h"
#include "data/DiagSimulation.h"
#include "link/CGasDevice.h"
#include "link/Protocol.h"
#include "support/AutoSetupEmu.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"

namespace {

class CRecordingUi : public IAutoSetupUi {
public:
    void warningBox(const std::string& text) override { boxes.push_back("warning: " + text); }
    void errorBox(const std::string& text) override { boxes.push_back("error: " + text); }
    void plainBox(const std::string& text) override { boxes.push_back("plain: " + text); }
    bool confirm(const std::string& text) override
    {
        boxes.push_back("info: " + text);
        return confirmed;
    }
    bool askMountData(SDevInfo& info) override
    {
        ++mountQuestions;
        asked = info;
        if (!mountAnswer)
            return false;
        info.m_mountService = "Auto-Gaz";
        info.m_injSize = "3";
        info.m_engine = "1598";
        return true;
    }
    std::string storedInstallerName() override { return stored; }
    void storeInstallerName(const std::string& name) override { stored = name; }
    void showProgress(int percent) override { progress.push_back(percent); }
    void showCorrections() override { ++correctionsShown; }
    void pumpEvents() override { ++pumps; }
    void sleep(std::uint32_t ms) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    bool running() override { return !stopWhen || !stopWhen(); }
    void finished() override { ++finishes; }

    bool confirmed = true;
    bool mountAnswer = true;
    std::function<bool()> stopWhen;
    std::string stored;
    SDevInfo asked;
    int mountQuestions = 0;
    std::vector<std::string> boxes;
    std::vector<int> progress;
    int correctionsShown = 0;
    int pumps = 0;
    int finishes = 0;
};

// Short waits: the faults under test do not need settled engine readings.
constexpr SAutoSetupTiming kQuick{3, 3, 5};

class AutoSetupEmu : public DeviceEmuTest {
protected:
    void SetUp() override
    {
        DeviceEmuTest::SetUp();
        emu().withState([](SEmuState& s) {
            SDevInfo info;
            info.m_mountDate = "15/03/2010";
            info.m_mountService = "Serwis";
            s.m_mountData = mountDataOnWire(info);
        });
        device.setTiming(kShortLinkTiming);
        ASSERT_TRUE(device.tryPort(1));
        ASSERT_TRUE(startLive(device));
    }
    void TearDown() override
    {
        EXPECT_TRUE(stopLive(device));
        DeviceEmuTest::TearDown();
    }

    EAutoSetupEnd run(SAutoSetupTiming timing = kQuick)
    {
        CAutoSetup setup(device, ui, timing);
        return setup.doWork();
    }
    std::uint8_t settingsByte(int at) { return emu().state().m_settings[at]; }

    CGasDevice device{shell};
    CRecordingUi ui;
};

} // namespace

TEST_F(AutoSetupEmu, AsksForInstallationDataOnlyUntilTheControllerHoldsThem)
{
    emu().withState([](SEmuState& s) { s.m_mountData = {}; });
    ASSERT_TRUE(device.readMountData());
    ASSERT_EQ(device.m_devInfo.m_mountDate, "");
    ui.stored = "Warsztat";

    // Refused by the controller: the texts do not pass for stored, so the
    // next start asks again; nothing else was sent.
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_MOUNT_DATA); });
    const auto writes = emu().counters().m_frames[MSG_TYPE_SETUP];
    EXPECT_EQ(run(), EAutoSetupEnd::Failed);
    EXPECT_EQ(ui.asked.m_mountService, "Warsztat");
    EXPECT_EQ(ui.asked.m_mountDate, mountDateText(std::time(nullptr)));
    EXPECT_EQ(ui.boxes,
              std::vector<std::string>{"error: Nie powiodło się wpisanie ustawień do urządzenia!"});
    EXPECT_EQ(device.m_devInfo.m_mountDate, "");
    EXPECT_EQ(device.m_devInfo.m_injSize, "");
    EXPECT_EQ(ui.stored, "Warsztat");
    EXPECT_EQ(emu().counters().m_frames[MSG_TYPE_SETUP], writes);
    EXPECT_EQ(ui.finishes, 1);
    EXPECT_EQ(ui.progress.back(), 0);

    // Declined: ends without a word.
    emu().withController([](CEmuController& c) { c.clearIgnores(); });
    ui.boxes.clear();
    ui.mountAnswer = false;
    EXPECT_EQ(run(), EAutoSetupEnd::NoMountData);
    EXPECT_TRUE(ui.boxes.empty());

    // Given: stored in the controller and remembered on this PC; then the
    // fitter is asked to hold the engine speed, and here says no.
    ui.mountAnswer = true;
    ui.confirmed = false;
    EXPECT_EQ(run(), EAutoSetupEnd::Stopped);
    EXPECT_EQ(ui.stored, "Auto-Gaz");
    EXPECT_EQ(ui.boxes, std::vector<std::string>{"info: Ustal stabilne obroty"});
    const SDevInfo held = mountDataFromWire(emu().state().m_mountData);
    EXPECT_EQ(held.m_mountDate, mountDateText(std::time(nullptr)));
    EXPECT_EQ(held.m_mountService, "Auto-Gaz");
    EXPECT_EQ(held.m_injSize, "3");
    EXPECT_EQ(held.m_engine, "1598");
    EXPECT_EQ(emu().counters().m_frames[MSG_TYPE_SETUP], writes) << "nothing changed unconfirmed";

    ui.mountQuestions = 0;
    ui.stopWhen = [] { return true; };
    ui.confirmed = true;
    EXPECT_EQ(run(), EAutoSetupEnd::Stopped);
    EXPECT_EQ(ui.mountQuestions, 0);
}

TEST_F(AutoSetupEmu, StopDuringAWaitEndsSilentlyWithTheProgressAtZero)
{
    emu().withState([](SEmuState& s) {
        s.m_settings[20] = 48;
        s.m_settings[21] = 0x05;
    });
    ASSERT_TRUE(device.readSettings());
    // Stopped in the first wait on LPG, after the petrol one.
    ui.stopWhen = [this] { return emu().state().m_workMode == WORK_LPG; };
    EXPECT_EQ(run(), EAutoSetupEnd::Stopped);
    EXPECT_EQ(ui.boxes, std::vector<std::string>{"info: Ustal stabilne obroty"});
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress.back(), 0);
    EXPECT_GT(*std::max_element(ui.progress.begin(), ui.progress.end()), 0);
    EXPECT_EQ(ui.finishes, 1);
    EXPECT_GT(ui.pumps, 0);
    // What was written at the start stays written: every cylinder on the
    // first correction, the second equal to it (1.0 ms = 40 ticks).
    EXPECT_EQ(settingsByte(21), 0);
    EXPECT_EQ(settingsByte(20), 40);
    EXPECT_EQ(emu().state().m_workMode, WORK_LPG);
}

TEST_F(AutoSetupEmu, ARefusedSwitchEndsWithItsError)
{
    emu().ignoreCommand(CMD_WORK_LPG);
    EXPECT_EQ(run(), EAutoSetupEnd::Failed);
    EXPECT_EQ(ui.boxes, (std::vector<std::string>{"info: Ustal stabilne obroty",
                                                  "error: Błąd - Nie można przełączyć na LPG!"}));
    EXPECT_EQ(emu().state().m_workMode, WORK_PETROL);
    EXPECT_EQ(ui.progress.back(), 0);
}

TEST_F(AutoSetupEmu, EngineWithoutPetrolTimesEndsWithAClearError)
{
    const std::uint8_t corr = settingsByte(5);
    emu().withState([](SEmuState& s) { s.m_car.m_rpm = 0; });
    EXPECT_EQ(run(), EAutoSetupEnd::Failed);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].rfind("error: Błąd - Nie można pobrać czasu wtr. benzynowego!\n", 0), 0u)
        << ui.boxes[1];
    EXPECT_NE(ui.boxes[1].find("0.2 ms"), std::string::npos);
    EXPECT_EQ(settingsByte(5), corr) << "no correction from a mean of nothing";
}

TEST_F(AutoSetupEmu, PortFailureIsReportedAsAnErrorOfTheProcedure)
{
    EXPECT_TRUE(stopLive(device));
    emu().unplug();
    EXPECT_EQ(run(), EAutoSetupEnd::Failed);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1], "plain: Błąd wykonania procedury autoustawiania\n"
                           "-CAutoSetupView::doWork()\n"
                           "Nie można wykonać operacji na RS.");
    EXPECT_EQ(ui.finishes, 1);
    emu().replug();
    ASSERT_TRUE(device.tryPort(1));
    ASSERT_TRUE(startLive(device));
}

TEST(AutoSetupDemo, SettlesOnFiveRecordsAndRunsToAnEnd)
{
    setCurrentLanguage(LANG_PL);
    CQuietShell shell;
    CGasDevice device(shell);
    device.enterDemo();
    resetSimulation();
    ASSERT_TRUE(startLive(device));
    CRecordingUi ui;
    // Few records per batch: the simulation sends one every 50 ms.
    CAutoSetup setup(device, ui, {0, 3, 20});
    EXPECT_EQ(setup.settleRecords(), 5);
    EXPECT_EQ(setup.progressDenominator(), 8 * 5 + 7 * 3 + 15);
    const EAutoSetupEnd end = setup.doWork();
    EXPECT_TRUE(stopLive(device));
    // The simulated engine computer leans out by a tenth on gas, so what
    // the first pass makes of it depends on the simulated load: a warning,
    // or the error about too small a correction. Either way nothing of the
    // link fails, and the procedure ends as it always does.
    EXPECT_NE(end, EAutoSetupEnd::Stopped);
    ASSERT_GE(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0], "info: Ustal stabilne obroty");
    EXPECT_EQ(ui.boxes[1].rfind("warning: Wyliczona poprawka: ", 0) == 0 ||
                  ui.boxes[1].rfind("error: Wyliczono zbyt małą poprawkę.", 0) == 0,
              true)
        << ui.boxes[1];
    ASSERT_TRUE(setup.differences()[0]);
    EXPECT_LT(*setup.differences()[0], 0);
    EXPECT_EQ(ui.progress.back(), 0);
    EXPECT_EQ(ui.finishes, 1);
}
