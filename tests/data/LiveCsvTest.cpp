#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/CDiagFile.h"
#include "data/LiveCsv.h"
#include "lang/LanguageScope.h"
#include "support/DataHomeScope.h"

namespace {

diag_t sample(std::uint16_t period)
{
    diag_t r{};
    r.workMode = 1;
    r.fuel = 3;
    r.reducerTemp = 120; // 40 °C
    r.lpgTemp = 127;     // 37 °C
    r.supply = 120;      // 14.12 V
    r.lambda = 51;       // 1.0 V
    r.gasPressure = 110;
    r.manifoldPressure = 50;
    r.fuelLevel = 135;
    r.enginePeriod = period;
    r.channels[0] = {123, 40, 0, 0};         // 3.075 ms, +1 ms
    r.channels[1] = {100, 65535 - 40, 0, 0}; // 2.5 ms, -1 ms
    return r;
}

std::vector<std::string> linesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(LiveCsv, ARecordingExportsWithItsHeaderItsUnitsAndARowPerWholeRecord)
{
    CLanguageScope english(LANG_EN);
    CDataHomeScope home;
    const std::string rec = home.path() + "/drive.bin";
    {
        CDiagFile f;
        ASSERT_TRUE(f.open(rec, true));
        ASSERT_TRUE(f.write(sample(6000)));
        ASSERT_TRUE(f.write(sample(3000)));
    }
    std::ofstream(rec, std::ios::app | std::ios::binary) << "half"; // a record cut short
    const std::string csv = home.path() + "/drive.csv";
    std::ofstream(csv) << "an older export, longer than the new one\n" << std::string(5000, 'x');

    const SCsvExport r = exportRecordingCsv(rec, csv);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.records, 2u);
    const std::vector<std::string> lines = linesOf(csv);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "rpm,petrol_ms1,petrol_ms2,petrol_ms3,petrol_ms4,petrol_ms5,petrol_ms6,"
                        "petrol_ms7,petrol_ms8,lpg_ms1,lpg_ms2,lpg_ms3,lpg_ms4,lpg_ms5,lpg_ms6,"
                        "lpg_ms7,lpg_ms8,gas_kpa,map_kpa,reducer_c,gas_c,supply_v,lambda_v,"
                        "work_mode,fuel,level");
    EXPECT_EQ(lines[1], "rpm,ms,ms,ms,ms,ms,ms,ms,ms,ms,ms,ms,ms,ms,ms,ms,ms,kPa,kPa,°C,°C,V,V,,,");
    // The rows nimo-cli's replay --csv prints: 4800000 / 6000 = 800 rpm.
    EXPECT_EQ(lines[2], "800,3.075,2.5,0,0,0,0,0,0,4.075,1.5,0,0,0,0,0,0,97.8,39,40,37,14.12,1,1,3,"
                        "135");
    EXPECT_EQ(lines[3].substr(0, 5), "1600,");
    EXPECT_EQ(liveRow(sample(6000), '\t').substr(0, 10), "800\t3.075\t");

    // What cannot be read, or written, says so and leaves the old export be.
    const SCsvExport notRecording = exportRecordingCsv(csv, home.path() + "/x.csv");
    EXPECT_FALSE(notRecording.ok);
    EXPECT_NE(notRecording.error.find("not a recording"), std::string::npos) << notRecording.error;
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/x.csv"));
    const std::string nowhere = home.path() + "/missing/drive.csv";
    const SCsvExport unwritable = exportRecordingCsv(rec, nowhere);
    EXPECT_FALSE(unwritable.ok);
    EXPECT_NE(unwritable.error.find(nowhere), std::string::npos) << unwritable.error;
    EXPECT_EQ(linesOf(csv).size(), 4u);
    // No temporary file is left beside the export.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2u);
}
