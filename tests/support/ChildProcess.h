// A program run as a child process, as a fitter's script would run it, with
// its standard output and error read into strings.
#pragma once

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Killed with the object if it is still running.
class CProcess {
public:
    explicit CProcess(std::vector<std::string> args)
    {
        int out[2];
        int err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&fa, err[1], STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~CProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_err);
    }
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;

    bool started() const { return m_pid > 0; }
    void signal(int sig) { ::kill(m_pid, sig); }

    // Reads until the output holds `lines` line ends or the time is up.
    bool readLines(std::size_t lines, std::chrono::milliseconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::count(stdOut.begin(), stdOut.end(), '\n') < static_cast<long>(lines)) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            pump(50);
        }
        return true;
    }
    // Waits for the exit and collects all output; -1 on a time-out.
    int wait(std::chrono::milliseconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        for (;;) {
            pump(20);
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                while (pump(0)) {
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > until)
                return -1;
        }
    }

    std::string stdOut;
    std::string stdErr;

private:
    bool pump(int ms)
    {
        pollfd p[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        if (::poll(p, 2, ms) <= 0)
            return false;
        bool got = false;
        char buf[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP)))
                continue;
            const ssize_t n = ::read(p[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i ? stdErr : stdOut).append(buf, static_cast<std::size_t>(n));
                got = true;
            }
        }
        return got;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};
