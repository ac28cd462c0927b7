// A pulsed event: signal() releases the threads waiting at that moment and
// leaves the event unsignalled, so a pulse with no waiter is lost.
// Thread safety: shared between threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class CEvent {
public:
    CEvent() = default;
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void signal();
    // Returns on a pulse or when the limit runs out; the two are not told apart.
    void wait(std::uint32_t limitMs);
    // Waits without a limit.
    void wait();

    // Pulses so far. A waiter that reads this before it lets go of its own lock
    // and then calls waitAfter() cannot miss a pulse that comes in between.
    std::uint64_t pulses();
    // Returns true once a pulse after `seen` has come, false when the limit ran out.
    bool waitAfter(std::uint64_t seen, std::chrono::milliseconds limit);
    void waitAfter(std::uint64_t seen);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::uint64_t m_pulses = 0;
};
