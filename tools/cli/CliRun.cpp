#include "CliRun.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "CliCommands.h"
#include "CliContext.h"
#include "CliHelp.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CPortList.h"

#ifndef NIMO_VERSION
#define NIMO_VERSION "0"
#endif

namespace {

int usageError(std::ostream& out, std::ostream& err, bool json, const std::string& why)
{
    cliFailure(out, err, json, CLI_USAGE, why);
    err << translate("Spróbuj 'nimo-cli --help'.") << std::endl;
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

int runCommand(const SCliCommand& cmd, const SCliOptions& opt, std::ostream& out, std::ostream& err,
               const SLinkTiming& timing)
{
    CUserPathsScope paths(opt.ports);
    CConsoleShell shell(err,
                        paths.shiftsList() ? std::string() : CConsoleShell::defaultConfigPath());
    CGasDevice device(shell);
    device.setTiming(timing);
    SCliContext c{opt, out, err, shell, device};
    if (cmd.link == ECliLink::First && cliConnect(c) != CLI_OK)
        return CLI_NO_DEVICE;
    return cmd.run(c);
}

int runCliLine(int argc, char** argv, std::ostream& out, std::ostream& err,
               const SLinkTiming& timing)
{
    std::vector<std::string> args(argv + 1, argv + std::max(argc, 1));
    const SCliEarlyOptions early = cliEarlyOptions(args);
    if (early.language >= 0)
        setCurrentLanguage(early.language);
    SCliOptions opt;
    if (std::string why = parseCliOptions(args, opt); !why.empty())
        return usageError(out, err, early.json, why);
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
        if (opt.json)
            cliFailure(out, err, true, CLI_USAGE, translate("nie podano polecenia"));
        err << cliUsage();
        return CLI_USAGE;
    }
    const SCliCommand& cmd = *findCliCommand(opt.command);
    try {
        return runCommand(cmd, opt, out, err, timing);
    } catch (IError* e) {
        // A port that fails in the middle of a command: the user gets the
        // message, a maintainer the detail.
        std::unique_ptr<IError> owned(e);
        std::string text = e->description() + " (" + e->text() + ")";
        if (cmd.replacesSettings)
            text += "; " + translate("nic nie zapisano w sterowniku");
        return cliFailure(out, err, opt.json, CLI_NO_DEVICE, text);
    } catch (const std::exception& e) {
        return cliFailure(out, err, opt.json, CLI_FAILED,
                          translate("Błąd krytyczny.") + " " + e.what());
    }
}

} // namespace

int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, const SLinkTiming& timing)
{
    const int rc = runCliLine(argc, argv, out, err, timing);
    // A script must not take a result it never got for success: a full disk
    // or a closed pipe under the output fails the command.
    out.flush();
    if (out)
        return rc;
    const int why = errno;
    // A reader that went away (head, less) stopped reading on purpose.
    if (why != EPIPE)
        err << "nimo-cli: " << translate("nie można zapisać standardowego wyjścia")
            << (why != 0 ? std::string(" (") + std::strerror(why) + ")" : std::string())
            << std::endl;
    return rc == CLI_OK ? static_cast<int>(CLI_FAILED) : rc;
}
