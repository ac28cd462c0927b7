// Bad input wherever a fitter or a file reaches the desktop application: its
// command line, the settings files it loads and saves, the recordings it
// plays and exports, port paths that are no terminals, a controller that
// vanishes mid-exchange, a full disk, and data or configuration folders that
// cannot be made. Each says what is wrong, writes nothing to the controller,
// and neither hangs nor leaves half a file behind.

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "EmuGTest.h"
#include "support/EmuWrites.h"
#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CHistoryDlg.h"
#include "app/CMainFrame.h"
#include "app/CPlaybackBar.h"
#include "app/CQtShell.h"
#include "controls/CColorStatic.h"
#include "data/CDiagFile.h"
#include "data/CUserConfig.h"
#include "lang/LanguageScope.h"
#include "link/CPortList.h"
#include "link/Protocol.h"
#include "support/ChildProcess.h"
#include "support/DataHomeScope.h"
#include "support/FileSizeLimit.h"
#include "support/FrameRig.h"
#include "views/CAutoSetupView.h"
#include "views/CBottomView.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An environment variable set while the object lives.
class CEnvScope {
public:
    CEnvScope(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~CEnvScope()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    CEnvScope(const CEnvScope&) = delete;
    CEnvScope& operator=(const CEnvScope&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Under the address sanitizer the toolkit's font and platform caches, kept
// to the end by design, would read as leaks of the nimo program's.
std::string withoutLeakCheck()
{
    const char* asan = std::getenv("ASAN_OPTIONS");
    return (asan ? std::string(asan) + ":" : "") + "detect_leaks=0";
}

const std::string kHeader("\x01\0\0\0\0\0\0\0", DIAG_FILE_HEADER);
const std::string kRecord(DIAG_RECORD_SIZE, '\x05');

// The files no playback may take, each with what the fitter is told after
// its path: the recording's header, then 4 GiB of nothing, must not be read.
struct SBadRecording {
    const char* name;
    std::function<void(const std::string&)> make;
    const char* reason;
};

std::vector<SBadRecording> badRecordings()
{
    const char* notARecording = ": not a recording (cannot be read, or not format version 1)";
    return {
        {"missing.bin", [](const std::string&) {},
         ": cannot open the file (No such file or directory)"},
        {"empty.bin", [](const std::string& p) { writeAll(p, ""); }, ": the file is empty"},
        {"cut.bin", [](const std::string& p) { writeAll(p, kHeader.substr(0, 5)); }, notARecording},
        {"version2.bin",
         [](const std::string& p) { writeAll(p, "\x02" + kHeader.substr(1) + kRecord); },
         notARecording},
        {"huge.bin",
         [](const std::string& p) {
             writeAll(p, kHeader);
             fs::resize_file(p, std::uintmax_t{4} << 30);
         },
         ": the file is 4096 MB, and a recording of up to 128 MB can be played back or exported "
         "here; nimo-cli replay reads it whole"},
        {"folder.bin", [](const std::string& p) { fs::create_directory(p); },
         ": not a regular file"},
        {"fifo.bin", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); },
         ": not a regular file"},
    };
}

} // namespace

TEST(BadCommandLine, EachRefusalExitsWithItsReasonAndTouchesNothing)
{
    CEnvScope asan("ASAN_OPTIONS", withoutLeakCheck());
    CDataHomeScope home;
    const std::string dir = home.path();
    ::mkfifo((dir + "/fifo").c_str(), 0600);
    fs::create_directory(dir + "/folder");
    writeAll(dir + "/plain", "workshop-pc\n");
    // Whatever else it does, no run may keep its port: it is said.
    CEnvScope config("XDG_CONFIG_HOME", dir + "/plain/config");
    struct SRow {
        std::vector<std::string> args;
        int exit;
        std::string said;
    };
    std::vector<SRow> rows = {
        {{"--bogus"}, 2, "nimo: unknown option '--bogus'\n"},
        {{"--port"}, 2, "nimo: --port needs a value\n"},
        {{"--lang", "xx"}, 2, "nimo: --lang takes pl, en, ru, it or de, not 'xx'\n"},
        {{"--report", dir + "/folder", "--demo"},
         5,
         "nimo: Cannot write the report to " + dir + "/folder: not a regular file\n"},
        {{"--report", dir + "/fifo", "--demo"},
         5,
         "nimo: Cannot write the report to " + dir + "/fifo: not a regular file\n"},
        {{"--report", dir + "/plain/r.pdf", "--demo"},
         5,
         "nimo: Cannot write the report to " + dir + "/plain/r.pdf: Not a directory\n"},
        // Ports that are no terminals: each named, none written to.
        {{"--report", dir + "/r.pdf", "--port", dir + "/plain", "--port", dir + "/folder", "--port",
          "/dev/null", "--port", dir + "/fifo"},
         4,
         "  1. " + dir + "/plain: this is not a serial device\n  2. " + dir +
             "/folder: cannot be used (Is a directory)\n  3. /dev/null: this is not a serial "
             "device\n  4. " +
             dir + "/fifo: this is not a serial device\n"},
        {{"--emulator", "--report", dir + "/r.pdf"},
         0,
         "nimo: Cannot write the program's settings file " + dir +
             "/plain/config/Nimo/nimo.conf (Not a directory); port "},
    };
    for (const SBadRecording& bad : badRecordings()) {
        bad.make(dir + "/" + bad.name);
        rows.push_back({{"--demo", "--play", dir + "/" + bad.name},
                        2,
                        "nimo: " + dir + "/" + bad.name + bad.reason + "\n"});
    }
    for (SRow& row : rows) {
        std::vector<std::string> args = {NIMO_EXE, "--lang", "en"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        CProcess nimo(args);
        EXPECT_EQ(nimo.wait(std::chrono::seconds(60)), row.exit) << row.said;
        EXPECT_NE(nimo.stdErr.find(row.said), std::string::npos) << nimo.stdErr;
    }
    // Said in the language asked for, wherever --lang stands.
    CProcess polish({NIMO_EXE, "--bogus", "--lang", "pl"});
    EXPECT_EQ(polish.wait(std::chrono::seconds(30)), 2);
    EXPECT_NE(polish.stdErr.find("nimo: nieznana opcja '--bogus'"), std::string::npos)
        << polish.stdErr;

    EXPECT_EQ(readAll(dir + "/plain"), "workshop-pc\n");
    EXPECT_TRUE(fs::is_fifo(dir + "/fifo"));
    EXPECT_EQ(readAll(dir + "/r.pdf").rfind("%PDF-", 0), 0u); // the emulator's, last
    for (const std::string& name : filesIn(dir))
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
}

class BadSettingsFile : public EmuTest {
protected:
    SEmuStored stored() { return storedIn(emu()); }
    std::uint64_t writes() { return hostWrites(emu()); }
    void pick(SFrameRig& rig, const std::string& path)
    {
        rig.frame.chooseFile = [path](bool) { return QString::fromStdString(path); };
    }

    CLanguageScope english{LANG_EN};
    CDataHomeScope home;
};

TEST_F(BadSettingsFile, NothingReachesTheControllerFromAFileItCannotTrust)
{
    CPortScope ports({emu().path()});
    SFrameRig rig;
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    const std::string dir = home.path();
    const std::string good = dir + "/good.ssf";
    pick(rig, good);
    rig.frame.runCommand(ID_FILE_SAVE);
    const std::string text = readAll(good);
    ASSERT_NE(text.find("m_switchRPM\t1200\r\n"), std::string::npos);

    std::string utf16 = "\xFF\xFE";
    for (const char c : text)
        utf16 += std::string{c, '\0'};
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    const std::string cannotLoad = "Cannot load the settings from the file: ";
    struct SCase {
        const char* name;
        std::string bytes;
        std::string said; // after "Cannot load ...: "; PATH stands for the file
    };
    const std::vector<SCase> cases = {
        {"cut.ssf", text.substr(0, text.size() / 2),
         "m_engineSignalBehavior: missing from the file"},
        {"binary.ssf", binary, "PATH: not a settings file"},
        {"10mb.ssf", std::string(10 << 20, 'a'), "PATH: the file is too large for a settings file"},
        {"utf16.ssf", utf16, "PATH: the file is saved as UTF-16; a settings file must be UTF-8"},
        {"twice.ssf", text + "m_switchRPM\t2500\r\n",
         "m_switchRPM: given twice in the file, with different values (1200 and 2500)"},
        {"empty.ssf", "", "PATH: not a settings file"},
        {"folder.ssf", "", "PATH: not a regular file"},
        {"fifo.ssf", "", "PATH: not a regular file"},
    };
    const SEmuStored before = stored();
    emu().resetCounters();
    for (const SCase& c : cases) {
        const std::string path = dir + "/" + c.name;
        if (c.name == std::string("folder.ssf"))
            fs::create_directory(path);
        else if (c.name == std::string("fifo.ssf"))
            ::mkfifo(path.c_str(), 0600);
        else
            writeAll(path, c.bytes);
        rig.errors.clear();
        pick(rig, path);
        rig.frame.runCommand(ID_FILE_LOAD);
        ASSERT_EQ(rig.errors.size(), 1u) << c.name;
        EXPECT_EQ(rig.errors[0], cannotLoad + std::regex_replace(c.said, std::regex("PATH"), path));
    }
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(stored(), before);

    // A file saved in Latin-2: its texts would reach the controller as
    // their bytes, which only a fitter who knows why may want.
    const std::string latin2 = dir + "/latin2.ssf";
    writeAll(latin2, std::regex_replace(text, std::regex("m_devInfo.m_mountService\t[^\r\n]*"),
                                        "m_devInfo.m_mountService\tAuto-Gaz \xA3\xF3\x64\xBC"));
    rig.errors.clear();
    pick(rig, latin2);
    rig.frame.runCommand(ID_FILE_LOAD);
    ASSERT_EQ(rig.questions.size(), 1u);
    EXPECT_EQ(rig.questions[0],
              "Texts of the file are not in UTF-8 (the file was probably saved in another "
              "encoding) and would reach the controller like this: Mounting service name "
              "\"Auto-Gaz \uFFFD\uFFFDd\uFFFD\". Load the file all the same?");
    EXPECT_TRUE(rig.errors.empty());
    EXPECT_EQ(writes(), 0u);
    rig.answer = true;
    rig.frame.runCommand(ID_FILE_LOAD);
    EXPECT_TRUE(rig.errors.empty()) << rig.errors.front();
    const std::string name(reinterpret_cast<const char*>(stored().mount.data()) + 2, 13);
    EXPECT_EQ(name, "Auto-Gaz \xA3\xF3\x64\xBC");

    // A save that runs out of room, or meets a FIFO or a folder, keeps what
    // was there and leaves no temporary file.
    const std::vector<std::string> files = filesIn(dir);
    const std::string latin2Bytes = readAll(latin2);
    {
        CFileSizeLimit full(1000);
        rig.frame.runCommand(ID_FILE_SAVE); // still latin2.ssf
    }
    pick(rig, dir + "/fifo.ssf");
    rig.frame.runCommand(ID_FILE_SAVE);
    pick(rig, dir + "/folder.ssf");
    rig.frame.runCommand(ID_FILE_SAVE);
    const std::string cannotSave = "Cannot write the settings to the car data file: ";
    EXPECT_EQ(rig.errors, (std::vector<std::string>{
                              cannotSave + latin2 + ": cannot write the file (File too large)",
                              cannotSave + dir + "/fifo.ssf: not a regular file",
                              cannotSave + dir + "/folder.ssf: not a regular file"}));
    EXPECT_EQ(readAll(latin2), latin2Bytes);
    EXPECT_EQ(filesIn(dir), files);
    EXPECT_TRUE(fs::is_fifo(dir + "/fifo.ssf"));
    rig.frame.close();
}

TEST(BadRecording, RefusedAtOnceByPlaybackAndExportWithNoCsvLeft)
{
    CLanguageScope english(LANG_EN);
    CDataHomeScope home;
    CPortScope ports({"/nonexistent/ttyNIMO"});
    SFrameRig rig;
    rig.frame.startFirstConnection(true);
    const std::string dir = home.path() + "/rec";
    fs::create_directory(dir);
    std::vector<QString> offered;
    rig.frame.chooseDataFile = [&](const QString&, const QString&, const QString&, bool) {
        const QString next = offered.front();
        offered.erase(offered.begin());
        return next;
    };
    auto exportTo = [&](const std::string& recording, const std::string& csv) {
        offered = {QString::fromStdString(recording), QString::fromStdString(csv)};
        rig.frame.runCommand(ID_FILE_EXPORT_CSV);
    };

    std::vector<SBadRecording> bad = badRecordings();
    bad.push_back({"header-only.bin", [](const std::string& p) { writeAll(p, kHeader); }, nullptr});
    for (const SBadRecording& b : bad) {
        const std::string path = dir + "/" + b.name;
        b.make(path);
        const std::string said =
            b.reason ? path + b.reason : "The recording " + path + " holds no record.";
        rig.errors.clear();
        EXPECT_FALSE(rig.frame.openPlayback(QString::fromStdString(path))) << b.name;
        exportTo(path, home.path() + "/out.csv");
        EXPECT_EQ(rig.errors, (std::vector<std::string>{said, said}));
        EXPECT_EQ(rig.frame.playbackBar(), nullptr);
    }
    EXPECT_FALSE(fs::exists(home.path() + "/out.csv"));

    // Cut inside its third record: the two whole ones play and export, and
    // the fitter learns the file is damaged.
    const std::string cut = dir + "/cut-record.bin";
    writeAll(cut, kHeader + kRecord + kRecord + kRecord.substr(0, 30));
    const std::string note = "The recording " + cut +
                             " ends in an incomplete record (the file was cut short); it is left "
                             "out, whole records: 2.";
    rig.errors.clear();
    ASSERT_TRUE(rig.frame.openPlayback(QString::fromStdString(cut)));
    EXPECT_EQ(rig.frame.playbackBar()->playback().count(), 2u);
    rig.frame.closePlayback();
    const std::string csv = home.path() + "/cut.csv";
    exportTo(cut, csv);
    EXPECT_EQ(rig.errors, (std::vector<std::string>{note, note}));
    const std::string rows = readAll(csv);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 4);

    // An export that runs out of room, or meets a FIFO, leaves the target as
    // it was and nothing beside it.
    rig.errors.clear();
    const std::vector<std::string> files = filesIn(home.path());
    {
        CFileSizeLimit full(100);
        exportTo(cut, csv);
    }
    ::mkfifo((home.path() + "/fifo.csv").c_str(), 0600);
    exportTo(cut, home.path() + "/fifo.csv");
    ASSERT_EQ(rig.errors.size(), 2u);
    EXPECT_EQ(rig.errors[0],
              "Cannot export the recording to " + csv + ": cannot write the file (File too large)");
    EXPECT_EQ(rig.errors[1],
              "Cannot export the recording to " + home.path() + "/fifo.csv: not a regular file");
    EXPECT_EQ(readAll(csv), rows);
    std::vector<std::string> now = filesIn(home.path());
    now.erase(std::find(now.begin(), now.end(), "fifo.csv"));
    EXPECT_EQ(now, files);
    rig.frame.close();
}

// The controller's program killed under the window: while the live data
// flow, while the backup before a load is read, while the load writes, and
// while a restore from the history writes (out of its button's click).
TEST(LostController, AKilledControllerIsSaidWithWhatItMayHoldAndNothingFreezes)
{
    CLanguageScope english(LANG_EN);
    CDataHomeScope home;
    enum class EMoment { LiveData, BackupRead, Write, Restore };
    for (const EMoment moment :
         {EMoment::LiveData, EMoment::BackupRead, EMoment::Write, EMoment::Restore}) {
        SCOPED_TRACE(static_cast<int>(moment));
        const std::string trace = home.path() + "/trace";
        fs::remove(trace);
        CProcess emu({NIMO_EMU_EXE, "--pace", "--trace", trace});
        ASSERT_TRUE(emu.readLines(1, std::chrono::seconds(5)));
        CPortScope ports({emu.stdOut.substr(0, emu.stdOut.find('\n'))});
        SFrameRig rig;
        rig.frame.show();
        rig.frame.startFirstConnection();
        ASSERT_TRUE(rig.doc.isConnected());
        ASSERT_TRUE(eventually([&] { return rig.doc.m_history.added() >= 3; }));
        const std::string file = home.path() + "/car.ssf";
        rig.frame.chooseFile = [&](bool) { return QString::fromStdString(file); };
        rig.frame.runCommand(ID_FILE_SAVE);
        const std::string saved = readAll(file);
        writeAll(file, std::regex_replace(saved, std::regex("m_switchRPM\t[^\r\n]*"),
                                          "m_switchRPM\t2600"));
        fs::remove_all(home.historyRoot());
        CHistoryDlg* history = nullptr;
        if (moment == EMoment::Restore) {
            rig.frame.runCommand(ID_FILE_LOAD); // the backup to restore holds 1200
            ASSERT_TRUE(rig.errors.empty()) << rig.errors.front();
            rig.frame.runCommand(ID_FILE_HISTORY);
            history = qobject_cast<CHistoryDlg*>(rig.frame.openDialog());
            ASSERT_NE(history, nullptr);
            history->select(0);
            rig.answer = true;
        }

        // Killed as soon as the trace shows the request: the backup's read
        // of the settings (03 15), or the settings record written (0C).
        const std::size_t from = readAll(trace).size();
        const char* request = moment == EMoment::BackupRead ? "RX AA 55 16 03 15"
                              : moment == EMoment::LiveData ? "RX "
                                                            : "RX AA 55 16 0C";
        std::atomic<bool> killed{false};
        std::thread killer([&] {
            for (int i = 0; i < 5000 && !killed; ++i) {
                const std::string t = readAll(trace);
                if (t.size() > from && t.find(request, from) != std::string::npos) {
                    emu.signal(SIGKILL);
                    killed = true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        if (moment == EMoment::Restore)
            EXPECT_FALSE(history->restoreSelected());
        else if (moment != EMoment::LiveData)
            rig.frame.runCommand(ID_FILE_LOAD);
        const bool wasKilled = eventually([&] { return killed.load(); }, 10000);
        killer.join();
        ASSERT_TRUE(wasKilled);
        ASSERT_TRUE(eventually([&] { return rig.frame.reconnecting(); }, 15000));
        EXPECT_FALSE(rig.doc.isConnected());
        EXPECT_EQ(rig.frame.bottomView()->findChild<CColorStatic*>("1112")->text(),
                  "No connection");

        const std::string lost = "(Cannot perform the operation on the RS port)";
        const std::vector<std::string> backups = fs::exists(home.historyRoot() + "/si001")
                                                     ? filesIn(home.historyRoot() + "/si001")
                                                     : std::vector<std::string>{};
        if (moment == EMoment::LiveData) {
            EXPECT_TRUE(rig.errors.empty()) << rig.errors.front();
        } else if (moment == EMoment::BackupRead) {
            EXPECT_EQ(rig.errors, std::vector<std::string>{"The link to the controller broke off "
                                                           "before the settings were written " +
                                                           lost + "; nothing was changed."});
            EXPECT_TRUE(backups.empty());
        } else {
            // The newest backup: the load's, or the restore's beside the load's.
            ASSERT_EQ(backups.size(), moment == EMoment::Restore ? 2u : 1u);
            const auto newest = std::find_if(backups.begin(), backups.end(), [&](auto& name) {
                return name.find(moment == EMoment::Restore ? "_restore" : "_load") !=
                       std::string::npos;
            });
            ASSERT_NE(newest, backups.end());
            const std::string backup = home.historyRoot() + "/si001/" + *newest;
            EXPECT_EQ(rig.errors,
                      std::vector<std::string>{
                          "The link to the controller broke off while the settings were being "
                          "written " +
                          lost +
                          ". The controller may have taken only part of the new settings. The "
                          "previous ones are kept in " +
                          backup +
                          "; once the controller answers again, restore them in \"Settings "
                          "history...\"."});
            EXPECT_NE(readAll(backup).find(moment == EMoment::Restore ? "m_switchRPM\t2600\r\n"
                                                                      : "m_switchRPM\t1200\r\n"),
                      std::string::npos);
        }
        rig.frame.close();
    }
}

class NoDataFolder : public BadSettingsFile {};

TEST_F(NoDataFolder, EveryReplacementStopsBeforeItsFirstWriteAndSaysWhy)
{
    CPortScope ports({emu().path()});
    SFrameRig rig;
    registerViews(rig.frame);
    rig.answer = true;
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    const std::string file = home.path() + "/car.ssf";
    pick(rig, file);
    rig.frame.runCommand(ID_FILE_SAVE);
    rig.frame.runCommand(ID_FILE_LOAD); // a backup for the history to restore
    ASSERT_TRUE(rig.errors.empty()) << rig.errors.front();
    const SEmuStored before = stored();
    emu().resetCounters();

    // Restoring that backup into a disk that is full.
    rig.frame.runCommand(ID_FILE_HISTORY);
    auto* history = qobject_cast<CHistoryDlg*>(rig.frame.openDialog());
    ASSERT_NE(history, nullptr);
    history->select(0);
    {
        CFileSizeLimit full(100);
        EXPECT_FALSE(history->restoreSelected());
    }
    history->close();

    // The data folder under a plain file: load, factory settings and the
    // autocalibration's installation data all need a backup first.
    writeAll(home.path() + "/plain", "a file where a folder should be\n");
    CEnvScope data("XDG_DATA_HOME", home.path() + "/plain/data");
    rig.frame.runCommand(ID_FILE_LOAD);
    rig.frame.runCommand(ID_FILE_FACTORY);
    rig.frame.runCommand(ID_VIEW_AUTOSETUP);
    auto* calibration = dynamic_cast<CAutoSetupView*>(rig.frame.upperView());
    ASSERT_NE(calibration, nullptr);
    calibration->onMessageBox = [&](EAutoSetupBox, const std::string& t) {
        rig.errors.push_back(t);
    };
    calibration->onMountData = [](SDevInfo& info) {
        info.m_mountService = "Auto-Gaz";
        info.m_injSize = "3";
        info.m_engine = "1598";
        return true;
    };
    calibration->findChild<QPushButton*>("1019")->click();
    ASSERT_TRUE(eventually([&] { return calibration->runsEnded() == 1; }, 20000));
    EXPECT_EQ(calibration->lastEnd(), EAutoSetupEnd::Failed);

    ASSERT_EQ(rig.errors.size(), 4u);
    const std::string noBackup =
        "Cannot save a backup of the controller's settings; nothing was changed: ";
    EXPECT_EQ(rig.errors[0].rfind(noBackup, 0), 0u) << rig.errors[0];
    EXPECT_NE(rig.errors[0].find("(File too large)"), std::string::npos) << rig.errors[0];
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(rig.errors[i], noBackup + home.path() +
                                     "/plain/data/Nimo/nimo/History/si001/: the folder cannot be "
                                     "created (Not a directory)");
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(stored(), before);
    rig.frame.close();
}

TEST_F(NoDataFolder, APortThatCannotBeRememberedIsSaidOnceAndTheWindowWorksOn)
{
    writeAll(home.path() + "/plain", "a file where a folder should be\n");
    CEnvScope config("XDG_CONFIG_HOME", home.path() + "/plain/config");
    CPortScope ports({emu().path()});
    std::vector<std::string> errors;
    CQtShell shell(CUserConfig::defaultPath());
    shell.m_fastSleep = true;
    shell.onErrorBox = [&](const std::string& t) { errors.push_back(t); };
    shell.onAskDemoMode = [] { return false; };
    CAutrelDoc doc(shell);
    CMainFrame frame(doc, shell);
    frame.startFirstConnection();
    ASSERT_TRUE(doc.isConnected());
    const std::string notice = "Cannot write the program's settings file " + home.path() +
                               "/plain/config/Nimo/nimo.conf (Not a directory); port " +
                               emu().path() +
                               ", where the controller answers, will not be remembered for the "
                               "next start.";
    EXPECT_EQ(errors, std::vector<std::string>{notice});
    EXPECT_EQ(shell.lastPort(), 1); // for this run

    emu().unplug();
    ASSERT_TRUE(eventually([&] { return frame.reconnecting(); }, 15000));
    emu().replug();
    ASSERT_TRUE(eventually([&] { return doc.isConnected(); }, 8000));
    EXPECT_EQ(errors, std::vector<std::string>{notice});
    frame.close();
}
