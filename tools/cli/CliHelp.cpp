#include "CliHelp.h"

#include "CliCommands.h"
#include "CliContext.h"
#include "CliText.h"
#include "lang/Translation.h"

namespace {

const char* const kExitStatus = R"(
EXIT STATUS
  0  success
  1  the controller refused, or an operation failed after its retries
  2  usage error
  3  no controller found, or the port could not be used
  4  a file or a value was refused
)";

// The overview's command column: names and synopses this wide or wider
// put their summary on a line of its own.
constexpr std::size_t kUsageColumn = 29;

} // namespace

std::string cliUsage()
{
    std::string commands;
    for (const SCliCommand& cmd : cliCommandTable()) {
        std::string usage = cmd.name;
        if (*cmd.synopsis != '\0')
            usage += std::string(" ") + cmd.synopsis;
        commands += "  " + usage;
        if (usage.size() < kUsageColumn)
            commands += std::string(kUsageColumn - usage.size(), ' ');
        else
            commands += "\n" + std::string(kUsageColumn + 2, ' ');
        commands += std::string(cmd.summary) + "\n";
    }
    return R"(Usage: nimo-cli [GLOBAL OPTIONS] COMMAND [ARGS]
The workshop tool for the LPG/CNG injection controller, from a terminal.

Global options (anywhere on the line; --opt VALUE or --opt=VALUE):
  --port PATH|N   use this port: a device path, or port N (1 to 7) of the port
                  list (repeatable; tried in order). Without it the last port used,
                  then ports 1 to 7, are tried, as the desktop application does
  --demo          demonstration mode: simulated controller, no port traffic
  --json          JSON output (numbers as numbers, settings by file keys)
  --lang L        language of messages and labels: pl, en, ru, it, de
                  (default: from the locale)
  --help          this text; with a command, that command's help
  --version       the program's version

Commands:
)" + commands +
           kExitStatus +
           "\nThe last port used is kept in $XDG_CONFIG_HOME/Nimo/nimo.conf, which the\ndesktop "
           "application nimo shares.\n";
}

std::string cliCommandHelp(const std::string& command)
{
    const SCliCommand* cmd = findCliCommand(command);
    if (cmd == nullptr)
        return {};
    std::string page = cmd->page;
    if (page.find("EXIT STATUS") == std::string::npos)
        page += kExitStatus;
    return page;
}

std::string checkHelp(const SCliOptions& opt)
{
    if (!opt.operands.empty() && findCliCommand(opt.operands.front()) == nullptr)
        return translate("brak opisu polecenia ") + cliQuoted(opt.operands.front());
    return {};
}

int cmdHelp(SCliContext& c)
{
    c.out << (c.opt.operands.empty() ? cliUsage() : cliCommandHelp(c.opt.operands.front()));
    c.out.flush();
    return CLI_OK;
}
