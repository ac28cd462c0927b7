#include "link/PortDiagnosis.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>
#include <utility>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CGasDevice.h"
#include "link/CPortList.h"

namespace fs = std::filesystem;

namespace {

// Where distributions let ordinary users at serial devices; the advice names
// it when the device's own group is unknown or root, which nobody should join.
constexpr const char* kSerialGroup = "dialout";

bool isUsbAdapter(const std::string& path)
{
    auto usbName = [](const fs::path& p) {
        const std::string name = p.filename().string();
        return name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
    };
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return usbName(path) || (!ec && usbName(real));
}

std::string deviceGroup(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || st.st_gid == 0)
        return kSerialGroup;
    group g{};
    group* found = nullptr;
    char buf[4096];
    if (::getgrgid_r(st.st_gid, &g, buf, sizeof buf, &found) != 0 || found == nullptr)
        return kSerialGroup;
    return found->gr_name;
}

bool isPid(const std::string& name)
{
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

std::string commOf(const fs::path& pidDir)
{
    std::ifstream in(pidDir / "comm");
    std::string comm;
    std::getline(in, comm);
    return comm;
}

// The process directories of /proc; each is read on its own, and one that
// vanishes or refuses us mid-way is simply left out.
std::vector<fs::path> processDirs(const std::string& procDir)
{
    std::vector<fs::path> dirs;
    std::error_code ec;
    for (fs::directory_iterator it(procDir, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (isPid(it->path().filename().string()))
            dirs.push_back(it->path());
    }
    return dirs;
}

std::set<std::string> runningPrograms(const std::string& procDir)
{
    std::set<std::string> names;
    for (const fs::path& dir : processDirs(procDir))
        names.insert(commOf(dir));
    return names;
}

// Only our own user's processes show their descriptors; a holder running as
// root (ModemManager, another copy under sudo) stays unnamed.
std::pair<std::string, int> findHolder(const std::string& procDir, const std::string& path)
{
    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    if (ec)
        return {};
    const std::string self = std::to_string(::getpid());
    for (const fs::path& dir : processDirs(procDir)) {
        if (dir.filename() == self)
            continue;
        std::error_code fdEc;
        for (fs::directory_iterator it(dir / "fd", fdEc), end; !fdEc && it != end;
             it.increment(fdEc)) {
            std::error_code linkEc;
            const fs::path to = fs::read_symlink(it->path(), linkEc);
            if (!linkEc && to == target)
                return {commOf(dir), std::stoi(dir.filename().string())};
        }
    }
    return {};
}

SPortDiagnosis examine(int number, const std::string& path, const SPortProbe& probe)
{
    SPortDiagnosis d;
    d.number = number;
    d.path = path;
    struct stat st {};
    d.exists = ::stat(path.c_str(), &st) == 0;
    if (!probe.open)
        return d;
    d.tested = true;
    CQuietShell quiet;
    CGasDevice device(quiet);
    device.setTiming(probe.timing);
    CSerialPort& port = device.serialPort();
    try {
        port.open(path);
        device.configureLine();
        d.opens = true;
        d.controller = probe.testLink && device.testLink();
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        if (d.opens)
            d.failure = e->text();
        else
            d.error = port.lastError();
    }
    port.close();
    if (d.error == EACCES || d.error == EPERM)
        d.group = deviceGroup(path);
    return d;
}

bool silent(const SPortDiagnosis& d)
{
    return d.opens && !d.controller && d.failure.empty();
}

SPortSurvey survey(const std::vector<std::pair<int, std::string>>& ports, const SPortProbe& probe)
{
    SPortSurvey s;
    bool anyAdapter = false;
    bool adapterTrouble = false;
    for (const auto& [number, path] : ports) {
        SPortDiagnosis d = examine(number, path, probe);
        if (d.tested && (d.error == EBUSY || silent(d)))
            std::tie(d.holder, d.pid) = findHolder(probe.procDir, path);
        if (isUsbAdapter(path)) {
            anyAdapter = anyAdapter || d.exists;
            adapterTrouble = adapterTrouble || (d.tested && !d.controller);
        }
        s.ports.push_back(std::move(d));
    }
    // Reading every process's name costs a few milliseconds; only worth it
    // when an adapter is in trouble or there is none to be seen at all.
    if (!probe.open || (anyAdapter && !adapterTrouble))
        return s;
    const std::set<std::string> running = runningPrograms(probe.procDir);
    s.brltty = running.contains("brltty");
    s.modemManager = running.contains("ModemManager");
    for (SPortDiagnosis& d : s.ports) {
        if (!d.tested || d.controller || !isUsbAdapter(d.path))
            continue;
        const bool busy = d.error == EBUSY;
        // brltty claims the adapter so that its tty disappears; ModemManager
        // opens it for a few seconds after plug-in and talks AT to it.
        if (s.modemManager && (busy || silent(d)))
            d.taker = EPortTaker::ModemManager;
        else if (s.brltty && (busy || !d.exists))
            d.taker = EPortTaker::Brltty;
    }
    return s;
}

std::string openProblem(const SPortDiagnosis& d)
{
    switch (d.error) {
    case EACCES:
    case EPERM:
        return translateFill("brak uprawnień do portu; dodaj użytkownika do grupy %1 (sudo "
                             "usermod -aG %1 $USER), potem wyloguj się i zaloguj ponownie",
                             {d.group.empty() ? kSerialGroup : d.group});
    case EBUSY:
        return translate("port jest zajęty przez inny program; zamknij go i spróbuj ponownie");
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return translate("nie ma takiego urządzenia; czy kabel jest podłączony?");
    case ENOTTY:
        return translate("to nie jest urządzenie szeregowe");
    case EIO:
        return translate("urządzenie przestało odpowiadać; czy zostało odłączone?");
    case 0:
        return translate("nie można go użyć");
    default:
        return translate("nie można go użyć") + " (" + std::strerror(d.error) + ")";
    }
}

} // namespace

SPortSurvey diagnosePorts(const std::vector<std::string>& paths, const SPortProbe& probe)
{
    std::vector<std::pair<int, std::string>> ports;
    for (const std::string& path : paths)
        ports.emplace_back(static_cast<int>(ports.size()) + 1, path);
    return survey(ports, probe);
}

SPortSurvey diagnoseScan(int lastPort, const SPortProbe& probe)
{
    std::vector<std::pair<int, std::string>> ports;
    if (lastPort > SCAN_PORTS && !CPortList::pathOf(lastPort).empty())
        ports.emplace_back(lastPort, CPortList::pathOf(lastPort));
    for (int n = 1; n <= SCAN_PORTS; ++n) {
        const std::string path = CPortList::pathOf(n);
        if (!path.empty())
            ports.emplace_back(n, path);
    }
    return survey(ports, probe);
}

std::string portProblemText(const SPortDiagnosis& d)
{
    if (!d.tested)
        return d.exists ? translate("nie sprawdzono")
                        : translate("nie ma takiego urządzenia; czy kabel jest podłączony?");
    if (d.controller)
        return translate("sterownik odpowiada");
    if (!d.holder.empty())
        return translateFill("port jest zajęty przez program %1 (PID %2); zamknij go i spróbuj "
                             "ponownie",
                             {d.holder, std::to_string(d.pid)});
    if (!d.opens)
        return openProblem(d);
    if (!d.failure.empty())
        return d.failure;
    return translate("port otwiera się, ale sterownik nie odpowiada; sprawdź przewód, zasilanie "
                     "sterownika i zapłon");
}

std::string portTakerText(EPortTaker taker)
{
    switch (taker) {
    case EPortTaker::Brltty:
        return translate("program brltty (obsługa monitorów brajlowskich) przejmuje adaptery "
                         "USB-RS232; jeśli go nie używasz, usuń go (sudo apt remove brltty) albo "
                         "wyłącz jego regułę udev (85-brltty.rules) i podłącz adapter ponownie");
    case EPortTaker::ModemManager:
        return translate("program ModemManager może sprawdzać ten port jak modem; zatrzymaj go "
                         "(sudo systemctl stop ModemManager) albo oznacz adapter do pominięcia "
                         "regułą udev z ENV{ID_MM_DEVICE_IGNORE}=\"1\"");
    case EPortTaker::None:
        break;
    }
    return {};
}

std::vector<std::string> surveyNotes(const SPortSurvey& s)
{
    bool anyAdapter = false;
    for (const SPortDiagnosis& d : s.ports)
        anyAdapter = anyAdapter || (d.exists && isUsbAdapter(d.path));
    if (anyAdapter || !s.brltty)
        return {};
    return {translate("Nie znaleziono żadnego adaptera USB."), portTakerText(EPortTaker::Brltty)};
}
