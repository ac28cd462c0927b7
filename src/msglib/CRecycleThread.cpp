#include "msglib/CRecycleThread.h"

#include "msglib/CThreadManager.h"

CRecycleThread::CRecycleThread() : CSemThread(&recycleEntry) {}

void CRecycleThread::run()
{
    manager()->reclaim();
}
