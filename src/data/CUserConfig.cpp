#include "data/CUserConfig.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "data/CIniDocument.h"
#include "data/TempFileBeside.h"

namespace {

// The names the desktop application has always used for these values.
constexpr const char* kLastPortKey = "Last RS nr";
constexpr const char* kMountServiceKey = "Mount Service Name";

// Far beyond two values and anything a user keeps beside them.
constexpr off_t kMaxFile = off_t{1024} * 1024;

// The base folder of one kind: the XDG variable when set, else the
// fallback under $HOME. Like the application's toolkit, a relative value is
// taken as it stands rather than ignored, so both programs agree on it.
std::string xdgHome(const char* variable, const char* fallback)
{
    const char* xdg = std::getenv(variable);
    if (xdg != nullptr && xdg[0] != '\0')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + fallback;
    return {};
}

// nullopt: the file is there but could not be read, so it must not be
// replaced by one that lacks what it holds. A missing file reads as empty.
std::optional<std::string> readFile(const std::string& path)
{
    if (path.empty())
        return std::string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFile) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0)
            data.append(chunk, static_cast<std::size_t>(got));
        if (data.size() > static_cast<std::size_t>(kMaxFile))
            break;
    }
    ::close(fd);
    if (got < 0 || data.size() > static_cast<std::size_t>(kMaxFile))
        return std::nullopt;
    return data;
}

CIniDocument readDocument(const std::string& path)
{
    return CIniDocument::parse(readFile(path).value_or(std::string()));
}

// As the application reads a number from text: blanks around it and a sign
// are allowed, anything else makes it unreadable.
std::optional<long long> parseNumber(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string CUserConfig::defaultPath()
{
    const std::string base = xdgHome("XDG_CONFIG_HOME", "/.config");
    return base.empty() ? std::string() : base + "/Nimo/nimo.conf";
}

std::string CUserConfig::dataDirectory()
{
    const std::string base = xdgHome("XDG_DATA_HOME", "/.local/share");
    return base.empty() ? std::string() : base + "/Nimo/nimo/";
}

std::string CUserConfig::settingsDirectory()
{
    const std::string base = dataDirectory();
    if (base.empty())
        return {};
    std::string dir = base + "Settings/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::string CUserConfig::historyDirectory(const std::string& serial)
{
    const std::string base = dataDirectory();
    return base.empty() ? std::string() : base + "History/" + historyFolderName(serial) + "/";
}

std::string CUserConfig::recordingsDirectory()
{
    const std::string base = dataDirectory();
    return base.empty() ? std::string() : base + "Recordings/";
}

std::string CUserConfig::historyFolderName(const std::string& serial)
{
    std::string name;
    for (const char c : serial) {
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        name += kept ? c : '_';
    }
    // "." and ".." would name the folder above; a blank serial nothing at all.
    if (name.find_first_not_of('.') == std::string::npos ||
        name.find_first_not_of('_') == std::string::npos)
        return "unknown";
    return name;
}

int CUserConfig::lastPort() const
{
    const CIniDocument doc = readDocument(m_path);
    const SIniValue* value = doc.find(kLastPortKey);
    if (value == nullptr)
        return 0;
    const std::optional<long long> port = parseNumber(CIniDocument::text(*value));
    return port && *port > 0 && *port <= INT_MAX ? static_cast<int>(*port) : 0;
}

bool CUserConfig::hasLastPort() const
{
    return readDocument(m_path).find(kLastPortKey) != nullptr;
}

std::string CUserConfig::mountServiceName() const
{
    const CIniDocument doc = readDocument(m_path);
    const SIniValue* value = doc.find(kMountServiceKey);
    return value == nullptr ? std::string() : CIniDocument::text(*value);
}

bool CUserConfig::storeLastPort(int port)
{
    return store(kLastPortKey, std::to_string(port));
}

bool CUserConfig::storeMountServiceName(const std::string& name)
{
    return store(kMountServiceKey, name);
}

bool CUserConfig::store(const char* key, const std::string& text)
{
    if (m_path.empty())
        return false;
    const std::optional<std::string> old = readFile(m_path);
    if (!old)
        return false;
    CIniDocument doc = CIniDocument::parse(*old);
    doc.set(key, CIniDocument::fromText(text));
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(m_path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    return replaceFileWith(m_path, doc.serialize());
}
