// The base of worker threads: started by a manager in its managed entry.
// Thread safety: as CSemThread.
#pragma once

#include "msglib/CSemThread.h"

class CSThread : public CSemThread {
public:
    CSThread() : CSemThread(nullptr) {}
};
