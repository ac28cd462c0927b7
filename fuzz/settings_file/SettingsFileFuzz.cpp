// Feeds arbitrary bytes to the settings-file loader: it must refuse or load,
// never crash, hang or accept a value its key does not allow.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "data/CSettings.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsKeys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        std::string templ = "/tmp/nimo-fuzz-ssf-XXXXXX";
        const int fd = ::mkstemp(templ.data());
        if (fd >= 0) {
            ::close(fd);
        }
        return templ;
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CSettings s;
    if (loadSettingsFile(path, s) && !checkSettingsRanges(s)) {
        std::abort(); // a loaded block must always be one the controller may get
    }
    return 0;
}
