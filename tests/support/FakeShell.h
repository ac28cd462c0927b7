// A shell for tests: records what the controller object shows and runs its
// pauses on a fake clock, so retry rules cost no real waiting.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "link/IGasShell.h"

class CFakeShell : public IGasShell {
public:
    int lastPort() override { return m_lastPort; }
    void storeLastPort(int port) override { m_lastPort = port; }
    void showSplash(const std::string& text) override { log("splash: " + text); }
    void closeSplash() override { log("splash closed"); }
    void showWaiting(const std::string& text) override { log("waiting: " + text); }
    void closeWaiting() override { log("waiting closed"); }
    void errorBox(const std::string& text) override
    {
        log("error: " + text);
        std::lock_guard lock(m_mutex);
        m_errors.push_back(text);
    }
    bool askDemoMode() override
    {
        ++m_demoQuestions;
        return m_answerDemo;
    }
    void showLinkState(bool connected, bool demo) override
    {
        m_linkShown = connected;
        m_demoShown = demo;
    }
    void setFaultIndicator(bool on) override { m_faultIndicator = on; }
    void pumpEvents() override { ++m_pumps; }
    void sleep(std::uint32_t ms) override { m_sleptMs += ms; }
    void linkLost() override { ++m_linkLost; }

    std::vector<std::string> errors()
    {
        std::lock_guard lock(m_mutex);
        return m_errors;
    }
    std::vector<std::string> events()
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    int m_lastPort = 0;
    bool m_answerDemo = false;
    int m_demoQuestions = 0;
    bool m_linkShown = false;
    bool m_demoShown = false;
    bool m_faultIndicator = true;
    int m_pumps = 0;
    std::atomic<std::uint64_t> m_sleptMs{0};
    std::atomic<int> m_linkLost{0};

private:
    void log(const std::string& line)
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(line);
    }

    std::mutex m_mutex;
    std::vector<std::string> m_errors;
    std::vector<std::string> m_events;
};
