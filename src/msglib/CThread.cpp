#include "msglib/CThread.h"

#include <memory>
#include <system_error>

#include "errors/CThreadError.h"
#include "msglib/ThreadLibFile.h"

CThread::CThread(Entry entry) : m_entry(entry) {}

CThread::~CThread()
{
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

void CThread::create(void* other, Entry entry)
{
    const bool own = m_entry != nullptr;
    const int line = own ? 149 : 154;
    // A std::thread cannot be started twice, and overwriting a running one
    // would end the process.
    if (started())
        throwThreadError(CThreadError::errCreate, "CThread::create()", line, kThreadLibFile);

    Entry start = own ? m_entry : (entry ? entry : &defaultEntry);
    void* argument = (own && other) ? other : this;
    try {
        m_thread = std::thread(start, argument);
    } catch (const std::system_error&) {
        throwThreadError(CThreadError::errCreate, "CThread::create()", line, kThreadLibFile);
    }
    m_handle = m_thread.get_id();
}

void CThread::kill()
{
    throwThreadError(CThreadError::errThreadLib, "CThread::kill()", 162, kThreadLibFile);
}

void CThread::suspend()
{
    throwThreadError(CThreadError::errThreadLib, "CThread::suspend()", 173, kThreadLibFile);
}

void CThread::resume()
{
    throwThreadError(CThreadError::errThreadLib, "CThread::resume()", 184, kThreadLibFile);
}

void CThread::join()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void defaultEntry(void* thread)
{
    try {
        static_cast<CThread*>(thread)->run();
    } catch (IError* e) {
        // Nobody is left to show it; an escaping error would end the process.
        std::unique_ptr<IError> discard(e);
    } catch (...) {
    }
}
