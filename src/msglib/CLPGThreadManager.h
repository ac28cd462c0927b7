// The application's thread manager; it runs the live-data reader.
// Thread safety: as CThreadManager.
#pragma once

#include <chrono>

#include "msglib/CMultiThread.h"

class CLPGThreadManager : public CMultiThread {
public:
    // How long the end of the process waits for running threads to finish.
    static constexpr std::chrono::milliseconds kShutdownLimit{2000};

    CLPGThreadManager() = default;
    // Asks the workers to finish and waits up to kShutdownLimit before the
    // unbounded wait of the base.
    ~CLPGThreadManager() override;
};

// The process's one manager, made at first use. At exit its workers are asked
// to finish; if they do within kShutdownLimit the manager is deleted, if not it
// is left alive (still used by those threads) and the process exits regardless,
// with its own exit code.
CLPGThreadManager& threadManager();
