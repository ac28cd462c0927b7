#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "errors/CThreadError.h"
#include "msglib/CEvent.h"
#include "msglib/CMutex.h"
#include "msglib/CSemaphore.h"
#include "msglib/ThreadLibFile.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Whether another thread could take the mutex right now.
bool freeForOthers(CMutex& mutex)
{
    return std::async(std::launch::async,
                      [&] {
                          const bool got = mutex.tryLock();
                          if (got)
                              mutex.unlock();
                          return got;
                      })
        .get();
}

TEST(Mutex, OwnerMayLockAgainAndMustUnlockAsOften)
{
    CMutex mutex;
    mutex.lock();
    mutex.lock();
    EXPECT_TRUE(mutex.tryLock());
    mutex.unlock();
    mutex.unlock();
    EXPECT_FALSE(freeForOthers(mutex));
    mutex.unlock();
    EXPECT_TRUE(freeForOthers(mutex));
}

// The link's case: the reader locks again the moment it unlocks. A thread
// that waits must get the mutex after at most one more turn of the reader,
// and a tryLock must not jump the queue.
TEST(Mutex, AWaitingThreadIsServedBeforeTheHolderTakesItAgain)
{
    CMutex mutex;
    std::atomic<bool> stop{false};
    std::atomic<long> readerTurns{0};
    std::thread reader([&] {
        while (!stop) {
            CMutexGuard guard(mutex);
            ++readerTurns;
            std::this_thread::sleep_for(200us); // one exchange
        }
    });
    while (readerTurns == 0)
        std::this_thread::yield();
    long worst = 0;
    for (int i = 0; i < 200; ++i) {
        const long before = readerTurns;
        {
            CMutexGuard guard(mutex);
            worst = std::max(worst, readerTurns - before);
            EXPECT_FALSE(freeForOthers(mutex));
        }
        std::this_thread::sleep_for(100us);
    }
    stop = true;
    reader.join();
    EXPECT_LE(worst, 2) << "the reader kept the mutex for " << worst << " turns in a row";
    EXPECT_TRUE(freeForOthers(mutex));
}

TEST(MutexGuard, ReleasesWhenAnErrorObjectLeavesTheScope)
{
    CMutex mutex;
    try {
        CMutexGuard guard(mutex);
        EXPECT_FALSE(freeForOthers(mutex));
        throwThreadError(CThreadError::errThreadLib, "test", 1, kThreadLibFile);
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
    }
    EXPECT_TRUE(freeForOthers(mutex));
}

TEST(MutexGuard, EmptyPointerLocksNothing)
{
    CMutex mutex;
    mutex.lock();
    {
        CMutexGuard guard(nullptr);
    }
    // Still held once by this thread: the empty guard unlocked nothing.
    EXPECT_FALSE(freeForOthers(mutex));
    mutex.unlock();
    EXPECT_TRUE(freeForOthers(mutex));
}

TEST(Event, ZeroLimitReturnsAtOnce)
{
    CEvent event;
    const auto start = Clock::now();
    event.wait(0);
    EXPECT_LT(Clock::now() - start, 1s);
}

TEST(Event, PulseWithoutWaiterIsLost)
{
    CEvent event;
    event.signal();
    const auto start = Clock::now();
    event.wait(60);
    EXPECT_GE(Clock::now() - start, 55ms);
}

TEST(Event, PulseReleasesEveryWaiter)
{
    CEvent event;
    std::atomic<int> released{0};
    std::thread a([&] {
        event.wait();
        ++released;
    });
    std::thread b([&] {
        event.wait();
        ++released;
    });
    // A waiter that was not yet waiting would miss a pulse, so pulse until both went.
    while (released.load() < 2) {
        event.signal();
        std::this_thread::sleep_for(1ms);
    }
    a.join();
    b.join();
    EXPECT_EQ(released.load(), 2);
}

TEST(Event, TicketKeepsAPulseThatComesBeforeTheWait)
{
    CEvent event;
    const auto seen = event.pulses();
    event.signal();
    EXPECT_TRUE(event.waitAfter(seen, 0ms));
    EXPECT_FALSE(event.waitAfter(event.pulses(), 1ms));
}

TEST(Semaphore, UpByThreeLetsThreeDownsThrough)
{
    CSemaphore semaphore(0);
    semaphore.up(3);
    semaphore.down();
    semaphore.down();
    semaphore.down();
    EXPECT_EQ(semaphore.count(), 0);

    // A fourth down waits for the next up: whichever thread runs first, the
    // up comes before the down returns, and the down takes what it gave.
    std::atomic<bool> downReturned{false};
    std::thread upper([&] {
        EXPECT_FALSE(downReturned.load());
        semaphore.up(1);
    });
    semaphore.down();
    downReturned = true;
    upper.join();
    EXPECT_EQ(semaphore.count(), 0);
}

TEST(Semaphore, CountBeyondTheMaximumIsRefused)
{
    CSemaphore semaphore(0x7FFFFFFF);
    try {
        semaphore.up(1);
        FAIL() << "nothing thrown";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_EQ(e->text(), "CSemaphore::up()");
        EXPECT_EQ(e->line(), 344);
        EXPECT_EQ(e->description(), "Błąd biblioteki ThreadLib.");
    }
    EXPECT_EQ(semaphore.count(), 0x7FFFFFFF);
}

} // namespace
