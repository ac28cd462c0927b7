#include "data/DeviceInfoText.h"

#include <cstdio>

#include "lang/Translation.h"

std::string versionText(int word)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d.%01d", (word >> 8) & 0xFF, word & 0xFF);
    return text;
}

std::string workTimeText(std::uint32_t halfSeconds)
{
    const auto seconds = static_cast<unsigned long>(halfSeconds * 0.5);
    char text[96];
    std::snprintf(text, sizeof text, "%lu %s : %02lu %s", seconds / 3600, translate("godz").c_str(),
                  (seconds / 60) % 60, translate("min").c_str());
    return text;
}

std::vector<std::pair<std::string, std::string>> deviceInfoLines(const SDevInfo& info)
{
    return {
        {translate("Wersja sterownika"), versionText(info.m_version)},
        {translate("Ilość wtryskiwaczy"), std::to_string(info.m_injCount)},
        {translate("Data produkcji"), info.m_prodDate},
        {translate("Czas pracy - benzyna"), workTimeText(info.m_statistic.gas)},
        {translate("Czas pracy - LPG"), workTimeText(info.m_statistic.lpg)},
        {translate("Data montażu"), info.m_mountDate},
        {translate("Nazwa zakładu montującego"), info.m_mountService},
        {translate("Rozmiar wtryskiwaczy LPG [mm]"), info.m_injSize},
        {translate("Pojemność silnika [cm3]"), info.m_engine},
    };
}

std::string deviceInfoText(const SDevInfo& info)
{
    // After the production date and after the LPG work time.
    constexpr std::size_t kRuleAfter[] = {2, 4};
    const std::string rule = "\r\n" + std::string(91, '-') + "\r\n";
    const auto lines = deviceInfoLines(info);
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i].first + "\t" + lines[i].second;
        if (i + 1 == lines.size())
            break;
        const bool ruled = i == kRuleAfter[0] || i == kRuleAfter[1];
        text += ruled ? rule : "\r\n\r\n";
    }
    return text;
}
