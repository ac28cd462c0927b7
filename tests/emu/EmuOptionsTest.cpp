#include <algorithm>
#include <cctype>
#include <sstream>

#include <gtest/gtest.h>

#include "EmuOptions.h"
#include "EmuTestFrames.h"

TEST(EmuOptions, ValuesReachStateFaultsAndIgnores)
{
    SEmuOptions o;
    ASSERT_EQ(emuParseOptions({"--serial", "ab123", "--injectors=6", "--flags1", "0x1F", "--errors",
                               "00 00 01 80", "--faults", "drop=0.02,flip=0.5", "--ignore",
                               "6,CMD_VERSION,type:table", "--gain", "2:0.9,12:1.1", "--scenario",
                               "steady", "--trace", "--pace", "--seed", "9"},
                              o),
              "");
    EXPECT_EQ(o.m_state.m_serial, "ab123");
    EXPECT_EQ(o.m_state.m_injCount, 6);
    EXPECT_EQ(o.m_state.m_injMask, 0x3F);
    EXPECT_EQ(o.m_state.m_flags1, 0x1Fu);
    EXPECT_EQ(o.m_state.m_faults, (std::array<std::uint8_t, 4>{0, 0, 1, 0x80}));
    EXPECT_DOUBLE_EQ(o.m_faults.m_rate[static_cast<int>(EEmuFault::Flip)], 0.5);
    EXPECT_EQ(o.m_faults.m_seed, 9u);
    EXPECT_EQ(o.m_ignoreCommands, (std::vector<std::uint8_t>{6, 13}));
    EXPECT_EQ(o.m_ignoreTypes, (std::vector<std::uint8_t>{6}));
    ASSERT_EQ(o.m_state.m_car.m_gain.size(), 2u);
    EXPECT_DOUBLE_EQ(o.m_state.m_car.m_rpm, 2500);
    EXPECT_EQ(o.m_server.m_tracePath, "-");
    EXPECT_TRUE(o.m_server.m_pace);

    CEmuController c;
    emuApplyOptions(o, c);
    EXPECT_TRUE(c.ignoresCommand(6));
    EXPECT_FALSE(c.ignoresCommand(202));

    SEmuOptions drive;
    ASSERT_EQ(emuParseOptions({"--time-scale", "10", "--fuel-switch=20", "--clock-step", "40",
                               "--no-vacuum-sensor"},
                              drive),
              "");
    const SEmuCar& car = drive.m_state.m_car;
    EXPECT_DOUBLE_EQ(car.m_timeScale, 10);
    EXPECT_DOUBLE_EQ(car.m_fuelSwitchSec, 20);
    EXPECT_DOUBLE_EQ(car.m_clockStepMs, 40);
    EXPECT_FALSE(car.m_vacuumSensor);
}

TEST(EmuOptions, BadValuesAreRefusedWithAReason)
{
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"--injectors", "9"},
                                               {"--faults", "explode=0.1"},
                                               {"--faults", "drop=2"},
                                               {"--errors", "00 01"},
                                               {"--ignore", "nonsense"},
                                               {"--scenario", "race"},
                                               {"--serial", "12345678901234567"},
                                               {"--gain", "5:1,2:1"},
                                               {"--rpm"},
                                               {"--time-scale", "0"},
                                               {"--fuel-switch", "-20"},
                                               {"--clock-step", "0"},
                                               {"--no-vacuum-sensor=1"},
                                               {"--bogus"}}) {
        SEmuOptions o;
        EXPECT_NE(emuParseOptions(bad, o), "") << bad[0];
    }
}

TEST(EmuOptions, HelpAndParserAgreeOnEveryOption)
{
    // An option line: "  --name", then " VALUE" unless it is a flag, then its
    // text from column 23.
    std::istringstream help(emuUsage());
    int options = 0;
    for (std::string line; std::getline(help, line);) {
        if (line.rfind("  --", 0) != 0)
            continue;
        ++options;
        const auto nameEnd = line.find(' ', 2);
        const std::string name = line.substr(2, nameEnd - 2);
        auto text = line.find_first_not_of(' ', nameEnd);
        std::string value;
        if (text != 23) {
            const auto valueEnd = line.find(' ', text);
            value = line.substr(text, valueEnd - text);
            text = line.find_first_not_of(' ', valueEnd);
        }
        EXPECT_EQ(text, 23u) << line;

        SEmuOptions o;
        const std::string alone = emuParseOptions({name}, o);
        if (value.empty()) {
            EXPECT_EQ(alone, "") << name;
            EXPECT_EQ(emuParseOptions({name + "=1"}, o), name + " takes no value");
        } else if (value.front() == '[') {
            EXPECT_EQ(alone, "") << name;
        } else {
            EXPECT_EQ(alone, name + " needs a value");
        }
    }
    EXPECT_GT(options, 20);
}

TEST(EmuOptions, EachIgnoredNameSilencesItsOwnRequestOnly)
{
    // Every request the controller knows, under a name --ignore takes for it.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> known;
    for (const auto& cmd : CEmuController::commands()) {
        std::string name = "CMD_" + std::string(cmd.m_name);
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        known.push_back({name, commandFrame(cmd.m_code)});
    }
    for (const auto& rec : CEmuController::dataFrames())
        known.push_back({"type:" + std::string(rec.m_name),
                         requestFrame(rec.m_type, std::vector<std::uint8_t>(rec.m_size))});

    for (const auto& [name, unused] : known) {
        SEmuOptions o;
        ASSERT_EQ(emuParseOptions({"--ignore", name}, o), "");
        CEmuController c;
        emuApplyOptions(o, c);
        for (const auto& [other, request] : known) {
            auto replies = c.feed(request, 1000);
            ASSERT_EQ(replies.size(), 1u) << other;
            EXPECT_EQ(replies[0].m_ignored, other == name) << "--ignore " << name << ": " << other;
            if (other == name)
                continue;
            // Answered, and not with a refusal.
            auto r = parseReply(replies[0].m_bytes);
            ASSERT_TRUE(r) << other;
            EXPECT_FALSE(r->m_type == 3 && r->m_payload[0] != 4) << other;
        }
    }
}
