// A private per-user data directory for a test: a fresh temporary folder set
// as $XDG_DATA_HOME while the object lives, removed with it, so that the
// settings backups the test causes never reach the user's own history.
// Thread safety: changes the process environment; one at a time.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class CDataHomeScope {
public:
    CDataHomeScope()
    {
        char tmpl[] = "/tmp/nimo-data-test-XXXXXX";
        m_path = mkdtemp(tmpl) ? tmpl : "/tmp";
        const char* old = std::getenv("XDG_DATA_HOME");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        setenv("XDG_DATA_HOME", m_path.c_str(), 1);
    }
    ~CDataHomeScope()
    {
        if (m_hadOld)
            setenv("XDG_DATA_HOME", m_old.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    CDataHomeScope(const CDataHomeScope&) = delete;
    CDataHomeScope& operator=(const CDataHomeScope&) = delete;

    const std::string& path() const { return m_path; }
    // Where the history of every controller lives under it.
    std::string historyRoot() const { return m_path + "/Nimo/nimo/History"; }

private:
    std::string m_path;
    std::string m_old;
    bool m_hadOld = false;
};
