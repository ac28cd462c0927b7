#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/InstallationReport.h"
#include "data/MountDataEdit.h"
#include "data/SettingsLabels.h"
#include "lang/LanguageScope.h"

namespace {

const SReportSection* section(const SInstallationReport& r, const std::string& title)
{
    for (const SReportSection& s : r.sections)
        if (s.title == title)
            return &s;
    return nullptr;
}

const SReportRow* row(const SReportSection& s, const std::string& label)
{
    for (const SReportRow& r : s.rows)
        if (r.label == label)
            return &r;
    return nullptr;
}

} // namespace

TEST(InstallationReport, CarriesEverySettingOnceBesideTheControllersIdentity)
{
    CLanguageScope english(LANG_EN);
    SReportInput in;
    SDevInfo& info = in.settings.m_devInfo;
    info.m_serial = "SN-4711";
    info.m_version = 0x030C;
    info.m_injCount = 4;
    info.m_statistic = {3600 * 2 * 3, 60 * 2 * 5}; // half-seconds
    info.m_mountDate = "03/04/2024";
    info.m_mountService = "Auto Gaz";
    in.settings.m_mainCorr = 1.25;
    in.settings.m_mainCorr2 = 1.5;
    in.settings.m_mainCorr2Mask = 0x05;
    in.settings.m_setupTimes[4] = 7.6; // the chart draws whole per cent
    in.settings.m_setupTimes[19] = -25;
    // describeErrors' form: every group's part starts its lines with "\r\n".
    in.faults = "\r\nNo RPM signal\r\n\r\nPressure sensor error\r\n";
    in.workshop = "Warsztat Łódź";
    in.when = 1714000000;
    in.chartLimit = 25;

    const SInstallationReport r = installationReport(in);
    EXPECT_EQ(r.title, "Installation report");
    ASSERT_EQ(r.heading.size(), 2u);
    EXPECT_EQ(r.heading[0].label, "Issued by");
    EXPECT_EQ(r.heading[0].value, "Warsztat Łódź");
    EXPECT_EQ(r.heading[1].value, mountDateText(in.when));
    EXPECT_EQ(r.notice, "");

    std::vector<std::string> titles;
    for (const SReportSection& s : r.sections)
        titles.push_back(s.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Controller", "Running time", "Installation data",
                                                "Error codes", "Main corrections",
                                                "Correction table", "Settings"}));

    const SReportSection& identity = r.sections[0];
    ASSERT_NE(row(identity, "Serial number"), nullptr);
    EXPECT_EQ(row(identity, "Serial number")->value, "SN-4711");
    EXPECT_EQ(row(identity, "Controller version")->value, "3.12");
    EXPECT_EQ(row(r.sections[1], "Running time - gasoline")->value, "3 h : 00 min");
    EXPECT_EQ(row(*section(r, "Installation data"), "Set-up date")->value, "03/04/2024");

    // Every setting the settings view labels is there once, with its unit.
    for (const SSettingsItem& item : settingsItems()) {
        const std::string label = settingsItemLabel(item);
        int found = 0;
        for (const SReportSection& s : r.sections)
            found += static_cast<int>(
                std::count_if(s.rows.begin(), s.rows.end(), [&](const SReportRow& x) {
                    return x.label == label && x.value == settingsItemText(item, in.settings) &&
                           x.unit == settingsItemUnit(item);
                }));
        EXPECT_EQ(found, 1) << label;
    }

    const SReportSection& corrections = *section(r, "Main corrections");
    ASSERT_EQ(corrections.rows.size(), 3u);
    EXPECT_EQ(corrections.rows[0].value, "1.25");
    EXPECT_EQ(corrections.rows[0].unit, "ms");
    EXPECT_EQ(corrections.rows[1].value, "1.5");
    EXPECT_EQ(corrections.rows[2].value, "1, 3");

    const SReportSection& table = *section(r, "Correction table");
    EXPECT_TRUE(table.chart);
    EXPECT_EQ(table.rows.size(), SETUP_TIMES_COUNT);
    EXPECT_EQ(r.corrections[4], 7);
    EXPECT_EQ(r.corrections[19], -25);
    EXPECT_TRUE(table.lines.empty()); // the chart's edge is still on it

    EXPECT_EQ(section(r, "Error codes")->lines,
              (std::vector<std::string>{"No RPM signal", "Pressure sensor error"}));
}

TEST(InstallationReport, SaysWhatItShowsWhereNothingIsGiven)
{
    // Polish, as the program starts by default.
    CLanguageScope polish(LANG_PL);
    SReportInput in;
    in.demo = true;
    in.chartLimit = 25;
    in.settings.m_devInfo.m_mountService = "Gaz-Serwis";
    in.settings.m_setupTimes[0] = 40;

    SInstallationReport r = installationReport(in);
    // No name kept on this computer: the controller's own installer.
    EXPECT_EQ(r.heading[0].value, "Gaz-Serwis");
    EXPECT_NE(r.notice.find("Tryb demonstracyjny"), std::string::npos);
    EXPECT_EQ(section(r, "Kody błędów")->lines,
              std::vector<std::string>{"Sterownik nie zgłasza błędów."});
    const SReportSection& table = *section(r, "Tabela poprawek");
    ASSERT_EQ(table.lines.size(), 1u);
    EXPECT_NE(table.lines[0].find("±25 %"), std::string::npos);
    EXPECT_EQ(row(*section(r, "Dane montażu"), "Data montażu")->value, "(brak)");

    in.settings.m_devInfo.m_mountService.clear();
    in.demo = false;
    r = installationReport(in);
    EXPECT_EQ(r.heading[0].value, "(brak)");
    EXPECT_EQ(r.notice, "");
}
