// Exchange time of one live-data request over the pseudo-terminal with the
// line paced, against the line's own time: 12 request bytes and 82 reply
// bytes of 10 bits at 14400 baud, 65.28 ms. Prints the median ratio.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "CEmuServer.h"
#include "EmuTtyBaud.h"

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;
    SEmuServerConfig cfg;
    cfg.m_pace = true;
    CEmuServer server(cfg);
    server.start();
    const int fd = ::open(server.slavePath().c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror("open");
        return 1;
    }
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    emuSetTtyBaud(fd, 14400);

    const std::uint8_t req[12] = {0xAA, 0x55, 6, 3, 6, 0, 0, 0, 0, 0, 0, 0x0F};
    const double lineMs = 94.0 * 10 / 14400 * 1000;
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (::write(fd, req, sizeof req) != sizeof req)
            return 1;
        std::size_t got = 0;
        std::uint8_t buf[128];
        while (got < 82) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                break;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        const auto end = std::chrono::steady_clock::now();
        if (got != 82) {
            std::fprintf(stderr, "short reply: %zu bytes\n", got);
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    ::close(fd);
    server.stop();
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("CMD_DIAG exchange, %d rounds, paced at 14400 baud\n", rounds);
    std::printf("  line time     %.3f ms (94 bytes x 10 bits)\n", lineMs);
    std::printf("  median        %.3f ms\n", median);
    std::printf("  min / max     %.3f / %.3f ms\n", ms.front(), ms.back());
    std::printf("  ratio         %.4f (%+.2f %%)\n", median / lineMs, (median / lineMs - 1) * 100);
    return std::abs(median / lineMs - 1) <= 0.02 ? 0 : 3;
}
