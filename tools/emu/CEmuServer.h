// Runs a CEmuController on a pseudo-terminal in a thread of its own: reads the
// host's requests, answers them at the line's pace, injects line faults,
// writes the frame trace and the log of intact live-data records.
// Thread safety: every public operation may be called from any thread; the
// controller is reached only through withController(), under the lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CEmuController.h"
#include "CEmuPty.h"

struct SEmuServerConfig {
    // Bytes leave one every 10 bits at `m_baud`; requests are taken as
    // arriving no faster either.
    bool m_pace = false;
    unsigned m_baud = 14400;
    // Pause between the end of a request and the start of the reply.
    int m_turnaroundUs = 0;
    // Answer only while the host has set the port to `m_baud`.
    bool m_strictBaud = false;
    // Symbolic link kept pointing at the current slave; removed on stop.
    std::string m_linkPath;
    // Frame trace: "-" for stderr, empty for none.
    std::string m_tracePath;
    // One line per intact live-data record sent: its 76 payload bytes in hex.
    std::string m_recordLogPath;
};

class CEmuServer {
public:
    explicit CEmuServer(SEmuServerConfig cfg = {});
    ~CEmuServer();
    CEmuServer(const CEmuServer&) = delete;
    CEmuServer& operator=(const CEmuServer&) = delete;

    // Creates the pseudo-terminal and starts serving; throws std::runtime_error.
    void start();
    // Stops the thread, closes the terminal, removes the link. Idempotent.
    void stop();
    bool running() const { return m_thread.joinable(); }

    // The current slave (it changes when the port is plugged in again).
    std::string slavePath() const;
    const std::string& linkPath() const { return m_cfg.m_linkPath; }

    // Pulls the cable: the terminal is closed, the host's port fails.
    void unplug();
    // Plugs a new terminal in (and re-points the link); returns its path.
    std::string replug();
    bool plugged() const;

    // Called on the server thread with the new slave path after a disconnect
    // fault plugged the port in again.
    void onReplug(std::function<void(const std::string&)> fn) { m_onReplug = std::move(fn); }
    // Called on the server thread, under the controller's lock, once per
    // request answered or not, in the order the requests came; `whole` tells
    // whether every byte of the reply went out. May be set while running.
    using FReplyObserver = std::function<void(const SEmuReply& reply, bool whole)>;
    void onReply(FReplyObserver fn)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_onReply = std::move(fn);
    }

    template <class F>
    auto withController(F&& f)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(m_ctl);
    }

    // Monotonic microseconds since start, the controller's clock.
    std::int64_t nowUs() const;

private:
    enum class ERequest { None, Unplug, Replug, Stop };

    void run();
    bool serviceRequest();
    void readAvailable();
    // True when every byte of the reply went out.
    bool send(SEmuReply& reply, std::int64_t startUs);
    bool waitUntil(std::int64_t us, bool precise);
    void trace(const char* dir, const std::vector<std::uint8_t>& bytes, const std::string& note);
    void logRecord(const std::vector<std::uint8_t>& frame);
    void wake();
    void disconnectFor(int ms);

    SEmuServerConfig m_cfg;
    CEmuController m_ctl;
    CEmuPty m_pty;
    std::thread m_thread;
    mutable std::mutex m_mutex; // the controller and the slave path
    std::mutex m_reqMutex;
    std::condition_variable m_reqDone;
    ERequest m_request = ERequest::None;
    std::string m_slavePath;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_plugged{false};
    int m_wake[2] = {-1, -1};
    std::int64_t m_startNs = 0;
    std::int64_t m_rxLineUs = 0;
    std::vector<std::uint8_t> m_rxBytes;
    FILE* m_trace = nullptr;
    FILE* m_records = nullptr;
    std::function<void(const std::string&)> m_onReplug;
    FReplyObserver m_onReply;
};
