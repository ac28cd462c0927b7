// Every replacement of a controller's settings keeps what the controller held
// first, against the virtual controller: what the backup holds, and that a
// backup that cannot be made stops the write before the first byte is sent.

#include <fstream>

#include <gtest/gtest.h>

#include "data/CUserConfig.h"
#include "data/MountDataRecord.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsHistory.h"
#include "data/SettingsRecord.h"
#include "link/CGasDevice.h"
#include "link/Protocol.h"
#include "link/SettingsTransfer.h"
#include "support/DataHomeScope.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> onWire(std::array<std::uint8_t, N> rec)
{
    std::swap(rec[0], rec[1]);
    return rec;
}

class SettingsBackup : public DeviceEmuTest {
protected:
    // Everything that writes, and everything that makes a write take effect.
    std::uint64_t writes()
    {
        const SEmuCounters c = emu().counters();
        return c.m_frames[MSG_TYPE_SETUP] + c.m_frames[MSG_TYPE_SETUP_V1] +
               c.m_frames[MSG_TYPE_TABLE] + c.m_frames[MSG_TYPE_MOUNT_DATA] +
               c.m_commands[CMD_CLEAR_ERRORS] + c.m_commands[CMD_WORK_GAS];
    }
    std::string historyOf(const CGasDevice& dev)
    {
        return CUserConfig::historyDirectory(dev.m_devInfo.m_serial);
    }

    CDataHomeScope home;
};

} // namespace

TEST_F(SettingsBackup, KeepsWhatTheControllerHoldsNotWhatTheBlockSays)
{
    emu().withState([](SEmuState& s) {
        s.m_serial = "AB-12345";
        s.m_table[4] = 130;
    });
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    const SEmuState before = emu().state();
    // A write that failed earlier leaves its value in the block only.
    dev.m_switchRPM = 3300;
    const CSettings held = dev;

    CSettings wanted = dev;
    wanted.m_switchTempr = 50;
    wanted.m_devInfo.m_mountService = "Nowy";
    std::string path;
    const STransferOutcome r =
        replaceSettings(dev, wanted, wholeBlockPlan(), EReplaceOperation::Load, &path);
    ASSERT_TRUE(r.ok()) << r.message;
    const auto files = listBackups(historyOf(dev));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path, path);
    EXPECT_EQ(files[0].operation, "load");
    EXPECT_EQ(path.rfind(home.historyRoot() + "/AB-12345/", 0), 0u) << path;

    CSettings backup;
    ASSERT_TRUE(loadSettingsFile(path, backup));
    EXPECT_EQ(onWire(toRecord(backup, ERecordForm::Extended)), before.m_settings);
    EXPECT_EQ(toSetupTable(backup), before.m_table);
    EXPECT_EQ(onWire(toMountData(backup.m_devInfo)), before.m_mountData);
    EXPECT_EQ(backup.m_devInfo.m_serial, "AB-12345");
    // And the controller took what was wanted, not the block it was read into.
    EXPECT_DOUBLE_EQ(dev.m_switchTempr, 50);
    EXPECT_DOUBLE_EQ(dev.m_switchRPM, held.m_switchRPM);
    EXPECT_EQ(emu().state().m_settings, onWire(toRecord(wanted, ERecordForm::Extended)));
}

TEST_F(SettingsBackup, ABackupThatCannotBeMadeStopsEveryReplacementBeforeAnyWrite)
{
    std::filesystem::create_directories(home.path() + "/Nimo/nimo");
    std::ofstream(home.historyRoot()) << "a file where the folder should be\n";
    const std::string file = home.path() + "/car.ssf";
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    CSettings other = dev;
    other.m_switchRPM = 2500;
    ASSERT_TRUE(saveSettingsFile(file, other));
    const SEmuState before = emu().state();
    emu().resetCounters();
    dev.m_switchDelay = 12; // the block's own values must survive a refusal
    const CSettings held = dev;

    CSettings wanted = dev;
    wanted.m_switchRPM = 4000;
    SSettingsPlan record;
    record.settingsRecord = true;
    const STransferOutcome outcomes[] = {
        loadSettingsIntoDevice(dev, file),
        restoreFactorySettings(dev),
        loadSettingsIntoDevice(dev, file, EReplaceOperation::Restore),
        replaceSettings(dev, wanted, record, EReplaceOperation::Set),
    };
    for (const STransferOutcome& r : outcomes) {
        EXPECT_EQ(r.result, ETransferResult::BackupFailed);
        EXPECT_EQ(r.message.rfind("Nie można zapisać kopii ustawień sterownika; nic nie zostało "
                                  "zmienione: ",
                                  0),
                  0u)
            << r.message;
        EXPECT_NE(r.message.find(home.historyRoot()), std::string::npos) << r.message;
    }
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(emu().state().m_settings, before.m_settings);
    EXPECT_DOUBLE_EQ(dev.m_switchDelay, held.m_switchDelay);
    EXPECT_DOUBLE_EQ(dev.m_switchRPM, held.m_switchRPM);
}

TEST_F(SettingsBackup, AControllerThatCannotBeReadIsNotWrittenEither)
{
    CGasDevice dev(shell);
    dev.setTiming(kShortLinkTiming);
    ASSERT_TRUE(dev.tryPort(1));
    emu().ignoreCommand(CMD_SETUP_TABLE);
    emu().resetCounters();
    const STransferOutcome r = restoreFactorySettings(dev);
    EXPECT_EQ(r.result, ETransferResult::BackupFailed);
    EXPECT_NE(r.message.find("Nie powiodło się odczytanie ustawień urządzenia!"), std::string::npos)
        << r.message;
    EXPECT_EQ(writes(), 0u);
    EXPECT_TRUE(listBackups(historyOf(dev)).empty());
}

TEST_F(SettingsBackup, NothingToWriteAndTheDemonstrationKeepNoBackup)
{
    CGasDevice dev(shell);
    ASSERT_TRUE(dev.tryPort(1));
    emu().resetCounters();
    const STransferOutcome same =
        replaceSettings(dev, dev, SSettingsPlan{}, EReplaceOperation::Set);
    EXPECT_TRUE(same.ok());
    EXPECT_EQ(emu().counters().m_requests, 0u);
    EXPECT_FALSE(std::filesystem::exists(home.historyRoot()));

    CGasDevice demo(shell);
    demo.enterDemo();
    std::string path = "none";
    EXPECT_TRUE(restoreFactorySettings(demo, &path).ok());
    EXPECT_EQ(path, "none");
    EXPECT_FALSE(std::filesystem::exists(home.historyRoot()));
}
