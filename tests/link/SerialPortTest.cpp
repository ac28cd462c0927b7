#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "link/CSerialPort.h"
#include "support/ScriptedPeer.h"

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Runs f, which must throw an error object; returns it owned.
template <class F>
std::unique_ptr<IError> thrown(F&& f)
{
    try {
        f();
    } catch (IError* e) {
        return std::unique_ptr<IError>(e);
    }
    return nullptr;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setCurrentLanguage(LANG_PL);
        m_saved = CPortList::userPaths();
    }
    void TearDown() override { CPortList::setUserPaths(m_saved); }

    void openConfigured()
    {
        m_port.open(m_peer.slavePath());
        m_port.configureLine();
    }

    ScriptedPeer m_peer;
    CSerialPort m_port;
    std::vector<std::string> m_saved;
};

} // namespace

TEST_F(SerialPortTest, MissingDeviceFailsToOpenAndKeepsThePreviousPortNumber)
{
    CPortList::setUserPaths({m_peer.slavePath()});
    m_port.open(1);
    EXPECT_TRUE(m_port.isOpen());
    EXPECT_EQ(m_port.port(), 1);

    const std::string missing = "/dev/nimo-no-such-port";
    auto e = thrown([&] { m_port.open(missing); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code(), 5);
    EXPECT_EQ(e->description(), "Nie można otworzyć portu RS.");
    EXPECT_EQ(e->line(), 66);
    EXPECT_EQ(e->file(), "serialport");
    EXPECT_TRUE(contains(e->text(), "CSerialPort::open(" + missing + ") - GetLastError()=2 "))
        << e->text();
    EXPECT_TRUE(contains(e->text(), missing + ": No such file or directory")) << e->text();
    EXPECT_TRUE(contains(e->text(), "is the cable plugged in?")) << e->text();
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_EQ(m_port.port(), 1);

    // A number past the end of the list is a port that does not exist either.
    auto beyond = thrown([&] { m_port.open(999); });
    ASSERT_TRUE(beyond);
    EXPECT_EQ(beyond->code(), 5);
    EXPECT_TRUE(contains(beyond->text(), "CSerialPort::open(999)")) << beyond->text();
    EXPECT_TRUE(contains(beyond->text(), "no such port")) << beyond->text();
    EXPECT_EQ(m_port.port(), 1);
}

TEST_F(SerialPortTest, SecondOpenOfTheSameDeviceIsRefusedAsBusy)
{
    m_port.open(m_peer.slavePath());
    CSerialPort other;
    auto e = thrown([&] { other.open(m_peer.slavePath()); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code(), 5);
    EXPECT_TRUE(contains(e->text(), "another program holds the port")) << e->text();
    EXPECT_FALSE(other.isOpen());

    // Once released it opens; a destroyed port must not keep it either.
    m_port.close();
    {
        CSerialPort scoped;
        scoped.open(m_peer.slavePath());
    }
    other.open(m_peer.slavePath());
    EXPECT_TRUE(other.isOpen());
}

TEST_F(SerialPortTest, CloseIsHarmlessBeforeOpenAndTwice)
{
    m_port.close();
    m_port.open(m_peer.slavePath());
    m_port.close();
    m_port.close();
    EXPECT_FALSE(m_port.isOpen());
}

TEST_F(SerialPortTest, ConfiguredLineRuns14400AndPassesEveryByteUnchanged)
{
    openConfigured();
    EXPECT_EQ(m_peer.slaveBaud(), 14400u);

    SDcb d;
    m_port.getState(d);
    EXPECT_EQ(d, CSerialPort::lineSettings());
    STimeouts t;
    m_port.getTimeout(t);
    EXPECT_EQ(t, CSerialPort::lineTimeouts());

    // CR, LF, Ctrl-C, XON, XOFF and NUL would all be eaten or rewritten by a
    // cooked line.
    const Bytes special = {0x0D, 0x0A, 0x03, 0x11, 0x13, 0x00, 0x7F, 0xFF};
    EXPECT_EQ(m_port.write(special.data(), special.size()), special.size());
    EXPECT_EQ(m_peer.readBytes(special.size()), special);

    m_peer.send(special);
    std::uint8_t got[8] = {};
    EXPECT_EQ(m_port.read(got, sizeof got), sizeof got);
    EXPECT_EQ(Bytes(got, got + 8), special);
}

TEST_F(SerialPortTest, ReadReturnsAsSoonAsAllBytesAreThere)
{
    openConfigured();
    m_peer.send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    std::uint8_t buf[10];
    const auto start = Clock::now();
    EXPECT_EQ(m_port.read(buf, sizeof buf), 10u);
    EXPECT_LT(msSince(start), 300);
}

TEST_F(SerialPortTest, ReadHandsBackWhatArrivedWhenTheTimeOutPasses)
{
    openConfigured();
    STimeouts t = CSerialPort::lineTimeouts();
    t.readTotalConstant = 100;
    t.readTotalMultiplier = 0;
    m_port.setTimeout(t);

    m_peer.send({0xAA, 0x55, 0x06});
    std::uint8_t buf[10];
    const auto start = Clock::now();
    EXPECT_EQ(m_port.read(buf, sizeof buf), 3u);
    const auto took = msSince(start);
    EXPECT_GE(took, 90);
    EXPECT_LT(took, 600);
}

TEST_F(SerialPortTest, SilentLineReadsNothingAfter700msPlusOnePerByte)
{
    openConfigured();
    std::uint8_t buf[10];
    const auto start = Clock::now();
    EXPECT_EQ(m_port.read(buf, sizeof buf), 0u); // 700 + 10 ms
    const auto took = msSince(start);
    EXPECT_GE(took, 650);
    EXPECT_LE(took, 1200);
}

TEST_F(SerialPortTest, PurgeInDropsWhatWaitsToBeRead)
{
    openConfigured();
    m_peer.send({1, 2, 3});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    m_port.purgeIn();
    STimeouts t{kReadIntervalImmediate, 0, 0, 0, 0};
    m_port.setTimeout(t);
    std::uint8_t buf[3];
    EXPECT_EQ(m_port.read(buf, sizeof buf), 0u);

    m_peer.send({4, 5});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(m_port.discardInput(), 2u);
    EXPECT_EQ(m_port.discardInput(), 0u);
}

TEST_F(SerialPortTest, DiscardTakesTheRestOfAReplyStillOnItsWay)
{
    openConfigured();
    m_peer.send({1, 2});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // The tail comes well within the quiet time the discard waits for.
    std::thread tail([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        m_peer.send({3, 4, 5});
    });
    EXPECT_EQ(m_port.discardInput(), 5u);
    tail.join();
}

TEST_F(SerialPortTest, VanishedDeviceIsReportedNotMistakenForSilence)
{
    openConfigured();
    EXPECT_EQ(m_port.clearCommError(), 0u);

    m_peer.hangUp();
    EXPECT_NE(m_port.clearCommError() & CE_DEVICE_GONE, 0u);
    std::uint8_t buf[4];
    const auto start = Clock::now();
    auto e = thrown([&] { m_port.read(buf, sizeof buf); });
    ASSERT_TRUE(e);
    EXPECT_LT(msSince(start), 300); // no time-out wait on a dead line
    EXPECT_EQ(e->code(), 6);
    EXPECT_EQ(e->line(), 165);
    EXPECT_TRUE(contains(e->text(), "CSerialPort::read() - GetLastError()=")) << e->text();
    EXPECT_TRUE(contains(e->text(), m_port.path())) << e->text();

    auto w = thrown([&] { m_port.write(buf, sizeof buf); });
    ASSERT_TRUE(w);
    EXPECT_EQ(w->code(), 6);
    EXPECT_EQ(w->line(), 182);
}

TEST_F(SerialPortTest, EveryOperationOnAClosedPortThrowsItsOwnError)
{
    SDcb d = CSerialPort::lineSettings();
    STimeouts t = CSerialPort::lineTimeouts();
    std::uint8_t buf[4] = {};
    const struct {
        const char* text;
        int line;
        std::function<void()> call;
    } cases[] = {
        {"CSerialPort::getState() \n GetLastError() = 9 ", 91, [&] { m_port.getState(d); }},
        {"CSerialPort::setState() \n GetLastError() = 9 ", 105, [&] { m_port.setState(d); }},
        {"CSerialPort::getTimeout() \n GetLastError() = 9 ", 136, [&] { m_port.getTimeout(t); }},
        {"CSerialPort::setTimeout() \n GetLastError() = 9 ", 150, [&] { m_port.setTimeout(t); }},
        {"CSerialPort::read() - GetLastError()=9 ", 165, [&] { m_port.read(buf, 4); }},
        {"CSerialPort::write() - GetLastError()=9 ", 182, [&] { m_port.write(buf, 4); }},
        {"CSerialPort::purgeIn() \n GetLastError() = 9 ", 197, [&] { m_port.purgeIn(); }},
        {"CSerialPort::purgeOut() \n GetLastError() = 9 ", 213, [&] { m_port.purgeOut(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto e = thrown(c.call);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->code(), 6);
        EXPECT_EQ(e->description(), "Nie można wykonać operacji na RS.");
        EXPECT_EQ(e->line(), c.line);
        EXPECT_EQ(e->text().rfind(c.text, 0), 0u) << e->text();
    }
    // The four-line form ends with the line-error query, which on a closed
    // port is the errno of the failed query.
    auto e = thrown([&] { m_port.getState(d); });
    EXPECT_TRUE(contains(e->text(), "\n clearCommError() = 9")) << e->text();
    EXPECT_NE(m_port.clearCommError(), 0u);
}

TEST_F(SerialPortTest, LineSettingsOutsideWhatTheDriverOffersAreRefused)
{
    openConfigured();
    SDcb d = CSerialPort::lineSettings();
    d.byteSize = 9;
    auto e = thrown([&] { m_port.setState(d); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code(), 6);
    EXPECT_EQ(e->line(), 105);

    // The line keeps working as it was.
    SDcb now;
    m_port.getState(now);
    EXPECT_EQ(now, CSerialPort::lineSettings());
}
