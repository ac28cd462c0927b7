#include "msglib/CMutex.h"

#include <system_error>

#include "errors/CThreadError.h"
#include "msglib/ThreadLibFile.h"

CMutex::CMutex() = default;

void CMutex::lock()
{
    try {
        std::unique_lock<std::mutex> state(m_state);
        const std::thread::id self = std::this_thread::get_id();
        if (m_depth > 0 && m_owner == self) {
            ++m_depth;
            return;
        }
        const std::uint64_t ticket = m_nextTicket++;
        m_turnChanged.wait(state, [&] { return m_turn == ticket; });
        m_owner = self;
        m_depth = 1;
    } catch (const std::system_error&) {
        // Only a resource limit of the system's own lock refuses; report it
        // like a failed creation.
        throwThreadError(CThreadError::errThreadLib, "CMutex::CMutex()", 64, kThreadLibFile);
    }
}

void CMutex::unlock()
{
    {
        const std::lock_guard<std::mutex> state(m_state);
        if (m_depth == 0 || m_owner != std::this_thread::get_id() || --m_depth > 0)
            return;
        m_owner = std::thread::id();
        ++m_turn;
    }
    m_turnChanged.notify_all();
}

bool CMutex::tryLock()
{
    const std::lock_guard<std::mutex> state(m_state);
    const std::thread::id self = std::this_thread::get_id();
    if (m_depth > 0 && m_owner == self) {
        ++m_depth;
        return true;
    }
    if (m_depth > 0 || m_turn != m_nextTicket)
        return false;
    ++m_nextTicket;
    m_owner = self;
    m_depth = 1;
    return true;
}

CMutexGuard::CMutexGuard(CMutex* mutex) : m_mutex(mutex)
{
    if (m_mutex)
        m_mutex->lock();
}

CMutexGuard::~CMutexGuard()
{
    if (m_mutex)
        m_mutex->unlock();
}
