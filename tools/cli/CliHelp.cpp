#include "CliHelp.h"

#include <map>

namespace {

const char* const kExitStatus = R"(
EXIT STATUS
  0  success
  1  the controller refused, or an operation failed after its retries
  2  usage error
  3  no controller found, or the port could not be used
  4  a file or a value was refused
)";

const std::map<std::string, std::string>& pages()
{
    static const std::map<std::string, std::string> p = {
        {"ports", R"(NAME
  nimo-cli ports - list the serial ports and what answers on them

SYNOPSIS
  nimo-cli [--port PATH]... [--json] ports

DESCRIPTION
  Lists the port list in its order: the paths given with --port, then
  /dev/ttyUSB*, /dev/ttyACM* and the /dev/ttyS* that have a UART behind them.
  Port N of the list is what --port N and "Last RS nr" refer to. For each
  port it tells whether the device exists, whether it can be opened with the
  controller's line settings (with the reason and a hint when it cannot:
  permission, busy, missing) and whether a controller answers the link test.
  With --demo nothing is opened.

OUTPUT
  Text: NUMBER, PATH, "present"/"missing", "opens"/"cannot open: REASON",
  "controller"/"no controller", TAB-separated. JSON: an array of objects with
  port, path, exists, opens, error, controller.
)"},
        {"info", R"(NAME
  nimo-cli info - the controller's identity, flags, work times and installation data

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] info

DESCRIPTION
  Connects, reads the work-time counters and prints what the device
  information view shows: version, injector count, production date, serial
  text, flags, petrol and LPG work times, and the installation data.

OUTPUT
  Text: one "label TAB value" line per field, labels in the chosen language.
  JSON: one object named by the settings file's keys (m_devInfo.m_version,
  m_devInfo.m_serial, m_devInfo.m_flags.flags1, m_devInfo.m_statistic.gas, ...)
  plus "version" (as shown, e.g. "1.2"), "port" and "demo".
)"},
        {"settings", R"(NAME
  nimo-cli settings - print the whole settings block

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] settings

DESCRIPTION
  Prints the settings block read from the controller under the settings
  file's keys and in its order: device information, the settings record and
  m_setupTimes[0] to m_setupTimes[19].

OUTPUT
  Text: "KEY TAB VALUE" per line, as a settings file writes it. JSON: one
  object with the same keys; numbers are numbers, texts are texts.
)"},
        {"set", R"(NAME
  nimo-cli set - change settings fields and write them to the controller

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] set KEY=VALUE...

DESCRIPTION
  KEY is a settings file key (see "nimo-cli settings"). Every value is
  checked against the ranges and lists the settings view offers before
  anything is sent; one refused value refuses the whole command. Then the
  settings record, the setup table (m_setupTimes[N]) and the installation
  data (m_devInfo.m_mountDate and the other installation texts) are written
  as the keys require, and the block read back from the controller is
  printed as "settings" prints it.

  As in the settings view, a new m_injectorType also sets m_pwm, m_pwmOffset
  and m_injectorWarmingImpulse for that injector (values given in the same
  command win), and a change of the petrol injection bits
  (m_engineSignalBehavior) or of the pressure sensor bit (bit 4 of
  m_behaviorFlags) switches the car to petrol first and resets the
  controller afterwards. Identity, flags and counters cannot be set.

EXAMPLES
  nimo-cli set m_switchRPM=1500 m_switchTempr=40
  nimo-cli set "m_devInfo.m_mountService=Auto-Gaz" m_setupTimes[3]=110
)"},
        {"save", R"(NAME
  nimo-cli save - save the controller's settings to a settings file

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] save FILE

DESCRIPTION
  Stamps the settings block with the current time (m_timeStamp) and writes it
  to FILE (conventionally *.ssf) as the desktop application does. The file is
  written beside the target and renamed over it only when complete, so a
  failed save leaves an existing file intact.
)"},
        {"load", R"(NAME
  nimo-cli load - write a settings file into the controller

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] load FILE

DESCRIPTION
  Reads FILE completely and checks every value first; a missing key or a
  value out of range refuses the file (exit 4) and nothing is sent. Then the
  settings record, the setup table and the installation data are written and
  the controller is reset (switched to petrol first). The controller keeps its
  own identity, flags and counters whatever the file says.
)"},
        {"defaults", R"(NAME
  nimo-cli defaults - restore the factory settings

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] defaults --yes

DESCRIPTION
  Replaces the settings record and the setup table by the factory values,
  keeps the device information, writes everything and resets the controller.
  Without --yes nothing is done (exit 2): this is the question the desktop
  application asks.
)"},
        {"mode", R"(NAME
  nimo-cli mode - switch between petrol, LPG and automatic mode

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] mode petrol|lpg|auto

DESCRIPTION
  Sends the mode command (automatic mode switches to petrol first), waiting
  half a second before each of up to ten attempts.
)"},
        {"errors", R"(NAME
  nimo-cli errors - read the controller's fault record

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] errors

DESCRIPTION
  Prints the four raw fault bytes (I2C, EEPROM, sensors, LPG injectors) as hex
  on the first line, then one line per fault set, in the chosen language.
  JSON: {"raw":[...],"faults":[{"group":...,"bit":...,"text":...}]}.
)"},
        {"clear-errors", R"(NAME
  nimo-cli clear-errors - clear the stored faults

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] clear-errors

DESCRIPTION
  Switches the car to petrol, waits until the controller reports petrol, then
  resets the controller, which clears its stored faults.
)"},
        {"fuel-sensor", R"(NAME
  nimo-cli fuel-sensor - read or set the fuel level sensor's thresholds

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] fuel-sensor [--set T0,T1,T2,T3 | --set TYPE]

DESCRIPTION
  Without --set, prints the four thresholds (threshold 0 first), the sensor
  type they match ("Inny" when none) and the sensor's current raw reading.
  --set writes four thresholds from 0 to 255, or those of a sensor type
  (AEB1050, "90 ohm", "LOVATO MV305 DX", "Czujnik rezerwy"). They must run
  strictly upwards or strictly downwards; otherwise nothing is written (exit 4).
)"},
        {"injectors", R"(NAME
  nimo-cli injectors - show or set the LPG injector mask

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] injectors [--mask M]

DESCRIPTION
  Prints the injector mask (bit N-1 is injector N; a set bit shows as "on"),
  limited to the controller's injector count. --mask sends a new mask (0 to
  255, or 0x00 to 0xFF); bits beyond the injector count are refused (exit 4),
  and, as in the service tools view, the mask is only sent while the car runs
  on LPG (exit 1 otherwise).
)"},
        {"eeprom", R"(NAME
  nimo-cli eeprom - read the controller's EEPROM

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] eeprom read ADDR COUNT

DESCRIPTION
  Reads COUNT bytes from ADDR in blocks of 16 (decimal or 0x hex; the area
  must end by 0x10000). Text: a hex dump, 16 bytes per line with the address.
  JSON: {"address":A,"count":N,"bytes":[...]}.
)"},
        {"monitor", R"(NAME
  nimo-cli monitor - stream live values

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] monitor [--count N] [--seconds S] [--record FILE]

DESCRIPTION
  Starts the live-data reader and prints one line per diagnostic record:
  engine speed, petrol and LPG injection time per channel (ms), gas and
  manifold pressure (kPa), reducer and gas temperature (C), supply and lambda
  voltage, work mode, fuel in use and the raw fuel level. Text output starts
  with a header row of column names; --json prints one object per line with
  rpm, petrol_ms and lpg_ms (arrays of 8), gas_kpa, map_kpa, reducer_c, gas_c,
  supply_v, lambda_v, work_mode, fuel and level.

  Ends after N records, after S seconds, or on SIGINT/SIGTERM, always
  stopping the reader first. --record FILE writes every record to a recording
  file (replay reads it); it holds only whole records whenever it ends.

  When the link is lost, monitor says so on stderr, tries the ports again
  every second (the given --port ones, else the last port and ports 1 to 7)
  and carries on when the controller answers again.

EXIT STATUS
  0 when it ended as asked; 3 when it ended while the link was still down.
)"},
        {"replay", R"(NAME
  nimo-cli replay - print a recording

SYNOPSIS
  nimo-cli [--json] replay FILE [--csv]

DESCRIPTION
  Prints every record of a recording made by monitor --record (or the
  desktop application) with monitor's columns: text, JSON lines with --json,
  or CSV with a header row with --csv. Needs no controller. A file that is not
  a recording (first four bytes not 1) is refused (exit 4); bytes after the
  last whole record are reported on stderr.
)"},
        {"texts", R"(NAME
  nimo-cli texts - the translation dictionary, for translators

SYNOPSIS
  nimo-cli [--lang L] [--json] texts

DESCRIPTION
  Prints every dictionary entry as "Polish TAB text in language L" (the
  current language without --lang). TAB, line ends and backslashes inside a
  text are written as \t, \n, \r and \\, as in src/lang/texts.tsv. A text the
  dictionary lacks in that language is shown in Polish.
)"},
        {"help", R"(NAME
  nimo-cli help - show help

SYNOPSIS
  nimo-cli help [COMMAND]
)"},
    };
    return p;
}

} // namespace

std::string cliUsage()
{
    return R"(Usage: nimo-cli [GLOBAL OPTIONS] COMMAND [ARGS]
The workshop tool for the LPG/CNG injection controller, from a terminal.

Global options (anywhere on the line; --opt VALUE or --opt=VALUE):
  --port PATH|N   use this port: a device path, or port N of the port list
                  (repeatable; tried in order). Without it the last port used,
                  then ports 1 to 7, are tried, as the desktop application does
  --demo          demonstration mode: simulated controller, no port traffic
  --json          JSON output (numbers as numbers, settings by file keys)
  --lang L        language of messages and labels: pl, en, ru, it, de
                  (default: from the locale)
  --help          this text; with a command, that command's help
  --version       the program's version

Commands:
  ports                        the serial ports and what answers on them
  info                         identity, flags, work times, installation data
  settings                     the whole settings block, by settings-file keys
  set KEY=VALUE...             change settings fields and write them
  save FILE                    save the settings to a settings file (.ssf)
  load FILE                    write a settings file into the controller
  defaults --yes               restore the factory settings
  mode petrol|lpg|auto         switch the fuel mode
  errors                       the fault record: texts and the four raw bytes
  clear-errors                 clear the stored faults (resets the controller)
  fuel-sensor [--set T0,T1,T2,T3]
                               the fuel level sensor's thresholds
  injectors [--mask M]         the LPG injector mask
  eeprom read ADDR COUNT       read the controller's EEPROM
  monitor [--count N] [--seconds S] [--record FILE]
                               stream live values
  replay FILE [--csv]          print a recording
  texts                        the translation dictionary, for translators
  help [COMMAND]               a command's manual page
)" + std::string(kExitStatus) +
           "\nThe last port used is kept in $XDG_CONFIG_HOME/nimo/nimo-cli.conf.\n";
}

std::string cliCommandHelp(const std::string& command)
{
    const auto it = pages().find(command);
    if (it == pages().end())
        return {};
    std::string page = it->second;
    if (page.find("EXIT STATUS") == std::string::npos && command != "help")
        page += kExitStatus;
    return page;
}
