// The far end of a pseudo-terminal, standing in for the controller in tests:
// the code under test opens slavePath() like a serial port; the peer reads
// what it sent on the master side and answers as scripted.
// Thread safety: serve() runs a background thread; the accessors lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A whole frame: AA 55 LEN TYPE payload, checksum high byte first. Written
// out here rather than taken from the link code, so both are checked.
Bytes makeFrame(std::uint8_t type, const Bytes& payload);

class ScriptedPeer {
public:
    using Handler = std::function<Bytes(const Bytes& request)>;

    ScriptedPeer();
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Synchronous use: what the host sent (up to n bytes within timeoutMs),
    // and raw bytes back.
    Bytes readBytes(std::size_t n, int timeoutMs = 2000);
    void send(const Bytes& bytes);

    // Answers every whole request frame with handler(frame) from a thread;
    // an empty answer stays silent.
    void serve(Handler handler);
    // Answers the requests, in order, with these byte strings; silent after.
    void serveReplies(std::deque<Bytes> replies);
    void stop();

    // Every whole request frame received, and how often the byte stream held
    // something that was not a frame start (an interleaving, say).
    std::vector<Bytes> requests() const;
    int desyncs() const;

    // The line rate the slave side was set to, as the kernel reports it.
    std::uint32_t slaveBaud() const;

    // Pulls the plug: the host side sees the device vanish.
    void hangUp();

private:
    void run(Handler handler);

    int m_master = -1;
    int m_slaveKeep = -1;
    std::string m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::vector<Bytes> m_requests;
    int m_desyncs = 0;
};
