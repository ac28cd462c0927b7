#include "CEmuFaults.h"

#include <algorithm>

namespace {

constexpr std::string_view kNames[kEmuFaultKinds] = {"drop",  "truncate", "flip",      "garbage",
                                                     "delay", "silent",   "disconnect"};

} // namespace

std::string_view emuFaultName(EEmuFault f)
{
    return kNames[static_cast<int>(f)];
}

bool emuFaultFromName(std::string_view name, EEmuFault& out)
{
    for (std::size_t i = 0; i < kEmuFaultKinds; ++i) {
        if (kNames[i] == name) {
            out = static_cast<EEmuFault>(i);
            return true;
        }
    }
    return false;
}

CEmuFaults::CEmuFaults(const SEmuFaultConfig& cfg) : m_cfg(cfg), m_rng(cfg.m_seed) {}

void CEmuFaults::configure(const SEmuFaultConfig& cfg)
{
    m_cfg = cfg;
    m_rng.seed(cfg.m_seed);
}

SEmuFaultOutcome CEmuFaults::apply(std::vector<std::uint8_t>& bytes)
{
    SEmuFaultOutcome out;
    // A fixed number of draws per reply keeps the sequence reproducible
    // whatever the rates and outcomes are.
    std::uniform_real_distribution<double> u(0.0, 1.0);
    bool hit[kEmuFaultKinds];
    for (std::size_t i = 0; i < kEmuFaultKinds; ++i)
        hit[i] = u(m_rng) < m_cfg.m_rate[i];
    const double cutAt = u(m_rng);
    const double flipAt = u(m_rng);
    const unsigned flipBit = m_rng() % 8;
    std::uint8_t garbage = static_cast<std::uint8_t>(m_rng() % 255);
    if (garbage >= 0xAA)
        ++garbage; // never a header byte: noise, not a frame start

    auto mark = [&](EEmuFault f) {
        out.m_faults |= static_cast<std::uint8_t>(1u << static_cast<int>(f));
    };
    if (hit[static_cast<int>(EEmuFault::Disconnect)]) {
        mark(EEmuFault::Disconnect);
        out.m_disconnect = true;
        bytes.clear();
        return out;
    }
    if (hit[static_cast<int>(EEmuFault::Silent)]) {
        mark(EEmuFault::Silent);
        out.m_silentUs = static_cast<std::int64_t>(m_cfg.m_silentMs) * 1000;
        bytes.clear();
        return out;
    }
    if (hit[static_cast<int>(EEmuFault::Drop)]) {
        mark(EEmuFault::Drop);
        bytes.clear();
        return out;
    }
    if (hit[static_cast<int>(EEmuFault::Truncate)] && bytes.size() > 1) {
        mark(EEmuFault::Truncate);
        bytes.resize(1 + static_cast<std::size_t>(cutAt * static_cast<double>(bytes.size() - 1)));
    }
    if (hit[static_cast<int>(EEmuFault::Flip)] && !bytes.empty()) {
        mark(EEmuFault::Flip);
        const auto pos = static_cast<std::size_t>(flipAt * static_cast<double>(bytes.size()));
        bytes[std::min(pos, bytes.size() - 1)] ^= static_cast<std::uint8_t>(1u << flipBit);
    }
    if (hit[static_cast<int>(EEmuFault::Garbage)]) {
        mark(EEmuFault::Garbage);
        bytes.insert(bytes.begin(), garbage);
    }
    if (hit[static_cast<int>(EEmuFault::Delay)]) {
        mark(EEmuFault::Delay);
        out.m_delayUs = static_cast<std::int64_t>(m_cfg.m_delayMs) * 1000;
    }
    return out;
}
