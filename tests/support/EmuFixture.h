// A virtual controller on a fresh pseudo-terminal for the host's integration
// tests: started in-process on construction, stopped on destruction. The port
// is reached through a stable link path that survives unplug() / replug().
// Thread safety: every operation may be called from any thread; the state is
// reached under the server's lock.
#pragma once

#include <cstdint>
#include <string>

#include "CEmuServer.h"

class CEmuFixture {
public:
    // An empty link path in `cfg` gets one inside a private temporary folder.
    explicit CEmuFixture(SEmuServerConfig cfg = {});
    ~CEmuFixture();
    CEmuFixture(const CEmuFixture&) = delete;
    CEmuFixture& operator=(const CEmuFixture&) = delete;

    // The link to open as the controller's port.
    const std::string& path() const { return m_server.linkPath(); }
    // The pseudo-terminal itself (changes on replug).
    std::string ptsPath() const { return m_server.slavePath(); }
    // A private folder for logs and traces, removed with the fixture.
    const std::string& tempDir() const { return m_dir; }

    template <class F>
    auto withController(F&& f)
    {
        return m_server.withController(std::forward<F>(f));
    }
    template <class F>
    auto withState(F&& f)
    {
        return m_server.withController([&](CEmuController& c) { return f(c.state()); });
    }
    SEmuState state();
    SEmuCounters counters();
    void resetCounters();

    void setFaults(const SEmuFaultConfig& cfg);
    void ignoreCommand(std::uint8_t code, bool on = true);
    void ignoreAllButTest();
    void clearIgnores();

    // Closes the port under the host; replug() gives it a new one at path().
    void unplug() { m_server.unplug(); }
    std::string replug() { return m_server.replug(); }

    CEmuServer& server() { return m_server; }

private:
    static SEmuServerConfig withLink(SEmuServerConfig cfg, std::string& dir);

    std::string m_dir;
    CEmuServer m_server;
};
