// Why the controller could not be reached on each port: whether the device
// exists, opens and answers, who holds it, and which system programs are
// known to take USB serial adapters away, told in words a fitter can act on.
// Thread safety: any thread, but it opens the ports itself, so never while
// the controller link holds one of them.
#pragma once

#include <string>
#include <vector>

#include "link/CGasLink.h"

// System programs that take or probe USB serial adapters behind our back.
enum class EPortTaker { None, Brltty, ModemManager };

struct SPortDiagnosis {
    int number = 0; // the fitter's port number
    std::string path;
    bool exists = false;
    bool tested = false; // opening was tried
    bool opens = false;
    bool controller = false; // answered the link test
    int error = 0;           // errno of a failed open
    std::string failure;     // the port error's text when the line failed after opening
    std::string holder;      // the program of ours that holds a busy or silent port
    int pid = 0;             // and its process number
    std::string group;       // the device's group, for a refused open
    EPortTaker taker = EPortTaker::None;
};

struct SPortSurvey {
    std::vector<SPortDiagnosis> ports;
    // Running now; looked for only when an adapter is in trouble or none is there.
    bool brltty = false;
    bool modemManager = false;
};

struct SPortProbe {
    bool open = true; // false: only whether each device exists (demonstration mode)
    // false: a port that opens counts as silent, for callers that have just
    // run the link test themselves and must not keep the fitter waiting twice.
    bool testLink = true;
    SLinkTiming timing;
    std::string procDir = "/proc";
};

// The ports in the given order, numbered from 1 as the port list numbers them.
SPortSurvey diagnosePorts(const std::vector<std::string>& paths, const SPortProbe& probe = {});
// The ports the first connection tries: the last used one, then 1 to 7.
SPortSurvey diagnoseScan(int lastPort, const SPortProbe& probe = {});

// What stands in the way on this port and what to do, in the current language.
std::string portProblemText(const SPortDiagnosis& port);
// What to do about a program that takes adapters, in the current language;
// empty for None.
std::string portTakerText(EPortTaker taker);
// Findings about the machine rather than one port (no USB adapter to be seen
// while brltty runs), one sentence each, in the current language.
std::vector<std::string> surveyNotes(const SPortSurvey& survey);
