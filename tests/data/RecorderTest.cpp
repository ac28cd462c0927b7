#include <atomic>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "data/CDiagFile.h"
#include "data/CRecorder.h"
#include "support/DataHomeScope.h"
#include "support/FileSizeLimit.h"

namespace {

// Records numbered by their engine period, so a gap or a repeat shows.
diag_t numbered(std::uint32_t n)
{
    diag_t rec{};
    rec.enginePeriod = static_cast<std::uint16_t>(n);
    rec.channels[3].corrB = static_cast<std::uint16_t>(n >> 16);
    return rec;
}

std::uint32_t numberOf(const diag_t& rec)
{
    return rec.enginePeriod | static_cast<std::uint32_t>(rec.channels[3].corrB) << 16;
}

std::vector<diag_t> readBack(const std::string& path)
{
    CDiagFileReader reader;
    std::vector<diag_t> records;
    EXPECT_TRUE(reader.open(path)) << path;
    if (reader.file().isOpen())
        reader.readAll(records);
    EXPECT_EQ(std::filesystem::file_size(path), DIAG_FILE_HEADER + records.size() * 76) << path;
    return records;
}

} // namespace

TEST(Recorder, SwitchesOnAndOffWhileTheReaderWritesWithoutSplittingOrLosingRecords)
{
    CDataHomeScope home;
    CRecorder recorder;
    std::atomic<bool> running{true};
    std::atomic<std::uint32_t> sent{0};
    std::thread reader([&] {
        while (running) {
            recorder.write(numbered(sent + 1));
            ++sent;
        }
    });
    auto waitForMore = [&](std::uint32_t n) {
        const std::uint32_t from = sent;
        while (sent < from + n)
            std::this_thread::yield();
    };
    const std::string first = home.path() + "/a.bin";
    const std::string second = home.path() + "/b.bin";
    ASSERT_EQ(recorder.start(first), 0);
    waitForMore(500);
    // Straight from one file into the next, as a fitter's second press might.
    ASSERT_EQ(recorder.start(second), 0);
    waitForMore(500);
    recorder.stop();
    const SRecorderState state = recorder.state();
    waitForMore(100);
    running = false;
    reader.join();

    const std::vector<diag_t> a = readBack(first);
    const std::vector<diag_t> b = readBack(second);
    ASSERT_GE(a.size(), 500u);
    ASSERT_GE(b.size(), 500u);
    EXPECT_EQ(state.records, b.size());
    EXPECT_FALSE(state.recording);
    EXPECT_EQ(state.path, second);
    // Each file is one unbroken run of what the reader wrote, and the second
    // takes up right after the first: nothing lost at the switch.
    for (const auto* run : {&a, &b})
        for (std::size_t i = 1; i < run->size(); ++i)
            ASSERT_EQ(numberOf((*run)[i]), numberOf((*run)[i - 1]) + 1) << i;
    EXPECT_EQ(numberOf(b.front()), numberOf(a.back()) + 1);
}

TEST(Recorder, AFullDiskEndsTheRecordingWithItsWholeRecordsAndALimitEndsItQuietly)
{
    CDataHomeScope home;
    CRecorder recorder;
    const std::string path = home.path() + "/full.bin";
    ASSERT_EQ(recorder.start(path), 0);
    {
        // Room for the header, three records and 30 bytes of a fourth.
        CFileSizeLimit limit(DIAG_FILE_HEADER + 3 * 76 + 30);
        for (std::uint32_t n = 1; n <= 6; ++n)
            recorder.write(numbered(n));
    }
    SRecorderState state = recorder.state();
    EXPECT_FALSE(state.recording);
    EXPECT_EQ(state.failure, EFBIG);
    EXPECT_EQ(state.records, 3u);
    const std::vector<diag_t> kept = readBack(path);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(numberOf(kept.back()), 3u);

    const std::string limited = home.path() + "/limited.bin";
    ASSERT_EQ(recorder.start(limited, 2), 0);
    for (std::uint32_t n = 1; n <= 5; ++n)
        recorder.write(numbered(n));
    state = recorder.state();
    EXPECT_FALSE(state.recording);
    EXPECT_EQ(state.failure, 0);
    EXPECT_EQ(readBack(limited).size(), 2u);

    EXPECT_EQ(recorder.start(home.path() + "/no/such/folder.bin"), ENOENT);
    EXPECT_FALSE(recorder.recording());
}
