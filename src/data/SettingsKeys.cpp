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

// Bytes in the well-formed UTF-8 sequence at text[i]; 0 when none starts
// there (a stray byte, an overlong form, a surrogate, past U+10FFFF).
std::size_t utf8SequenceAt(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    const std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (n == 0 || i + n > text.size())
        return 0;
    std::uint32_t cp = lead & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3Fu);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool isUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8SequenceAt(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

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

std::string shownSettingsText(std::string_view text)
{
    constexpr std::size_t kShownBytes = 64;
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (out.size() >= kShownBytes)
            return out + "...";
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = utf8SequenceAt(text, i);
        if (c == '\n' || c == '\r' || c == '\t') {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else if (n == 0 || c < 0x20 || c == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        ++i;
    }
    return out;
}

std::string settingsRefusal(const SSettingsKey& key, std::string_view text)
{
    const std::string shown = key.name + "=" + shownSettingsText(text);
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

std::string settingsValueWarning(const SSettingsKey& key, const CSettings& s)
{
    if (std::string w = settingsListWarning(key, s); !w.empty())
        return w;
    if (key.type != ESettingsKeyType::Text || key.target != ESettingsTarget::MountData)
        return {};
    const std::string text = key.getText(s);
    if (isUtf8(text))
        return {};
    return translateFill("%1: to nie jest tekst UTF-8; sterownik dostanie te bajty bez zmian",
                         {key.name + "=" + shownSettingsText(text)});
}

std::vector<std::string> settingsValueWarnings(const CSettings& s)
{
    std::vector<std::string> warnings;
    for (const SSettingsKey& key : settingsKeys()) {
        if (std::string w = settingsValueWarning(key, s); !w.empty())
            warnings.push_back(std::move(w));
    }
    return warnings;
}
