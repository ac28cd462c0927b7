// A thread that a CThreadManager starts, owns and deletes after its body returns.
// Thread safety: m_manager is set by the manager before the thread starts;
// requestStop() may be called from any thread.
#pragma once

#include "msglib/CThread.h"

class CThreadManager;

class CSemThread : public CThread {
public:
    explicit CSemThread(Entry entry) : CThread(entry) {}

    // Asks the body to return soon; a body that ends by itself needs nothing.
    // Called by the manager's shutdown, under the manager's lock, so it must
    // only set a flag or similar and never wait.
    virtual void requestStop() {}

    CThreadManager* manager() const { return m_manager; }

private:
    friend class CThreadManager;
    CThreadManager* m_manager = nullptr;
};
