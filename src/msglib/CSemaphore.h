// A counting semaphore (maximum count 0x7FFFFFFF).
// Thread safety: shared between threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

class CSemaphore {
public:
    static constexpr std::int64_t kMaxCount = 0x7FFFFFFF;

    // The name is accepted for the record; semaphores here are never shared
    // between processes.
    explicit CSemaphore(std::int32_t initialCount = 0, const std::string& name = {});
    CSemaphore(const CSemaphore&) = delete;
    CSemaphore& operator=(const CSemaphore&) = delete;

    void down();
    // Throws CThreadError when the count would pass the maximum.
    void up(std::int32_t count = 1);
    std::int64_t count();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::int64_t m_count;
};
