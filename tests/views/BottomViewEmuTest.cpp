#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/CAutrelDoc.h"
#include "controls/CColorStatic.h"
#include "data/CDiagInputThread.h"
#include "data/StatusBarValues.h"
#include "link/Protocol.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CBottomView.h"

namespace {

// The emulator logs each record as sent: 76 bytes, 16-bit fields high byte
// first. Decoded here on its own, so a byte-order fault of the host's reader
// shows up as values no record ever had.
diag_t fromLogLine(const std::string& line)
{
    std::uint8_t b[76] = {};
    std::istringstream in(line);
    for (auto& byte : b) {
        unsigned v = 0;
        in >> std::hex >> v;
        byte = static_cast<std::uint8_t>(v);
    }
    auto word = [&](int at) { return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]); };
    diag_t rec{};
    rec.fuel = viewedFuel(b[1]);
    rec.reducerTemp = b[2];
    rec.lambda = b[6];
    rec.gasPressure = b[7];
    rec.enginePeriod = word(10);
    rec.channels[0].petrolA = word(12);
    rec.channels[0].corrA = word(14);
    if (rec.channels[0].petrolA < 8) // the reader drops a stopped engine's noise
        rec.channels[0].petrolA = 0;
    return rec;
}

std::vector<std::string> texts(const SStatusBarValues& v)
{
    return {v.petrolMs, v.lpgMs, v.rpm, v.reducerC, v.gasKpa, v.lambdaV};
}

class BottomViewEmu : public DeviceEmuTest {
protected:
    SEmuServerConfig serverConfig() const override
    {
        SEmuServerConfig cfg;
        cfg.m_recordLogPath = m_log;
        return cfg;
    }
    void TearDown() override
    {
        DeviceEmuTest::TearDown();
        std::remove(m_log.c_str());
    }

    std::string text(int id)
    {
        return m_view->findChild<CColorStatic*>(QString::number(id))->text().toStdString();
    }
    void press(const char* id) { m_view->findChild<QPushButton*>(id)->click(); }
    std::vector<std::string> shown()
    {
        return {text(1110), text(1111), text(1108), text(1303), text(1304), text(1305)};
    }

    const std::string m_log =
        testing::TempDir() + "nimo-bar-records-" + std::to_string(::getpid()) + ".log";
    CBottomView* m_view = nullptr;
};

} // namespace

TEST_F(BottomViewEmu, LiveValuesModeButtonsAndFaultsAgainstTheController)
{
    CAutrelDoc doc(shell);
    doc.setTiming(kShortLinkTiming); // unanswered requests cost 50 ms, not 700
    doc.rebuildErrors();
    ASSERT_TRUE(doc.tryPort(1));
    CBottomView view(doc);
    m_view = &view;
    view.setConnectionState(doc.isConnected());
    EXPECT_EQ(text(1112), "");
    ASSERT_TRUE(startLive(doc));

    // The display timer's part: refresh until the first record arrives.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (text(1108) == "0000" && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        QCoreApplication::processEvents();
        view.updateLiveValues();
    }
    ASSERT_NE(text(1108), "0000");
    const int rpm = std::stoi(text(1108)); // the emulator's engine idles near 800 rpm
    EXPECT_TRUE(rpm > 700 && rpm < 900) << rpm;
    EXPECT_EQ(text(1081), "BENZYNA");
    // What the bar shows is some record the controller sent, converted.
    std::ifstream log(m_log);
    bool matched = false;
    for (std::string line; !matched && std::getline(log, line);)
        matched = texts(statusBarValues(fromLogLine(line))) == shown();
    EXPECT_TRUE(matched) << testing::PrintToString(shown());

    press("1013");
    EXPECT_EQ(emu().state().m_workMode, WORK_LPG);
    EXPECT_EQ(text(1081), "LPG");
    press("1012");
    EXPECT_EQ(emu().state().m_workMode, WORK_AUTO);
    EXPECT_EQ(text(1081), "BENZYNA"); // until a record says what the controller runs on
    press("1011");
    EXPECT_EQ(emu().state().m_workMode, WORK_PETROL);
    EXPECT_TRUE(shell.errors().empty());

    emu().withState([](SEmuState& s) { s.m_faults = {0, 0, 1, 0}; });
    view.refreshErrorIndicator();
    EXPECT_EQ(text(1113), "BŁĄD");
    // A read that fails leaves the indicator as it was, even though the
    // faults are gone by now.
    emu().withState([](SEmuState& s) { s.m_faults = {0, 0, 0, 0}; });
    emu().ignoreCommand(CMD_ERROR);
    view.refreshErrorIndicator();
    EXPECT_EQ(text(1113), "BŁĄD");
    emu().clearIgnores();
    view.refreshErrorIndicator();
    EXPECT_EQ(text(1113), "");

    emu().ignoreCommand(CMD_WORK_LPG);
    press("1013");
    EXPECT_EQ(shell.errors(), std::vector<std::string>{"Nie powiodło się przełączenie na LPG!"});
    EXPECT_EQ(emu().state().m_workMode, WORK_PETROL);
    EXPECT_EQ(text(1081), "BENZYNA");
    EXPECT_TRUE(view.findChild<QPushButton*>("1013")->isEnabled()); // still usable

    EXPECT_TRUE(stopLive(doc));

    // A port that fails under the command: its error object's description,
    // not the "failed to switch" text, and the bar carries on.
    emu().clearIgnores();
    emu().unplug();
    press("1011");
    ASSERT_EQ(shell.errors().size(), 2u);
    EXPECT_EQ(shell.errors().back(), "Nie można wykonać operacji na RS.");
}
