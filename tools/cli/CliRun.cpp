#include "CliRun.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "CliContext.h"
#include "CliHelp.h"
#include "CliText.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CPortList.h"

#ifndef NIMO_VERSION
#define NIMO_VERSION "0"
#endif

namespace {

using FCommand = int (*)(SCliContext&);

struct SDispatch {
    const char* name;
    FCommand run;
    // Commands that check their operands first connect by themselves.
    bool connectFirst;
};

const SDispatch kCommands[] = {
    {"ports", cmdPorts, false},
    {"info", cmdInfo, true},
    {"settings", cmdSettings, true},
    {"set", cmdSet, false},
    {"save", cmdSave, true},
    {"load", cmdLoad, false},
    {"defaults", cmdDefaults, false},
    {"mode", cmdMode, true},
    {"errors", cmdErrors, true},
    {"clear-errors", cmdClearErrors, true},
    {"fuel-sensor", cmdFuelSensor, true},
    {"injectors", cmdInjectors, true},
    {"eeprom", cmdEeprom, true},
    {"monitor", cmdMonitor, true},
};

int usageError(std::ostream& err, const std::string& why)
{
    err << "nimo-cli: " << why << '\n' << translate("Spróbuj 'nimo-cli --help'.") << std::endl;
    return CLI_USAGE;
}

// The run's own paths lead the port list while it lasts; without any the
// list stays as it is.
class CUserPathsScope {
public:
    explicit CUserPathsScope(const std::vector<std::string>& portArgs)
        : m_saved(CPortList::userPaths())
    {
        for (const std::string& portArg : portArgs) {
            if (cliPortNumber(portArg) == 0)
                m_paths.push_back(portArg);
        }
        if (!m_paths.empty())
            CPortList::setUserPaths(m_paths);
    }
    ~CUserPathsScope()
    {
        if (!m_paths.empty())
            CPortList::setUserPaths(m_saved);
    }
    // A stored port number only means the same device again when this run
    // has not shifted the list with paths of its own.
    bool shiftsList() const { return !m_paths.empty(); }

private:
    std::vector<std::string> m_saved;
    std::vector<std::string> m_paths;
};

int runCommand(const SCliOptions& opt, std::ostream& out, std::ostream& err,
               const SLinkTiming& timing)
{
    if (opt.command == "help") {
        if (opt.operands.empty()) {
            out << cliUsage();
            return CLI_OK;
        }
        const std::string page = cliCommandHelp(opt.operands.front());
        if (page.empty())
            return usageError(err,
                              translate("brak opisu polecenia ") + cliQuoted(opt.operands.front()));
        out << page;
        return CLI_OK;
    }
    if (opt.command == "texts")
        return cmdTexts(opt, out);
    if (opt.command == "replay")
        return cmdReplay(opt, out, err);

    const auto* cmd = std::find_if(std::begin(kCommands), std::end(kCommands),
                                   [&](const SDispatch& d) { return opt.command == d.name; });
    if (cmd == std::end(kCommands))
        return usageError(err, translate("nieznane polecenie ") + cliQuoted(opt.command));

    CUserPathsScope paths(opt.ports);
    CConsoleShell shell(err,
                        paths.shiftsList() ? std::string() : CConsoleShell::defaultConfigPath());
    CGasDevice device(shell);
    device.setTiming(timing);
    SCliContext c{opt, out, err, shell, device};
    if (cmd->connectFirst && cliConnect(c) != CLI_OK)
        return CLI_NO_DEVICE;
    return cmd->run(c);
}

} // namespace

int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, const SLinkTiming& timing)
{
    std::vector<std::string> args(argv + 1, argv + std::max(argc, 1));
    if (const int language = cliLanguageArg(args); language >= 0)
        setCurrentLanguage(language);
    SCliOptions opt;
    if (std::string why = parseCliOptions(args, opt); !why.empty())
        return usageError(err, why);
    if (opt.language >= 0)
        setCurrentLanguage(opt.language);
    if (opt.version) {
        out << "nimo-cli " << NIMO_VERSION << std::endl;
        return CLI_OK;
    }
    if (opt.help) {
        out << (opt.command.empty() ? cliUsage() : cliCommandHelp(opt.command));
        return CLI_OK;
    }
    if (opt.command.empty()) {
        err << cliUsage();
        return CLI_USAGE;
    }
    try {
        return runCommand(opt, out, err, timing);
    } catch (IError* e) {
        // A port that fails in the middle of a command: the user gets the
        // message, a maintainer the detail.
        std::unique_ptr<IError> owned(e);
        err << "nimo-cli: " << e->description() << " (" << e->text() << ")" << std::endl;
        return CLI_NO_DEVICE;
    } catch (const std::exception& e) {
        err << "nimo-cli: " << translate("Błąd krytyczny.") << " " << e.what() << std::endl;
        return CLI_FAILED;
    }
}
