#include "CEmuServer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "EmuTtyBaud.h"
#include "EmuWire.h"

namespace {

std::int64_t monoNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void sleepUntilNs(std::int64_t ns)
{
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

std::string faultNote(const SEmuReply& r)
{
    std::string note;
    for (std::size_t i = 0; i < kEmuFaultKinds; ++i) {
        if (r.m_outcome.has(static_cast<EEmuFault>(i))) {
            note += note.empty() ? "" : ",";
            note += emuFaultName(static_cast<EEmuFault>(i));
        }
    }
    if (r.m_ignored)
        note = "ignored";
    if (r.m_silenced)
        note = "silent";
    return note;
}

} // namespace

CEmuServer::CEmuServer(SEmuServerConfig cfg) : m_cfg(std::move(cfg)) {}

CEmuServer::~CEmuServer()
{
    stop();
}

std::int64_t CEmuServer::nowUs() const
{
    return (monoNs() - m_startNs) / 1000;
}

std::string CEmuServer::slavePath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_slavePath;
}

bool CEmuServer::plugged() const
{
    return m_plugged;
}

void CEmuServer::start()
{
    if (running())
        return;
    m_stop = false;
    m_startNs = monoNs();
    if (pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    try {
        m_pty.open();
    } catch (...) {
        ::close(m_wake[0]);
        ::close(m_wake[1]);
        m_wake[0] = m_wake[1] = -1;
        throw;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_slavePath = m_pty.slavePath();
    }
    m_plugged = true;
    if (!m_pty.makeLink(m_cfg.m_linkPath)) {
        const std::string why = std::strerror(errno);
        stop();
        throw std::runtime_error("cannot link " + m_cfg.m_linkPath + ": " + why);
    }
    if (m_cfg.m_tracePath == "-") {
        m_trace = stderr;
    } else if (!m_cfg.m_tracePath.empty()) {
        m_trace = std::fopen(m_cfg.m_tracePath.c_str(), "we");
        if (!m_trace) {
            const std::string why = std::strerror(errno);
            stop();
            throw std::runtime_error("cannot write " + m_cfg.m_tracePath + ": " + why);
        }
    }
    if (!m_cfg.m_recordLogPath.empty()) {
        m_records = std::fopen(m_cfg.m_recordLogPath.c_str(), "we");
        if (!m_records) {
            const std::string why = std::strerror(errno);
            stop();
            throw std::runtime_error("cannot write " + m_cfg.m_recordLogPath + ": " + why);
        }
    }
    m_thread = std::thread([this] { run(); });
}

void CEmuServer::stop()
{
    m_stop = true;
    wake();
    if (m_thread.joinable())
        m_thread.join();
    m_pty.close();
    m_plugged = false;
    if (!m_cfg.m_linkPath.empty())
        ::unlink(m_cfg.m_linkPath.c_str());
    if (m_trace && m_trace != stderr)
        std::fclose(m_trace);
    m_trace = nullptr;
    if (m_records)
        std::fclose(m_records);
    m_records = nullptr;
    for (int& fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void CEmuServer::wake()
{
    if (m_wake[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] auto n = ::write(m_wake[1], &c, 1);
    }
}

void CEmuServer::unplug()
{
    if (!running()) {
        m_pty.close();
        m_plugged = false;
        return;
    }
    std::unique_lock<std::mutex> lock(m_reqMutex);
    m_request = ERequest::Unplug;
    wake();
    m_reqDone.wait_for(lock, std::chrono::seconds(5),
                       [this] { return m_request == ERequest::None; });
}

std::string CEmuServer::replug()
{
    if (running()) {
        std::unique_lock<std::mutex> lock(m_reqMutex);
        m_request = ERequest::Replug;
        wake();
        m_reqDone.wait_for(lock, std::chrono::seconds(5),
                           [this] { return m_request == ERequest::None; });
    }
    return slavePath();
}

bool CEmuServer::serviceRequest()
{
    std::lock_guard<std::mutex> lock(m_reqMutex);
    if (m_request == ERequest::None)
        return false;
    if (m_request == ERequest::Unplug) {
        m_pty.close();
        m_plugged = false;
        trace("--", {}, "unplugged");
    } else if (m_request == ERequest::Replug) {
        try {
            m_pty.open();
            m_pty.makeLink(m_cfg.m_linkPath);
            {
                std::lock_guard<std::mutex> l2(m_mutex);
                m_slavePath = m_pty.slavePath();
            }
            m_plugged = true;
            trace("--", {}, "plugged " + m_pty.slavePath());
        } catch (const std::exception& e) {
            trace("--", {}, std::string("replug failed: ") + e.what());
        }
    }
    m_request = ERequest::None;
    m_reqDone.notify_all();
    return true;
}

bool CEmuServer::waitUntil(std::int64_t us, bool precise)
{
    const std::int64_t target = m_startNs + us * 1000;
    for (;;) {
        if (m_stop)
            return false;
        const std::int64_t left = target - monoNs();
        if (left <= 0)
            return true;
        if (left < 3000000 && precise) {
            sleepUntilNs(target);
            return !m_stop;
        }
        pollfd p{m_wake[0], POLLIN, 0};
        const int ms = static_cast<int>(std::max<std::int64_t>(1, (left - 2000000) / 1000000));
        if (poll(&p, 1, precise ? ms : static_cast<int>(left / 1000000) + 1) > 0) {
            char buf[64];
            while (::read(m_wake[0], buf, sizeof buf) > 0) {
            }
            std::lock_guard<std::mutex> lock(m_reqMutex);
            if (m_stop || m_request != ERequest::None)
                return false;
        }
    }
}

void CEmuServer::run()
{
    while (!m_stop) {
        if (serviceRequest())
            continue;
        if (!m_pty.isOpen()) {
            pollfd p{m_wake[0], POLLIN, 0};
            if (poll(&p, 1, 200) > 0) {
                char buf[64];
                while (::read(m_wake[0], buf, sizeof buf) > 0) {
                }
            }
            continue;
        }
        pollfd fds[3] = {
            {m_pty.master(), POLLIN, 0}, {m_pty.watch(), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(fds, 3, 200) <= 0)
            continue;
        if (fds[2].revents) {
            char buf[64];
            while (::read(m_wake[0], buf, sizeof buf) > 0) {
            }
        }
        if (fds[1].revents)
            m_pty.onWatch();
        if (fds[0].revents & POLLIN)
            readAvailable();
        else if (fds[0].revents & (POLLHUP | POLLERR))
            usleep(10000); // nobody holds the slave: nothing to serve yet
    }
}

void CEmuServer::readAvailable()
{
    std::uint8_t buf[512];
    const ssize_t n = ::read(m_pty.master(), buf, sizeof buf);
    if (n <= 0) {
        if (n == 0 || errno == EIO)
            usleep(10000);
        return;
    }
    const std::int64_t now = nowUs();
    if (m_cfg.m_strictBaud) {
        const unsigned baud = emuTtyBaud(m_pty.master());
        if (baud != m_cfg.m_baud) {
            // At the wrong speed the controller sees only noise.
            withController([&](CEmuController& c) {
                c.counters().m_wrongBaud += static_cast<std::uint64_t>(n);
            });
            trace("RX", std::vector<std::uint8_t>(buf, buf + n),
                  "wrong baud " + std::to_string(baud));
            return;
        }
    }
    const std::int64_t byteUs = 1000000LL * emu::BITS_PER_BYTE / m_cfg.m_baud;
    for (ssize_t i = 0; i < n; ++i) {
        std::int64_t t = now;
        if (m_cfg.m_pace) {
            // On a real line the request's last byte lands only after all of
            // them have crossed it.
            m_rxLineUs = std::max(now, m_rxLineUs) + byteUs;
            t = m_rxLineUs;
        }
        m_rxBytes.push_back(buf[i]);
        auto reply = withController([&](CEmuController& c) { return c.feed(buf[i], t); });
        if (!reply)
            continue;
        trace("RX", m_rxBytes, "");
        m_rxBytes.clear();
        const bool whole = send(*reply, t);
        withController([&](CEmuController&) {
            if (m_onReply)
                m_onReply(*reply, whole);
        });
        if (reply->m_outcome.m_disconnect || !m_pty.isOpen() || m_stop)
            return;
    }
}

bool CEmuServer::send(SEmuReply& reply, std::int64_t startUs)
{
    if (reply.m_bytes.empty()) {
        trace("TX", {}, faultNote(reply));
        if (reply.m_outcome.m_disconnect)
            disconnectFor(
                withController([](CEmuController& c) { return c.faults().m_disconnectMs; }));
        return true;
    }
    std::int64_t begin = startUs + m_cfg.m_turnaroundUs + reply.m_outcome.m_delayUs;
    // A request that waited behind the last reply is answered after it: the
    // line carries one reply at a time, so this one cannot have begun earlier.
    if (m_cfg.m_pace)
        begin = std::max(begin, nowUs());
    trace("TX", reply.m_bytes, faultNote(reply));
    const auto& bytes = reply.m_bytes;
    std::size_t sent = 0;
    if (m_cfg.m_pace) {
        if (!waitUntil(begin, true))
            return false;
        const std::int64_t beginNs = m_startNs + begin * 1000;
        const double byteNs = 1e9 * emu::BITS_PER_BYTE / m_cfg.m_baud;
        for (; sent < bytes.size() && !m_stop; ++sent) {
            // Absolute deadlines: a late wake-up does not push the rest back.
            sleepUntilNs(beginNs +
                         static_cast<std::int64_t>(byteNs * static_cast<double>(sent + 1)));
            ssize_t w = ::write(m_pty.master(), &bytes[sent], 1);
            if (w != 1) {
                pollfd p{m_pty.master(), POLLOUT, 0};
                if (poll(&p, 1, 100) <= 0 || ::write(m_pty.master(), &bytes[sent], 1) != 1)
                    break;
            }
        }
    } else {
        if (!waitUntil(begin, false))
            return false;
        while (sent < bytes.size()) {
            const ssize_t w = ::write(m_pty.master(), bytes.data() + sent, bytes.size() - sent);
            if (w > 0) {
                sent += static_cast<std::size_t>(w);
                continue;
            }
            pollfd p{m_pty.master(), POLLOUT, 0};
            if (w < 0 && errno != EAGAIN)
                break;
            if (poll(&p, 1, 100) <= 0)
                break; // nobody reads the port: the reply is lost, as on a real line
        }
    }
    const bool whole = sent == bytes.size();
    if (whole && reply.intact() && reply.isDiag())
        logRecord(bytes);
    return whole;
}

void CEmuServer::disconnectFor(int ms)
{
    m_pty.close();
    m_plugged = false;
    trace("--", {}, "disconnected");
    if (!waitUntil(nowUs() + static_cast<std::int64_t>(ms) * 1000, false))
        return;
    try {
        m_pty.open();
        m_pty.makeLink(m_cfg.m_linkPath);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_slavePath = m_pty.slavePath();
        }
        m_plugged = true;
        trace("--", {}, "plugged " + m_pty.slavePath());
        if (m_onReplug)
            m_onReplug(m_pty.slavePath());
    } catch (const std::exception& e) {
        trace("--", {}, std::string("replug failed: ") + e.what());
    }
}

void CEmuServer::trace(const char* dir, const std::vector<std::uint8_t>& bytes,
                       const std::string& note)
{
    if (!m_trace)
        return;
    std::string line;
    char tmp[32];
    std::snprintf(tmp, sizeof tmp, "%.6f %s", static_cast<double>(nowUs()) / 1e6, dir);
    line = tmp;
    if (bytes.empty())
        line += " -";
    for (auto b : bytes) {
        std::snprintf(tmp, sizeof tmp, " %02X", b);
        line += tmp;
    }
    if (!note.empty())
        line += " [" + note + "]";
    line += '\n';
    std::fputs(line.c_str(), m_trace);
    std::fflush(m_trace);
}

void CEmuServer::logRecord(const std::vector<std::uint8_t>& frame)
{
    if (!m_records || frame.size() < 6)
        return;
    std::string line;
    char tmp[4];
    for (std::size_t i = 4; i + 2 < frame.size(); ++i) {
        std::snprintf(tmp, sizeof tmp, "%s%02X", i == 4 ? "" : " ", frame[i]);
        line += tmp;
    }
    line += '\n';
    std::fputs(line.c_str(), m_records);
    std::fflush(m_records);
}
