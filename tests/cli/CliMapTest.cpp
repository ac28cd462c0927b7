// nimo-cli map against the virtual controller: a drive on both fuels over a
// gain curve, the table it writes, and what it does when the drive goes wrong.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "CliOptions.h"
#include "CliStop.h"
#include "CliTestSupport.h"
#include "EmuGTest.h"
#include "JsonCheck.h"
#include "lang/Translation.h"
#include "support/ShortLinkTiming.h"

namespace {

// The gas injectors deliver 0.92 of what the controller assumes at 1 ms of
// opening and 1.08 at 13 ms, linearly in between.
constexpr double kGainAt1 = 0.92;
constexpr double kGainAt13 = 1.08;

double gainAt(double openMs)
{
    const double t = std::clamp(openMs, 1.0, 13.0);
    return kGainAt1 + (kGainAt13 - kGainAt1) * (t - 1) / 12;
}

// The correction the curve implies at petrol time P. On gas the engine
// computer lengthens its time to u·P until the gas delivered matches its
// map: the controller opens the injectors for u·P·(1 + table) plus the main
// correction, which cancels the injectors' 1.0 ms dead time, so with an empty
// table u·P·gain(u·P) = P. A table entry of u - 1 makes the engine computer's
// time on gas the same as on petrol, and (u - 1) is also what the drive
// measures, (time on gas - time on petrol) / time on petrol.
double impliedPct(double petrolMs)
{
    double lo = 0.75;
    double hi = 1.25;
    for (int i = 0; i < 60; ++i) {
        const double u = (lo + hi) / 2;
        (u * gainAt(u * petrolMs) < 1 ? lo : hi) = u;
    }
    return ((lo + hi) / 2 - 1) * 100;
}

struct SSlotLine {
    int bins = 0;
    double correction = 0;
    double before = 0;
    double after = 0;
};

struct SDrive {
    std::map<int, double> binPetrolMs; // bins that counted, by their mean petrol time
    std::map<int, int> binSlot;
    std::map<int, SSlotLine> slots;
    long records = 0;
};

// Reads map's text output back.
SDrive parseDrive(const std::string& out)
{
    SDrive d;
    enum { None, Bins, Slots } part = None;
    for (const std::string& line : splitLines(out)) {
        if (line.rfind("records\t", 0) == 0)
            d.records = std::stol(line.substr(8));
        if (line.rfind("bin\t", 0) == 0) {
            part = Bins;
            continue;
        }
        if (line.rfind("slot\t", 0) == 0) {
            part = Slots;
            continue;
        }
        std::istringstream in(line);
        std::vector<std::string> f;
        for (std::string cell; std::getline(in, cell, '\t');)
            f.push_back(cell);
        if (part == Bins && f.size() == 8 && f[7] != "-") {
            d.binPetrolMs[std::stoi(f[0])] = std::stod(f[3]);
            d.binSlot[std::stoi(f[0])] = std::stoi(f[7]);
        } else if (part == Slots && f.size() == 7) {
            d.slots[std::stoi(f[0])] = {std::stoi(f[2]), std::stod(f[4]), std::stod(f[5]),
                                        std::stod(f[6])};
        }
    }
    return d;
}

class CliMap : public EmuTest {
protected:
    void SetUp() override
    {
        EmuTest::SetUp();
        emu().withState([](SEmuState& s) {
            SEmuCar& car = s.m_car;
            car.m_scenario = EEmuScenario::Drive;
            car.m_gain = {{1, kGainAt1}, {13, kGainAt13}};
            // 40 ms of driving per request: each bin gets six samples a pass
            // on every machine, however busy. The driver's switch gives each
            // fuel ten whole sweeps of 20 s.
            car.m_clockStepMs = 40;
            car.m_fuelSwitchSec = 200;
        });
    }
    void TearDown() override
    {
        setCurrentLanguage(LANG_PL);
        EmuTest::TearDown();
    }

    SCliResult cli(std::vector<std::string> args, const SLinkTiming& timing = {})
    {
        args.insert(args.begin(), {"--port", emu().path(), "--lang", "pl"});
        return runCliArgs(std::move(args), timing);
    }

    CCliTempDir dir;
};

// One petrol phase and one LPG phase on the car's clock: 9975 records of
// 40 ms end just before the switch back to petrol at 400 s.
const std::vector<std::string> kDrive = {"map", "--seconds", "60", "--count", "9975"};

std::vector<std::string> with(std::vector<std::string> args, const std::string& extra)
{
    args.push_back(extra);
    return args;
}

} // namespace

TEST_F(CliMap, ADriveOnBothFuelsFindsTheCurveAndASecondFindsNothingLeft)
{
    const SCliResult first = cli(with(kDrive, "--write"));
    ASSERT_EQ(first.rc, CLI_OK) << first.err;
    EXPECT_EQ(splitLines(first.out).back(), "zapisano nową tablicę korekt w sterowniku");
    const SDrive d = parseDrive(first.out);
    EXPECT_EQ(d.records, 9975);
    ASSERT_EQ(d.slots.size(), 20u);

    // The sweep's petrol times run from 1.3 to 12.5 ms: slots 1 to 12.
    std::map<int, std::vector<double>> implied;
    for (const auto& [bin, slot] : d.binSlot)
        implied[slot].push_back(impliedPct(d.binPetrolMs.at(bin)));
    for (int k = 1; k <= 12; ++k) {
        ASSERT_GT(d.slots.at(k).bins, 0) << k;
        const auto& list = implied[k];
        double mean = 0;
        for (double x : list)
            mean += x / static_cast<double>(list.size());
        EXPECT_EQ(d.slots.at(k).before, 0);
        EXPECT_NEAR(d.slots.at(k).after, mean, 2.0) << "slot " << k;
    }
    // The controller holds what was printed.
    const SEmuState s = emu().state();
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(s.m_table[k], 100 + d.slots.at(k).after) << k;

    // With the table in place the engine computer's time on gas is the one
    // on petrol: a second drive finds next to nothing left to correct, only
    // what the whole-number table and the engine computer's lag at the
    // sweep's turn left over.
    const SCliResult second = cli(kDrive);
    ASSERT_EQ(second.rc, CLI_OK) << second.err;
    const SDrive again = parseDrive(second.out);
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(again.slots.at(k).before, d.slots.at(k).after);
        EXPECT_NEAR(again.slots.at(k).correction, 0, 1.5) << "slot " << k;
    }
    // Without --write nothing was sent.
    EXPECT_EQ(emu().state().m_table, s.m_table);
    EXPECT_EQ(splitLines(second.out).back().rfind("19\t", 0), 0u);
}

TEST_F(CliMap, JsonIsOneObjectWithTheWholeDrive)
{
    const SCliResult r = cli({"--json", "map", "--seconds", "60", "--count", "600"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    EXPECT_EQ(splitLines(r.out).size(), 1u);
    EXPECT_TRUE(CJsonCheck::valid(r.out)) << r.out;
    // 24 s of petrol only: the bins fill, nothing is compared.
    EXPECT_NE(r.out.find(R"("records":600)"), std::string::npos);
    EXPECT_NE(r.out.find(R"("slot_bins":[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0])"),
              std::string::npos);
    EXPECT_NE(r.out.find(R"("after":{"m_setupTimes[0]":0,)"), std::string::npos);
    EXPECT_NE(r.out.find(R"("written":false})"), std::string::npos);
    EXPECT_NE(r.err.find("tablica korekt pozostaje bez zmian"), std::string::npos);
}

TEST_F(CliMap, NoVacuumSensorNoDrive)
{
    emu().withState([](SEmuState& s) { s.m_car.m_vacuumSensor = false; });
    const SCliResult r = cli({"--lang", "en", "map", "--seconds", "1", "--write"});
    EXPECT_EQ(r.rc, CLI_FAILED);
    EXPECT_EQ(r.err, "nimo-cli: Error of the additional vacuum sensor! It may be disconnected.\n");
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(emu().counters().m_frames[6], 0u); // no table frame
}

TEST_F(CliMap, ARefusedTableStillPrintsTheDrive)
{
    emu().withController([](CEmuController& c) { c.ignoreFrameType(6); });
    const SCliResult r =
        cli({"--json", "map", "--seconds", "60", "--count", "9975", "--write"}, kShortLinkTiming);
    EXPECT_EQ(r.rc, CLI_FAILED);
    EXPECT_TRUE(CJsonCheck::valid(r.out)) << r.out;
    EXPECT_NE(r.out.find(R"("written":false,"error":"Nie powiodło się wpisanie ustawień do )"
                         R"(urządzenia!","exit":1})"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("Nie powiodło się wpisanie ustawień do urządzenia!"), std::string::npos);
    EXPECT_EQ(emu().state().m_table, SEmuState::defaultTable());
}

// An unpaced line brings records faster than map's 20 ms poll takes them
// on a busy machine, and the live buffer then drops the oldest (a real line
// brings 15 a second). 2 ms per reply keeps the count this test checks
// exact, and 500 exchanges still take about a second.
class CliMapPulledCable : public CliMap {
protected:
    SEmuServerConfig serverConfig() const override
    {
        SEmuServerConfig cfg;
        cfg.m_turnaroundUs = 2000;
        return cfg;
    }
};

TEST_F(CliMapPulledCable, EndsWithTheDrivePrintedAndNothingWritten)
{
    using namespace std::chrono_literals;
    SCliResult r;
    // The drive outlasts the wait, so the cable is pulled while it records.
    std::thread drive([&] { r = cli({"map", "--seconds", "6", "--write"}, kShortLinkTiming); });
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (emu().counters().m_commands[6] < 500 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(5ms);
    emu().unplug();
    drive.join();
    EXPECT_EQ(r.rc, CLI_NO_DEVICE) << r.err;
    const SDrive d = parseDrive(r.out);
    EXPECT_GT(d.records, 400);
    EXPECT_EQ(d.slots.size(), 20u);
    EXPECT_NE(r.err.find("utracono połączenie"), std::string::npos) << r.err;
    EXPECT_EQ(emu().state().m_table, SEmuState::defaultTable());
}

TEST(CliMapLine, SecondsAreRequiredAndCheckedBeforeAnyPort)
{
    CCliTempDir dir;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"map"}, {"map", "--write"}, {"map", "--seconds", "0"}, {"map", "--yes"}}) {
        const SCliResult r = runCliArgs(args);
        EXPECT_EQ(r.rc, CLI_USAGE) << args.back() << r.err;
    }
    const SCliResult help = runCliArgs({"help", "map"});
    EXPECT_NE(help.out.find("nimo-cli [GLOBAL OPTIONS] map --seconds S"), std::string::npos);
}

TEST(CliMapLine, ADemonstrationDriveFillsTheBins)
{
    CCliTempDir dir;
    const SCliResult r = runCliArgs({"--demo", "--lang", "en", "map", "--seconds", "1"});
    ASSERT_EQ(r.rc, CLI_OK) << r.err;
    const SDrive d = parseDrive(r.out);
    EXPECT_GT(d.records, 0);
    EXPECT_EQ(d.slots.size(), 20u);
}
