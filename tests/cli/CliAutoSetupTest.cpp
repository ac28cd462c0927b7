// autocalibrate end to end against the virtual controller: a car whose gas
// injectors open 1.2 ms late while the controller assumes 1.0 ms.

#include <atomic>
#include <chrono>
#include <cmath>
#include <iostream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliStop.h"
#include "CliTestSupport.h"
#include "EmuGTest.h"
#include "JsonCheck.h"
#include "data/Conversions.h"
#include "data/CUserConfig.h"
#include "data/DiagRecord.h"
#include "lang/Translation.h"
#include "link/Protocol.h"
#include "support/AutoSetupEmu.h"

namespace {

constexpr double kTrueOffsetMs = 1.20;
constexpr double kGasKpa = 130;

bool contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

// The number under `key` inside the object under `object` of a flat summary.
double jsonField(const std::string& json, const std::string& object, const std::string& key)
{
    const std::size_t at = json.find("\"" + object + "\":{");
    if (at == std::string::npos)
        return NAN;
    const std::size_t end = json.find('}', at);
    const std::size_t k = json.find("\"" + key + "\":", at);
    if (k == std::string::npos || k > end)
        return NAN;
    return std::stod(json.substr(k + key.size() + 3));
}

// Standard input for one command, as a fitter at the keyboard would give it.
class CStdinScope {
public:
    explicit CStdinScope(const std::string& text) : m_in(text), m_old(std::cin.rdbuf(m_in.rdbuf()))
    {
        std::cin.clear();
    }
    ~CStdinScope()
    {
        std::cin.rdbuf(m_old);
        std::cin.clear();
    }

private:
    std::istringstream m_in;
    std::streambuf* m_old;
};

// Raises the stop request once the controller has been switched to LPG,
// halfway into the procedure's first measurement.
class CStopOnLpg {
public:
    explicit CStopOnLpg(CEmuFixture& emu)
        : m_thread([this, &emu] {
              while (!m_done.load()) {
                  if (emu.state().m_workMode == WORK_LPG) {
                      requestCliStop();
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          })
    {
    }
    ~CStopOnLpg()
    {
        m_done.store(true);
        m_thread.join();
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

class CliAutoSetup : public EmuTest {
protected:
    SEmuServerConfig serverConfig() const override { return settlingLine(); }
    void SetUp() override
    {
        EmuTest::SetUp();
        emu().withState([](SEmuState& s) {
            s.m_car.m_trueOffsetMs = kTrueOffsetMs;
            s.m_car.m_gasPressureKpa = kGasKpa;
        });
    }
    void TearDown() override
    {
        resetCliStop();
        setCurrentLanguage(LANG_PL);
        EmuTest::TearDown();
    }
    SCliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--port", emu().path(), "--lang", "pl"});
        return runCliArgs(std::move(args));
    }
    void giveMountData()
    {
        emu().withState([](SEmuState& s) {
            SDevInfo info;
            info.m_mountDate = "15/03/2010";
            info.m_mountService = "Serwis";
            s.m_mountData = mountDataOnWire(info);
        });
    }
    std::uint64_t settingsWrites() { return emu().counters().m_frames[MSG_TYPE_SETUP]; }
    std::uint64_t command(std::uint8_t code) { return emu().counters().m_commands[code]; }

    CCliTempDir dir;
};

} // namespace

TEST_F(CliAutoSetup, FindsTheTrueOffsetAndThePressureAfterTheInstallationData)
{
    // A controller without installation data: the three are required, and
    // nothing is touched without them.
    SCliResult r = cli({"autocalibrate", "--yes", "--engine", "1598"});
    EXPECT_EQ(r.rc, CLI_USAGE);
    EXPECT_TRUE(contains(r.err, "sterownik nie ma jeszcze danych montażu; podaj --mount-service, "
                                "--inj-size\n"))
        << r.err;
    EXPECT_EQ(settingsWrites(), 0u);
    EXPECT_EQ(command(CMD_WORK_LPG), 0u);

    r = cli({"--json", "autocalibrate", "--yes", "--mount-service", "Auto-Gaz", "--inj-size", "3",
             "--engine", "1598"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err << r.out;
    ASSERT_TRUE(CJsonCheck::valid(r.out)) << r.out;
    EXPECT_TRUE(contains(r.out, "\"result\":\"done\"")) << r.out;
    EXPECT_DOUBLE_EQ(jsonField(r.out, "before", "m_mainCorr"), 1.0);
    EXPECT_DOUBLE_EQ(jsonField(r.out, "before", "m_pressureRef"), 100);

    // What the controller holds afterwards, as read back and as stored.
    const double corr = jsonField(r.out, "after", "m_mainCorr");
    EXPECT_NEAR(corr, kTrueOffsetMs, TICK_TIME_MS + 1e-9) << r.out;
    const SEmuState s = emu().state();
    EXPECT_NEAR(s.m_settings[5] * TICK_TIME_MS, kTrueOffsetMs, TICK_TIME_MS + 1e-9);
    // The controller measures the forced 130 kPa through its byte code.
    const double measured = pressureFromRaw(std::round((kGasKpa * 0.004 + 0.04) * 255));
    EXPECT_DOUBLE_EQ(jsonField(r.out, "after", "m_pressureRef"), roundWhole(measured));
    EXPECT_DOUBLE_EQ(jsonField(r.out, "after", "m_switchPressure"), roundWhole(0.6 * measured));
    EXPECT_DOUBLE_EQ(jsonField(r.out, "after", "m_pressureGain"), 1.0);
    EXPECT_DOUBLE_EQ(jsonField(r.out, "after", "m_mainCorr2Mask"), 0);
    EXPECT_EQ(s.m_workMode, WORK_AUTO);
    // The installation data went in first, and the name is remembered.
    const SDevInfo held = mountDataFromWire(s.m_mountData);
    EXPECT_EQ(held.m_mountService, "Auto-Gaz");
    EXPECT_EQ(held.m_injSize, "3");
    EXPECT_EQ(held.m_engine, "1598");
    EXPECT_FALSE(held.m_mountDate.empty());
    EXPECT_EQ(CUserConfig().mountServiceName(), "Auto-Gaz");
    // Progress on standard error, the question too; stdout is the object.
    EXPECT_TRUE(contains(r.err, "nimo-cli: Ustal stabilne obroty\n")) << r.err;
    EXPECT_TRUE(contains(r.err, "Autokalibracja: 50%\n")) << r.err;
    EXPECT_TRUE(contains(r.err, "Autokalibracja: 100%\n")) << r.err;
}

TEST_F(CliAutoSetup, StoppedHalfwayEndsWithoutAnErrorOfItsOwn)
{
    giveMountData();
    // The fitter confirms with Enter; the installation data are there, so
    // the options for them only earn a note.
    CStdinScope enter("\n");
    SCliResult r;
    {
        CStopOnLpg stop(emu());
        r = cli({"autocalibrate", "--inj-size", "4"});
    }
    EXPECT_EQ(r.rc, CLI_FAILED) << r.err;
    EXPECT_TRUE(contains(r.err, "sterownik ma już dane montażu; pominięto --inj-size")) << r.err;
    EXPECT_TRUE(contains(r.err, "Naciśnij Enter")) << r.err;
    EXPECT_TRUE(contains(r.err, "nimo-cli: Autokalibracja przerwana\n")) << r.err;
    EXPECT_FALSE(contains(r.err, "Błąd")) << r.err;
    const auto lines = splitLines(r.out);
    ASSERT_GE(lines.size(), 7u) << r.out;
    EXPECT_EQ(lines[0], "Autokalibracja przerwana");
    // Written at the start and kept: both corrections alike, every cylinder
    // on the first; the pressure had not been measured yet.
    EXPECT_EQ(lines[1], "m_mainCorr\t1.000 -> 1.000");
    EXPECT_EQ(lines[3], "m_mainCorr2Mask\t0 -> 0");
    EXPECT_EQ(lines[4], "m_pressureRef\t100 -> 100");
    EXPECT_EQ(emu().state().m_workMode, WORK_LPG);
    EXPECT_EQ(command(CMD_WORK_AUTO), 0u);
}

TEST_F(CliAutoSetup, UnconfirmedOrUnplugged)
{
    giveMountData();
    {
        // Nobody at the keyboard: nothing is changed.
        CStdinScope none("");
        const SCliResult r = cli({"--json", "autocalibrate"});
        EXPECT_EQ(r.rc, CLI_USAGE);
        EXPECT_TRUE(CJsonCheck::valid(r.out)) << r.out;
        EXPECT_TRUE(contains(r.out, "\"result\":\"not-confirmed\"")) << r.out;
        EXPECT_TRUE(contains(r.out, "\"before\":null")) << r.out;
        EXPECT_EQ(settingsWrites(), 0u);
    }
    // The cable pulled during the first wait on LPG: the waits could never
    // fill, so the command ends and says why.
    std::thread pull([this] {
        for (int i = 0; i < 2000 && emu().state().m_workMode != WORK_LPG; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // Past the reply to the LPG command, well inside the 50-record wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        emu().unplug();
    });
    const SCliResult r = cli({"--json", "autocalibrate", "--yes"});
    pull.join();
    EXPECT_EQ(r.rc, CLI_NO_DEVICE) << r.err;
    EXPECT_TRUE(contains(r.out, "\"result\":\"link-lost\"")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"after\":null")) << r.out;
    EXPECT_TRUE(contains(r.err, "utracono połączenie ze sterownikiem")) << r.err;
}

TEST(CliAutoSetupOptions, InstallationTextsAreCheckedBeforeAnyPort)
{
    CCliTempDir dir;
    setCurrentLanguage(LANG_PL);
    SCliResult r = runCliArgs({"--lang", "pl", "autocalibrate", "--inj-size", " "});
    EXPECT_EQ(r.rc, CLI_USAGE);
    EXPECT_TRUE(contains(r.err, "--inj-size nie może być puste")) << r.err;
    r = runCliArgs({"--lang", "pl", "autocalibrate", "--engine", "123456"});
    EXPECT_EQ(r.rc, CLI_USAGE);
    EXPECT_TRUE(contains(r.err, "--engine: ")) << r.err;
    r = runCliArgs({"--lang", "pl", "autocalibrate", "--mask", "3"});
    EXPECT_EQ(r.rc, CLI_USAGE);
}
