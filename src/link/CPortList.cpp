#include "link/CPortList.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <mutex>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

std::mutex& userLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& userList()
{
    static std::vector<std::string> list;
    return list;
}

std::atomic<bool> g_systemScan{true};

// "ttyUSB" + digits only: ttyUSB0 yes, ttyUSB0.lock or ttyUSB no.
bool hasNumberedName(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Every ttyS0..ttyS31 node exists whether or not a UART sits behind it; the
// serial core tells the real ones by a known port type (0 means none).
bool isRealUart(const std::string& devPath, const std::string& sysDir)
{
    namespace fs = std::filesystem;
    std::ifstream typeFile(sysDir + "/type");
    int type = -1;
    if (typeFile >> type)
        return type != 0;

    int fd = ::open(devPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        serial_struct info{};
        const int rc = ioctl(fd, TIOCGSERIAL, &info);
        ::close(fd);
        if (rc == 0)
            return info.type != PORT_UNKNOWN;
    }
    std::error_code ec;
    return fs::exists(sysDir + "/device", ec);
}

std::string canonical(const std::string& path)
{
    std::error_code ec;
    auto c = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : c.string();
}

} // namespace

void CPortList::setUserPaths(std::vector<std::string> paths)
{
    std::vector<std::string> unique;
    for (auto& p : paths) {
        if (!p.empty() && std::find(unique.begin(), unique.end(), p) == unique.end())
            unique.push_back(std::move(p));
    }
    std::lock_guard<std::mutex> guard(userLock());
    userList() = std::move(unique);
}

void CPortList::addUserPath(const std::string& path)
{
    std::lock_guard<std::mutex> guard(userLock());
    auto& list = userList();
    if (!path.empty() && std::find(list.begin(), list.end(), path) == list.end())
        list.push_back(path);
}

std::vector<std::string> CPortList::userPaths()
{
    std::lock_guard<std::mutex> guard(userLock());
    return userList();
}

std::vector<std::string> CPortList::scan(const std::string& devDir, const std::string& sysTtyDir)
{
    std::vector<std::string> usb, acm, uart;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(devDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (hasNumberedName(name, "ttyUSB"))
            usb.push_back(name);
        else if (hasNumberedName(name, "ttyACM"))
            acm.push_back(name);
        else if (hasNumberedName(name, "ttyS"))
            uart.push_back(name);
    }
    std::sort(usb.begin(), usb.end(), naturalLess);
    std::sort(acm.begin(), acm.end(), naturalLess);
    std::sort(uart.begin(), uart.end(), naturalLess);

    std::vector<std::string> found;
    for (const auto& n : usb)
        found.push_back(devDir + "/" + n);
    for (const auto& n : acm)
        found.push_back(devDir + "/" + n);
    for (const auto& n : uart) {
        if (isRealUart(devDir + "/" + n, sysTtyDir + "/" + n))
            found.push_back(devDir + "/" + n);
    }
    return found;
}

void CPortList::setSystemScan(bool on)
{
    g_systemScan.store(on);
}

std::vector<std::string> CPortList::ports()
{
    std::vector<std::string> list = userPaths();
    std::vector<std::string> seen;
    for (const auto& p : list)
        seen.push_back(canonical(p));
    if (!g_systemScan.load())
        return list;
    for (auto& p : scan()) {
        auto c = canonical(p);
        if (std::find(seen.begin(), seen.end(), c) != seen.end())
            continue;
        seen.push_back(std::move(c));
        list.push_back(std::move(p));
    }
    return list;
}

std::string CPortList::pathOf(int n)
{
    if (n < 1)
        return {};
    const auto list = ports();
    if (static_cast<std::size_t>(n) > list.size())
        return {};
    return list[static_cast<std::size_t>(n) - 1];
}

int CPortList::numberOf(const std::string& path)
{
    const auto list = ports();
    const auto want = canonical(path);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == path || canonical(list[i]) == want)
            return static_cast<int>(i + 1);
    }
    return 0;
}

bool CPortList::naturalLess(const std::string& a, const std::string& b)
{
    // Equal apart from leading zeros ("ttyS1", "ttyS01"): the shorter spelling
    // first, so the order stays strict.
    int zerosTie = 0;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei])))
                ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej])))
                ++ej;
            // Compare by value without overflow: strip leading zeros, then
            // the longer run is the larger number.
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0')
                ++si;
            while (sj + 1 < ej && b[sj] == '0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            const int cmp = a.compare(si, ei - si, b, sj, ej - sj);
            if (cmp != 0)
                return cmp < 0;
            if (zerosTie == 0 && ei - i != ej - j)
                zerosTie = ei - i < ej - j ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return zerosTie < 0;
}
