#include "CEmuPty.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::runtime_error sysError(const char* what)
{
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

} // namespace

CEmuPty::~CEmuPty()
{
    close();
}

void CEmuPty::open()
{
    close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        throw sysError("posix_openpt");
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        const auto e = sysError("pseudo-terminal set-up");
        close();
        throw e;
    }
    m_slavePath = name;
    const int fl = fcntl(m_master, F_GETFL);
    fcntl(m_master, F_SETFL, fl | O_NONBLOCK);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) {
        const auto e = sysError("open slave");
        close();
        throw e;
    }
    // Raw from the start: an echoing line discipline would hand our own
    // replies back to us as requests before the host has set the port up.
    termios t{};
    if (tcgetattr(m_slave, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        tcsetattr(m_slave, TCSANOW, &t);
    }
    m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 && inotify_add_watch(m_watch, name, IN_CLOSE) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
}

void CEmuPty::close()
{
    for (int* fd : {&m_watch, &m_slave, &m_master}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void CEmuPty::onWatch()
{
    alignas(inotify_event) char buf[4096];
    bool closed = false;
    for (;;) {
        const ssize_t n = read(m_watch, buf, sizeof buf);
        if (n <= 0)
            break;
        for (char* p = buf; p < buf + n;) {
            auto* e = reinterpret_cast<inotify_event*>(p);
            if (e->mask & IN_CLOSE)
                closed = true;
            p += sizeof(inotify_event) + e->len;
        }
    }
    if (!closed || m_slave < 0)
        return;
    // Our own descriptor keeps the terminal alive, so the exclusive flag a
    // host took would otherwise outlive its close and lock the port.
    ioctl(m_slave, TIOCNXCL);
    tcflush(m_slave, TCIFLUSH);
}

bool CEmuPty::makeLink(const std::string& link) const
{
    if (link.empty())
        return true;
    const std::string tmp = link + ".new";
    ::unlink(tmp.c_str());
    if (symlink(m_slavePath.c_str(), tmp.c_str()) != 0)
        return false;
    return std::rename(tmp.c_str(), link.c_str()) == 0;
}
