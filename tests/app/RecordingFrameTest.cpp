// Recording, playback and export in the desktop application, on the offscreen
// platform: the record button against the virtual controller while its reader
// runs, a recording played on a clock of the test's own, and the CSV export.

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include "EmuGTest.h"
#include "app/AppCommands.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CPlaybackBar.h"
#include "app/CQtShell.h"
#include "controls/CColorStatic.h"
#include "data/CDiagFile.h"
#include "data/CUserConfig.h"
#include "data/LiveCsv.h"
#include "data/StatusBarValues.h"
#include "lang/LanguageScope.h"
#include "link/CPortList.h"
#include "link/Protocol.h"
#include "support/DataHomeScope.h"
#include "support/FileSizeLimit.h"
#include "support/FrameRig.h"
#include "views/CBottomView.h"

namespace {

// The playback runs on the test's own clock.
struct SPlaybackRig : SFrameRig {
    SPlaybackRig()
    {
        frame.playbackClock = [this] { return clock; };
    }
    double clock = 1000; // moved by the test alone
};

bool sameRecord(const diag_t& a, const diag_t& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<diag_t> readRecording(const std::string& path)
{
    CDiagFileReader reader;
    std::vector<diag_t> records;
    if (reader.open(path))
        reader.readAll(records);
    return records;
}

std::vector<std::string> recordingsIn(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        names.push_back(e.path().filename().string());
    return names;
}

QString shownRpm(CMainFrame& frame)
{
    return frame.bottomView()->findChild<CColorStatic*>("1108")->text();
}

// Three seconds of driving whose engine speed falls record by record, so the
// status bar tells which record it shows.
std::vector<diag_t> writeDrive(const std::string& path, std::size_t n = 45)
{
    std::vector<diag_t> records(n);
    CDiagFile f;
    EXPECT_TRUE(f.open(path, true));
    for (std::size_t i = 0; i < n; ++i) {
        records[i].fuel = 3;
        records[i].enginePeriod = static_cast<std::uint16_t>(2000 + 20 * i);
        records[i].channels[0].petrolA = static_cast<std::uint16_t>(100 + i);
        EXPECT_TRUE(f.write(records[i]));
    }
    return records;
}

QString rpmOf(const diag_t& rec)
{
    return QString::fromStdString(statusBarValues(rec).rpm);
}

} // namespace

class RecordingFrameEmu : public EmuTest {
protected:
    std::uint64_t diagRequests() { return emu().counters().m_commands[CMD_DIAG]; }
    // The frame linked to the controller, its reader bringing records.
    void link(SFrameRig& rig)
    {
        rig.frame.show();
        rig.frame.startFirstConnection();
        ASSERT_TRUE(rig.doc.isConnected());
        ASSERT_TRUE(eventually([&] { return rig.doc.m_history.added() >= 5; }));
    }

    CLanguageScope english{LANG_EN};
    CDataHomeScope home;
};

TEST_F(RecordingFrameEmu, TheRecordButtonRecordsWhatTheRunningReaderBringsAndAFullDiskStopsIt)
{
    emu().withState([](SEmuState& s) { s.m_serial = "SI 001"; });
    CPortScope ports({emu().path()});
    SPlaybackRig rig;
    ASSERT_NO_FATAL_FAILURE(link(rig));
    QAction* record = rig.frame.action(ID_RECORD);
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->isCheckable());
    EXPECT_EQ(record->toolTip(), "Record live data");

    const std::time_t before = std::time(nullptr);
    record->trigger();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(record->isChecked());
    ASSERT_TRUE(eventually([&] { return rig.doc.m_recorder.state().records >= 20; }));
    EXPECT_TRUE(eventually(
        [&] { return rig.frame.recordingStatus()->text().startsWith("Recording 0:0"); }));
    EXPECT_TRUE(rig.frame.recordingStatus()->text().contains(", records: "));
    record->trigger();
    EXPECT_FALSE(record->isChecked());
    // The reader was never stopped for it.
    EXPECT_EQ(rig.doc.m_liveReaders.count(), 1);
    ASSERT_TRUE(rig.errors.empty()) << rig.errors.front();

    const std::string dir = CUserConfig::recordingsDirectory();
    EXPECT_EQ(dir, home.path() + "/Nimo/nimo/Recordings/");
    const std::vector<std::string> names = recordingsIn(dir);
    ASSERT_EQ(names.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(names[0], m,
                                 std::regex(R"((\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d)_SI_001\.bin)")))
        << names[0];
    bool named = false;
    for (std::time_t t = before; t <= after; ++t)
        named = named || recordingFileName(t, "SI 001") == names[0];
    EXPECT_TRUE(named) << names[0];
    const std::vector<diag_t> recorded = readRecording(dir + names[0]);
    EXPECT_EQ(std::filesystem::file_size(dir + names[0]),
              DIAG_FILE_HEADER + recorded.size() * DIAG_RECORD_SIZE);
    ASSERT_EQ(recorded.size(), rig.doc.m_recorder.state().records);
    ASSERT_GE(recorded.size(), 20u);
    EXPECT_EQ(rig.frame.recordingStatus()->text(),
              QString::fromStdString("Saved " + names[0] + ", records: ") +
                  QString::number(recorded.size()));

    // Just what the reader delivered meanwhile: one unbroken run of the
    // records it handed to the views.
    std::vector<STimedRecord> seen;
    rig.doc.m_history.copySince(-1, seen);
    std::size_t at = 0;
    while (at < seen.size() && !sameRecord(seen[at].m_rec, recorded[0]))
        ++at;
    ASSERT_LE(at + recorded.size(), seen.size());
    for (std::size_t i = 0; i < recorded.size(); ++i)
        ASSERT_TRUE(sameRecord(seen[at + i].m_rec, recorded[i])) << i;

    // The export of that recording: a row for each of its records.
    const std::string csv = home.path() + "/drive.csv";
    std::vector<QString> offered = {QString::fromStdString(dir + names[0]),
                                    QString::fromStdString(csv)};
    std::vector<QString> proposed;
    rig.frame.chooseDataFile = [&](const QString& start, const QString&, const QString&, bool) {
        proposed.push_back(start);
        const QString next = offered.front();
        offered.erase(offered.begin());
        return next;
    };
    rig.frame.runCommand(ID_FILE_EXPORT_CSV);
    ASSERT_TRUE(rig.errors.empty()) << rig.errors.front();
    ASSERT_EQ(proposed.size(), 2u);
    EXPECT_EQ(proposed[1].toStdString(), dir + names[0].substr(0, names[0].size() - 4) + ".csv");
    std::ifstream in(csv);
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), recorded.size() + 2);
    EXPECT_EQ(rows[0], liveHeaderRow(','));
    EXPECT_EQ(rows[1].substr(0, 10), "rpm,ms,ms,");
    EXPECT_EQ(rows.back(), liveRow(recorded.back(), ','));
    EXPECT_EQ(rig.frame.recordingStatus()->text(),
              "Exported drive.csv, records: " + QString::number(recorded.size()));

    // A disk that fills up ends the next recording at its last whole record
    // and says so; the live data go on.
    const std::uint64_t seenBefore = rig.doc.m_history.added();
    std::string full;
    {
        record->trigger();
        ASSERT_TRUE(record->isChecked());
        full = rig.doc.m_recorder.state().path;
        CFileSizeLimit limit(std::filesystem::file_size(full) + 3 * DIAG_RECORD_SIZE + 30);
        ASSERT_TRUE(eventually([&] { return !rig.doc.m_recorder.recording(); }));
    }
    ASSERT_TRUE(eventually([&] { return !rig.errors.empty(); }));
    EXPECT_EQ(rig.errors[0].rfind("Recording stopped: cannot write the file " + full + " (", 0), 0u)
        << rig.errors[0];
    EXPECT_FALSE(record->isChecked());
    const std::uintmax_t size = std::filesystem::file_size(full);
    EXPECT_EQ((size - DIAG_FILE_HEADER) % DIAG_RECORD_SIZE, 0u);
    EXPECT_EQ(readRecording(full).size(), rig.doc.m_recorder.state().records);
    EXPECT_TRUE(eventually([&] { return rig.doc.m_history.added() > seenBefore + 10; }));
    rig.frame.close();
}

TEST_F(RecordingFrameEmu, APlaybackPausesTheLiveDataDrivesTheStatusBarAndGivesThemBack)
{
    CPortScope ports({emu().path()});
    SPlaybackRig rig;
    ASSERT_NO_FATAL_FAILURE(link(rig));
    const std::string file = home.path() + "/drive.bin";
    const std::vector<diag_t> drive = writeDrive(file);

    rig.frame.chooseDataFile = [&](const QString&, const QString&, const QString&, bool) {
        return QString::fromStdString(file);
    };
    rig.frame.runCommand(ID_FILE_PLAYBACK);
    CPlaybackBar* bar = rig.frame.playbackBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(rig.doc.m_liveReaders.count(), 0);
    EXPECT_FALSE(rig.frame.action(ID_RECORD)->isEnabled());
    auto* time = bar->findChild<QLabel*>("time");
    auto* position = bar->findChild<QSlider*>("position");
    auto* speed = bar->findChild<QComboBox*>("speed");
    auto* play = bar->findChild<QToolButton*>("play");
    ASSERT_TRUE(time && position && speed && play);
    const std::uint64_t requests = diagRequests();

    auto step = [&](double seconds) {
        rig.clock += seconds;
        bar->tick();
        rig.frame.onDisplayTick();
    };
    step(0);
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive[0]));
    EXPECT_EQ(time->text(), "0:00 / 0:03");
    step(1);
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive[15]));
    EXPECT_EQ(rig.doc.m_history.count(), 16u);

    speed->setCurrentIndex(speed->findData(4.0));
    step(0.25); // 1 s of the recording at 4x
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive[30]));
    EXPECT_EQ(time->text(), "0:02 / 0:03");
    EXPECT_EQ(position->value(), 30);

    play->click(); // pause
    step(10);
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive[30]));
    // Scrubbing back: the plot's history starts again with what lies before.
    position->setValue(6);
    rig.frame.onDisplayTick();
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive[6]));
    EXPECT_EQ(rig.doc.m_history.count(), 7u);

    play->click(); // on again, to the end: the 38 records left take 0.63 s at 4x
    step(0.7);
    EXPECT_FALSE(bar->playback().playing());
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive.back()));
    EXPECT_EQ(time->text(), "0:03 / 0:03");
    EXPECT_EQ(position->value(), position->maximum());
    EXPECT_EQ(rig.doc.m_history.count(), drive.size());
    // Not one request reached the controller meanwhile.
    EXPECT_EQ(diagRequests(), requests);
    EXPECT_TRUE(rig.errors.empty());

    bar->findChild<QToolButton*>("close")->click();
    ASSERT_TRUE(eventually([&] { return rig.frame.playbackBar() == nullptr; }));
    EXPECT_EQ(rig.doc.m_liveReaders.count(), 1);
    EXPECT_TRUE(rig.frame.action(ID_RECORD)->isEnabled());
    ASSERT_TRUE(eventually([&] { return diagRequests() > requests + 5; }));
    ASSERT_TRUE(eventually([&] { return rig.doc.m_history.count() >= 5; }));
    std::vector<STimedRecord> live;
    rig.doc.m_history.copySince(-1, live);
    for (const STimedRecord& r : live)
        EXPECT_GT(r.m_seconds, 10.0) << "a record of the playback is left";
    rig.frame.close();
}

TEST(RecordingFrame, APlaybackNeedsNoControllerAndTheReconnectionWaitsForIt)
{
    CLanguageScope polish(LANG_PL);
    CDataHomeScope home;
    CPortScope ports({"/nonexistent/ttyNIMO"});
    SPlaybackRig rig;
    rig.frame.startFirstConnection();
    ASSERT_FALSE(rig.doc.isConnected());
    ASSERT_TRUE(rig.frame.reconnecting());

    // A recording that cannot start says where and why, and stays off.
    std::filesystem::create_directories(home.path() + "/Nimo/nimo");
    std::ofstream(home.path() + "/Nimo/nimo/Recordings") << "a file where the folder should be\n";
    rig.frame.action(ID_RECORD)->trigger();
    EXPECT_FALSE(rig.frame.action(ID_RECORD)->isChecked());
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(rig.errors[0].rfind(
                  "Nie można rozpocząć nagrywania: " + CUserConfig::recordingsDirectory() +
                      ": nie można utworzyć katalogu (",
                  0),
              0u)
        << rig.errors[0];
    rig.errors.clear();

    // Not a recording, and a recording of nothing: both say why.
    const std::string bad = home.path() + "/bad.bin";
    std::ofstream(bad, std::ios::binary) << std::string("\x02\0\0\0\0\0\0\0", 8);
    EXPECT_FALSE(rig.frame.openPlayback(QString::fromStdString(bad)));
    const std::string empty = home.path() + "/empty.bin";
    writeDrive(empty, 0);
    EXPECT_FALSE(rig.frame.openPlayback(QString::fromStdString(empty)));
    ASSERT_EQ(rig.errors.size(), 2u);
    EXPECT_NE(rig.errors[0].find("to nie jest nagranie"), std::string::npos) << rig.errors[0];
    EXPECT_EQ(rig.errors[1], "Nagranie " + empty + " nie zawiera żadnego rekordu.");
    EXPECT_EQ(rig.frame.playbackBar(), nullptr);
    EXPECT_TRUE(rig.frame.reconnecting());

    const std::string file = home.path() + "/drive.bin";
    const std::vector<diag_t> drive = writeDrive(file);
    ASSERT_TRUE(rig.frame.openPlayback(QString::fromStdString(file)));
    EXPECT_FALSE(rig.frame.reconnecting());
    EXPECT_TRUE(rig.frame.displayTimerActive());
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive[0]));
    rig.clock += 2;
    rig.frame.playbackBar()->tick();
    rig.frame.onDisplayTick();
    EXPECT_EQ(shownRpm(rig.frame), rpmOf(drive[30]));
    EXPECT_EQ(rig.frame.playbackBar()->findChild<QToolButton*>("play")->toolTip(), "Pauza");
    rig.frame.setLanguage(LANG_EN);
    EXPECT_EQ(rig.frame.playbackBar()->findChild<QToolButton*>("play")->toolTip(), "Pause");
    EXPECT_EQ(rig.frame.playbackBar()->findChild<QLabel*>("name")->text(), "Playback: drive.bin");

    rig.frame.closePlayback();
    EXPECT_EQ(rig.frame.playbackBar(), nullptr);
    EXPECT_TRUE(rig.frame.reconnecting());
    EXPECT_FALSE(rig.frame.displayTimerActive());
    EXPECT_EQ(rig.doc.m_history.count(), 0u);
    EXPECT_NE(shownRpm(rig.frame), rpmOf(drive[30]));
}
