// Seeded fault injection on the controller's replies: the same seed and the
// same traffic always give the same faults.
// Thread safety: none; the owner serialises calls.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

enum class EEmuFault { Drop, Truncate, Flip, Garbage, Delay, Silent, Disconnect };
inline constexpr std::size_t kEmuFaultKinds = 7;

std::string_view emuFaultName(EEmuFault f);
// Accepts the names above in lower case; false when unknown.
bool emuFaultFromName(std::string_view name, EEmuFault& out);

struct SEmuFaultConfig {
    // Probability per reply, 0 to 1, indexed by EEmuFault.
    std::array<double, kEmuFaultKinds> m_rate{};
    std::uint32_t m_seed = 1;
    // How late a delayed reply comes: past the host's 700 ms read time-out.
    int m_delayMs = 1000;
    int m_silentMs = 3000;
    int m_disconnectMs = 2000;
};

// One reply after the faults: what goes on the wire and what else happens.
struct SEmuFaultOutcome {
    std::uint8_t m_faults = 0; // bit per EEmuFault
    std::int64_t m_delayUs = 0;
    std::int64_t m_silentUs = 0;
    bool m_disconnect = false;

    bool has(EEmuFault f) const { return (m_faults >> static_cast<int>(f)) & 1; }
};

class CEmuFaults {
public:
    explicit CEmuFaults(const SEmuFaultConfig& cfg = {});

    void configure(const SEmuFaultConfig& cfg);
    const SEmuFaultConfig& config() const { return m_cfg; }

    // Applies the drawn faults to `bytes` in place (it may end up empty).
    SEmuFaultOutcome apply(std::vector<std::uint8_t>& bytes);

private:
    SEmuFaultConfig m_cfg;
    std::mt19937 m_rng;
};
