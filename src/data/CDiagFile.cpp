#include "data/CDiagFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "data/TempFileBeside.h"
#include "errors/CRunTime.h"
#include "lang/Translation.h"

namespace {

void putLE32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t getLE32(const unsigned char* p)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

} // namespace

CDiagFile::~CDiagFile()
{
    close();
}

bool CDiagFile::open(const std::string& path, bool write)
{
    close();
    m_write = write;
    m_records = 0;
    m_error = 0;
    m_problem.clear();
    return write ? openForWriting(path) : openForReading(path);
}

bool CDiagFile::fail(const std::string& path, int err, const char* polish)
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_path.clear();
    m_error = err;
    m_problem = polish != nullptr ? path + ": " + translate(polish) : std::string();
    if (polish != nullptr && err != 0)
        m_problem += std::string(" (") + std::strerror(err) + ")";
    return false;
}

bool CDiagFile::openForReading(const std::string& path)
{
    // Non-blocking, so that a FIFO named by mistake is refused, not waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(path, errno, "nie można otworzyć pliku");
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(path, 0, "to nie jest zwykły plik");
    }
    if (static_cast<std::uint64_t>(info.st_size) > DIAG_FILE_MAX_BYTES) {
        ::close(fd);
        return fail(path, 0, "plik jest za duży jak na nagranie");
    }
    m_file = ::fdopen(fd, "rb");
    if (!m_file) {
        const int err = errno;
        ::close(fd);
        return fail(path, err, "nie można otworzyć pliku");
    }
    if (std::fread(m_header, 1, sizeof m_header, m_file) != sizeof m_header ||
        getLE32(m_header) != DIAG_FILE_VERSION) {
        const int err = std::ferror(m_file) ? EIO : 0;
        fail(path, err, nullptr);
        m_problem = path + translate(": to nie jest nagranie (nie można go odczytać albo zapisano "
                                     "je w formacie innym niż wersja 1)");
        return false;
    }
    m_path = path;
    return true;
}

bool CDiagFile::openForWriting(const std::string& path)
{
    if (std::string why = recordingTargetProblem(path); !why.empty()) {
        fail(path, EINVAL, nullptr);
        m_problem = why;
        return false;
    }
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(path, errno, "nie można utworzyć pliku w tym katalogu");
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        const int err = errno;
        ::close(fd);
        return fail(path, err, "nie można utworzyć pliku w tym katalogu");
    }
    m_path = path;
    std::memset(m_header, 0, sizeof m_header);
    putLE32(m_header, DIAG_FILE_VERSION);
    errno = 0;
    if (std::fwrite(m_header, 1, sizeof m_header, m_file) != sizeof m_header ||
        std::fflush(m_file) != 0) {
        fail(path, errno != 0 ? errno : EIO, "nie można zapisać pliku");
        // Without its header the file would only be refused by every reader.
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

std::string recordingTargetProblem(const std::string& path)
{
    const std::string why = writeTargetProblem(path);
    return why.empty() ? why : path + ": " + why;
}

bool CDiagFile::write(const diag_t& rec)
{
    if (!m_file || !m_write)
        return false;
    // Records are kept little-endian in memory on every platform we build for;
    // the file holds them exactly as in memory.
    if (DIAG_FILE_HEADER + (m_records + 1) * sizeof rec > DIAG_FILE_MAX_BYTES) {
        m_error = EFBIG;
        close();
        return false;
    }
    errno = 0;
    if (std::fwrite(&rec, 1, sizeof rec, m_file) != sizeof rec || std::fflush(m_file) != 0) {
        m_error = errno != 0 ? errno : EIO;
        // A full disk takes part of a record; the file must end after the
        // last whole one. Cut only after closing, which may push out more of
        // what stdio still holds.
        const std::string path = m_path;
        const auto whole = static_cast<std::uintmax_t>(DIAG_FILE_HEADER + m_records * sizeof rec);
        close();
        std::error_code ec;
        if (std::filesystem::file_size(path, ec) > whole && !ec)
            std::filesystem::resize_file(path, whole, ec);
        return false;
    }
    ++m_records;
    return true;
}

bool CDiagFile::read(diag_t& rec)
{
    if (!m_file || m_write)
        return false;
    if (std::fread(&rec, 1, sizeof rec, m_file) != sizeof rec) {
        close();
        return false;
    }
    return true;
}

void CDiagFile::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_path.clear();
}

int CDiagFileReader::readRecord(diag_t& rec)
{
    return m_file.read(rec) ? 0 : 2;
}

void CDiagFileReader::readAll(std::vector<diag_t>& records)
{
    if (!m_file.isOpen())
        throwIError(4, "Nie można otworzyć pliku do odczytu danych diagnostycznych", __LINE__,
                    "deviceinput");
    diag_t rec{};
    while (readRecord(rec) == 0)
        records.push_back(rec);
}
