#include <cstdlib>

#include <gtest/gtest.h>

#include "msglib/CLPGThreadManager.h"
#include "ThreadProbe.h"

namespace {

// A worker that never finishes must not keep the process alive nor change its
// exit code: the end of the process waits a bounded time and moves on.
TEST(GlobalThreadManagerDeathTest, StuckWorkerDelaysExitOnlyBriefly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Never freed: the stuck thread uses them until the process is gone.
            auto* probe = new SProbe;
            auto* never = new CSemaphore(0);
            threadManager().addThread(new CStubbornWorker(*probe, *never));
            probe->started.down();
            std::exit(4);
        },
        testing::ExitedWithCode(4), "");
}

} // namespace
