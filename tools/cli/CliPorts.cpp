// ports: the port list and, for each port, what stands in the way.

#include "CliContext.h"

#include <memory>
#include <vector>

#include <sys/stat.h>

#include "CliJson.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CPortList.h"
#include "link/CSerialPort.h"

namespace {

struct SPortReport {
    int number = 0;
    std::string path;
    bool exists = false;
    bool tested = false; // false in demonstration mode: nothing is opened
    bool opens = false;
    std::string problem;     // in the current language
    std::string jsonProblem; // in the system's own words
    bool controller = false;
};

SPortReport examine(int number, const std::string& path, bool demo, const SLinkTiming& timing)
{
    SPortReport r;
    r.number = number;
    r.path = path;
    struct stat st {};
    r.exists = ::stat(path.c_str(), &st) == 0;
    if (demo)
        return r;
    r.tested = true;
    CQuietShell quiet;
    CGasDevice probe(quiet);
    probe.setTiming(timing);
    CSerialPort& port = probe.serialPort();
    try {
        port.open(path);
        probe.configureLine();
        r.opens = true;
        r.controller = probe.testLink();
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        if (!r.opens) {
            r.problem = cliPortProblem(path, port.lastError());
            r.jsonProblem = cliPortProblemUntranslated(path, port.lastError());
        } else {
            r.problem = path + ": " + e->text();
            r.jsonProblem = r.problem;
        }
    }
    port.close();
    return r;
}

} // namespace

int cmdPorts(SCliContext& c)
{
    const std::vector<std::string> paths = CPortList::ports();
    std::vector<SPortReport> reports;
    for (std::size_t i = 0; i < paths.size(); ++i)
        reports.push_back(
            examine(static_cast<int>(i) + 1, paths[i], c.opt.demo, c.device.timing()));

    bool anyController = c.opt.demo;
    for (const SPortReport& r : reports)
        anyController = anyController || r.controller;

    if (c.opt.json) {
        std::vector<std::string> items;
        for (const SPortReport& r : reports) {
            CJsonObject o;
            o.number("port", r.number).text("path", r.path).boolean("exists", r.exists);
            if (r.tested) {
                o.boolean("opens", r.opens)
                    .raw("error", r.jsonProblem.empty() ? "null" : jsonString(r.jsonProblem))
                    .boolean("controller", r.controller);
            } else {
                o.raw("opens", "null").raw("error", "null").raw("controller", "null");
            }
            items.push_back(o.str());
        }
        c.out << jsonArray(items) << std::endl;
    } else {
        for (const SPortReport& r : reports) {
            c.out << r.number << '\t' << r.path << '\t'
                  << translate(r.exists ? "istnieje" : "brak");
            if (r.tested) {
                c.out << '\t'
                      << (r.opens ? translate("otwiera się")
                                  : translate("nie można otworzyć: ") + r.problem)
                      << '\t' << translate(r.controller ? "sterownik" : "brak sterownika");
                if (r.opens && !r.problem.empty())
                    c.out << " (" << r.problem << ")";
            }
            c.out << '\n';
        }
        if (reports.empty())
            c.err << "nimo-cli: "
                  << translate("nie znaleziono żadnego portu szeregowego; wskaż go opcją "
                               "--port ŚCIEŻKA")
                  << std::endl;
        c.out.flush();
    }
    return anyController ? CLI_OK : CLI_NO_DEVICE;
}
