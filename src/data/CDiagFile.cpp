#include "data/CDiagFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "errors/CRunTime.h"

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
    errno = 0;
    m_file = std::fopen(path.c_str(), write ? "wb" : "rb");
    if (!m_file) {
        m_error = errno;
        return false;
    }
    m_path = path;
    bool ok;
    if (write) {
        std::memset(m_header, 0, sizeof m_header);
        putLE32(m_header, DIAG_FILE_VERSION);
        ok = std::fwrite(m_header, 1, sizeof m_header, m_file) == sizeof m_header &&
             std::fflush(m_file) == 0;
    } else {
        ok = std::fread(m_header, 1, sizeof m_header, m_file) == sizeof m_header &&
             getLE32(m_header) == DIAG_FILE_VERSION;
    }
    if (!ok) {
        m_error = errno;
        close();
    }
    return ok;
}

bool CDiagFile::write(const diag_t& rec)
{
    if (!m_file || !m_write)
        return false;
    // Records are kept little-endian in memory on every platform we build for;
    // the file holds them exactly as in memory.
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
