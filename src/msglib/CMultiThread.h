// A thread manager that may be deleted through a pointer to itself or a descendant.
// Thread safety: as CThreadManager.
#pragma once

#include "msglib/CThreadManager.h"

class CMultiThread : public CThreadManager {
public:
    CMultiThread() = default;
    virtual ~CMultiThread() = default;
};
