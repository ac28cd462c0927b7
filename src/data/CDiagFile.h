// A recording of live data: an 8-byte header (format version 1, reserved 0,
// little-endian) and then whole 76-byte records, nothing after the last one.
// Thread safety: one instance per thread.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "data/DiagRecord.h"

constexpr std::uint32_t DIAG_FILE_VERSION = 1;
constexpr std::size_t DIAG_FILE_HEADER = 8;
// 512 MiB, some five days of records at the line's 15 a second: a recording
// grows no larger, and a larger file is no recording (playback holds a
// recording in memory whole).
constexpr std::uint64_t DIAG_FILE_MAX_BYTES = std::uint64_t{512} << 20;
// The recording name that means "do not record".
inline constexpr const char* NO_RECORDING = "\\";

class CDiagFile {
public:
    CDiagFile() = default;
    CDiagFile(const CDiagFile&) = delete;
    CDiagFile& operator=(const CDiagFile&) = delete;
    ~CDiagFile();

    // Writing starts a new file with its header (never in place of a
    // directory, device or FIFO); reading accepts a regular file of version 1
    // within DIAG_FILE_MAX_BYTES only, and never waits on a FIFO. On failure
    // the file is closed, false returned and problem() says why.
    bool open(const std::string& path, bool write);
    // A record goes out whole and reaches the file before this returns, so a
    // recording ended at any moment holds only whole records. A short transfer
    // (a full disk) closes the file, cuts off the part of the record that got
    // in and returns false; error() then says why. So does a record that would
    // take the file past DIAG_FILE_MAX_BYTES (EFBIG).
    bool write(const diag_t& rec);
    bool read(diag_t& rec);
    void close();
    bool isOpen() const { return m_file != nullptr; }
    const std::string& path() const { return m_path; }
    // Records written since the file was opened.
    std::uint64_t records() const { return m_records; }
    // The system's error number of the last failed open or write, 0 if none
    // (and for a file that opens but is no recording).
    int error() const { return m_error; }
    // Why the last open failed, in the current language, after the file's
    // name: "drive.bin: not a regular file", "...: not a recording (...)".
    const std::string& problem() const { return m_problem; }

private:
    bool openForReading(const std::string& path);
    bool openForWriting(const std::string& path);
    bool fail(const std::string& path, int err, const char* polish);

    bool m_write = false;
    std::uint64_t m_records = 0;
    int m_error = 0;
    std::FILE* m_file = nullptr;
    unsigned char m_header[DIAG_FILE_HEADER] = {};
    std::string m_path;
    std::string m_problem;
};

// Why path cannot take a new recording before anything is opened: it is a
// directory, a device or a FIFO (opening one for writing may wait for a
// reader forever). Translated, after the name; empty when it may.
std::string recordingTargetProblem(const std::string& path);

// Plays a recording back.
class CDiagFileReader {
public:
    bool open(const std::string& path) { return m_file.open(path, false); }
    // 0 a record, 2 at the end or on a short read.
    int readRecord(diag_t& rec);
    // Every record still in the file; throws IError code 4 when none is open.
    void readAll(std::vector<diag_t>& records);
    CDiagFile& file() { return m_file; }

private:
    CDiagFile m_file;
};
