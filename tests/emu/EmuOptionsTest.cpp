#include <gtest/gtest.h>

#include "EmuOptions.h"

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
                                               {"--bogus"}}) {
        SEmuOptions o;
        EXPECT_NE(emuParseOptions(bad, o), "") << bad[0];
    }
}
