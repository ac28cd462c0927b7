// What every nimo-cli command works with, and the pieces they share:
// connecting as the options say, failing with a message, printing the
// settings block.
// Thread safety: one command at a time, on one thread.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "CConsoleShell.h"
#include "CliOptions.h"
#include "data/CSettings.h"
#include "link/CGasDevice.h"
#include "link/SettingsTransfer.h"

struct SCliContext {
    const SCliOptions& opt;
    std::ostream& out;
    std::ostream& err;
    CConsoleShell& shell;
    CGasDevice& device;
};

// Writes "nimo-cli: TEXT" to err and returns code. With --json the failure
// is also data, {"error":TEXT,"exit":CODE} on out, so that a script always
// has an object to read.
int cliFailure(std::ostream& out, std::ostream& err, bool json, int code, const std::string& text);
int cliFail(SCliContext& c, int code, const std::string& text);
// What a command that changes the controller says when it is done: the
// object with --json, the line in the fitter's language otherwise.
void cliDone(SCliContext& c, const std::string& json, const std::string& line);

// --demo, the --port list in its order, or the scan of the desktop
// application. CLI_OK or CLI_NO_DEVICE (with the reasons on stderr).
int cliConnect(SCliContext& c);
// One quiet pass over the same ports, as the reconnection timer makes it.
bool cliReconnect(SCliContext& c);
// After the live-data reader lost the link: says so, then tries the ports
// every second, as the reconnection timer does, until a reader runs again
// (true) or `finished` says to give up (false).
bool cliResumeLive(SCliContext& c, const std::function<bool()>& finished);
// Whether the settings block was read whole when connecting; commands that
// show or write it refuse to work on defaults standing in for failed reads.
bool cliSettingsTrusted(SCliContext& c);

// The exit status of a whole-block operation, with its message on failure.
int cliTransferExit(SCliContext& c, const STransferOutcome& r);
// Runs what replaces the controller's settings (set, load, defaults,
// restore), then says its warnings, where the replaced settings were kept
// (`backup`, filled by the operation) and, on failure or when the link is
// lost under it, what the controller took and how its settings come back.
// The exit status as cliTransferExit's; a lost link is CLI_NO_DEVICE.
int cliReplaceSettings(SCliContext& c, const std::string& backup,
                       const std::function<STransferOutcome(STransferProgress&)>& replace);
// "nimo-cli: warning: ..." on err, one line each.
void cliWarnings(SCliContext& c, const std::vector<std::string>& warnings);
// Where the settings an operation replaced were kept, on err; nothing for none.
void cliBackupNote(SCliContext& c, const std::string& backupPath);

// "KEY TAB VALUE" lines, or one JSON object, in the settings file's order.
void printSettingsBlock(SCliContext& c, const CSettings& s);
// What a device path is called in messages: "/dev/ttyUSB0: Permission
// denied; add your user to the dialout group, ...", in the current language.
std::string cliPortProblem(const std::string& path, int err);
// The same in the system's own English words, for JSON output that scripts
// may match whatever language the fitter chose.
std::string cliPortProblemUntranslated(const std::string& path, int err);

int cmdPorts(SCliContext& c);
int cmdInfo(SCliContext& c);
int cmdSettings(SCliContext& c);
int cmdSet(SCliContext& c);
int cmdSave(SCliContext& c);
int cmdLoad(SCliContext& c);
int cmdDefaults(SCliContext& c);
int cmdHistory(SCliContext& c);
int cmdRestore(SCliContext& c);
int cmdDiff(SCliContext& c);
int cmdMode(SCliContext& c);
int cmdErrors(SCliContext& c);
int cmdClearErrors(SCliContext& c);
int cmdFuelSensor(SCliContext& c);
int cmdInjectors(SCliContext& c);
int cmdEeprom(SCliContext& c);
int cmdMonitor(SCliContext& c);
int cmdReplay(SCliContext& c);
int cmdMap(SCliContext& c);
int cmdTexts(SCliContext& c);
int cmdHelp(SCliContext& c);
int cmdAutocalibrate(SCliContext& c);

// The form checks of the command table: a usage message, empty when well formed.
std::string checkDefaults(const SCliOptions& opt);
std::string checkMode(const SCliOptions& opt);
std::string checkFuelSensor(const SCliOptions& opt);
std::string checkEeprom(const SCliOptions& opt);
std::string checkHelp(const SCliOptions& opt);
std::string checkAutocalibrate(const SCliOptions& opt);
std::string checkMap(const SCliOptions& opt);
// save, load, restore, diff, replay: no operand may be an empty file name.
std::string checkFileOperands(const SCliOptions& opt);
