// The manager's own thread: deletes each managed thread after its body has
// returned, and ends once the manager stops and it is the last thread left.
// Thread safety: started and owned by its manager.
#pragma once

#include "msglib/CSemThread.h"

class CRecycleThread : public CSemThread {
public:
    CRecycleThread();

    void run() override;
};
