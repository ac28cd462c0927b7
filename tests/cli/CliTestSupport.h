// Running nimo-cli in-process for the tests: arguments in, exit status and
// both output streams back; a private config folder per test so the user's
// "Last RS nr" is never read or written.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"

struct SCliResult {
    int rc = -1;
    std::string out;
    std::string err;
};

// `timing` as the device's: tests of retries against a silent controller
// pass a short read time-out.
inline SCliResult runCliArgs(std::vector<std::string> args, const SLinkTiming& timing = {})
{
    args.insert(args.begin(), "nimo-cli");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::ostringstream out;
    std::ostringstream err;
    SCliResult r;
    r.rc = runCli(static_cast<int>(args.size()), argv.data(), out, err, timing);
    r.out = out.str();
    r.err = err.str();
    return r;
}

inline std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// A temporary folder, removed with the object; also the config home and,
// through its data/ folder, the data home (where backups go) while it lives.
class CCliTempDir {
public:
    CCliTempDir()
    {
        char tmpl[] = "/tmp/nimo-cli-test-XXXXXX";
        m_path = mkdtemp(tmpl) ? tmpl : "/tmp";
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
        const char* oldData = std::getenv("XDG_DATA_HOME");
        m_hadOldData = oldData != nullptr;
        if (m_hadOldData)
            m_oldData = oldData;
        setenv("XDG_DATA_HOME", (m_path + "/data").c_str(), 1);
    }
    ~CCliTempDir()
    {
        if (m_hadOld)
            setenv("XDG_CONFIG_HOME", m_old.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        if (m_hadOldData)
            setenv("XDG_DATA_HOME", m_oldData.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    CCliTempDir(const CCliTempDir&) = delete;
    CCliTempDir& operator=(const CCliTempDir&) = delete;

    std::string file(const std::string& name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }
    // Where every controller's settings history lives while the object does.
    std::string historyRoot() const { return m_path + "/data/Nimo/nimo/History"; }

private:
    std::string m_path;
    std::string m_old;
    bool m_hadOld = false;
    std::string m_oldData;
    bool m_hadOldData = false;
};

// The reader writes monitor's recording, so it holds every record the reader
// brought; the output may fall behind an unpaced line and drop some, and
// then stderr must say how many of how many it printed.
inline bool printedAllOrSaidSo(std::size_t printed, std::size_t recorded, const std::string& err)
{
    if (printed == recorded)
        return true;
    const std::string p = std::to_string(printed);
    const std::string r = std::to_string(recorded);
    const std::size_t at = err.find(" " + p + " ");
    return printed < recorded && at != std::string::npos &&
           err.find(" " + r + " ", at + p.size()) != std::string::npos;
}
