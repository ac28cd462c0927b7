#include "CliContext.h"

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
    return path + ": no controller answers";
}

} // namespace

int cliFail(SCliContext& c, int code, const std::string& text)
{
    c.err << "nimo-cli: " << text << std::endl;
    return code;
}

std::string cliPortProblem(const std::string& path, int err)
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
                       noLink + " (tried the last port used and ports 1 to 7; "
                                "'nimo-cli ports' shows what is there)");
    }
    dev.rebuildErrors();
    std::string reasons;
    for (const std::string& portArg : c.opt.ports) {
        const int n = resolvePort(portArg);
        if (n == 0) {
            reasons += "\n  " + portArg + ": not in the port list";
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
    cliFail(c, CLI_FAILED, "the controller's settings could not be read whole; nothing was done");
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
