#include "CliCommands.h"

#include <algorithm>

#include "CliContext.h"
#include "CliHelp.h"

namespace {

constexpr std::size_t kMany = 100000;

} // namespace

const std::vector<SCliCommand>& cliCommandTable()
{
    static const std::vector<SCliCommand> table = {
        {
            .name = "ports",
            .link = ECliLink::None,
            .run = cmdPorts,
            .summary = "the serial ports and what answers on them",
            .page = R"(NAME
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
)",
        },
        {
            .name = "info",
            .link = ECliLink::First,
            .run = cmdInfo,
            .summary = "identity, flags, work times, installation data",
            .page = R"(NAME
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
)",
        },
        {
            .name = "settings",
            .link = ECliLink::First,
            .run = cmdSettings,
            .summary = "the whole settings block, by settings-file keys",
            .page = R"(NAME
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
)",
        },
        {
            .name = "set",
            .synopsis = "KEY=VALUE...",
            .minOperands = 1,
            .maxOperands = kMany,
            .link = ECliLink::Own,
            .run = cmdSet,
            .summary = "change settings fields and write them",
            .page = R"(NAME
  nimo-cli set - change settings fields and write them to the controller

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] set KEY=VALUE...

DESCRIPTION
  KEY is a settings file key (see "nimo-cli settings"). Every value is
  checked against the ranges and lists the settings view offers before
  anything is sent; one refused value refuses the whole command. Then the
  settings record, the setup table (m_setupTimes[N]) and the installation
  data (m_devInfo.m_mountDate and the other installation texts) are written
  as the keys require, and the block is read back from the controller.
  Text: one line, "written to the controller: KEY=VALUE, ...", with the
  values read back for the keys given and for those they changed with them.
  JSON: the whole block read back, as "settings" prints it.

  As in the settings view, a new m_injectorType also sets m_pwm, m_pwmOffset
  and m_injectorWarmingImpulse for that injector (values given in the same
  command win), and a change of the petrol injection bits
  (m_engineSignalBehavior) or of the pressure sensor bit (bit 4 of
  m_behaviorFlags) switches the car to petrol first and resets the
  controller afterwards. Identity, flags and counters cannot be set.

  Before anything is written, the settings the controller holds are kept as
  a backup (see "nimo-cli history"; its file is named on stderr); when the
  backup cannot be written nothing is sent (exit 1).

EXAMPLES
  nimo-cli set m_switchRPM=1500 m_switchTempr=40
  nimo-cli set "m_devInfo.m_mountService=Auto-Gaz" m_setupTimes[3]=110
)",
            .replacesSettings = true,
        },
        {
            .name = "save",
            .synopsis = "FILE",
            .minOperands = 1,
            .maxOperands = 1,
            .check = checkFileOperands,
            .link = ECliLink::First,
            .run = cmdSave,
            .summary = "save the settings to a settings file (.ssf)",
            .page = R"(NAME
  nimo-cli save - save the controller's settings to a settings file

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] save FILE

DESCRIPTION
  Stamps the settings block with the current time (m_timeStamp) and writes it
  to FILE (conventionally *.ssf) as the desktop application does. The file is
  written beside the target and renamed over it only when complete, so a
  failed save leaves an existing file intact. A FILE that exists and is no
  regular file (a device, a FIFO, a directory) is refused.
)",
        },
        {
            .name = "load",
            .synopsis = "FILE",
            .minOperands = 1,
            .maxOperands = 1,
            .check = checkFileOperands,
            .link = ECliLink::Own,
            .run = cmdLoad,
            .summary = "write a settings file into the controller",
            .page = R"(NAME
  nimo-cli load - write a settings file into the controller

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] load FILE

DESCRIPTION
  Reads FILE completely and checks every value first; a missing key, a key
  given twice with different values or a value out of range refuses the file
  (exit 4) and nothing is sent. Then the
  settings record, the setup table and the installation data are written and
  the controller is reset (switched to petrol first). The controller keeps its
  own identity, flags and counters whatever the file says.
  Before anything is written, the settings the controller holds are kept as
  a backup (see "nimo-cli history"; its file is named on stderr); when the
  backup cannot be written nothing is sent (exit 1).
)",
            .replacesSettings = true,
        },
        {
            .name = "defaults",
            .synopsis = "--yes",
            .options = {"--yes"},
            .check = checkDefaults,
            .link = ECliLink::First,
            .run = cmdDefaults,
            .summary = "restore the factory settings",
            .page = R"(NAME
  nimo-cli defaults - restore the factory settings

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] defaults --yes

DESCRIPTION
  Replaces the settings record and the setup table by the factory values,
  keeps the device information, writes everything and resets the controller.
  Without --yes nothing is done (exit 2): this is the question the desktop
  application asks.
  Before anything is written, the settings the controller holds are kept as
  a backup (see "nimo-cli history"; its file is named on stderr); when the
  backup cannot be written nothing is sent (exit 1).
)",
            .replacesSettings = true,
        },
        {
            .name = "history",
            .link = ECliLink::First,
            .run = cmdHistory,
            .summary = "the controller's settings backups, newest first",
            .page = R"(NAME
  nimo-cli history - list the backups of the controller's settings

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] history

DESCRIPTION
  Before anything replaces a controller's settings (set, load, defaults,
  restore, and the same commands of the desktop application), the settings
  the controller holds are read and kept as a settings file in
  $XDG_DATA_HOME/Nimo/nimo/History/SERIAL/ (~/.local/share/... without it),
  named by local date and time and the operation, e.g.
  2024-05-01_14-03-22_load.ssf. When the backup cannot be written the
  operation stops and nothing is sent. Demonstration mode keeps none.

  history lists the connected controller's backups, newest first, with the
  keys in which each differs from the controller now.

OUTPUT
  Text: NUMBER, TIME, OPERATION, the differing keys ("no differences" when
  none) and the file, TAB-separated; NUMBER is what "restore N" takes.
  JSON: {"serial":...,"directory":...,"backups":[{"number","time",
  "operation" (set, load, defaults, restore, autocalibrate, map),
  "operation_text","file","readable","keys":[...],"differences":[...]}]},
  each difference as "diff --json" gives it, a the backup, b the controller.
)",
        },
        {
            .name = "restore",
            .synopsis = "FILE|N",
            .minOperands = 1,
            .maxOperands = 1,
            .check = checkFileOperands,
            .link = ECliLink::Own,
            .run = cmdRestore,
            .summary = "write a backup back into the controller",
            .page = R"(NAME
  nimo-cli restore - write a settings backup back into the controller

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] restore FILE|N

DESCRIPTION
  N is a backup's number in "nimo-cli history" (1 the newest); anything that
  is not all digits is a file (a file named by digits alone is given as ./3).
  The backup is written as "load" writes a file, and what the controller held
  before is itself kept as a new backup first. A file from another
  controller (its m_devInfo.m_serial differs) is restored with a warning.
  A backup that cannot be read is refused (exit 4) before a controller is
  sought.
)",
            .replacesSettings = true,
        },
        {
            .name = "diff",
            .synopsis = "A.ssf [B.ssf]",
            .minOperands = 1,
            .maxOperands = 2,
            .check = checkFileOperands,
            .link = ECliLink::Own,
            .run = cmdDiff,
            .summary = "compare settings files, or a file with the controller",
            .page = R"(NAME
  nimo-cli diff - compare two settings files, or a file with the controller

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] diff A.ssf [B.ssf]

DESCRIPTION
  Compares what a controller takes: the settings, the correction table and
  the installation data; identity, counters and time stamps are not
  compared. Without B.ssf, A.ssf is compared with the connected controller.
  The option bytes are compared bit by bit, as the settings view shows them.

OUTPUT
  Text: one line per difference, KEY, the settings view's LABEL, A's value
  and B's value with their units, TAB-separated; nothing when equal.
  JSON: {"equal":...,"a":A,"b":B or "controller","differences":[{"key",
  "label","unit","a","b","a_value","b_value"}]}; a and b as shown, a_value
  and b_value the key's values as the settings file holds them.

EXIT STATUS
  0  the settings are the same
  1  they differ
  2  trouble: a usage error, a file that cannot be read, no controller
)",
        },
        {
            .name = "mode",
            .synopsis = "petrol|lpg|auto",
            .minOperands = 1,
            .maxOperands = 1,
            .check = checkMode,
            .link = ECliLink::First,
            .run = cmdMode,
            .summary = "switch the fuel mode",
            .page = R"(NAME
  nimo-cli mode - switch between petrol, LPG and automatic mode

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] mode petrol|lpg|auto

DESCRIPTION
  Sends the mode command (automatic mode switches to petrol first), waiting
  half a second before each of up to ten attempts.
)",
        },
        {
            .name = "errors",
            .link = ECliLink::First,
            .run = cmdErrors,
            .summary = "the fault record: texts and the four raw bytes",
            .page = R"(NAME
  nimo-cli errors - read the controller's fault record

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] errors

DESCRIPTION
  Prints the four raw fault bytes (I2C, EEPROM, sensors, LPG injectors) as hex
  on the first line, then the name of each group with a fault set and, indented
  below it, one line per set bit, in the chosen language; a bit the group has
  no text for reads "unknown fault, group G bit B" (G the byte's place from 0,
  B the bit from 0). With no fault set, one line says so.
  JSON: {"raw":[...],"faults":[{"group":...,"bit":...,"text":...}]}, every
  set bit in "faults".
)",
        },
        {
            .name = "clear-errors",
            .link = ECliLink::First,
            .run = cmdClearErrors,
            .summary = "clear the stored faults (resets the controller)",
            .page = R"(NAME
  nimo-cli clear-errors - clear the stored faults

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] clear-errors

DESCRIPTION
  Switches the car to petrol, waits until the controller reports petrol, then
  resets the controller, which clears its stored faults.
)",
        },
        {
            .name = "fuel-sensor",
            .synopsis = "[--set T0,T1,T2,T3]",
            .options = {"--set"},
            .check = checkFuelSensor,
            .link = ECliLink::Own,
            .run = cmdFuelSensor,
            .summary = "the fuel level sensor's thresholds",
            .page = R"(NAME
  nimo-cli fuel-sensor - read or set the fuel level sensor's thresholds

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] fuel-sensor [--set T0,T1,T2,T3 | --set TYPE]

DESCRIPTION
  Without --set, prints the four thresholds (threshold 0 first), the sensor
  type they match ("Inny" when none) and the sensor's current raw reading.
  --set writes four thresholds from 0 to 255, or those of a sensor type
  (AEB1050, "90 ohm", "LOVATO MV305 DX", "Czujnik rezerwy"). They must run
  strictly upwards or strictly downwards; otherwise nothing is written (exit 4).
)",
        },
        {
            .name = "injectors",
            .synopsis = "[--mask M]",
            .options = {"--mask"},
            .link = ECliLink::First,
            .run = cmdInjectors,
            .summary = "the LPG injector mask",
            .page = R"(NAME
  nimo-cli injectors - show or set the LPG injector mask

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] injectors [--mask M]

DESCRIPTION
  Prints the injector mask (bit N-1 is injector N; a set bit shows as "on"),
  limited to the controller's injector count. --mask sends a new mask (0 to
  255, or 0x00 to 0xFF); bits beyond the injector count are refused (exit 4),
  and, as in the service tools view, the mask is only sent while the car runs
  on LPG (exit 1 otherwise). After --mask the text output is the one line
  "injector mask set to M: 1 on, 2 off, ...", read back from the controller.
)",
        },
        {
            .name = "autocalibrate",
            .synopsis = "[--yes] [--mount-service TEXT --inj-size TEXT --engine TEXT]",
            .options = {"--yes", "--mount-service", "--inj-size", "--engine"},
            .check = checkAutocalibrate,
            .link = ECliLink::First,
            .run = cmdAutocalibrate,
            .summary = "set the main correction and pressure reference",
            .page = R"(NAME
  nimo-cli autocalibrate - set the main correction and the pressure reference

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] autocalibrate [--yes]
           [--mount-service TEXT --inj-size TEXT --engine TEXT]

DESCRIPTION
  The desktop application's autocalibration. With the engine held at steady
  revolutions it sets the second correction equal to the first and puts every
  cylinder on the first, runs the car on petrol and on LPG, takes the mean gas
  pressure on LPG as m_pressureRef (and 0.6 of it as m_switchPressure), then
  in three passes compares the petrol time the engine computer commands on
  petrol and on LPG and corrects m_mainCorr by the difference. It ends in
  automatic mode. It takes about a minute on a real line.

  The message "Ustal stabilne obroty" (hold the engine speed steady) waits for
  Enter; --yes confirms it at once. Warnings (a correction outside 0.5 to 3
  ms, or limited to 6 ms) are printed and the procedure goes on; errors end
  it. Progress goes to standard error.

  A controller without installation data (no installation date) gets them
  first, as the desktop application asks for them: --mount-service (the
  workshop, at most 22 characters; the name remembered from an earlier run is
  used when it is not given), --inj-size (LPG injector size, mm) and --engine
  (capacity, cm3). Missing ones are named and nothing is done (exit 2). When
  the controller has them, the options are ignored with a note.

  SIGINT or SIGTERM stops it at its next wait. What was written on the way
  stays written, and the car stays in the mode last set.

OUTPUT
  Text: "Autokalibracja zakończona" (or "przerwana") in the chosen language,
  then "KEY TAB before -> after" for m_mainCorr, m_mainCorr2, m_mainCorr2Mask,
  m_pressureRef, m_switchPressure and m_pressureGain (after: read back from
  the controller), the measured gas pressure (kPa) and the three differences
  (Tg - Tp, ms). JSON: {"result":"done"|"stopped"|"failed"|"not-confirmed"|
  "link-lost", "before":{...}, "after":{...}, "gas_kpa":P, "differences":[...],
  "messages":[...], "exit":N}, with "error" when it did not finish.

EXIT STATUS
  0  done
  1  a command or a settings write failed, a correction came out below 0,
     or it was stopped
  2  usage error, installation data missing, or the message not confirmed
  3  no controller found, or the link was lost on the way
)",
        },
        {
            .name = "eeprom",
            .synopsis = "read ADDR COUNT",
            .minOperands = 3,
            .maxOperands = 3,
            .check = checkEeprom,
            .link = ECliLink::First,
            .run = cmdEeprom,
            .summary = "read the controller's EEPROM",
            .page = R"(NAME
  nimo-cli eeprom - read the controller's EEPROM

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] eeprom read ADDR COUNT

DESCRIPTION
  Reads COUNT bytes from ADDR in blocks of 16 (decimal or 0x hex; the area
  must end by 0x10000). Text: a hex dump, 16 bytes per line with the address.
  JSON: {"address":A,"count":N,"bytes":[...]}.
)",
        },
        {
            .name = "monitor",
            .synopsis = "[--count N] [--seconds S] [--record FILE]",
            .options = {"--count", "--seconds", "--record"},
            .link = ECliLink::First,
            .run = cmdMonitor,
            .summary = "stream live values",
            .page = R"(NAME
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
  file (replay reads it); it holds only whole records whenever it ends. The
  reader itself records, so should the output fall behind a fast line, the
  recording still holds every record and stderr says how many were printed.

  When the link is lost, monitor says so on stderr, tries the ports again
  every second (the given --port ones, else the last port and ports 1 to 7)
  and carries on when the controller answers again.

EXIT STATUS
  0 when it ended as asked; 1 when the recording could not be written whole
  (a full disk: it holds the whole records written before); 3 when it ended
  while the link was still down; 4 when FILE cannot take a recording (a
  directory, a device, a FIFO, a missing folder).
)",
        },
        {
            .name = "map",
            .synopsis = "--seconds S [--count N] [--write]",
            .options = {"--seconds", "--count", "--write"},
            .check = checkMap,
            .link = ECliLink::First,
            .run = cmdMap,
            .summary = "record a drive, compute the correction table",
            .page = R"(NAME
  nimo-cli map - record a drive and compute the correction table from it

SYNOPSIS
  nimo-cli [GLOBAL OPTIONS] map --seconds S [--count N] [--write]

DESCRIPTION
  Records the drive for S seconds (or until N records, or SIGINT/SIGTERM,
  whichever comes first) as the map view of the desktop application does,
  from every record the live-data reader brings: channel 0's petrol
  injection time (rounded to 0.1 ms; 1.0 ms and less is not recorded) in one
  of 50 bins of 2 kPa of manifold vacuum (101 kPa less the manifold
  pressure; 0 to 100 kPa), one set of bins for petrol and one for LPG, by
  the fuel in use. Drive part of the time on petrol and part on LPG (with the
  car's fuel switch), over the whole range of load. Recording starts only
  when the extra vacuum sensor reads (manifold-pressure byte 5 or more).

  Then the corrections: in each bin with more than 10 samples of both fuels,
  the mean of the samples within 15 % of the bin's mean, and how much longer
  the petrol time is on LPG than on petrol, in per cent; for each 1 ms slot
  of petrol time (slot N: N to N+1 ms, m_setupTimes[N]) the mean of its
  bins, limited to -25 to 25. Slots no bin measured take the nearest
  measured slot above them, and below the first and above the last measured
  slot that slot's value; each inner slot is then averaged with its two
  neighbours. Each correction, rounded, is added to the table entry, limited
  to -25 to 25. With no slot measured the table stays as it is.

  --write sends the new table to the controller; without it nothing is
  written. SIGINT/SIGTERM only ends the drive early: what was recorded is
  computed, printed and, with --write, written. When the link is lost, map tries the ports again every second and
  records on once the controller answers.

OUTPUT
  Text: "records N" and "samples M"; one line per bin holding samples: bin,
  vacuum range (kPa), petrol count and mean (ms), LPG count and mean, the
  bin's difference (per cent) and its slot ("-" when the bin does not
  count); then one line per slot: slot, petrol time range (ms), bins that
  measured it, their mean ("-" for none), the correction added, the table
  entry before and after. After --write, a line saying the table was
  written. JSON: one object with records, samples, bins (50 objects: bin,
  vacuum_kpa, petrol and lpg each {count, mean_ms, used_ms}, diff_pct and
  slot, null when the bin does not count), slot_bins, measured_pct (null
  for a slot without data), corrections_pct, before and after (by
  m_setupTimes[N] keys) and written; on a failure after the drive also
  error and exit.

EXIT STATUS
  0 done; 1 the vacuum sensor does not read, no live data came, or the
  table was not accepted (the drive is printed all the same); 2 usage
  error; 3 no controller, or the link was still down at the end (nothing
  written).
)",
        },
        {
            .name = "replay",
            .synopsis = "FILE [--csv]",
            .options = {"--csv"},
            .minOperands = 1,
            .maxOperands = 1,
            .check = checkFileOperands,
            .link = ECliLink::None,
            .run = cmdReplay,
            .summary = "print a recording",
            .page = R"(NAME
  nimo-cli replay - print a recording

SYNOPSIS
  nimo-cli [--json] replay FILE [--csv]

DESCRIPTION
  Prints every record of a recording made by monitor --record (or the
  desktop application) with monitor's columns: text, JSON lines with --json,
  or CSV with a header row with --csv. Needs no controller. A file that is not
  a recording (first four bytes not 1, not a regular file, or larger than a
  recording grows, 512 MiB) is refused (exit 4); bytes after the last whole
  record are reported on stderr.
)",
        },
        {
            .name = "texts",
            .link = ECliLink::None,
            .run = cmdTexts,
            .summary = "the translation dictionary, for translators",
            .page = R"(NAME
  nimo-cli texts - the translation dictionary, for translators

SYNOPSIS
  nimo-cli [--lang L] [--json] texts

DESCRIPTION
  Prints every dictionary entry as "Polish TAB text in language L" (the
  current language without --lang). TAB, line ends and backslashes inside a
  text are written as \t, \n, \r and \\, as in src/lang/texts.tsv. A text the
  dictionary lacks in that language is shown in Polish.
)",
        },
        {
            .name = "help",
            .synopsis = "[COMMAND]",
            .maxOperands = 1,
            .check = checkHelp,
            .link = ECliLink::None,
            .run = cmdHelp,
            .summary = "a command's manual page",
            .page = R"(NAME
  nimo-cli help - show help

SYNOPSIS
  nimo-cli help [COMMAND]
)",
        },
    };
    return table;
}

const SCliCommand* findCliCommand(const std::string& name)
{
    const auto& table = cliCommandTable();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const SCliCommand& cmd) { return name == cmd.name; });
    return it == table.end() ? nullptr : &*it;
}
