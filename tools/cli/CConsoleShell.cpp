#include "CConsoleShell.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "msglib/Sleep.h"

namespace {

std::atomic<bool> g_showProgress{false};

// The name the desktop application keeps this value under, so a fitter who
// uses both finds the same port first.
constexpr const char* kLastPortKey = "Last RS nr=";

} // namespace

CConsoleShell::CConsoleShell(std::ostream& err, std::string configPath, bool answerDemo)
    : m_err(err), m_configPath(std::move(configPath)), m_answerDemo(answerDemo)
{
}

void CConsoleShell::setShowProgress(bool on)
{
    g_showProgress.store(on);
}

std::string CConsoleShell::defaultConfigPath()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/nimo/nimo-cli.conf";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/nimo/nimo-cli.conf";
    return {};
}

int CConsoleShell::lastPort()
{
    if (m_configPath.empty())
        return m_memoryPort;
    std::ifstream in(m_configPath);
    std::string line;
    const std::string key = kLastPortKey;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0)
            continue;
        // Anything unreadable counts as "no port stored", as a missing value does.
        try {
            std::size_t used = 0;
            const int port = std::stoi(line.substr(key.size()), &used);
            return port > 0 ? port : 0;
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

void CConsoleShell::storeLastPort(int port)
{
    m_memoryPort = port;
    if (m_configPath.empty())
        return;
    // Keep whatever else the file holds; failures only cost the scan order.
    std::vector<std::string> lines;
    {
        std::ifstream in(m_configPath);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind(kLastPortKey, 0) != 0)
                lines.push_back(line);
        }
    }
    lines.push_back(kLastPortKey + std::to_string(port));
    std::error_code ec;
    const std::filesystem::path path(m_configPath);
    std::filesystem::create_directories(path.parent_path(), ec);
    const std::string temp = m_configPath + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
        if (!out.flush())
            return;
    }
    std::filesystem::rename(temp, path, ec);
    if (ec)
        std::filesystem::remove(temp, ec);
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
