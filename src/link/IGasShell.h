// What the controller object asks of the application around it: the GUI
// implements it with windows, nimo-cli on the console, tests with a fake.
// Sleeps go through it too, so tests can run the retry rules on a fake clock.
// Thread safety: linkLost() is called on the reader thread; everything else on
// the thread that drives the controller object.
#pragma once

#include <cstdint>
#include <string>

class IGasShell {
public:
    virtual ~IGasShell() = default;

    // The port used last time, 0 when none is stored.
    virtual int lastPort() = 0;
    virtual void storeLastPort(int port) = 0;

    // Texts arrive translated.
    virtual void showSplash(const std::string& text) = 0;
    virtual void closeSplash() = 0;
    virtual void showWaiting(const std::string& text) = 0;
    virtual void closeWaiting() = 0;
    virtual void errorBox(const std::string& text) = 0;

    // No controller answered: true chooses demonstration mode.
    virtual bool askDemoMode() = 0;

    virtual void showLinkState(bool connected, bool demo) = 0;
    virtual void setFaultIndicator(bool on) = 0;

    // Keeps a window alive during long operations.
    virtual void pumpEvents() = 0;
    virtual void sleep(std::uint32_t ms) = 0;

    // The live-data reader gave up on the link; the shell arranges a reconnection.
    virtual void linkLost() = 0;
};

// A shell that shows nothing, never chooses demonstration mode, and sleeps for real.
class CQuietShell : public IGasShell {
public:
    int lastPort() override { return m_lastPort; }
    void storeLastPort(int port) override { m_lastPort = port; }
    void showSplash(const std::string&) override {}
    void closeSplash() override {}
    void showWaiting(const std::string&) override {}
    void closeWaiting() override {}
    void errorBox(const std::string&) override {}
    bool askDemoMode() override { return false; }
    void showLinkState(bool, bool) override {}
    void setFaultIndicator(bool) override {}
    void pumpEvents() override {}
    void sleep(std::uint32_t ms) override;
    void linkLost() override {}

private:
    int m_lastPort = 0;
};
