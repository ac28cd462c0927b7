#include "data/InstallationReport.h"

#include <cmath>
#include <cstdio>

#include "data/DeviceInfoText.h"
#include "data/MountDataEdit.h"
#include "data/SettingsKeys.h"
#include "data/SettingsLabels.h"
#include "lang/Translation.h"

namespace {

// The device information view's lines: three of the controller's identity,
// then the two work times (the view rules them off the same way).
constexpr std::size_t kIdentityLines = 3;
constexpr std::size_t kWorkTimeLines = 2;

enum EPart { Installation, Corrections, Table, Settings };

EPart partOf(const SSettingsItem& item)
{
    const std::string& name = item.key->name;
    if (item.key->target == ESettingsTarget::MountData)
        return Installation;
    if (item.key->target == ESettingsTarget::SetupTable)
        return Table;
    if (name == "m_mainCorr" || name == "m_mainCorr2" || name == "m_mainCorr2Mask")
        return Corrections;
    return Settings;
}

std::vector<std::string> faultLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        if (end > at)
            lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string limitText(double limit)
{
    char text[16];
    std::snprintf(text, sizeof text, "%g", limit);
    return text;
}

} // namespace

SInstallationReport installationReport(const SReportInput& in)
{
    const CSettings& s = in.settings;
    const SDevInfo& info = s.m_devInfo;
    SInstallationReport r;
    r.title = translate("Raport z instalacji");
    r.serial = info.m_serial;

    std::string workshop = in.workshop.empty() ? info.m_mountService : in.workshop;
    if (workshop.empty())
        workshop = translate("(brak)");
    r.heading = {{translate("Raport wystawił"), workshop, {}},
                 {translate("Data raportu"), mountDateText(in.when), {}}};
    if (in.demo)
        r.notice = translate("Tryb demonstracyjny: raport pokazuje przykładowe wartości programu, "
                             "a nie dane sterownika.");

    const auto lines = deviceInfoLines(info);
    SReportSection identity{translate("Sterownik"), {}, {}, false};
    identity.rows.push_back({translate("Numer seryjny"), info.m_serial, {}});
    SReportSection work{translate("Czas pracy"), {}, {}, false};
    for (std::size_t i = 0; i < kIdentityLines + kWorkTimeLines && i < lines.size(); ++i)
        (i < kIdentityLines ? identity : work)
            .rows.push_back({lines[i].first, lines[i].second, {}});

    SReportSection installation{translate("Dane montażu"), {}, {}, false};
    SReportSection corrections{translate("Dodatki"), {}, {}, false};
    SReportSection table{translate("Tabela poprawek"), {}, {}, true};
    SReportSection settings{translate("Ustawienia"), {}, {}, false};
    SReportSection* parts[] = {&installation, &corrections, &table, &settings};
    for (const SSettingsItem& item : settingsItems()) {
        parts[partOf(item)]->rows.push_back(
            {settingsItemLabel(item), settingsItemText(item, s), settingsItemUnit(item)});
    }

    bool beyondChart = false;
    for (std::size_t i = 0; i < SETUP_TIMES_COUNT; ++i) {
        r.corrections[i] = std::trunc(s.m_setupTimes[i]);
        beyondChart =
            beyondChart || (in.chartLimit > 0 && std::abs(r.corrections[i]) > in.chartLimit);
    }
    // The chart keeps the view's scale, so the fitter reads it as he knows
    // it; what lies beyond it is still in the rows.
    if (beyondChart)
        table.lines.push_back(
            translateFill("Poprawki spoza zakresu wykresu (±%1 %) podano tylko w tabeli.",
                          {limitText(in.chartLimit)}));

    SReportSection faults{translate("Kody błędów"), {}, faultLines(in.faults), false};
    if (faults.lines.empty())
        faults.lines.push_back(translate("Sterownik nie zgłasza błędów."));

    // What the owner looks for first, then what the workshop keeps on file.
    r.sections = {std::move(identity), std::move(work),        std::move(installation),
                  std::move(faults),   std::move(corrections), std::move(table),
                  std::move(settings)};
    return r;
}
