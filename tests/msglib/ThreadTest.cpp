#include <pthread.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include <gtest/gtest.h>

#include "errors/CThreadError.h"
#include "msglib/CLPGThreadManager.h"
#include "msglib/CMutex.h"
#include "msglib/CThread.h"
#include "msglib/CThreadManager.h"
#include "msglib/ThreadLibFile.h"
#include "ThreadProbe.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void expectThreadError(void (*call)(CThread&), const char* text, int line, int code)
{
    CThread thread;
    try {
        call(thread);
        ADD_FAILURE() << text << " did not throw";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_STREQ(e->className(), "CThreadError");
        EXPECT_EQ(e->text(), text);
        EXPECT_EQ(e->line(), line);
        EXPECT_EQ(e->code(), code);
        EXPECT_EQ(e->file(), kThreadLibFile);
    }
}

TEST(Thread, KillSuspendAndResumeRefuseInsteadOfPretending)
{
    expectThreadError([](CThread& t) { t.kill(); }, "CThread::kill()", 162, 5);
    expectThreadError([](CThread& t) { t.suspend(); }, "CThread::suspend()", 173, 5);
    expectThreadError([](CThread& t) { t.resume(); }, "CThread::resume()", 184, 5);
}

std::atomic<void*> g_entryArgument{nullptr};
CSemaphore g_entered{0};

void recordingEntry(void* argument)
{
    g_entryArgument = argument;
    g_entered.up(1);
}

TEST(Thread, OwnEntryGetsOtherOrTheThreadItself)
{
    int other = 0;
    {
        CThread thread(&recordingEntry);
        EXPECT_FALSE(thread.started());
        thread.create(&other);
        g_entered.down();
        EXPECT_EQ(g_entryArgument.load(), &other);
        EXPECT_TRUE(thread.started());
    }
    {
        CThread thread(&recordingEntry);
        thread.create();
        g_entered.down();
        EXPECT_EQ(g_entryArgument.load(), &thread);
    }
}

TEST(Thread, GivenEntryAlwaysGetsTheThreadItself)
{
    int other = 0;
    CThread thread;
    thread.create(&other, &recordingEntry);
    g_entered.down();
    EXPECT_EQ(g_entryArgument.load(), &thread);
}

TEST(Thread, DefaultEntryRunsTheBodyAndSurvivesAThrowingOne)
{
    struct CBody : CThread {
        CSemaphore ran{0};
        void run() override
        {
            ran.up(1);
            throwThreadError(CThreadError::errThreadLib, "body", 1, "test");
        }
    };
    CBody body;
    body.create();
    body.ran.down();
    body.join();
    EXPECT_FALSE(body.handle() == std::thread::id());
}

TEST(Thread, SecondCreateIsRefused)
{
    CThread thread(&recordingEntry);
    thread.create();
    g_entered.down();
    try {
        thread.create();
        FAIL() << "second create did not throw";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_EQ(e->code(), CThreadError::errCreate);
        EXPECT_EQ(e->line(), 149);
    }
}

// Makes every new thread ask for an impossible stack while it lives.
class CNoThreadsLeft {
public:
    CNoThreadsLeft()
    {
        pthread_getattr_default_np(&m_saved);
        pthread_attr_t huge;
        pthread_attr_init(&huge);
        pthread_attr_setstacksize(&huge, std::size_t{1} << 46);
        m_set = pthread_setattr_default_np(&huge) == 0;
        pthread_attr_destroy(&huge);
    }
    ~CNoThreadsLeft()
    {
        pthread_setattr_default_np(&m_saved);
        pthread_attr_destroy(&m_saved);
    }
    bool active() const { return m_set; }

private:
    pthread_attr_t m_saved;
    bool m_set = false;
};

TEST(Thread, ThreadThatCannotStartIsReportedWithItsLine)
{
    for (auto [entry, line] : {std::pair<CThread::Entry, int>{&recordingEntry, 149},
                               std::pair<CThread::Entry, int>{nullptr, 154}}) {
        CThread thread(entry);
        std::unique_ptr<IError> error;
        {
            CNoThreadsLeft limit;
            if (!limit.active())
                GTEST_SKIP() << "the default thread attributes cannot be changed here";
            try {
                thread.create();
            } catch (IError* raw) {
                error.reset(raw);
            }
        }
        if (!error) {
            if (entry)
                g_entered.down();
            GTEST_SKIP() << "this platform started a thread with a 64 TiB stack";
        }
        EXPECT_EQ(error->description(), "Nie można utworzyć wątku.");
        EXPECT_EQ(error->text(), "CThread::create()");
        EXPECT_EQ(error->line(), line);
        EXPECT_FALSE(thread.started());
    }
}

TEST(ThreadManager, FinishedWorkerIsDeletedByTheRecycleThread)
{
    SProbe probe;
    CThreadManager manager;
    EXPECT_EQ(manager.threadCount(), 1u);

    manager.addThread(new CQuickWorker(probe));
    probe.gone.down();
    EXPECT_EQ(probe.manager, &manager);
    EXPECT_EQ(probe.destroyed.load(), 1);
    EXPECT_EQ(manager.threadCount(), 1u);
    // Neither the worker itself nor the thread that started it.
    EXPECT_NE(probe.destroyedOn, probe.runOn);
    EXPECT_NE(probe.destroyedOn, std::this_thread::get_id());
}

TEST(ThreadManager, ThrowingBodyIsStillReclaimed)
{
    struct CThrowing : CQuickWorker {
        using CQuickWorker::CQuickWorker;
        void run() override { throw 42; }
    };
    SProbe probe;
    CThreadManager manager;
    manager.addThread(new CThrowing(probe));
    probe.gone.down();
    EXPECT_EQ(manager.threadCount(), 1u);
}

TEST(ThreadManager, StopReturnsWhenTheRecycleThreadHasAlreadyEnded)
{
    CThreadManager manager;
    manager.stop();
    EXPECT_TRUE(manager.stopping());
    // The recycle thread ended during the first stop; its pulse is long gone.
    EXPECT_TRUE(manager.stop(nullptr, 0ms));
    manager.stop();
    EXPECT_TRUE(manager.shutdown(0ms));
}

TEST(ThreadManager, StopLetsGoOfTheCallersLockWhileWorkersNeedIt)
{
    struct CLockWorker : CQuickWorker {
        CLockWorker(SProbe& probe, CMutex& lock) : CQuickWorker(probe), m_lock(lock) {}
        void run() override
        {
            CQuickWorker::run();
            CMutexGuard guard(m_lock);
        }
        CMutex& m_lock;
    };
    SProbe probe;
    CMutex link;
    CThreadManager manager;
    CMutexGuard held(link);
    manager.addThread(new CLockWorker(probe, link));
    probe.started.down();
    manager.stop(&link);
    EXPECT_EQ(probe.destroyed.load(), 1);
    const bool freeForOthers = std::async(std::launch::async, [&] {
                                   const bool got = link.tryLock();
                                   if (got)
                                       link.unlock();
                                   return got;
                               }).get();
    EXPECT_FALSE(freeForOthers) << "the caller's lock was not taken again";
}

TEST(ThreadManager, StoppedManagerRefusesAndDeletesNewThreads)
{
    SProbe probe;
    CThreadManager manager;
    manager.stop();
    try {
        manager.addThread(new CQuickWorker(probe));
        FAIL() << "addThread after stop did not throw";
    } catch (IError* raw) {
        std::unique_ptr<IError> e(raw);
        EXPECT_EQ(e->code(), CThreadError::errThreadLib);
    }
    EXPECT_EQ(probe.destroyed.load(), 1);
    EXPECT_EQ(manager.threadCount(), 1u);
}

TEST(ThreadManager, ShutdownAsksWorkersToFinishAndReturnsInTime)
{
    SProbe first;
    SProbe second;
    CThreadManager manager;
    manager.addThread(new CStopWorker(first));
    manager.addThread(new CStopWorker(second));
    first.started.down();
    second.started.down();
    EXPECT_EQ(manager.threadCount(), 3u);

    const auto start = Clock::now();
    EXPECT_TRUE(manager.shutdown(5s));
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(first.destroyed.load() + second.destroyed.load(), 2);
    EXPECT_EQ(manager.threadCount(), 1u);
}

TEST(ThreadManager, ShutdownTimeOutLeavesARunningWorkerAlone)
{
    SProbe probe;
    CSemaphore release(0);
    {
        CThreadManager manager;
        manager.addThread(new CStubbornWorker(probe, release));
        probe.started.down();
        EXPECT_FALSE(manager.shutdown(20ms));
        EXPECT_EQ(probe.destroyed.load(), 0);
        EXPECT_EQ(manager.threadCount(), 2u);
        release.up(1);
        // The destructor waits for the worker and reclaims it.
    }
    EXPECT_EQ(probe.destroyed.load(), 1);
}

TEST(ThreadManager, LocalApplicationManagerEndsItsReaderOnDestruction)
{
    SProbe probe;
    {
        CLPGThreadManager manager;
        manager.addThread(new CStopWorker(probe));
        probe.started.down();
    }
    EXPECT_EQ(probe.destroyed.load(), 1);
}

TEST(GlobalThreadManagerDeathTest, ProcessKeepsItsOwnExitCode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static SProbe probe;
            if (&threadManager() != &threadManager())
                std::exit(1);
            threadManager().addThread(new CStopWorker(probe));
            probe.started.down();
            std::exit(3);
        },
        testing::ExitedWithCode(3), "");
}

} // namespace
