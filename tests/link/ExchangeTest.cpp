#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "errors/IError.h"
#include "link/CGasLink.h"
#include "link/Protocol.h"
#include "support/ScriptedPeer.h"

namespace {

// A type-3 acknowledgement: CMD_DONE, 0, result, status (big-endian).
Bytes ack(std::uint16_t result, std::uint16_t status)
{
    return makeFrame(MSG_TYPE_COMMAND,
                     {CMD_DONE, 0, static_cast<std::uint8_t>(result >> 8),
                      static_cast<std::uint8_t>(result), static_cast<std::uint8_t>(status >> 8),
                      static_cast<std::uint8_t>(status)});
}

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_link.serialPort().open(m_peer.slavePath());
        m_link.serialPort().configureLine();
    }

    // Shortens the wait for replies that never come whole.
    void impatient()
    {
        STimeouts t = CSerialPort::lineTimeouts();
        t.readTotalConstant = 100;
        m_link.serialPort().setTimeout(t);
    }

    // A command request with its parameter, in host order, as callers build it.
    void command(std::uint8_t code, std::uint16_t param = 0)
    {
        std::fill(std::begin(m_buf), std::end(m_buf), 0);
        m_buf[0] = code;
        std::memcpy(m_buf + 2, &param, sizeof param);
        m_len = kCommandPayloadSize;
        m_type = MSG_TYPE_COMMAND;
    }

    ScriptedPeer m_peer;
    CGasLink m_link;
    std::uint8_t m_buf[kExchangeBufferSize] = {};
    std::uint8_t m_len = 0;
    std::uint8_t m_type = 0;
};

} // namespace

TEST_F(ExchangeTest, VersionRequestGoesOutByteExactAndTheReplyComesBackInHostOrder)
{
    Bytes identity(22, 0);
    identity[0] = 0x01; // production date code 0x0102
    identity[1] = 0x02;
    identity[2] = 0x9C; // version 0x9C40 = 40000
    identity[3] = 0x40;
    identity[4] = 8; // injectors
    m_peer.serveReplies({makeFrame(MSG_TYPE_VERSION, identity)});

    command(CMD_VERSION);
    ASSERT_TRUE(m_link.transact(m_buf, m_len, m_type));

    // checksum 6 + 3 + 13 = 22
    const Bytes request = {0xAA, 0x55, 0x06, 0x03, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x16};
    ASSERT_EQ(m_peer.requests().size(), 1u);
    EXPECT_EQ(m_peer.requests()[0], request);

    EXPECT_EQ(m_len, 22);
    EXPECT_EQ(m_type, MSG_TYPE_VERSION);
    EXPECT_EQ(payloadWord(m_buf), 0x0102);
    EXPECT_EQ(payloadWord(m_buf + 2), 0x9C40);
    EXPECT_EQ(m_buf[4], 8);
    // checksum bytes (22 + 7 + 1 + 2 + 0x9C + 0x40 + 8 = 0x0104) behind the
    // payload, then zeros to the end of the buffer
    EXPECT_EQ(m_buf[22], 0x01);
    EXPECT_EQ(m_buf[23], 0x04);
    EXPECT_TRUE(
        std::all_of(m_buf + 24, m_buf + kExchangeBufferSize, [](auto b) { return b == 0; }));
}

TEST_F(ExchangeTest, OnlyTransactJudgesTheStatusWord)
{
    // Which words refuse is settled by the reply check's own table; here only
    // that transact has them judged and transactDiag does not.
    const struct {
        std::uint16_t status;
        bool accepted;
    } cases[] = {{0x0010, true}, {0x0011, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        m_peer.serveReplies({ack(0x0055, c.status), ack(0x0055, c.status)});
        command(CMD_TEST);
        EXPECT_EQ(m_link.transact(m_buf, m_len, m_type), c.accepted);
        // Even a refusal has passed the checksum: length and type are the reply's.
        EXPECT_EQ(m_type, MSG_TYPE_COMMAND);
        EXPECT_EQ(payloadWord(m_buf + 2), 0x0055);
        EXPECT_EQ(payloadWord(m_buf + 4), c.status);

        // The diagnostic exchange does not judge the status word.
        command(CMD_TEST);
        EXPECT_EQ(m_link.transactDiag(m_buf, m_len, m_type), 0);
        m_peer.stop();
    }
}

TEST_F(ExchangeTest, FlagsReplyYieldsThreeThirtyTwoBitValues)
{
    m_peer.serveReplies({makeFrame(
        MSG_TYPE_FLAGS, {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x9C, 0x40})});
    command(CMD_FLAGS);
    ASSERT_TRUE(m_link.transact(m_buf, m_len, m_type));
    EXPECT_EQ(m_type, MSG_TYPE_FLAGS);
    EXPECT_EQ(payloadDword(m_buf), 31u);
    EXPECT_EQ(payloadDword(m_buf + 4), 0u);
    EXPECT_EQ(payloadDword(m_buf + 8), 40000u);
}

TEST_F(ExchangeTest, DiagnosticRecordArrivesWithItsWordsInHostOrder)
{
    Bytes record(76, 0);
    record[0] = 3;     // mode
    record[1] = 2;     // fuel in use
    record[10] = 0x12; // engine period 0x1234
    record[11] = 0x34;
    record[12] = 0x00; // first injection time 0x00C8 = 200 ticks
    record[13] = 0xC8;
    record[74] = 0xFF; // last correction word 0xFFF0
    record[75] = 0xF0;
    m_peer.serveReplies({makeFrame(MSG_TYPE_DIAG, record)});

    command(CMD_DIAG);
    ASSERT_EQ(m_link.transactDiag(m_buf, m_len, m_type), 0);
    EXPECT_EQ(m_len, 76);
    EXPECT_EQ(m_type, MSG_TYPE_DIAG);
    EXPECT_EQ(m_buf[0], 3);
    EXPECT_EQ(m_buf[1], 2);
    EXPECT_EQ(payloadWord(m_buf + 10), 0x1234);
    EXPECT_EQ(payloadWord(m_buf + 12), 200);
    EXPECT_EQ(payloadWord(m_buf + 74), 0xFFF0);
}

TEST_F(ExchangeTest, LongestReplyFitsTheBuffer)
{
    Bytes table(255);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint8_t>(i);
    m_peer.serveReplies({makeFrame(MSG_TYPE_TABLE, table)});
    command(CMD_SETUP_TABLE);
    ASSERT_TRUE(m_link.transact(m_buf, m_len, m_type));
    EXPECT_EQ(m_len, 255);
    EXPECT_TRUE(std::equal(table.begin(), table.end(), m_buf));
}

TEST_F(ExchangeTest, NoiseBeforeAReplyCostsOneExchangeOnly)
{
    const Bytes reply = ack(0, 0);
    Bytes noisy = {0x00};
    noisy.insert(noisy.end(), reply.begin(), reply.end());
    m_peer.serveReplies({noisy, reply});

    command(CMD_TEST);
    EXPECT_FALSE(m_link.transact(m_buf, m_len, m_type)); // no hunting for the real start
    command(CMD_TEST);
    EXPECT_TRUE(m_link.transact(m_buf, m_len, m_type));

    // 13 bytes arrived, 4 went into the failed header read; the other 9
    // were thrown away before the second request went out.
    const SLinkStats s = m_link.stats();
    EXPECT_EQ(s.exchanges, 2u);
    EXPECT_EQ(s.failures, 1u);
    EXPECT_EQ(s.staleBytes, 9u);
    EXPECT_EQ(m_peer.requests().size(), 2u);
}

TEST_F(ExchangeTest, BrokenRepliesFailAndLeaveLengthAndTypeAlone)
{
    impatient();
    const Bytes good = ack(0, 0);
    Bytes wrongSecond = good;
    wrongSecond[1] = 0x56;
    const Bytes truncated(good.begin(), good.end() - 3);
    const Bytes headerOnly(good.begin(), good.begin() + 3);
    // 4 + 5 + 0xF0 + 0x20 = 0x0119, sent as 19 01
    const Bytes swappedSum = {0xAA, 0x55, 0x04, 0x05, 0xF0, 0x00, 0x00, 0x20, 0x19, 0x01};
    m_peer.serveReplies({wrongSecond, truncated, headerOnly, {}, swappedSum, good});

    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        command(CMD_TEST);
        EXPECT_FALSE(m_link.transact(m_buf, m_len, m_type));
        EXPECT_EQ(m_len, kCommandPayloadSize);
        EXPECT_EQ(m_type, MSG_TYPE_COMMAND);
    }
    command(CMD_TEST);
    EXPECT_TRUE(m_link.transact(m_buf, m_len, m_type));
    EXPECT_EQ(m_link.stats().failures, 5u);
}

// An acknowledgement carrying the request's parameter, so that each reply
// tells which request it answers.
Bytes echo(const Bytes& request)
{
    return makeFrame(MSG_TYPE_COMMAND, {CMD_DONE, 0, request[6], request[7], 0, 0});
}

TEST_F(ExchangeTest, ABrokenReplyStillArrivingIsLetPassBeforeTheNextRequest)
{
    // Noise, then the frame a byte at a time: the first four bytes fail the
    // header at once while the other nine are still on their way. Read as
    // the next reply, they would fail it too, and so on for every attempt.
    m_peer.serve([this, n = 0](const Bytes& req) mutable {
        if (n++ > 0)
            return echo(req);
        Bytes slow = {0x00};
        const Bytes frame = echo(req);
        slow.insert(slow.end(), frame.begin(), frame.end());
        for (auto b : slow) {
            m_peer.send({b});
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return Bytes{};
    });
    command(CMD_TEST, 1);
    EXPECT_FALSE(m_link.transact(m_buf, m_len, m_type));
    command(CMD_TEST, 2);
    ASSERT_TRUE(m_link.transact(m_buf, m_len, m_type));
    EXPECT_EQ(payloadWord(m_buf + 2), 2);
    EXPECT_EQ(m_link.stats().staleBytes, 9u);
    EXPECT_EQ(m_peer.requests().size(), 2u);
}

TEST_F(ExchangeTest, AReplyAfterTheTimeOutIsNotTakenForTheNextOne)
{
    STimeouts t = CSerialPort::lineTimeouts();
    t.readTotalConstant = 300;
    m_link.serialPort().setTimeout(t);
    // Requests 2 and 5 are answered late, 150 and 500 ms after the host gave
    // up on them. Taken for the next request's reply, a late one would leave
    // every later exchange one reply behind.
    m_peer.serve([n = 0](const Bytes& req) mutable {
        ++n;
        if (n == 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(450));
        if (n == 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
        return echo(req);
    });
    auto exchange = [this](std::uint16_t param) {
        command(CMD_TEST, param);
        if (!m_link.transact(m_buf, m_len, m_type))
            return 0;
        return static_cast<int>(payloadWord(m_buf + 2));
    };
    EXPECT_EQ(exchange(1), 1);
    EXPECT_EQ(exchange(2), 0);
    // The controller had been answering, so its reply is waited for once more
    // and dropped when it comes.
    EXPECT_EQ(exchange(3), 3);
    EXPECT_EQ(exchange(4), 4);
    EXPECT_EQ(exchange(5), 0);
    // Later than that it comes while request 6 waits behind it; the reply to 6
    // right behind it gives it away.
    EXPECT_EQ(exchange(6), 0);
    EXPECT_EQ(exchange(7), 7);
    EXPECT_EQ(m_link.stats().staleBytes, 24u);
    EXPECT_EQ(m_peer.requests().size(), 7u);
}

TEST_F(ExchangeTest, TwoThreadsNeverInterleaveTheirFrames)
{
    // Echo each request's parameter back so a thread can tell its own reply.
    m_peer.serve([](const Bytes& req) {
        return makeFrame(MSG_TYPE_COMMAND, {CMD_DONE, 0, req[6], req[7], 0, 0});
    });

    constexpr int kEach = 100;
    auto worker = [this](std::uint16_t base, int& good) {
        for (int i = 0; i < kEach; ++i) {
            std::uint8_t buf[kExchangeBufferSize] = {};
            const std::uint16_t param = static_cast<std::uint16_t>(base + i);
            buf[0] = CMD_TEST;
            std::memcpy(buf + 2, &param, sizeof param);
            std::uint8_t len = kCommandPayloadSize, type = MSG_TYPE_COMMAND;
            if (m_link.transact(buf, len, type) && payloadWord(buf + 2) == param)
                ++good;
        }
    };
    int goodA = 0, goodB = 0;
    std::thread a(worker, 0x1000, std::ref(goodA));
    std::thread b(worker, 0x2000, std::ref(goodB));
    a.join();
    b.join();

    EXPECT_EQ(goodA, kEach);
    EXPECT_EQ(goodB, kEach);
    EXPECT_EQ(m_peer.requests().size(), 2u * kEach);
    EXPECT_EQ(m_peer.desyncs(), 0);
}

TEST_F(ExchangeTest, PortFailurePassesThroughWithTheLockReleased)
{
    m_link.serialPort().close();
    command(CMD_TEST);
    std::unique_ptr<IError> e;
    try {
        m_link.transact(m_buf, m_len, m_type);
    } catch (IError* err) {
        e.reset(err);
    }
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->className(), "CRSError");
    EXPECT_EQ(e->code(), 6);
    EXPECT_EQ(m_link.stats().portErrors, 1u);

    bool free = false;
    std::thread other([&] {
        free = m_link.linkLock().tryLock();
        if (free)
            m_link.linkLock().unlock();
    });
    other.join();
    EXPECT_TRUE(free);
}
