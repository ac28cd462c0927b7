// The settings history on disk, the labelled comparison of two blocks, and
// the labels and values a fitter reads for every setting.

#include <fstream>
#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "data/CUserConfig.h"
#include "data/SettingsCompare.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsHistory.h"
#include "data/SettingsKeys.h"
#include "data/SettingsLabels.h"
#include "lang/LanguageScope.h"
#include "support/DataHomeScope.h"

namespace {

const SSettingsDifference* find(const std::vector<SSettingsDifference>& d, const std::string& label)
{
    for (const SSettingsDifference& x : d)
        if (x.label == label)
            return &x;
    return nullptr;
}

std::time_t at(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

} // namespace

TEST(SettingsLabels, EveryWritableKeyIsLabelledAndItsBitsAreCoveredOnce)
{
    std::map<std::string, unsigned> masks;
    std::map<std::string, int> wholeItems;
    for (const SSettingsItem& item : settingsItems()) {
        if (item.mask == 0) {
            ++wholeItems[item.key->name];
        } else {
            EXPECT_EQ(masks[item.key->name] & item.mask, 0u) << item.key->name;
            masks[item.key->name] |= item.mask;
        }
        // A label nobody translated would read in Polish in every language.
        std::set<std::string> labels;
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            CLanguageScope scope(lang);
            EXPECT_FALSE(settingsItemLabel(item).empty()) << item.key->name;
            labels.insert(settingsItemLabel(item));
        }
        EXPECT_GE(labels.size(), 4u) << item.key->name;
    }
    for (const SSettingsKey& key : settingsKeys()) {
        const bool writable =
            key.target != ESettingsTarget::DeviceInfo && key.target != ESettingsTarget::FileOnly;
        if (!writable) {
            EXPECT_EQ(wholeItems.count(key.name) + masks.count(key.name), 0u) << key.name;
            continue;
        }
        if (masks.count(key.name) != 0) {
            EXPECT_EQ(masks[key.name], 0xFFu) << key.name;
            EXPECT_EQ(wholeItems.count(key.name), 0u) << key.name;
        } else {
            EXPECT_EQ(wholeItems[key.name], 1) << key.name;
        }
    }
}

TEST(SettingsLabels, LabelsAreTheSettingsViewsOwnInEveryLanguage)
{
    auto label = [](const std::string& key, std::uint8_t mask = 0) {
        for (const SSettingsItem& item : settingsItems())
            if (item.key->name == key && item.mask == mask)
                return settingsItemLabel(item);
        return std::string("?");
    };
    {
        CLanguageScope polish(LANG_PL);
        EXPECT_EQ(label("m_switchRPM"), "Obroty przełączania");
        EXPECT_EQ(label("m_pressureRef"), "Ciśnienie reduktora [kPa]");
        EXPECT_EQ(label("m_behaviorFlags", 0x04), "Sygnalizacja buzera");
        EXPECT_EQ(label("m_engineSignalBehavior", 0x01),
                  "Wtryskiwacze benzynowe załączane sygnałem +12 V");
        EXPECT_EQ(label("m_mainCorr"), "Dodatek [ms]");
        EXPECT_EQ(label("m_setupTimes[3]"), "Poprawka dla czasu wtrysku 4 ms");
        EXPECT_EQ(label("m_devInfo.m_mountService"), "Nazwa zakładu montującego");
    }
    CLanguageScope english(LANG_EN);
    EXPECT_EQ(label("m_switchRPM"), "Switching RPM");
    EXPECT_EQ(label("m_behaviorFlags", 0x10), "Pressure sensor type");
    EXPECT_EQ(label("m_setupTimes[19]"), "Correction at injection time 20 ms");
}

TEST(SettingsCompare, NamesWhatDiffersWithViewTextsAndUnitsAndIgnoresIdentity)
{
    CLanguageScope polish(LANG_PL);
    CSettings a;
    CSettings b = a;
    // Identity, counters and the time stamp are no settings.
    b.m_timeStamp = "01-01-2020-10:00:00";
    b.m_devInfo.m_serial = "OTHER";
    b.m_devInfo.m_statistic.gas = 99999;
    b.m_devInfo.m_flags.flags1 = 0x1F;
    EXPECT_TRUE(compareSettings(a, b).empty());

    b.m_switchRPM = 1500;
    b.setInjectorType(9);
    b.m_behaviorFlags = static_cast<std::uint8_t>((a.m_behaviorFlags & ~0x01) | 0x20);
    b.m_engineSignalBehavior = 0x06; // both petrol injection bits: no entry stands for that
    b.m_setupTimes[3] = 12;
    b.m_devInfo.m_mountService = "Auto-Gaz";
    const auto d = compareSettings(a, b);

    const SSettingsDifference* rpm = find(d, "Obroty przełączania");
    ASSERT_NE(rpm, nullptr);
    EXPECT_EQ(withUnit(rpm->a, rpm->unit), "1200 obr/min");
    EXPECT_EQ(withUnit(rpm->b, rpm->unit), "1500 obr/min");
    const SSettingsDifference* injectors = find(d, "Wtryskiwacze LPG");
    ASSERT_NE(injectors, nullptr);
    EXPECT_EQ(injectors->a, "VALTEK 3 OHM");
    EXPECT_EQ(injectors->b, "VALTEK 1 OHM");
    // The injector brings its drive values, each named on its own.
    ASSERT_NE(find(d, "Wypełnienie PWM"), nullptr);
    EXPECT_EQ(find(d, "Wypełnienie PWM")->b, "35");
    EXPECT_EQ(find(d, "Wypełnienie PWM")->unit, "%");
    const SSettingsDifference* warming = find(d, "Rozgrzewanie wtryskiwaczy LPG");
    ASSERT_NE(warming, nullptr);
    EXPECT_EQ(warming->a, "włączone");
    EXPECT_EQ(warming->b, "wyłączone");
    const SSettingsDifference* other = find(d, "Pozostałe bity opcji pracy");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->b, "0x20");
    // Bits the fitter did not touch stay out: the buzzer bit is set in both.
    EXPECT_EQ(find(d, "Sygnalizacja buzera"), nullptr);
    const SSettingsDifference* petrol = find(d, "Typ sterowania wtrysku benzynowego");
    ASSERT_NE(petrol, nullptr);
    EXPECT_EQ(petrol->a, "Pełna sekwencja");
    EXPECT_EQ(petrol->b, "Półsekwencja (0x06)");
    ASSERT_NE(find(d, "Poprawka dla czasu wtrysku 4 ms"), nullptr);
    EXPECT_EQ(find(d, "Nazwa zakładu montującego")->a, "(brak)");

    EXPECT_EQ(differingKeys(d),
              (std::vector<std::string>{"m_devInfo.m_mountService", "m_switchRPM",
                                        "m_engineSignalBehavior", "m_behaviorFlags", "m_pwmOffset",
                                        "m_pwm", "m_injectorWarmingImpulse", "m_injectorType",
                                        "m_setupTimes[3]"}));
}

TEST(SettingsHistory, BackupNamesCarryTimeOperationAndSequence)
{
    CLanguageScope polish(LANG_PL);
    SBackupFile f;
    ASSERT_TRUE(parseBackupName("2024-05-01_14-03-22_load.ssf", f));
    EXPECT_EQ(f.time, "2024-05-01 14:03:22");
    EXPECT_EQ(f.operation, "load");
    EXPECT_EQ(f.sequence, 1);
    ASSERT_TRUE(parseBackupName("2024-05-01_14-03-22_autocalibrate_12.ssf", f));
    EXPECT_EQ(f.operation, "autocalibrate");
    EXPECT_EQ(f.sequence, 12);
    for (const char* foreign :
         {"car.ssf", "2024-05-01_14-03-22_.ssf", "2024-05-01_14-03-22_load.txt",
          "2024-05-01 14-03-22_load.ssf", "2024-05-01_14-03-22_Load.ssf",
          "2024-05-01_14-03-22_load_1.ssf", "2024-05-01_14-03-22_load_x.ssf",
          "2024-5-01_14-03-22_load.ssf", "2024-05-01_14-03-22_load.ssf.tmp-1-2"})
        EXPECT_FALSE(parseBackupName(foreign, f)) << foreign;
    EXPECT_EQ(operationText("map"), "Zapis mapy korekt");
    EXPECT_EQ(operationText("newer"), "newer"); // from a later version: shown as it is
}

TEST(SettingsHistory, BackupsAreWholeFilesListedNewestFirstAndNeverOverwritten)
{
    CLanguageScope polish(LANG_PL);
    CDataHomeScope home;
    const std::string dir = CUserConfig::historyDirectory("AB-12345");
    EXPECT_EQ(dir, home.historyRoot() + "/AB-12345/");
    CSettings s;
    s.m_devInfo.m_serial = "AB-12345";
    s.m_switchRPM = 2100;
    s.m_setupTimes[19] = 25;

    // Three in the same second, one earlier: none replaces another.
    const std::time_t t = at(2024, 5, 1, 14, 3, 22);
    std::vector<std::string> paths;
    for (auto op : {EReplaceOperation::Load, EReplaceOperation::Set, EReplaceOperation::Load}) {
        std::string path, error;
        ASSERT_TRUE(writeBackup(dir, s, op, t, path, error)) << error;
        paths.push_back(path);
        s.m_switchRPM += 100;
    }
    std::string early, error;
    ASSERT_TRUE(writeBackup(dir, s, EReplaceOperation::Defaults, t - 3600, early, error));
    EXPECT_EQ(paths[0], dir + "2024-05-01_14-03-22_load.ssf");
    EXPECT_EQ(paths[1], dir + "2024-05-01_14-03-22_set_2.ssf");
    EXPECT_EQ(paths[2], dir + "2024-05-01_14-03-22_load_3.ssf");
    std::ofstream(dir + "notes.txt") << "not a backup\n";
    std::ofstream(dir + "2024-05-01_15-00-00_load.ssf") << "garbage\n";

    const auto files = listBackups(dir);
    std::vector<std::string> names;
    for (const auto& f : files)
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{
                         "2024-05-01_15-00-00_load.ssf", "2024-05-01_14-03-22_load_3.ssf",
                         "2024-05-01_14-03-22_set_2.ssf", "2024-05-01_14-03-22_load.ssf",
                         "2024-05-01_13-03-22_defaults.ssf"}));
    // No temporary file is left beside them.
    std::size_t entries = 0;
    for (auto it = std::filesystem::directory_iterator(dir);
         it != std::filesystem::directory_iterator(); ++it)
        ++entries;
    EXPECT_EQ(entries, 6u);

    // Each reads back as the block it was made from, stamped with its time.
    CSettings now = s;
    now.m_switchRPM = 2100;
    const auto history = readHistory(dir, now);
    ASSERT_EQ(history.size(), 5u);
    EXPECT_FALSE(history[0].readable);
    EXPECT_NE(history[0].error.find("Nie można wczytać ustawień z pliku"), std::string::npos);
    ASSERT_TRUE(history[3].readable);
    EXPECT_TRUE(history[3].differences.empty());
    EXPECT_EQ(history[3].settings.m_timeStamp, "01-05-2024-14:03:22");
    EXPECT_EQ(history[3].settings.m_setupTimes[19], 25);
    ASSERT_EQ(history[1].differences.size(), 1u);
    EXPECT_EQ(history[1].differences[0].key, "m_switchRPM");
    EXPECT_EQ(history[1].differences[0].a, "2300");
    EXPECT_TRUE(listBackups(dir + "missing/").empty());
}

TEST(SettingsHistory, AFolderThatCannotBeMadeRefusesTheBackupAndSaysWhere)
{
    CLanguageScope polish(LANG_PL);
    CDataHomeScope home;
    std::filesystem::create_directories(home.path() + "/Nimo/nimo");
    std::ofstream(home.historyRoot()) << "a file where the folder should be\n";
    const std::string dir = CUserConfig::historyDirectory("AB-1");
    std::string path = "untouched", error;
    EXPECT_FALSE(
        writeBackup(dir, CSettings{}, EReplaceOperation::Load, std::time(nullptr), path, error));
    EXPECT_EQ(path, "untouched");
    EXPECT_NE(error.find(dir), std::string::npos) << error;
    EXPECT_NE(error.find("nie można utworzyć katalogu"), std::string::npos) << error;
}

TEST(SettingsHistory, AFolderWithoutWritePermissionRefusesTheBackup)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root; a folder that cannot be created "
                        "stands for them in the test above";
    CLanguageScope polish(LANG_PL);
    CDataHomeScope home;
    const std::string locked = CUserConfig::historyDirectory("AB-2");
    std::filesystem::create_directories(locked);
    ::chmod(locked.c_str(), 0555);
    std::string path, error;
    EXPECT_FALSE(
        writeBackup(locked, CSettings{}, EReplaceOperation::Load, std::time(nullptr), path, error));
    EXPECT_NE(error.find("Nie można wpisać ustawień do pliku"), std::string::npos) << error;
    EXPECT_TRUE(listBackups(locked).empty());
}

TEST(SettingsHistory, ASerialBecomesOneSafeFolderName)
{
    EXPECT_EQ(CUserConfig::historyFolderName("AB-12345"), "AB-12345");
    EXPECT_EQ(CUserConfig::historyFolderName("../x/y z"), ".._x_y_z");
    EXPECT_EQ(CUserConfig::historyFolderName(".."), "unknown");
    EXPECT_EQ(CUserConfig::historyFolderName(""), "unknown");
    EXPECT_EQ(CUserConfig::historyFolderName("\xC5\x81\xC3\xB3"), "unknown");
}
