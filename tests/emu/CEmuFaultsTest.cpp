#include <algorithm>

#include <gtest/gtest.h>

#include "CEmuController.h"
#include "EmuTestFrames.h"

namespace {

struct STraffic {
    std::vector<std::vector<std::uint8_t>> replies;
    SEmuCounters counters;
};

STraffic run(std::uint32_t seed, const SEmuFaultConfig& base, int requests)
{
    CEmuController c;
    auto cfg = base;
    cfg.m_seed = seed;
    c.setFaults(cfg);
    c.seedEngine(seed);
    STraffic t;
    std::int64_t now = 0;
    for (int i = 0; i < requests; ++i) {
        now += 70000;
        const auto req = i % 3 == 0 ? commandFrame(202) : commandFrame(6);
        for (auto& r : c.feed(req, now))
            t.replies.push_back(r.m_bytes);
    }
    t.counters = c.counters();
    return t;
}

} // namespace

TEST(EmuFaults, SameSeedSameTrafficGivesTheSameFaults)
{
    SEmuFaultConfig cfg;
    cfg.m_rate = {0.05, 0.05, 0.05, 0.05, 0.05, 0.01, 0};
    cfg.m_silentMs = 500;
    const auto a = run(7, cfg, 600);
    const auto b = run(7, cfg, 600);
    const auto other = run(8, cfg, 600);
    EXPECT_EQ(a.replies, b.replies);
    EXPECT_EQ(a.counters.m_faults, b.counters.m_faults);
    EXPECT_NE(a.replies, other.replies);
    // Every kind showed up at about its rate.
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_GT(a.counters.m_faults[k], 8u) << k;
        EXPECT_LT(a.counters.m_faults[k], 60u) << k;
    }
    EXPECT_GT(a.counters.m_silenced, 0u);
}

TEST(EmuFaults, EachKindDamagesTheReplyItsOwnWay)
{
    auto one = [](EEmuFault kind) {
        CEmuController c;
        SEmuFaultConfig cfg;
        cfg.m_rate[static_cast<int>(kind)] = 1.0;
        c.setFaults(cfg);
        auto r = c.feed(commandFrame(13), 1000);
        EXPECT_EQ(r.size(), 1u);
        return r.at(0);
    };
    const auto clean = CEmuController().feed(commandFrame(13), 1000).at(0).m_bytes;
    EXPECT_TRUE(one(EEmuFault::Drop).m_bytes.empty());
    const auto cut = one(EEmuFault::Truncate).m_bytes;
    EXPECT_LT(cut.size(), clean.size());
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), clean.begin()));
    const auto flip = one(EEmuFault::Flip).m_bytes;
    ASSERT_EQ(flip.size(), clean.size());
    int bits = 0;
    for (std::size_t i = 0; i < flip.size(); ++i)
        bits += __builtin_popcount(flip[i] ^ clean[i]);
    EXPECT_EQ(bits, 1);
    const auto garbage = one(EEmuFault::Garbage).m_bytes;
    ASSERT_EQ(garbage.size(), clean.size() + 1);
    EXPECT_NE(garbage[0], 0xAA);
    EXPECT_TRUE(std::equal(clean.begin(), clean.end(), garbage.begin() + 1));
    const auto late = one(EEmuFault::Delay);
    EXPECT_EQ(late.m_bytes, clean);
    EXPECT_EQ(late.m_outcome.m_delayUs, 1000000);
    EXPECT_FALSE(late.intact());
    EXPECT_TRUE(one(EEmuFault::Disconnect).m_outcome.m_disconnect);

    // A silent spell swallows every request until it ends.
    CEmuController c;
    SEmuFaultConfig cfg;
    cfg.m_rate[static_cast<int>(EEmuFault::Silent)] = 1.0;
    cfg.m_silentMs = 300;
    c.setFaults(cfg);
    EXPECT_TRUE(c.feed(commandFrame(202), 0).at(0).m_bytes.empty());
    cfg.m_rate = {};
    c.setFaults(cfg);
    EXPECT_TRUE(c.feed(commandFrame(202), 200000).at(0).m_silenced);
    EXPECT_FALSE(c.feed(commandFrame(202), 400000).at(0).m_bytes.empty());
}
