#include "data/TempFileBeside.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lang/Translation.h"

int createTempBeside(const std::string& target, std::string& temp)
{
    static std::atomic<unsigned> counter{0};
    // The rename would put a plain file in place of a device, a FIFO or a
    // socket (run as root, /dev/null itself), and never write to it.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        errno = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return -1;
    }
    if (fd < 0)
        return -1;
    // Replacing a file keeps its permissions.
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(fd, existing.st_mode & 07777);
    return fd;
}

bool replaceFileWith(const std::string& target, std::string_view bytes)
{
    std::string temp;
    const int fd = createTempBeside(target, temp);
    if (fd < 0)
        return false;
    int err = 0;
    for (std::size_t done = 0; err == 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            err = errno;
    }
    if (::fsync(fd) != 0 && err == 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && std::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        errno = err;
        return false;
    }
    return true;
}

std::string writeTargetProblem(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return translate("to nie jest zwykły plik");
    return {};
}
