// A pulsed event: signal() releases the threads waiting at that moment and
// leaves the event unsignalled, so a pulse with no waiter is lost.
// Thread safety: shared between threads.
#pragma once

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

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::uint64_t m_pulses = 0;
};
