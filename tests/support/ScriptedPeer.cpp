#include "support/ScriptedPeer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

Bytes makeFrame(std::uint8_t type, const Bytes& payload)
{
    Bytes f{0xAA, 0x55, static_cast<std::uint8_t>(payload.size()), type};
    unsigned sum = payload.size() + type;
    for (auto b : payload) {
        f.push_back(b);
        sum += b;
    }
    f.push_back(static_cast<std::uint8_t>((sum >> 8) & 0xFF));
    f.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return f;
}

ScriptedPeer::ScriptedPeer()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal available");
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0)
        throw std::runtime_error("ptsname_r failed");
    m_slavePath = name;
    // Holding the slave open keeps the master readable when the host closes
    // and reopens its side, and lets the line be raw before the host
    // configures it: a cooked slave would echo the peer's replies back.
    m_slaveKeep = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveKeep < 0)
        throw std::runtime_error("cannot open the slave side");
    termios t{};
    tcgetattr(m_slaveKeep, &t);
    cfmakeraw(&t);
    tcsetattr(m_slaveKeep, TCSANOW, &t);
}

ScriptedPeer::~ScriptedPeer()
{
    stop();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
}

Bytes ScriptedPeer::readBytes(std::size_t n, int timeoutMs)
{
    Bytes out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) <= 0 || !(pfd.revents & POLLIN))
            continue;
        std::uint8_t buf[512];
        const ssize_t r = ::read(m_master, buf, std::min(sizeof buf, n - out.size()));
        if (r > 0)
            out.insert(out.end(), buf, buf + r);
    }
    return out;
}

void ScriptedPeer::send(const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t r = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (r > 0)
            done += static_cast<std::size_t>(r);
        else if (r < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

void ScriptedPeer::serve(Handler handler)
{
    stop();
    m_stop = false;
    m_thread = std::thread([this, h = std::move(handler)] { run(h); });
}

void ScriptedPeer::serveReplies(std::deque<Bytes> replies)
{
    auto queue = std::make_shared<std::deque<Bytes>>(std::move(replies));
    serve([queue](const Bytes&) {
        if (queue->empty())
            return Bytes{};
        Bytes next = std::move(queue->front());
        queue->pop_front();
        return next;
    });
}

void ScriptedPeer::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

std::vector<Bytes> ScriptedPeer::requests() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

int ScriptedPeer::desyncs() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_desyncs;
}

void ScriptedPeer::hangUp()
{
    stop();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
    m_slaveKeep = -1;
}

void ScriptedPeer::run(Handler handler)
{
    Bytes stream;
    while (!m_stop) {
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, 10) <= 0)
            continue;
        if (!(pfd.revents & POLLIN)) {
            // The host has closed its side for now; wait for it to come back.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        std::uint8_t buf[512];
        const ssize_t r = ::read(m_master, buf, sizeof buf);
        if (r <= 0)
            continue;
        stream.insert(stream.end(), buf, buf + r);

        for (;;) {
            std::size_t skip = 0;
            while (skip < stream.size() && !(stream[skip] == 0xAA && (skip + 1 == stream.size() ||
                                                                      stream[skip + 1] == 0x55)))
                ++skip;
            if (skip > 0) {
                std::lock_guard<std::mutex> guard(m_lock);
                ++m_desyncs;
                stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(skip));
            }
            if (stream.size() < 4)
                break;
            const std::size_t total = 4u + stream[2] + 2u;
            if (stream.size() < total)
                break;
            Bytes frame(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(total));
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(total));

            unsigned sum = 0;
            for (std::size_t i = 2; i < total - 2; ++i)
                sum += frame[i];
            const unsigned got = (frame[total - 2] << 8) | frame[total - 1];
            {
                std::lock_guard<std::mutex> guard(m_lock);
                if ((sum & 0xFFFF) != got)
                    ++m_desyncs;
                m_requests.push_back(frame);
            }
            const Bytes reply = handler(frame);
            if (!reply.empty())
                send(reply);
        }
    }
}
