// The controller object's shell on a console: its messages go to the error
// stream, the no-connection question is answered by the command line, the
// last port lives in the per-user file the desktop application keeps it in,
// and a lost link raises a flag the monitor watches.
// Thread safety: linkLost() and linkWasLost() may be called from any thread;
// everything else from the thread that drives the controller object.
#pragma once

#include <atomic>
#include <ostream>
#include <string>

#include "data/CUserConfig.h"
#include "link/IGasShell.h"

class CConsoleShell : public IGasShell {
public:
    // configPath: the shared configuration file; empty keeps the last port
    // in memory only.
    CConsoleShell(std::ostream& err, std::string configPath, bool answerDemo = false);

    // Splash and waiting texts are only worth showing to a person.
    static void setShowProgress(bool on);
    // The file the desktop application uses (CUserConfig::defaultPath()).
    static std::string defaultConfigPath();
    // Where versions before the shared file kept the last port, relative to
    // the shared file: <config home>/nimo/nimo-cli.conf.
    static std::string legacyConfigPath(const std::string& configPath);

    int lastPort() override;
    void storeLastPort(int port) override;
    void showSplash(const std::string& text) override;
    void closeSplash() override {}
    void showWaiting(const std::string& text) override;
    void closeWaiting() override {}
    void errorBox(const std::string& text) override;
    bool askDemoMode() override { return m_answerDemo; }
    void showLinkState(bool, bool) override {}
    void setFaultIndicator(bool) override {}
    void pumpEvents() override {}
    void sleep(std::uint32_t ms) override;
    void linkLost() override { m_linkLost.store(true); }

    bool linkWasLost() const { return m_linkLost.load(); }
    void clearLinkLost() { m_linkLost.store(false); }
    // Error messages shown since the last reset.
    int errorCount() const { return m_errors; }
    void resetErrorCount() { m_errors = 0; }

private:
    void progress(const std::string& text);

    std::ostream& m_err;
    CUserConfig m_config;
    bool m_answerDemo;
    int m_memoryPort = 0;
    int m_errors = 0;
    std::atomic<bool> m_linkLost{false};
};
