#include "msglib/CMutex.h"

#include <system_error>

#include "errors/CThreadError.h"
#include "msglib/ThreadLibFile.h"

CMutex::CMutex() = default;

void CMutex::lock()
{
    try {
        m_mutex.lock();
    } catch (const std::system_error&) {
        // The only way a recursive mutex refuses is a resource limit (deadlock
        // detection or too many recursions); report it like a failed creation.
        throwThreadError(CThreadError::errThreadLib, "CMutex::CMutex()", 64, kThreadLibFile);
    }
}

void CMutex::unlock()
{
    m_mutex.unlock();
}

bool CMutex::tryLock()
{
    return m_mutex.try_lock();
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
