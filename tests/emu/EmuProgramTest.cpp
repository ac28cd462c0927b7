#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

struct SChild {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

SChild spawn(std::vector<std::string> args)
{
    int out[2], err[2];
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
    args.insert(args.begin(), NIMO_EMU_PATH);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    return {pid, out[0], err[0]};
}

std::string readLine(int fd)
{
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

std::string readAll(int fd)
{
    std::string all;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        all.append(buf, static_cast<std::size_t>(n));
    return all;
}

int finish(SChild& c)
{
    int status = 0;
    waitpid(c.pid, &status, 0);
    close(c.out);
    close(c.err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::size_t ptsCount()
{
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/dev/pts"))
        n += e.path().filename() != "ptmx";
    return n;
}

} // namespace

TEST(EmuProgram, HelpDocumentsEveryOption)
{
    auto c = spawn({"--help"});
    const std::string help = readAll(c.out);
    EXPECT_EQ(finish(c), 0);
    for (const char* opt :
         {"--pace",          "--scenario",   "--rpm",          "--injectors", "--serial",
          "--version-word",  "--flags1",     "--faults",       "--ignore",    "--seed",
          "--true-offset",   "--gain",       "--errors",       "--trace",     "--record-log",
          "--link",          "--turnaround", "--strict-baud",  "--delay-ms",  "--silent-ms",
          "--disconnect-ms", "--mode",       "--reducer-temp", "--ambient",   "--gas-pressure",
          "--fuel-level",    "--help"})
        EXPECT_NE(help.find(opt), std::string::npos) << opt;
    for (const char* kind :
         {"drop", "truncate", "flip", "garbage", "delay", "silent", "disconnect"})
        EXPECT_NE(help.find(kind), std::string::npos) << kind;
}

TEST(EmuProgram, BadOptionsExitWithTwoAndSayWhy)
{
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--injectors", "0"}, {"--faults", "drop"}}) {
        auto c = spawn(bad);
        const std::string err = readAll(c.err);
        EXPECT_EQ(finish(c), 2) << bad[0];
        EXPECT_NE(err.find("nimo-emu: "), std::string::npos) << err;
    }
}

TEST(EmuProgram, TwentyStartsAndStopsLeaveNothingBehind)
{
    const std::size_t before = ptsCount();
    const std::string link = "/tmp/nimo-emu-prog-" + std::to_string(getpid());
    for (int i = 0; i < 20; ++i) {
        auto c = spawn({"--link", link});
        const std::string path = readLine(c.out);
        ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
        EXPECT_EQ(std::filesystem::read_symlink(link), path);
        kill(c.pid, i % 2 ? SIGINT : SIGTERM);
        EXPECT_EQ(finish(c), 0) << i;
        EXPECT_FALSE(std::filesystem::is_symlink(link)) << i;
    }
    // Every child was reaped above; none is left running.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    // A leak would leave twenty terminals; other tests may hold a few of their own.
    EXPECT_LE(ptsCount(), before + 8);
}
