#include <vector>

#include <gtest/gtest.h>

#include "data/CDiagData.h"
#include "data/CLiveHistory.h"
#include "data/CPlayback.h"

namespace {

std::vector<diag_t> recording(std::size_t n)
{
    std::vector<diag_t> records(n);
    for (std::size_t i = 0; i < n; ++i)
        records[i].enginePeriod = static_cast<std::uint16_t>(i);
    return records;
}

struct SRange {
    std::size_t first;
    std::size_t end;
    bool operator==(const SRange&) const = default;
};

SRange played(const SPlaybackStep& s)
{
    return {s.played, s.end};
}

} // namespace

TEST(Playback, RecordsFallDueAtFifteenASecondTimesTheSpeedAndStopAtTheEnd)
{
    // 30 records: two seconds of driving. The clock starts anywhere.
    CPlayback p(recording(30));
    EXPECT_DOUBLE_EQ(p.totalSeconds(), 2.0);
    p.play(100);
    EXPECT_EQ(played(p.advance(100)), (SRange{0, 1})); // the first record at once
    // Half a second at 1x: records 1 to 7 (7/15 s <= 0.5 s < 8/15 s).
    EXPECT_EQ(played(p.advance(100.5)), (SRange{1, 8}));
    EXPECT_EQ(played(p.advance(100.5)), (SRange{8, 8}));
    p.setSpeed(2, 100.5);
    // Another half second at 2x is one second of the recording: up to 1.5 s.
    EXPECT_EQ(played(p.advance(101)), (SRange{8, 23}));
    EXPECT_DOUBLE_EQ(p.position(101), 1.5);
    p.pause(101);
    EXPECT_EQ(played(p.advance(160)), (SRange{23, 23}));
    EXPECT_DOUBLE_EQ(p.position(160), 1.5);
    p.setSpeed(8, 160);
    p.play(160);
    // 1/16 s at 8x reaches the end exactly; the playback stops there.
    const SPlaybackStep last = p.advance(160.0625);
    EXPECT_EQ(played(last), (SRange{23, 30}));
    EXPECT_FALSE(last.restart);
    EXPECT_FALSE(p.playing());
    EXPECT_TRUE(p.atEnd(999));
    EXPECT_DOUBLE_EQ(p.position(999), 2.0);
    EXPECT_EQ(playbackTimeText(p.position(999)), "0:02");
    EXPECT_EQ(playbackTimeText(3600 + 62.9), "1:01:02");
    // Play at the end starts over, and the history with it.
    p.play(200);
    const SPlaybackStep again = p.advance(200);
    EXPECT_TRUE(again.restart);
    EXPECT_EQ(played(again), (SRange{0, 1}));
    EXPECT_TRUE(p.playing());
}

TEST(Playback, ASeekShowsTheRecordThereWithTheFiveMinutesBeforeIt)
{
    // Ten minutes of driving, played for seven at 1x.
    CPlayback p(recording(9000));
    CDiagData data;
    CLiveHistory history;
    p.play(0);
    p.feed(p.advance(420), data, history);
    ASSERT_EQ(history.added(), 6301u);
    data.clear();

    // Back to 6:00, paused: the ring starts afresh with 5:00 of history
    // before the new position, and only the record there plays.
    p.pause(420);
    p.seek(360, 420);
    const SPlaybackStep back = p.advance(421);
    EXPECT_TRUE(back.restart);
    EXPECT_EQ(back.first, 5401u - 4500u);
    EXPECT_EQ(played(back), (SRange{5400, 5401}));
    p.feed(back, data, history);
    EXPECT_EQ(data.count(), 1u);
    std::vector<STimedRecord> ring;
    history.copySince(-1, ring);
    ASSERT_EQ(ring.size(), 4500u);
    EXPECT_DOUBLE_EQ(ring.front().m_seconds, 901 / 15.0);
    EXPECT_DOUBLE_EQ(ring.back().m_seconds, 360.0);
    EXPECT_EQ(ring.back().m_rec.enginePeriod, 5400);

    // Forward: nothing starts afresh; the records passed over come as
    // history after those already held.
    p.seek(700, 421); // clamped to 10:00
    const SPlaybackStep ahead = p.advance(421);
    EXPECT_FALSE(ahead.restart);
    EXPECT_EQ(ahead.first, 5401u);
    EXPECT_EQ(played(ahead), (SRange{8999, 9000}));
    EXPECT_TRUE(p.atEnd(421));

    // A short hop forward plays the records it passes over no more than once.
    CPlayback q(recording(100));
    q.play(0);
    q.advance(1); // records 0 to 15
    q.seek(2, 1); // records 16 to 30 as history, 30 plays
    const SPlaybackStep hop = q.advance(1);
    EXPECT_FALSE(hop.restart);
    EXPECT_EQ(hop.first, 16u);
    EXPECT_EQ(played(hop), (SRange{30, 31}));
    EXPECT_EQ(played(q.advance(1 + 1 / 15.0)), (SRange{31, 32}));
}
