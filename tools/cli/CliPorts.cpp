// ports: the port list and, for each port, what stands in the way.

#include "CliContext.h"

#include <string>
#include <vector>

#include "CliJson.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "link/PortDiagnosis.h"

namespace {

struct SPortReport {
    SPortDiagnosis d;
    std::string problem;     // in the current language
    std::string jsonProblem; // in the system's own words
};

SPortReport report(const SPortDiagnosis& d)
{
    SPortReport r{d, {}, {}};
    if (d.tested && !d.opens) {
        r.problem = cliPortProblem(d.path, d.error);
        r.jsonProblem = cliPortProblemUntranslated(d.path, d.error);
    } else if (!d.failure.empty()) {
        r.problem = d.path + ": " + d.failure;
        r.jsonProblem = r.problem;
    }
    // Scripts match the JSON error, so the advice only goes to the fitter.
    if (d.taker != EPortTaker::None)
        r.problem += (r.problem.empty() ? "" : "; ") + portTakerText(d.taker);
    return r;
}

} // namespace

int cmdPorts(SCliContext& c)
{
    SPortProbe probe;
    probe.open = !c.opt.demo;
    probe.timing = c.device.timing();
    const SPortSurvey survey = diagnosePorts(CPortList::ports(), probe);
    std::vector<SPortReport> reports;
    bool anyController = c.opt.demo;
    for (const SPortDiagnosis& d : survey.ports) {
        reports.push_back(report(d));
        anyController = anyController || d.controller;
    }

    if (c.opt.json) {
        std::vector<std::string> items;
        for (const SPortReport& r : reports) {
            CJsonObject o;
            o.number("port", r.d.number).text("path", r.d.path).boolean("exists", r.d.exists);
            if (r.d.tested) {
                o.boolean("opens", r.d.opens)
                    .raw("error", r.jsonProblem.empty() ? "null" : jsonString(r.jsonProblem))
                    .boolean("controller", r.d.controller);
            } else {
                o.raw("opens", "null").raw("error", "null").raw("controller", "null");
            }
            items.push_back(o.str());
        }
        c.out << jsonArray(items) << std::endl;
    } else {
        for (const SPortReport& r : reports) {
            c.out << r.d.number << '\t' << r.d.path << '\t'
                  << translate(r.d.exists ? "istnieje" : "brak");
            if (r.d.tested) {
                c.out << '\t'
                      << (r.d.opens ? translate("otwiera się")
                                    : translate("nie można otworzyć: ") + r.problem)
                      << '\t' << translate(r.d.controller ? "sterownik" : "brak sterownika");
                if (r.d.opens && !r.problem.empty())
                    c.out << " (" << r.problem << ")";
            }
            c.out << '\n';
        }
        if (reports.empty())
            c.err << "nimo-cli: "
                  << translate("nie znaleziono żadnego portu szeregowego; wskaż go opcją "
                               "--port ŚCIEŻKA")
                  << std::endl;
        for (const std::string& note : surveyNotes(survey))
            c.err << "nimo-cli: " << note << std::endl;
        c.out.flush();
    }
    return anyController ? CLI_OK : CLI_NO_DEVICE;
}
