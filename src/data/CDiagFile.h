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
// The recording name that means "do not record".
inline constexpr const char* NO_RECORDING = "\\";

class CDiagFile {
public:
    CDiagFile() = default;
    CDiagFile(const CDiagFile&) = delete;
    CDiagFile& operator=(const CDiagFile&) = delete;
    ~CDiagFile();

    // Writing starts a new file with its header; reading accepts version 1
    // only. On failure the file is closed and false returned.
    bool open(const std::string& path, bool write);
    // A record goes out whole and reaches the file before this returns, so a
    // recording ended at any moment holds only whole records. A short transfer
    // (a full disk) closes the file, cuts off the part of the record that got
    // in and returns false; error() then says why.
    bool write(const diag_t& rec);
    bool read(diag_t& rec);
    void close();
    bool isOpen() const { return m_file != nullptr; }
    const std::string& path() const { return m_path; }
    // Records written since the file was opened.
    std::uint64_t records() const { return m_records; }
    // The system's error number of the last failed open or write, 0 if none.
    int error() const { return m_error; }

private:
    bool m_write = false;
    std::uint64_t m_records = 0;
    int m_error = 0;
    std::FILE* m_file = nullptr;
    unsigned char m_header[DIAG_FILE_HEADER] = {};
    std::string m_path;
};

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
