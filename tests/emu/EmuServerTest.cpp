#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "EmuGTest.h"
#include "EmuTestFrames.h"
#include "EmuTtyBaud.h"

namespace {

// The host end of the port: raw, exclusive, as the real serial code opens it.
class CPort {
public:
    explicit CPort(const std::string& path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            return;
        termios t{};
        tcgetattr(m_fd, &t);
        cfmakeraw(&t);
        tcsetattr(m_fd, TCSANOW, &t);
        emuSetTtyBaud(m_fd, 14400);
        ioctl(m_fd, TIOCEXCL);
        tcflush(m_fd, TCIOFLUSH);
    }
    ~CPort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_fd >= 0; }

    // Sends the request and reads one reply frame, or `want` bytes when given.
    std::vector<std::uint8_t> transact(const std::vector<std::uint8_t>& req, int timeoutMs = 700,
                                       std::size_t want = 0)
    {
        if (::write(m_fd, req.data(), req.size()) != static_cast<ssize_t>(req.size()))
            return {};
        std::vector<std::uint8_t> got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        auto more = [&] {
            return want ? got.size() < want : got.size() < 4 || got.size() < got[2] + 6u;
        };
        while (more()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd p{m_fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            std::uint8_t buf[256];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

private:
    int m_fd = -1;
};

} // namespace

class EmuServer : public EmuTest {};

TEST_F(EmuServer, AnswersOverThePseudoTerminalAcrossRepeatedOpens)
{
    // A port scan opens, asks and closes the port again and again.
    for (int i = 0; i < 5; ++i) {
        CPort port(emu().path());
        ASSERT_TRUE(port.ok()) << i << ": " << std::strerror(errno);
        auto r = parseReply(port.transact(commandFrame(202)));
        ASSERT_TRUE(r) << i;
        EXPECT_EQ(r->word(2), 0x55);
    }
    EXPECT_EQ(emu().counters().m_commands[202], 5u);
}

TEST_F(EmuServer, UnplugFailsTheHostAndReplugServesAtTheSamePath)
{
    {
        CPort port(emu().path());
        ASSERT_TRUE(parseReply(port.transact(commandFrame(13))));
        emu().unplug();
        EXPECT_TRUE(port.transact(commandFrame(13), 200).empty());
    }
    EXPECT_FALSE(CPort(emu().path()).ok());
    emu().replug();
    CPort again(emu().path());
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(parseReply(again.transact(commandFrame(13))));
}

class EmuServerPaced : public EmuTest {
protected:
    SEmuServerConfig serverConfig() const override
    {
        SEmuServerConfig cfg;
        cfg.m_pace = true;
        return cfg;
    }
};

TEST_F(EmuServerPaced, RequestsThatQueuedAreAnsweredOneReplyAfterAnother)
{
    // A host that gave up on a reply sends its next request while the line
    // still carries that reply: the second answer must follow the first at
    // the line's rate, not burst out as soon as the first is done.
    CPort port(emu().path());
    ASSERT_TRUE(port.ok());
    std::vector<std::uint8_t> two = commandFrame(6);
    const std::vector<std::uint8_t> one = two;
    two.insert(two.end(), one.begin(), one.end());
    const auto t0 = std::chrono::steady_clock::now();
    // 2 x 12 request bytes and 2 x 82 reply bytes, 10 bits each at 14400 baud:
    // at least 188 x 0.694 ms = 130 ms from the first request byte written.
    const auto got = port.transact(two, 2000, 2 * 82);
    const auto ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0);
    ASSERT_EQ(got.size(), 2u * 82);
    EXPECT_GE(ms.count(), 120.0);
    EXPECT_EQ(emu().counters().m_commands[6], 2u);
}

class EmuServerLogged : public EmuTest {
protected:
    SEmuServerConfig serverConfig() const override
    {
        SEmuServerConfig cfg;
        cfg.m_recordLogPath = "/tmp/nimo-emu-test-records-" + std::to_string(getpid());
        cfg.m_tracePath = cfg.m_recordLogPath + ".trace";
        return cfg;
    }
    void TearDown() override
    {
        EmuTest::TearDown();
        ::unlink(serverConfig().m_recordLogPath.c_str());
        ::unlink(serverConfig().m_tracePath.c_str());
    }
};

TEST_F(EmuServerLogged, RecordLogHoldsExactlyTheIntactLiveData)
{
    SEmuFaultConfig f;
    f.m_rate[static_cast<int>(EEmuFault::Flip)] = 0.3;
    f.m_seed = 3;
    emu().setFaults(f);
    CPort port(emu().path());
    std::vector<std::string> intact;
    for (int i = 0; i < 30; ++i) {
        const auto bytes = port.transact(commandFrame(6));
        if (auto r = parseReply(bytes)) {
            std::string line;
            char tmp[4];
            for (auto b : r->m_payload) {
                std::snprintf(tmp, sizeof tmp, "%s%02X", line.empty() ? "" : " ", b);
                line += tmp;
            }
            intact.push_back(line);
        }
    }
    const auto counters = emu().counters();
    emu().server().stop();
    std::ifstream log(serverConfig().m_recordLogPath);
    std::vector<std::string> lines;
    for (std::string l; std::getline(log, l);)
        lines.push_back(l);
    EXPECT_EQ(lines.size(), counters.m_intactReplies);
    EXPECT_LT(lines.size(), 30u);
    // A flip may land where the checksum cannot see it only by chance;
    // every logged record reached the host whole.
    for (const auto& l : lines)
        EXPECT_NE(std::find(intact.begin(), intact.end(), l), intact.end());

    std::ifstream trace(serverConfig().m_tracePath);
    int rx = 0, tx = 0, flipped = 0;
    for (std::string l; std::getline(trace, l);) {
        rx += l.find(" RX ") != std::string::npos;
        tx += l.find(" TX ") != std::string::npos;
        flipped += l.find("[flip]") != std::string::npos;
    }
    EXPECT_EQ(rx, 30);
    EXPECT_EQ(tx, 30);
    EXPECT_EQ(static_cast<std::uint64_t>(flipped),
              counters.m_faults[static_cast<int>(EEmuFault::Flip)]);
}

class EmuServerStrict : public EmuTest {
protected:
    SEmuServerConfig serverConfig() const override
    {
        SEmuServerConfig cfg;
        cfg.m_strictBaud = true;
        return cfg;
    }
};

TEST_F(EmuServerStrict, WrongSpeedGetsNoAnswer)
{
    CPort port(emu().path());
    ASSERT_TRUE(parseReply(port.transact(commandFrame(202))));
    int fd = ::open(emu().ptsPath().c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        GTEST_SKIP() << "port is exclusive for this user";
    emuSetTtyBaud(fd, 9600);
    ::close(fd);
    EXPECT_TRUE(port.transact(commandFrame(202), 300).empty());
    EXPECT_GT(emu().counters().m_wrongBaud, 0u);
}
