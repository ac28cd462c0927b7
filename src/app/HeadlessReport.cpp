#include "app/HeadlessReport.h"

#include <cstdio>
#include <ctime>
#include <memory>

#include "app/CAutrelDoc.h"
#include "app/CQtShell.h"
#include "app/ReportPdf.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/PortDiagnosis.h"

namespace {

void say(const std::string& text)
{
    std::fprintf(stderr, "nimo: %s\n", text.c_str());
}

// What the no-connection window would list, one port a line.
void explainNoController(CAutrelDoc& doc, CQtShell& shell)
{
    say(translate("Żaden sterownik nie odpowiada; raportu nie zapisano."));
    // Our own handle on the last port tried would read as "busy".
    doc.serialPort().close();
    SPortProbe probe;
    probe.testLink = false; // the scan has just asked every port
    const SPortSurvey survey = diagnoseScan(shell.lastPort(), probe);
    for (const SPortDiagnosis& port : survey.ports)
        std::fprintf(stderr, "  %d. %s: %s\n", port.number, port.path.c_str(),
                     portProblemText(port).c_str());
    if (survey.ports.empty())
        std::fprintf(
            stderr, "  %s\n",
            translate("Nie znaleziono żadnego portu szeregowego; podłącz adapter USB-RS232 "
                      "sterownika.")
                .c_str());
    for (const std::string& note : surveyNotes(survey))
        std::fprintf(stderr, "  %s\n", note.c_str());
}

} // namespace

int runHeadlessReport(CAutrelDoc& doc, CQtShell& shell, const std::string& path, bool demo)
{
    shell.setWindowless(true);
    try {
        doc.rebuildErrors();
        if (demo) {
            doc.enterDemo();
        } else if (!doc.scanPorts(false)) {
            explainNoController(doc, shell);
            return REPORT_NO_CONTROLLER;
        }
        if (const std::string notice = shell.takeUnsavedNotice(); !notice.empty())
            say(notice);
        const std::string why = writeInstallationReport(doc, shell.config().mountServiceName(),
                                                        path, std::time(nullptr));
        if (!why.empty()) {
            say(why);
            return REPORT_FAILED;
        }
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        say(e->description());
        return REPORT_FAILED;
    }
    return 0;
}
