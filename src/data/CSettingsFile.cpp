#include "data/CSettingsFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "data/SettingsKeys.h"
#include "data/TempFileBeside.h"
#include "lang/Translation.h"

namespace {

// What went wrong in our own translated words; the system's text, which is
// in whatever language the C library speaks, only follows in parentheses.
std::string reason(const char* polish, int err)
{
    std::string text = translate(polish);
    if (err != 0) {
        text += " (";
        text += std::strerror(err);
        text += ")";
    }
    return text;
}

constexpr const char* kCannotOpen = "nie można otworzyć pliku";
constexpr const char* kCannotCreate = "nie można utworzyć pliku w tym katalogu";
constexpr const char* kCannotWrite = "nie można zapisać pliku";
constexpr const char* kCannotReplace = "nie można zastąpić pliku";

} // namespace

CSettingsFile::~CSettingsFile()
{
    close();
}

bool CSettingsFile::fail(const char* polish, int err)
{
    m_error = reason(polish, err);
    return false;
}

bool CSettingsFile::open(const std::string& path, bool forWriting)
{
    close();
    m_error.clear();
    if (path.empty()) {
        return fail("nie podano nazwy pliku");
    }
    return forWriting ? openForWriting(path) : openForReading(path);
}

bool CSettingsFile::openForReading(const std::string& path)
{
    // Non-blocking open and a type check first: a FIFO or a device named by
    // mistake must fail at once, not hang the loader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return fail(kCannotOpen, errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail("to nie jest zwykły plik");
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int err = errno;
        ::close(fd);
        return fail(kCannotOpen, err);
    }
    std::string data;
    char chunk[8192];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        data.append(chunk, got);
        if (data.size() > MAX_FILE) {
            std::fclose(file);
            return fail("plik jest za duży jak na plik ustawień");
        }
    }
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        return fail("nie można odczytać pliku");
    }

    // Editors on Windows like to put a byte-order mark in front; one saved as
    // "Unicode" writes UTF-16, in which no key would ever be found.
    std::string_view rest(data);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        rest.remove_prefix(3);
    } else if (rest.substr(0, 2) == "\xFF\xFE" || rest.substr(0, 2) == "\xFE\xFF") {
        return fail("plik zapisano w UTF-16; plik ustawień musi być w UTF-8");
    }
    std::vector<std::pair<std::string, std::string>> entries;
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
        // Only a line end is taken off: the last line may have none.
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > MAX_LINE) {
            return fail("wiersz jest za długi jak na plik ustawień");
        }
        const std::size_t tab = line.find('\t');
        if (tab != std::string_view::npos) {
            entries.emplace_back(std::string(line.substr(0, tab)),
                                 std::string(line.substr(tab + 1)));
        }
    }
    m_entries = std::move(entries);
    m_path = path;
    return true;
}

bool CSettingsFile::openForWriting(const std::string& path)
{
    // Said in our words before a temporary file is made beside a device.
    if (!writeTargetProblem(path).empty())
        return fail("to nie jest zwykły plik");
    std::string temp;
    const int fd = createTempBeside(path, temp);
    if (fd < 0) {
        return fail(kCannotCreate, errno);
    }
    m_file = ::fdopen(fd, "wb");
    if (m_file == nullptr) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(kCannotCreate, err);
    }
    m_tempPath = temp;
    m_path = path;
    m_writeFailed = false;
    return true;
}

bool CSettingsFile::commit()
{
    if (m_file == nullptr) {
        return fail("plik nie jest otwarty do zapisu");
    }
    // A write that failed earlier keeps its own reason.
    bool ok = !m_writeFailed;
    std::string why = m_error;
    if (ok &&
        (std::fflush(m_file) != 0 || std::ferror(m_file) != 0 || ::fsync(::fileno(m_file)) != 0)) {
        ok = false;
        why = reason(kCannotWrite, errno);
    }
    if (std::fclose(m_file) != 0 && ok) {
        ok = false;
        why = reason(kCannotWrite, errno);
    }
    m_file = nullptr;
    if (ok && std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        ok = false;
        why = reason(kCannotReplace, errno);
    }
    if (!ok) {
        ::unlink(m_tempPath.c_str());
    }
    m_tempPath.clear();
    m_path.clear();
    if (!ok) {
        m_error = why.empty() ? reason(kCannotWrite, 0) : why;
    }
    return ok;
}

void CSettingsFile::close()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
    m_entries.clear();
    m_path.clear();
}

bool CSettingsFile::writeLine(std::string_view key, std::string_view value)
{
    if (m_file == nullptr) {
        return fail("plik nie jest otwarty do zapisu");
    }
    const bool breaksFormat = key.empty() ||
                              key.find_first_of("\t\r\n") != std::string_view::npos ||
                              value.find_first_of("\r\n") != std::string_view::npos;
    if (breaksFormat) {
        m_writeFailed = true;
        return fail("wartość zawiera znak końca wiersza");
    }
    // CR LF on every platform: the files travel between workshops' PCs.
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append(1, '\t').append(value).append("\r\n");
    if (std::fwrite(line.data(), 1, line.size(), m_file) != line.size()) {
        m_writeFailed = true;
        return fail(kCannotWrite, errno);
    }
    return true;
}

bool CSettingsFile::writeNumber(std::string_view key, double value)
{
    return writeLine(key, formatSettingsNumber(value));
}

bool CSettingsFile::writeText(std::string_view key, std::string_view text)
{
    return writeLine(key, text);
}

bool CSettingsFile::readText(std::string_view key, std::string& text) const
{
    for (const auto& [name, value] : m_entries) {
        if (name == key) {
            text = value;
            return true;
        }
    }
    return false;
}

std::vector<std::string> CSettingsFile::values(std::string_view key) const
{
    std::vector<std::string> all;
    for (const auto& [name, value] : m_entries) {
        if (name == key) {
            all.push_back(value);
        }
    }
    return all;
}

bool CSettingsFile::readNumber(std::string_view key, double& value) const
{
    std::string text;
    return readText(key, text) && parseSettingsNumber(text, value);
}
