// Feeds arbitrary bytes to the virtual controller's frame reader: whatever the
// line brings, every reply it gives must be one whole, well-formed frame.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "CEmuController.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CEmuController controller;
    std::int64_t now = 0;
    for (std::size_t i = 0; i < size; ++i) {
        now += 700; // about one byte time at 14400 baud
        const auto reply = controller.feed(data[i], now);
        if (!reply || reply->m_bytes.empty() || reply->m_outcome.m_faults != 0)
            continue;
        const auto& f = reply->m_bytes;
        if (f.size() < 6 || f[0] != 0xAA || f[1] != 0x55 || f.size() != f[2] + 6u)
            std::abort();
        unsigned sum = f[2] + f[3];
        for (std::size_t k = 0; k < f[2]; ++k)
            sum += f[4 + k];
        if (((sum >> 8) & 0xFF) != f[4 + f[2]] || (sum & 0xFF) != f[5 + f[2]])
            std::abort();
    }
    return 0;
}
