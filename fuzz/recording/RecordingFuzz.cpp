// Feeds arbitrary bytes to the recording reader: it must accept whole records
// behind a version-1 header only, and never read past the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "data/CDiagFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        std::string templ = "/tmp/nimo-fuzz-rec-XXXXXX";
        const int fd = ::mkstemp(templ.data());
        if (fd >= 0)
            ::close(fd);
        return templ;
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CDiagFileReader reader;
    if (!reader.open(path))
        return 0;
    std::vector<diag_t> records;
    reader.readAll(records);
    if (size < DIAG_FILE_HEADER || records.size() != (size - DIAG_FILE_HEADER) / sizeof(diag_t))
        std::abort();
    return 0;
}
