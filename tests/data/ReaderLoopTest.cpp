#include <deque>

#include <gtest/gtest.h>

#include "data/CDiagInputThread.h"
#include "errors/IError.h"

namespace {

// The reader's loop with scripted exchange results, run on the test's thread.
class CScriptedReader : public CDiagInputThread {
public:
    CScriptedReader(CDiagData& data, std::atomic<std::uint8_t>& run, std::deque<int> script)
        : CDiagInputThread(data, NO_RECORDING, run), m_script(std::move(script))
    {
    }

    int m_reads = 0;
    int m_stops = 0;
    int m_lost = 0;

protected:
    int readRecord(diag_t& rec) override
    {
        ++m_reads;
        if (m_script.empty()) {
            m_runFlag.store(0);
            return 1;
        }
        const int r = m_script.front();
        m_script.pop_front();
        rec.fuel = 2;
        return r;
    }
    void processRecord(const diag_t& rec) override { m_data.add(rec); }
    void onStop() override { ++m_stops; }
    void lostLink() override { ++m_lost; }

private:
    std::deque<int> m_script;
};

} // namespace

TEST(ReaderLoop, EightFailuresInARowEndItAndReportTheLostLink)
{
    CDiagData data;
    std::atomic<std::uint8_t> run{1};
    // A reply of another type in between neither counts nor resets the count.
    CScriptedReader reader(data, run, {0, 2, 2, 2, 1, 2, 2, 2, 2, 2, 0, 0});
    reader.run();
    EXPECT_EQ(reader.m_reads, 10);
    EXPECT_EQ(reader.m_stops, 1);
    EXPECT_EQ(reader.m_lost, 1);
    EXPECT_EQ(data.count(), 1u);
    EXPECT_EQ(reader.failures(), 8u);
    EXPECT_EQ(reader.otherReplies(), 1u);
}

TEST(ReaderLoop, ARecordResetsTheCountAndAClearedRunFlagEndsQuietly)
{
    CDiagData data;
    std::atomic<std::uint8_t> run{1};
    CScriptedReader reader(data, run, {2, 2, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2, 2, 2, 2, 0});
    reader.run();
    EXPECT_EQ(reader.m_lost, 0);
    EXPECT_EQ(reader.m_stops, 1);
    EXPECT_EQ(data.count(), 2u);
}

TEST(ReaderLoop, EachReaderGetsItsFullNumberOfTries)
{
    CDiagData data;
    std::atomic<std::uint8_t> run{1};
    CScriptedReader first(data, run, std::deque<int>(8, 2));
    first.run();
    EXPECT_EQ(first.m_lost, 1);

    // The link came back: a new reader must not give up at its first failure.
    CScriptedReader second(data, run, {2, 2, 2, 2, 2, 2, 2, 0});
    second.run();
    EXPECT_EQ(second.m_lost, 0);
    EXPECT_EQ(data.count(), 1u);
}

TEST(ReaderLoop, ThrownErrorWithRunFlagClearedEndsWithoutLostLink)
{
    class CThrowing : public CScriptedReader {
    public:
        using CScriptedReader::CScriptedReader;

    protected:
        int readRecord(diag_t&) override
        {
            m_runFlag.store(0);
            throw new IError(4, "test", __LINE__, __FILE__);
        }
    };
    CDiagData data;
    std::atomic<std::uint8_t> run{1};
    CThrowing reader(data, run, {});
    reader.run(); // must neither leak the error nor report a lost link
    EXPECT_EQ(reader.m_lost, 0);
    EXPECT_EQ(reader.m_stops, 0);
}
