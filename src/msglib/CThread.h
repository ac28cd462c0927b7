// A thread object with a virtual body, started once by create().
// Thread safety: create() and the destructor belong to the owner; run() runs
// on the new thread.
#pragma once

#include <thread>

class CThread {
public:
    // Entry functions get a thread object (or the `other` given to create()).
    using Entry = void (*)(void*);

    explicit CThread(Entry entry = nullptr);
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    // Waits for a thread that is still finishing; a thread deleting its own
    // object lets go of it instead.
    virtual ~CThread();

    virtual void run() {}

    // Starts the thread, once: in m_entry with `other` (this when empty) if the
    // object has its own entry, otherwise in `entry` (the default entry when
    // empty) with this. Throws CThreadError code 6 when the thread cannot start.
    void create(void* other = nullptr, Entry entry = nullptr);
    // Not possible on a portable thread: each throws CThreadError code 5.
    [[noreturn]] void kill();
    [[noreturn]] void suspend();
    [[noreturn]] void resume();

    bool started() const { return m_handle != std::thread::id(); }
    std::thread::id handle() const { return m_handle; }
    // Waits until the thread has returned from its entry; for the owner only.
    void join();

protected:
    Entry m_entry;

private:
    // No thread id until the thread has been started.
    std::thread::id m_handle;
    std::thread m_thread;
};

// Runs the body of the CThread given as argument.
void defaultEntry(void* thread);
