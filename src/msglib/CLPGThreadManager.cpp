#include "msglib/CLPGThreadManager.h"

CLPGThreadManager::~CLPGThreadManager()
{
    shutdown(kShutdownLimit);
}

namespace {

struct SGlobalManager {
    CLPGThreadManager* m_manager = new CLPGThreadManager;

    ~SGlobalManager()
    {
        // A thread that did not finish still uses the manager, so on a time-out
        // it must outlive this object; the process is ending anyway.
        if (m_manager->shutdown(CLPGThreadManager::kShutdownLimit))
            delete m_manager;
    }
};

} // namespace

CLPGThreadManager& threadManager()
{
    static SGlobalManager global;
    return *global.m_manager;
}
