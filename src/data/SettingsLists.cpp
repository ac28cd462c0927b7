#include "data/SettingsLists.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/Conversions.h"
#include "lang/Translation.h"

namespace {

constexpr std::uint8_t kPetrolHalfSequence = 0x02;
constexpr std::uint8_t kPetrolNonSequence = 0x04;
constexpr std::uint8_t kBuzzerBit = 0x04;
constexpr std::uint8_t kPressureSensorBit = 0x10;

// first, first + step, ... up to last; built by multiplication so that a
// long run carries no accumulated binary error.
SSettingsList steps(int control, std::string_view key, int first, int last, int step = 1)
{
    SSettingsList list{control, key, 0, 0, {}};
    for (int v = first; v <= last; v += step)
        list.choices.push_back({double(v), listValueText(v, 0)});
    return list;
}

SSettingsList texts(int control, std::string_view key,
                    const std::vector<std::pair<double, std::string>>& entries,
                    std::uint8_t bits = 0)
{
    SSettingsList list{control, key, -1, bits, {}};
    for (const auto& [code, text] : entries)
        list.choices.push_back({code, text});
    return list;
}

std::vector<SSettingsList> buildLists()
{
    std::vector<SSettingsList> lists;
    lists.push_back(steps(1012, "m_switchRPM", 500, 5000, 100));
    lists.push_back(steps(1013, "m_switchTempr", 0, 70));
    lists.push_back(steps(1014, "m_switchDelay", 0, 120));
    lists.push_back(texts(1016, "m_rpmDivider",
                          {{1, "1 cewka na 1 cylinder"},
                           {2, "1 cewka na 2 cylindry"},
                           {3, "1 cewka na 3 cylindry"},
                           {4, "1 cewka na 4 cylindry"},
                           {5, "1 cewka na 5 cylindrów"},
                           {6, "1 cewka na 6 cylindrów"},
                           {7, "1 cewka na 8 cylindrów"}}));
    lists.push_back(steps(1015, "m_pressureRef", 50, 200));
    lists.push_back(steps(1023, "m_switchPressure", 0, 100));

    SSettingsList average{1024, "m_pressAverageCount", 1, 0, {}};
    for (int n = 1; n <= 40; ++n)
        average.choices.push_back({n * 0.1, listValueText(n * 0.1, 1)});
    lists.push_back(std::move(average));

    lists.push_back(
        texts(1017, "m_injectorType", {{1, "VALTEK 3 OHM"}, {4, "MATRIX"}, {9, "VALTEK 1 OHM"}}));

    // The view has always built this one by adding 0.1 sixty times; the
    // entries compare after rounding, so the noise that leaves is harmless.
    SSettingsList minTime{1021, "m_minLPGTime", 1, 0, {}};
    double t = 0;
    for (int n = 0; n <= 60; ++n, t += 0.1)
        minTime.choices.push_back({t, listValueText(t, 1)});
    lists.push_back(std::move(minTime));

    lists.push_back(
        texts(1018, "m_lambdaType",
              {{1, "0 - 1 Volt"}, {4, "0.8 - 1.6 Volt"}, {2, "0 - 5 Volt"}, {3, "5 - 0 Volt"}}));
    lists.push_back(texts(1026, "m_engineSignalBehavior",
                          {{0, "Pełna sekwencja"}, {1, "Półsekwencja"}, {2, "Niesekwencja"}},
                          kPetrolHalfSequence | kPetrolNonSequence));
    lists.push_back(
        texts(1040, "m_behaviorFlags", {{0, "Normalna"}, {1, "Rozszerzona"}}, kBuzzerBit));
    lists.push_back(texts(1055, "m_behaviorFlags", {{0, "DM1"}, {1, "AF1"}}, kPressureSensorBit));
    return lists;
}

} // namespace

const std::vector<SSettingsList>& settingsLists()
{
    static const std::vector<SSettingsList> lists = buildLists();
    return lists;
}

const SSettingsList* settingsListByControl(int control)
{
    for (const SSettingsList& list : settingsLists())
        if (list.control == control)
            return &list;
    return nullptr;
}

const SSettingsList* settingsListForKey(std::string_view key)
{
    for (const SSettingsList& list : settingsLists())
        if (list.bits == 0 && list.key == key)
            return &list;
    return nullptr;
}

double roundToPrecision(double value, int precision)
{
    switch (precision) {
    case 1:
        return roundOne(value);
    case 2:
        return roundTwo(value);
    case 3:
        return roundWhole(value * 1000) / 1000;
    default:
        return roundWhole(value);
    }
}

std::string listValueText(double value, int precision)
{
    char text[64];
    const double rounded = roundToPrecision(value, precision);
    if (precision >= 1 && precision <= 3)
        std::snprintf(text, sizeof text, "%.*f", precision, rounded);
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(rounded));
    return text;
}

int findChoice(const SSettingsList& list, double value)
{
    const double wanted = list.precision < 0 ? value : roundToPrecision(value, list.precision);
    for (std::size_t i = 0; i < list.choices.size(); ++i) {
        const double v = list.choices[i].value;
        if ((list.precision < 0 ? v : roundToPrecision(v, list.precision)) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

std::string describeChoices(const SSettingsList& list)
{
    const auto& c = list.choices;
    const int precision = std::max(list.precision, 0);
    auto shown = [&](double v) { return listValueText(v, precision); };
    if (c.size() >= 5) {
        const double step = roundToPrecision(c[1].value - c[0].value, precision);
        bool even = step > 0;
        for (std::size_t i = 1; even && i < c.size(); ++i)
            even = roundToPrecision(c[i].value - c[i - 1].value, precision) == step;
        if (even)
            return translateFill("od %1 do %2 co %3",
                                 {shown(c.front().value), shown(c.back().value), shown(step)});
    }
    std::string out;
    for (const SSettingsChoice& choice : c)
        out += (out.empty() ? "" : ", ") + shown(choice.value);
    return out;
}

int petrolInjectionCode(std::uint8_t engineSignalBehavior)
{
    if (engineSignalBehavior & kPetrolHalfSequence)
        return 1;
    return (engineSignalBehavior & kPetrolNonSequence) ? 2 : 0;
}

std::uint8_t withPetrolInjectionCode(std::uint8_t engineSignalBehavior, int code)
{
    std::uint8_t b = engineSignalBehavior & ~(kPetrolHalfSequence | kPetrolNonSequence);
    if (code == 1)
        b |= kPetrolHalfSequence;
    else if (code == 2)
        b |= kPetrolNonSequence;
    return b;
}
