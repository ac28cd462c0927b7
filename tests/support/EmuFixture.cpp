#include "EmuFixture.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

SEmuServerConfig CEmuFixture::withLink(SEmuServerConfig cfg, std::string& dir)
{
    char tmpl[] = "/tmp/nimo-emu-XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error("cannot make a temporary folder");
    dir = tmpl;
    if (cfg.m_linkPath.empty())
        cfg.m_linkPath = dir + "/ttyEMU0";
    return cfg;
}

CEmuFixture::CEmuFixture(SEmuServerConfig cfg) : m_server(withLink(std::move(cfg), m_dir))
{
    try {
        m_server.start();
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        throw;
    }
}

CEmuFixture::~CEmuFixture()
{
    m_server.stop();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

SEmuState CEmuFixture::state()
{
    return m_server.withController([](CEmuController& c) { return c.state(); });
}

SEmuCounters CEmuFixture::counters()
{
    return m_server.withController([](CEmuController& c) { return c.counters(); });
}

void CEmuFixture::resetCounters()
{
    m_server.withController([](CEmuController& c) { c.counters() = SEmuCounters{}; });
}

void CEmuFixture::setFaults(const SEmuFaultConfig& cfg)
{
    m_server.withController([&](CEmuController& c) { c.setFaults(cfg); });
}

void CEmuFixture::ignoreCommand(std::uint8_t code, bool on)
{
    m_server.withController([&](CEmuController& c) { c.ignoreCommand(code, on); });
}

void CEmuFixture::ignoreAllButTest()
{
    m_server.withController([](CEmuController& c) { c.ignoreAllButTest(); });
}

void CEmuFixture::clearIgnores()
{
    m_server.withController([](CEmuController& c) { c.clearIgnores(); });
}
