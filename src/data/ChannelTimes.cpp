#include "data/ChannelTimes.h"

#include <algorithm>

#include "data/Conversions.h"
#include "data/SettingsLists.h"

namespace {
constexpr int kDefaultBars = 4;
constexpr int kHalfSequence = 1;
constexpr int kNonSequence = 2;
} // namespace

int barCount(int injCount)
{
    if (injCount < 1)
        return kDefaultBars;
    return std::min(injCount, static_cast<int>(DIAG_CHANNELS));
}

int measuredChannels(int injCount, std::uint8_t engineSignalBehavior)
{
    switch (petrolInjectionCode(engineSignalBehavior)) {
    case kHalfSequence:
        return 2;
    case kNonSequence:
        return 1;
    default:
        return std::clamp(injCount, 0, static_cast<int>(DIAG_CHANNELS));
    }
}

SChannelTimes shownChannelTimes(const SDiagChannel& channel)
{
    const double a = roundTwo(petrolTimeMs(channel.petrolA));
    const double b = roundTwo(petrolTimeMs(channel.petrolB));
    const bool useB = b > a;
    const double petrol = useB ? b : a;
    return {petrol, roundTwo(petrol + correctionMs(useB ? channel.corrB : channel.corrA))};
}

std::vector<SChannelTimes> barTimes(const diag_t& rec, int injCount,
                                    std::uint8_t engineSignalBehavior)
{
    const int bars = barCount(injCount);
    int measured = measuredChannels(injCount, engineSignalBehavior);
    // A controller that reports no injectors still has its first channels
    // measured; showing four empty bars would hide them.
    if (injCount < 1 && petrolInjectionCode(engineSignalBehavior) == 0)
        measured = bars;
    std::vector<SChannelTimes> out;
    out.reserve(static_cast<std::size_t>(bars));
    for (int j = 0; j < bars; ++j)
        out.push_back(shownChannelTimes(rec.channels[j % measured]));
    return out;
}
