// Line-oriented key/value file: "key TAB value CR LF" per entry. Reading
// takes CR LF or LF; writing goes to a temporary file beside the target that
// replaces it only on commit(), so a failed save never damages the old file.
// Thread safety: one instance per thread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CSettingsFile {
public:
    // A settings file is a few kilobytes; anything far beyond is not one.
    static constexpr std::size_t MAX_LINE = 4096;
    static constexpr std::size_t MAX_FILE = std::size_t{1024} * 1024;

    CSettingsFile() = default;
    CSettingsFile(const CSettingsFile&) = delete;
    CSettingsFile& operator=(const CSettingsFile&) = delete;
    ~CSettingsFile();

    // For reading the whole file is taken in at once and refused when it or
    // one of its lines is too long. For writing a temporary file is created
    // in the target's directory.
    bool open(const std::string& path, bool forWriting);
    // Writing: flushes, syncs and closes the temporary file and renames it
    // over the target. False, with the target untouched, when this or any
    // earlier write failed.
    bool commit();
    // Harmless when closed; an uncommitted temporary file is removed.
    void close();

    // One line each; false when the line cannot be written or would break the
    // format (a key holding TAB or a line end, a value holding a line end).
    bool writeNumber(std::string_view key, double value);
    bool writeText(std::string_view key, std::string_view text);

    // The value of the first line whose text before its first TAB is key;
    // everything after that TAB, which may itself hold TABs or be empty.
    bool readText(std::string_view key, std::string& text) const;
    // Every value given for key, in file order; empty when it is missing.
    std::vector<std::string> values(std::string_view key) const;
    // readText, and the value must be a complete decimal number.
    bool readNumber(std::string_view key, double& value) const;

    bool isOpen() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }
    // Why the last open, write or commit failed, translated.
    const std::string& lastError() const { return m_error; }

private:
    bool openForReading(const std::string& path);
    bool openForWriting(const std::string& path);
    bool writeLine(std::string_view key, std::string_view value);
    // Keeps the translated reason (and the system's text for err) for lastError.
    bool fail(const char* polish, int err = 0);

    std::string m_path;
    std::string m_tempPath;
    std::FILE* m_file = nullptr;
    bool m_writeFailed = false;
    std::string m_error;
    std::vector<std::pair<std::string, std::string>> m_entries;
};
