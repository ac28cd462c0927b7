#include "CConsoleShell.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "msglib/Sleep.h"

namespace {

std::atomic<bool> g_showProgress{false};

// The old file held "Last RS nr=<n>" lines among others of its own.
int legacyLastPort(const std::string& path)
{
    constexpr std::string_view key = "Last RS nr=";
    // It is read before every scan: a FIFO or a huge file put in its place
    // must cost nothing.
    constexpr std::uintmax_t kMaxBytes = 64 * 1024;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) ||
        std::filesystem::file_size(path, ec) > kMaxBytes || ec)
        return 0;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0)
            continue;
        const char* first = line.data() + key.size();
        const char* last = line.data() + line.size();
        int port = 0;
        const auto [end, ec] = std::from_chars(first, last, port);
        return ec == std::errc() && end == last && port > 0 ? port : 0;
    }
    return 0;
}

} // namespace

CConsoleShell::CConsoleShell(std::ostream& err, std::string configPath, bool answerDemo)
    : m_err(err), m_config(std::move(configPath)), m_answerDemo(answerDemo)
{
}

void CConsoleShell::setShowProgress(bool on)
{
    g_showProgress.store(on);
}

std::string CConsoleShell::defaultConfigPath()
{
    return CUserConfig::defaultPath();
}

std::string CConsoleShell::legacyConfigPath(const std::string& configPath)
{
    if (configPath.empty())
        return {};
    const std::filesystem::path home =
        std::filesystem::path(configPath).parent_path().parent_path();
    return (home / "nimo" / "nimo-cli.conf").string();
}

int CConsoleShell::lastPort()
{
    if (m_config.path().empty())
        return m_memoryPort;
    // A port remembered before the file was shared is taken over once, so
    // updating does not cost the user a scan; the old file stays for older
    // versions.
    if (!m_config.hasLastPort()) {
        const int old = legacyLastPort(legacyConfigPath(m_config.path()));
        if (old > 0)
            m_config.storeLastPort(old);
        return old;
    }
    return m_config.lastPort();
}

void CConsoleShell::storeLastPort(int port)
{
    m_memoryPort = port;
    // A failure only costs the scan order next time.
    if (!m_config.path().empty())
        m_config.storeLastPort(port);
}

void CConsoleShell::progress(const std::string& text)
{
    if (g_showProgress.load())
        m_err << text << std::endl;
}

void CConsoleShell::showSplash(const std::string& text)
{
    progress(text);
}

void CConsoleShell::showWaiting(const std::string& text)
{
    progress(text);
}

void CConsoleShell::errorBox(const std::string& text)
{
    ++m_errors;
    m_err << "nimo-cli: " << text << std::endl;
}

void CConsoleShell::sleep(std::uint32_t ms)
{
    sleepMs(ms);
}
