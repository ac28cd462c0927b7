#include "data/SettingsKeys.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "data/Conversions.h"
#include "data/DateCode.h"
#include "data/MountDataRecord.h"
#include "data/SettingsLists.h"
#include "lang/Translation.h"

namespace {

// Values picked from the view's lists may carry binary noise (0.1 added sixty
// times is not exactly 6.0); that must not push them out of range.
constexpr double kRangeSlack = 1e-9;
constexpr double kU32Max = 4294967295.0;
// Tick bytes end at 255 × 0.025 ms; fields read back to one decimal end at
// 6.4, which writes as the same last tick.
constexpr double kTickByteMaxMs = 255 * TICK_TIME_MS;
constexpr double kTickTenthsMaxMs = 6.4;
// Pressure codes end at 240 kPa, supply codes at 30 V, the temperature
// table spans -36..209 °C; a speed is a period word of 1 to 65535 (or 0).
constexpr double kPressureMax = 240;
constexpr double kRpmMax = RPM_FACTOR;
constexpr std::size_t kTimeStampMaxBytes = 64;
constexpr std::size_t kSerialMaxBytes = 16;
constexpr std::size_t kProdDateMaxBytes = 10;

SSettingsKey textKey(std::string name, ESettingsTarget target, std::size_t maxBytes,
                     std::string SDevInfo::*field)
{
    SSettingsKey key;
    key.name = std::move(name);
    key.type = ESettingsKeyType::Text;
    key.target = target;
    key.maxBytes = maxBytes;
    key.getText = [field](const CSettings& s) { return s.m_devInfo.*field; };
    key.setText = [field](CSettings& s, const std::string& v) { s.m_devInfo.*field = v; };
    return key;
}

SSettingsKey numberKey(std::string name, ESettingsKeyType type, ESettingsTarget target, double min,
                       double max, std::function<double(const CSettings&)> get,
                       std::function<void(CSettings&, double)> set)
{
    SSettingsKey key;
    key.name = std::move(name);
    key.type = type;
    key.target = target;
    key.min = min;
    key.max = max;
    key.getNumber = std::move(get);
    key.setNumber = std::move(set);
    return key;
}

SSettingsKey realKey(std::string name, double min, double max, double CSettings::*field)
{
    return numberKey(
        std::move(name), ESettingsKeyType::Real, ESettingsTarget::SettingsRecord, min, max,
        [field](const CSettings& s) { return s.*field; },
        [field](CSettings& s, double v) { s.*field = v; });
}

SSettingsKey byteKey(std::string name, std::uint8_t CSettings::*field)
{
    return numberKey(
        std::move(name), ESettingsKeyType::Integer, ESettingsTarget::SettingsRecord, 0, 255,
        [field](const CSettings& s) { return static_cast<double>(s.*field); },
        [field](CSettings& s, double v) { s.*field = static_cast<std::uint8_t>(v); });
}

SSettingsKey deviceKey(std::string name, double max, std::function<double(const CSettings&)> get,
                       std::function<void(CSettings&, double)> set)
{
    return numberKey(std::move(name), ESettingsKeyType::Integer, ESettingsTarget::DeviceInfo, 0,
                     max, std::move(get), std::move(set));
}

std::vector<SSettingsKey> buildKeys()
{
    using T = ESettingsTarget;
    std::vector<SSettingsKey> keys;

    SSettingsKey stamp;
    stamp.name = "m_timeStamp";
    stamp.type = ESettingsKeyType::Text;
    stamp.target = T::FileOnly;
    stamp.maxBytes = kTimeStampMaxBytes;
    stamp.getText = [](const CSettings& s) { return s.m_timeStamp; };
    stamp.setText = [](CSettings& s, const std::string& v) { s.m_timeStamp = v; };
    keys.push_back(std::move(stamp));

    keys.push_back(deviceKey(
        "m_devInfo.m_version", 65535, [](const CSettings& s) { return s.m_devInfo.m_version; },
        [](CSettings& s, double v) { s.m_devInfo.m_version = static_cast<int>(v); }));
    keys.push_back(deviceKey(
        "m_devInfo.m_injCount", 255, [](const CSettings& s) { return s.m_devInfo.m_injCount; },
        [](CSettings& s, double v) { s.m_devInfo.m_injCount = static_cast<int>(v); }));
    keys.push_back(
        textKey("m_devInfo.m_serial", T::DeviceInfo, kSerialMaxBytes, &SDevInfo::m_serial));
    keys.push_back(
        textKey("m_devInfo.m_prodDate", T::DeviceInfo, kProdDateMaxBytes, &SDevInfo::m_prodDate));
    SSettingsKey mountDate =
        textKey("m_devInfo.m_mountDate", T::MountData, 10, &SDevInfo::m_mountDate);
    mountDate.dateText = true;
    keys.push_back(std::move(mountDate));
    keys.push_back(textKey("m_devInfo.m_mountService", T::MountData, MOUNT_SERVICE_MAX,
                           &SDevInfo::m_mountService));
    keys.push_back(
        textKey("m_devInfo.m_injSize", T::MountData, MOUNT_INJ_SIZE_MAX, &SDevInfo::m_injSize));
    keys.push_back(
        textKey("m_devInfo.m_engine", T::MountData, MOUNT_ENGINE_MAX, &SDevInfo::m_engine));

    using U32 = std::uint32_t;
    keys.push_back(deviceKey(
        "m_devInfo.m_flags.flags1", kU32Max,
        [](const CSettings& s) { return s.m_devInfo.m_flags.flags1; },
        [](CSettings& s, double v) { s.m_devInfo.m_flags.flags1 = static_cast<U32>(v); }));
    keys.push_back(deviceKey(
        "m_devInfo.m_flags.flags2", kU32Max,
        [](const CSettings& s) { return s.m_devInfo.m_flags.flags2; },
        [](CSettings& s, double v) { s.m_devInfo.m_flags.flags2 = static_cast<U32>(v); }));
    keys.push_back(deviceKey(
        "m_devInfo.m_flags.clock", kU32Max,
        [](const CSettings& s) { return s.m_devInfo.m_flags.clock; },
        [](CSettings& s, double v) { s.m_devInfo.m_flags.clock = static_cast<U32>(v); }));
    keys.push_back(deviceKey(
        "m_devInfo.m_statistic.gas", kU32Max,
        [](const CSettings& s) { return s.m_devInfo.m_statistic.gas; },
        [](CSettings& s, double v) { s.m_devInfo.m_statistic.gas = static_cast<U32>(v); }));
    keys.push_back(deviceKey(
        "m_devInfo.m_statistic.lpg", kU32Max,
        [](const CSettings& s) { return s.m_devInfo.m_statistic.lpg; },
        [](CSettings& s, double v) { s.m_devInfo.m_statistic.lpg = static_cast<U32>(v); }));

    // Ranges are what each record byte can carry, so that every value read
    // from a controller loads back into it; the settings view's narrower
    // lists only warn (settingsListWarning).
    keys.push_back(realKey("m_switchRPM", 0, kRpmMax, &CSettings::m_switchRPM));
    keys.push_back(realKey("m_switchTempr", -36, 209, &CSettings::m_switchTempr));
    keys.push_back(byteKey("m_rpmDivider", &CSettings::m_rpmDivider));
    keys.push_back(realKey("m_switchDelay", 0, 127, &CSettings::m_switchDelay));
    keys.push_back(realKey("m_mainCorr", 0, kTickByteMaxMs, &CSettings::m_mainCorr));
    keys.push_back(realKey("m_mainCorr2", 0, kTickByteMaxMs, &CSettings::m_mainCorr2));
    keys.push_back(byteKey("m_mainCorr2Mask", &CSettings::m_mainCorr2Mask));
    keys.push_back(realKey("m_pressureGain", -12.8, 12.7, &CSettings::m_pressureGain));
    keys.push_back(realKey("m_pressureRef", 0, kPressureMax, &CSettings::m_pressureRef));
    keys.push_back(realKey("m_switchPressure", 0, kPressureMax, &CSettings::m_switchPressure));
    keys.push_back(realKey("m_pressAverageCount", 0, 25.5, &CSettings::m_pressAverageCount));
    keys.push_back(byteKey("m_engineSignalBehavior", &CSettings::m_engineSignalBehavior));
    keys.push_back(byteKey("m_behaviorFlags", &CSettings::m_behaviorFlags));
    keys.push_back(realKey("m_pwmOffset", 0, kTickTenthsMaxMs, &CSettings::m_pwmOffset));
    keys.push_back(realKey("m_pwm", 0, 100, &CSettings::m_pwm));
    keys.push_back(realKey("m_injectorWarmingImpulse", 0, kTickTenthsMaxMs,
                           &CSettings::m_injectorWarmingImpulse));
    keys.push_back(realKey("m_minLPGTime", 0, kTickTenthsMaxMs, &CSettings::m_minLPGTime));
    keys.push_back(byteKey("m_injectorType", &CSettings::m_injectorType));
    keys.push_back(byteKey("m_lambdaType", &CSettings::m_lambdaType));
    keys.push_back(realKey("m_minVCC", 0, 30, &CSettings::m_minVCC));
    keys.push_back(realKey("m_maxTemprInside", -36, 209, &CSettings::m_maxTemprInside));

    for (std::size_t i = 0; i < SETUP_TIMES_COUNT; ++i) {
        keys.push_back(numberKey(
            "m_setupTimes[" + std::to_string(i) + "]", ESettingsKeyType::Real, T::SetupTable, -100,
            155, [i](const CSettings& s) { return s.m_setupTimes[i]; },
            [i](CSettings& s, double v) { s.m_setupTimes[i] = v; }));
    }
    return keys;
}

bool hasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

const std::vector<SSettingsKey>& settingsKeys()
{
    static const std::vector<SSettingsKey> keys = buildKeys();
    return keys;
}

const SSettingsKey* findSettingsKey(std::string_view name)
{
    for (const SSettingsKey& key : settingsKeys()) {
        if (key.name == name) {
            return &key;
        }
    }
    return nullptr;
}

bool acceptsNumber(const SSettingsKey& key, double value)
{
    if (key.type == ESettingsKeyType::Text || !std::isfinite(value)) {
        return false;
    }
    if (key.type == ESettingsKeyType::Integer) {
        value = cutToWhole(value);
    }
    return value >= key.min - kRangeSlack && value <= key.max + kRangeSlack;
}

bool acceptsText(const SSettingsKey& key, std::string_view text)
{
    if (key.type != ESettingsKeyType::Text || text.size() > key.maxBytes ||
        hasLineBreakOrNul(text)) {
        return false;
    }
    return !key.dateText || text.empty() || codeFromDate(text) != 0;
}

std::string formatSettingsNumber(double value)
{
    char text[64];
    std::to_chars_result r{};
    // 2^53: every whole double below it is exact as an integer.
    if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0) {
        r = std::to_chars(text, text + sizeof text, static_cast<long long>(value));
    } else {
        r = std::to_chars(text, text + sizeof text, value);
    }
    return std::string(text, r.ptr);
}

bool parseSettingsNumber(std::string_view text, double& value)
{
    double parsed = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, parsed);
    if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

std::string settingsValueText(const SSettingsKey& key, const CSettings& s)
{
    return key.type == ESettingsKeyType::Text ? key.getText(s)
                                              : formatSettingsNumber(key.getNumber(s));
}

std::string settingsRefusal(const SSettingsKey& key, std::string_view text)
{
    const std::string shown = key.name + "=" + std::string(text);
    if (key.type == ESettingsKeyType::Text) {
        if (hasLineBreakOrNul(text))
            return translateFill("%1: tekst bez znaków końca wiersza", {shown});
        if (text.size() > key.maxBytes)
            return translateFill("%1: najwyżej %2 bajtów", {shown, std::to_string(key.maxBytes)});
        if (!acceptsText(key, text))
            return translateFill("%1: dzień kalendarza w postaci dd/mm/rrrr", {shown});
        return {};
    }
    double value = 0;
    if (!parseSettingsNumber(text, value))
        return translateFill("%1: to nie jest liczba", {shown});
    if (!acceptsNumber(key, value))
        return translateFill("%1: od %2 do %3",
                             {shown, formatSettingsNumber(key.min), formatSettingsNumber(key.max)});
    return {};
}

bool setSettingsValue(const SSettingsKey& key, CSettings& s, std::string_view text,
                      std::string* why)
{
    if (std::string refusal = settingsRefusal(key, text); !refusal.empty()) {
        if (why != nullptr)
            *why = std::move(refusal);
        return false;
    }
    if (key.type == ESettingsKeyType::Text) {
        key.setText(s, std::string(text));
        return true;
    }
    double value = 0;
    parseSettingsNumber(text, value);
    if (key.type == ESettingsKeyType::Integer) {
        value = cutToWhole(value);
    }
    key.setNumber(s, value == 0 ? 0.0 : value);
    return true;
}

bool checkSettingsRanges(const CSettings& s, std::string* why)
{
    for (const SSettingsKey& key : settingsKeys()) {
        std::string refusal = settingsRefusal(key, settingsValueText(key, s));
        if (!refusal.empty()) {
            if (why != nullptr) {
                *why = std::move(refusal);
            }
            return false;
        }
    }
    return true;
}

std::string settingsListWarning(const SSettingsKey& key, const CSettings& s)
{
    const SSettingsList* list = settingsListForKey(key.name);
    if (list == nullptr || key.type == ESettingsKeyType::Text ||
        findChoice(*list, key.getNumber(s)) >= 0)
        return {};
    return translateFill("%1=%2: spoza listy widoku ustawień (%3)",
                         {key.name, settingsValueText(key, s), describeChoices(*list)});
}

std::vector<std::string> settingsListWarnings(const CSettings& s)
{
    std::vector<std::string> warnings;
    for (const SSettingsKey& key : settingsKeys()) {
        if (std::string w = settingsListWarning(key, s); !w.empty())
            warnings.push_back(std::move(w));
    }
    return warnings;
}
