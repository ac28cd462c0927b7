#include "data/FuelSensorCheck.h"

#include <charconv>

#include "lang/Translation.h"

const std::vector<SFuelSensorType>& fuelSensorTypes()
{
    static const std::vector<SFuelSensorType> types = {
        {"AEB1050", true, {255, 253, 249, 241}},
        {"90 ohm", true, {103, 106, 112, 119}},
        {"LOVATO MV305 DX", true, {255, 253, 250, 247}},
        {"Czujnik rezerwy", true, {241, 249, 253, 254}},
        {"Inny", false, {0, 0, 0, 0}},
    };
    return types;
}

const SFuelSensorType& matchFuelSensorType(const SFuelThresholds& t)
{
    const auto& types = fuelSensorTypes();
    for (const SFuelSensorType& type : types) {
        if (type.preset && type.thresholds == t)
            return type;
    }
    return types.back();
}

const SFuelSensorType* findFuelSensorType(std::string_view name)
{
    for (const SFuelSensorType& type : fuelSensorTypes()) {
        if (name == type.name || name == translate(type.name))
            return &type;
    }
    return nullptr;
}

bool checkFuelThresholds(const SFuelThresholds& t, std::string* message)
{
    bool rising = true;
    bool falling = true;
    for (std::size_t i = 1; i < t.size(); ++i) {
        rising = rising && t[i - 1] < t[i];
        falling = falling && t[i - 1] > t[i];
    }
    if (rising || falling)
        return true;
    if (message != nullptr) {
        *message = translate("Nieprawidłowe wartości.") + "\n" +
                   translate("Powinny być wprowadzone w porządku rosnącym lub malejącym.");
    }
    return false;
}

bool parseFuelThresholds(std::string_view text, SFuelThresholds& t)
{
    SFuelThresholds parsed{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        const std::size_t end = i + 1 < parsed.size() ? text.find(',', pos) : text.size();
        if (end == std::string_view::npos)
            return false;
        const std::string_view item = text.substr(pos, end - pos);
        unsigned value = 0;
        const auto r = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || r.ec != std::errc() || r.ptr != item.data() + item.size() ||
            value > 255)
            return false;
        parsed[i] = static_cast<std::uint8_t>(value);
        pos = end + 1;
    }
    t = parsed;
    return true;
}

std::array<std::uint8_t, 4> fuelRecordOrder(const SFuelThresholds& t)
{
    return {t[3], t[2], t[1], t[0]};
}

SFuelThresholds fuelThresholdsOf(const std::uint8_t* record)
{
    return {record[3], record[2], record[1], record[0]};
}
