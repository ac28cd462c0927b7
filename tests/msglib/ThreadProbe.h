// Workers for the thread-library tests that report what happened to them.
#pragma once

#include <atomic>
#include <thread>

#include "msglib/CSThread.h"
#include "msglib/CSemaphore.h"

struct SProbe {
    CSemaphore started{0};
    CSemaphore gone{0};
    std::atomic<int> destroyed{0};
    std::thread::id runOn;
    CThreadManager* manager = nullptr;
    std::thread::id destroyedOn;
};

// Returns from its body at once.
class CQuickWorker : public CSThread {
public:
    explicit CQuickWorker(SProbe& probe) : m_probe(probe) {}
    ~CQuickWorker() override
    {
        m_probe.destroyedOn = std::this_thread::get_id();
        ++m_probe.destroyed;
        m_probe.gone.up(1);
    }
    void run() override
    {
        m_probe.runOn = std::this_thread::get_id();
        m_probe.manager = manager();
        m_probe.started.up(1);
    }

protected:
    SProbe& m_probe;
};

// Runs until asked to stop, like the live-data reader.
class CStopWorker : public CQuickWorker {
public:
    using CQuickWorker::CQuickWorker;
    void requestStop() override { m_stop.up(1); }
    void run() override
    {
        CQuickWorker::run();
        m_stop.down();
    }

private:
    CSemaphore m_stop{0};
};

// Ignores requestStop and runs until `release` is raised.
class CStubbornWorker : public CQuickWorker {
public:
    CStubbornWorker(SProbe& probe, CSemaphore& release) : CQuickWorker(probe), m_release(release) {}
    void run() override
    {
        CQuickWorker::run();
        m_release.down();
    }

private:
    CSemaphore& m_release;
};
