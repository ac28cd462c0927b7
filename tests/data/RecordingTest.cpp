#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "data/CDiagFile.h"
#include "errors/IError.h"
#include "lang/LanguageScope.h"

namespace {

std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() /
            ("nimo-rec-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

std::vector<unsigned char> bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

diag_t sample(int i)
{
    diag_t rec{};
    rec.workMode = 1;
    rec.fuel = 3;
    rec.enginePeriod = static_cast<std::uint16_t>(4000 + i);
    rec.channels[7].corrB = static_cast<std::uint16_t>(65535 - i);
    return rec;
}

} // namespace

TEST(Recording, RoundTripKeepsEveryRecordExactly)
{
    const auto path = tempPath("roundtrip");
    {
        CDiagFile out;
        ASSERT_TRUE(out.open(path, true));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(out.write(sample(i)));
    }
    const auto bytes = bytesOf(path);
    ASSERT_EQ(bytes.size(), 8u + 5u * 76u);
    // Version 1 and a reserved word, both little-endian.
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 8),
              (std::vector<unsigned char>{1, 0, 0, 0, 0, 0, 0, 0}));
    // The period word of the first record, 4000 = 0x0FA0, low byte first.
    EXPECT_EQ(bytes[8 + 10], 0xA0);
    EXPECT_EQ(bytes[8 + 11], 0x0F);

    CDiagFileReader reader;
    ASSERT_TRUE(reader.open(path));
    std::vector<diag_t> records;
    reader.readAll(records);
    ASSERT_EQ(records.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const diag_t want = sample(i);
        EXPECT_EQ(std::memcmp(&records[i], &want, sizeof(diag_t)), 0) << i;
    }
    std::remove(path.c_str());
}

TEST(Recording, OnlyVersionOneIsAcceptedAndHalfRecordsAreNotInvented)
{
    const auto path = tempPath("damaged");
    {
        std::ofstream f(path, std::ios::binary);
        const unsigned char header[8] = {2, 0, 0, 0, 0, 0, 0, 0};
        f.write(reinterpret_cast<const char*>(header), 8);
    }
    CDiagFile file;
    EXPECT_FALSE(file.open(path, false));
    EXPECT_FALSE(file.isOpen());
    EXPECT_TRUE(file.path().empty());

    {
        CDiagFile out;
        ASSERT_TRUE(out.open(path, true));
        ASSERT_TRUE(out.write(sample(1)));
    }
    {
        std::ofstream f(path, std::ios::binary | std::ios::app);
        f.write("\x01\x02\x03", 3); // a record cut short by a crash
    }
    CDiagFileReader reader;
    ASSERT_TRUE(reader.open(path));
    std::vector<diag_t> records;
    reader.readAll(records);
    EXPECT_EQ(records.size(), 1u);
    std::remove(path.c_str());

    EXPECT_FALSE(file.open(tempPath("missing/none"), false));
}

TEST(Recording, WhatIsNoRecordingIsRefusedAtOnceWithItsReason)
{
    CLanguageScope english(LANG_EN);
    const std::string dir = tempPath("bad");
    std::filesystem::create_directory(dir);
    const std::string header("\x01\0\0\0\0\0\0\0", 8);
    auto file = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir + "/" + name;
    };
    // A sparse file far past the limit behind a good header: refused by its
    // size, never read in (playback would hold it in memory whole).
    const std::string huge = file("huge.bin", header);
    std::filesystem::resize_file(huge, std::uintmax_t{4} << 30);
    const std::string fifo = dir + "/fifo.bin";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {file("empty.bin", ""), ": not a recording (cannot be read, or not format version 1)"},
        {file("short.bin", header.substr(0, 5)), ": not a recording"},
        {file("v2.bin", std::string("\x02\0\0\0\0\0\0\0", 8) + std::string(76, 'x')),
         ": not a recording"},
        {huge, ": the file is too large for a recording"},
        {dir, ": not a regular file"},
        {fifo, ": not a regular file"}, // no writer is waited for
        {dir + "/missing.bin", ": cannot open the file (No such file or directory)"},
    };
    for (const auto& c : cases) {
        CDiagFileReader reader;
        EXPECT_FALSE(reader.open(c.path)) << c.path;
        EXPECT_EQ(reader.file().problem().rfind(c.path + c.reason, 0), 0u)
            << reader.file().problem();
    }
    // Nor is a recording started over a directory or a FIFO; both stay.
    for (const std::string& path : {dir, fifo}) {
        CDiagFile out;
        EXPECT_FALSE(out.open(path, true)) << path;
        EXPECT_EQ(out.problem(), path + ": not a regular file");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    std::filesystem::remove_all(dir);
}

TEST(Recording, ReadingWithoutAFileThrowsItsError)
{
    CDiagFileReader reader;
    std::vector<diag_t> records;
    try {
        reader.readAll(records);
        FAIL() << "no error thrown";
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        EXPECT_EQ(owned->code(), 4);
        EXPECT_EQ(owned->text(), "Nie można otworzyć pliku do odczytu danych diagnostycznych");
        EXPECT_EQ(owned->description(), "Błąd czasu wykonania");
    }
}
