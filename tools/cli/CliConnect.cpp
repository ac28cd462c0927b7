#include "CliContext.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "CliJson.h"
#include "data/SettingsKeys.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "link/CSerialPort.h"

namespace {

// The port number of a --port operand, 0 when it names nothing in the list.
int resolvePort(const std::string& portArg)
{
    const int n = cliPortNumber(portArg);
    if (n > 0)
        return CPortList::pathOf(n).empty() ? 0 : n;
    return CPortList::numberOf(portArg);
}

// Why port n did not link: the port's own complaint, or a silent line.
std::string whyNot(CGasDevice& device, int n)
{
    // Our own handle would make the probe fail as "busy".
    device.serialPort().close();
    const std::string path = CPortList::pathOf(n);
    CSerialPort probe;
    try {
        probe.open(n);
        probe.configureLine();
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        return cliPortProblem(path, probe.lastError());
    }
    return path + translate(": sterownik nie odpowiada");
}

} // namespace

int cliFailure(std::ostream& out, std::ostream& err, bool json, int code, const std::string& text)
{
    err << "nimo-cli: " << text << std::endl;
    if (json)
        out << CJsonObject().text("error", text).number("exit", code).str() << std::endl;
    return code;
}

int cliFail(SCliContext& c, int code, const std::string& text)
{
    return cliFailure(c.out, c.err, c.opt.json, code, text);
}

void cliDone(SCliContext& c, const std::string& json, const std::string& line)
{
    c.out << (c.opt.json ? json : line) << std::endl;
}

std::string cliPortProblem(const std::string& path, int err)
{
    // What the system calls the errors a port commonly meets, and what a
    // fitter can do about them, in the fitter's language; anything rarer is
    // said in our words, with the system's own after them.
    const char* reason = nullptr;
    const char* hint = nullptr;
    switch (err) {
    case 0:
        reason = "nie można go użyć";
        break;
    case EACCES:
        reason = "Brak dostępu";
        hint = "dodaj użytkownika do grupy dialout i zaloguj się ponownie";
        break;
    case EPERM:
        reason = "Operacja niedozwolona";
        hint = "dodaj użytkownika do grupy dialout i zaloguj się ponownie";
        break;
    case EBUSY:
        reason = "Urządzenie lub zasoby zajęte";
        hint = "port jest zajęty przez inny program";
        break;
    case ENOENT:
        reason = "Nie ma takiego pliku ani katalogu";
        hint = "nie ma takiego urządzenia; czy kabel jest podłączony?";
        break;
    case ENODEV:
        reason = "Nie ma takiego urządzenia";
        hint = "nie ma takiego urządzenia; czy kabel jest podłączony?";
        break;
    case ENXIO:
        reason = "Nie ma takiego urządzenia ani adresu";
        hint = "nie ma takiego urządzenia; czy kabel jest podłączony?";
        break;
    case ENOTTY:
        reason = "Nieodpowiednia operacja ioctl dla urządzenia";
        hint = "to nie jest urządzenie szeregowe";
        break;
    case EISDIR:
        reason = "Jest katalogiem";
        hint = "to nie jest urządzenie szeregowe";
        break;
    case EIO:
        reason = "Błąd wejścia/wyjścia";
        hint = "urządzenie przestało odpowiadać; czy zostało odłączone?";
        break;
    default:
        return path + ": " + translate("nie można go użyć") + " (" + std::strerror(err) + ")";
    }
    std::string s = path + ": " + translate(reason);
    if (hint != nullptr)
        s += "; " + translate(hint);
    return s;
}

std::string cliPortProblemUntranslated(const std::string& path, int err)
{
    std::string s = path + ": " + (err ? std::strerror(err) : "cannot be used");
    const std::string hint = portHint(err);
    if (!hint.empty())
        s += "; " + hint;
    return s;
}

int cliConnect(SCliContext& c)
{
    CGasDevice& dev = c.device;
    c.shell.resetErrorCount();
    if (c.opt.demo) {
        dev.rebuildErrors();
        dev.enterDemo();
        return CLI_OK;
    }
    const std::string noLink = translate("Nie można nawiązać komunikacji z urządzeniem LPG");
    if (c.opt.ports.empty()) {
        dev.connect();
        if (dev.isConnected())
            return CLI_OK;
        return cliFail(c, CLI_NO_DEVICE,
                       noLink + translate(" (sprawdzono ostatnio używany port i porty od 1 do 7; "
                                          "'nimo-cli ports' pokazuje, co jest dostępne)"));
    }
    dev.rebuildErrors();
    std::string reasons;
    for (const std::string& portArg : c.opt.ports) {
        const int n = resolvePort(portArg);
        if (n == 0) {
            reasons += "\n  " + portArg + translate(": nie ma go na liście portów");
            continue;
        }
        if (dev.tryPort(n)) {
            c.shell.showLinkState(true, false);
            return CLI_OK;
        }
        reasons += "\n  " + whyNot(dev, n);
    }
    return cliFail(c, CLI_NO_DEVICE, noLink + reasons);
}

bool cliReconnect(SCliContext& c)
{
    if (c.opt.ports.empty())
        return c.device.scanPorts(false);
    for (const std::string& portArg : c.opt.ports) {
        const int n = resolvePort(portArg);
        if (n != 0 && c.device.tryPort(n))
            return true;
    }
    return false;
}

bool cliSettingsTrusted(SCliContext& c)
{
    if (c.shell.errorCount() == 0)
        return true;
    cliFail(c, CLI_FAILED,
            translate("nie udało się odczytać wszystkich ustawień sterownika; nic nie zostało "
                      "zrobione"));
    return false;
}

void printSettingsBlock(SCliContext& c, const CSettings& s)
{
    if (!c.opt.json) {
        for (const SSettingsKey& key : settingsKeys())
            c.out << key.name << '\t' << settingsValueText(key, s) << '\n';
        c.out.flush();
        return;
    }
    CJsonObject o;
    for (const SSettingsKey& key : settingsKeys()) {
        if (key.type == ESettingsKeyType::Text)
            o.text(key.name, key.getText(s));
        else
            o.number(key.name, key.getNumber(s));
    }
    c.out << o.str() << std::endl;
}
