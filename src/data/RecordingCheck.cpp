#include "data/RecordingCheck.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "data/CDiagFile.h"
#include "lang/Translation.h"

namespace {

std::string megabytes(std::uintmax_t bytes)
{
    return std::to_string((bytes + (std::uintmax_t{1} << 20) - 1) >> 20);
}

} // namespace

SRecordingCheck checkRecording(const std::string& path)
{
    SRecordingCheck check;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        check.error =
            path + ": " + translate("nie można otworzyć pliku") + " (" + std::strerror(errno) + ")";
        return check;
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (!S_ISREG(info.st_mode)) {
        check.error = path + ": " + translate("to nie jest zwykły plik");
    } else if (size == 0) {
        check.error = path + ": " + translate("plik jest pusty");
    } else if (size > MAX_RECORDING_BYTES) {
        check.error = translateFill("%1: plik ma %2 MB, a tu można odtworzyć albo wyeksportować "
                                    "nagranie do %3 MB; całe odczyta je nimo-cli replay",
                                    {path, megabytes(size), megabytes(MAX_RECORDING_BYTES)});
    } else if (CDiagFileReader reader; !reader.open(path)) {
        check.error = reader.file().problem();
    } else if (size < DIAG_FILE_HEADER + DIAG_RECORD_SIZE) {
        check.error = translateFill("Nagranie %1 nie zawiera żadnego rekordu.", {path});
    } else {
        check.records = (size - DIAG_FILE_HEADER) / DIAG_RECORD_SIZE;
        if ((size - DIAG_FILE_HEADER) % DIAG_RECORD_SIZE != 0)
            check.note = translateFill("Nagranie %1 kończy się niepełnym rekordem (plik został "
                                       "ucięty); pominięto go, całych rekordów: %2.",
                                       {path, std::to_string(check.records)});
    }
    return check;
}
