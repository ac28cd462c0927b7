#include "data/SettingsLabels.h"

#include <algorithm>
#include <cstdio>

#include "data/SettingsKeys.h"
#include "data/SettingsLists.h"
#include "lang/Translation.h"
#include "lang/WindowTexts.h"

namespace {

constexpr std::string_view kSettingsView = "CSettingsTexts";
constexpr std::string_view kAutoSetupView = "CAutoSetupTexts";

// The settings view's lists that stand for bits, and the code each list
// entry has in them.
int choiceCode(const SSettingsItem& item, std::uint8_t byte)
{
    if (item.list == 1026)
        return petrolInjectionCode(byte);
    return (byte & item.mask) != 0 ? 1 : 0;
}

std::uint8_t choiceBits(const SSettingsItem& item, int code)
{
    if (item.list == 1026)
        return withPetrolInjectionCode(0, code);
    return code != 0 ? item.mask : 0;
}

std::string hexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

SSettingsItem viewItem(const SSettingsKey& key, int label, std::string_view unit = {},
                       std::string_view table = kSettingsView)
{
    SSettingsItem item;
    item.key = &key;
    item.viewTable = table;
    item.viewLabel = label;
    item.unit = unit;
    return item;
}

SSettingsItem dictItem(const SSettingsKey& key, std::string_view polish, std::string_view unit = {})
{
    SSettingsItem item;
    item.key = &key;
    item.polish = polish;
    item.unit = unit;
    return item;
}

SSettingsItem choiceItem(const SSettingsKey& key, int list, int label, std::uint8_t mask = 0)
{
    SSettingsItem item = viewItem(key, label);
    item.show = ESettingsShow::Choice;
    item.list = list;
    item.mask = mask;
    return item;
}

SSettingsItem flagItem(const SSettingsKey& key, int label, std::uint8_t mask)
{
    SSettingsItem item = viewItem(key, label);
    item.show = ESettingsShow::Flag;
    item.mask = mask;
    return item;
}

// Bits no control of the settings view stands for, kept so that a compare or
// a report shows them should a file or a controller ever set one.
SSettingsItem otherBits(const SSettingsKey& key, const char* polish, std::uint8_t mask)
{
    SSettingsItem item = dictItem(key, polish);
    item.show = ESettingsShow::Bits;
    item.mask = mask;
    return item;
}

// The labels the views show, keyed by settings-file key; a key missing here
// fails the table's own test rather than going unlabelled.
void addItems(const SSettingsKey& key, std::vector<SSettingsItem>& items)
{
    const std::string& n = key.name;
    auto add = [&items](SSettingsItem item) { items.push_back(std::move(item)); };
    if (n == "m_devInfo.m_mountDate" || n == "m_devInfo.m_mountService" ||
        n == "m_devInfo.m_injSize" || n == "m_devInfo.m_engine") {
        // The device information view's labels.
        const char* label = n == "m_devInfo.m_mountDate"      ? "Data montażu"
                            : n == "m_devInfo.m_mountService" ? "Nazwa zakładu montującego"
                            : n == "m_devInfo.m_injSize"      ? "Rozmiar wtryskiwaczy LPG [mm]"
                                                              : "Pojemność silnika [cm3]";
        SSettingsItem item = dictItem(key, label);
        item.show = ESettingsShow::Text;
        add(std::move(item));
    } else if (n == "m_switchRPM") {
        add(viewItem(key, 1035, "obr/min"));
    } else if (n == "m_switchTempr") {
        add(viewItem(key, 1033, "°C"));
    } else if (n == "m_rpmDivider") {
        add(choiceItem(key, 1016, 1034));
    } else if (n == "m_switchDelay") {
        add(viewItem(key, 1032, "s"));
    } else if (n == "m_mainCorr") {
        add(viewItem(key, 1014, "ms", kAutoSetupView));
    } else if (n == "m_mainCorr2") {
        add(viewItem(key, 1015, "ms", kAutoSetupView));
    } else if (n == "m_mainCorr2Mask") {
        SSettingsItem item = dictItem(key, "Wtryskiwacze z dodatkiem 2");
        item.show = ESettingsShow::Injectors;
        add(std::move(item));
    } else if (n == "m_pressureGain") {
        add(dictItem(key, "Wzmocnienie ciśnienia"));
    } else if (n == "m_pressureRef") {
        add(viewItem(key, 1031, "kPa"));
    } else if (n == "m_switchPressure") {
        add(viewItem(key, 1030, "kPa"));
    } else if (n == "m_pressAverageCount") {
        add(viewItem(key, 1029, "s"));
    } else if (n == "m_engineSignalBehavior") {
        add(choiceItem(key, 1026, 1037, 0x06));
        add(flagItem(key, 1027, 0x01));
        add(otherBits(key, "Pozostałe bity sygnału wtrysku benzyny", 0xF8));
    } else if (n == "m_behaviorFlags") {
        add(flagItem(key, 1019, 0x01));
        add(flagItem(key, 1039, 0x02));
        add(choiceItem(key, 1040, 1041, 0x04));
        add(flagItem(key, 1020, 0x08));
        add(choiceItem(key, 1055, 1056, 0x10));
        add(otherBits(key, "Pozostałe bity opcji pracy", 0xE0));
    } else if (n == "m_pwmOffset") {
        add(dictItem(key, "Przesunięcie PWM", "ms"));
    } else if (n == "m_pwm") {
        add(dictItem(key, "Wypełnienie PWM", "%"));
    } else if (n == "m_injectorWarmingImpulse") {
        add(dictItem(key, "Impuls rozgrzewania wtryskiwaczy LPG", "ms"));
    } else if (n == "m_minLPGTime") {
        add(viewItem(key, 1025, "ms"));
    } else if (n == "m_injectorType") {
        add(choiceItem(key, 1017, 1028));
    } else if (n == "m_lambdaType") {
        add(choiceItem(key, 1018, 1036));
    } else if (n == "m_minVCC") {
        add(dictItem(key, "Minimalne napięcie zasilania", "V"));
    } else if (n == "m_maxTemprInside") {
        add(dictItem(key, "Maksymalna temperatura wewnątrz sterownika", "°C"));
    } else if (key.target == ESettingsTarget::SetupTable) {
        // Entry j corrects petrol injection times of j + 1 ms, as the
        // correction chart draws it.
        const std::string index = n.substr(n.find('[') + 1);
        SSettingsItem item = dictItem(key, "Poprawka dla czasu wtrysku %1 ms", "%");
        item.fill = std::to_string(std::stoi(index) + 1);
        add(std::move(item));
    }
}

std::vector<SSettingsItem> buildItems()
{
    std::vector<SSettingsItem> items;
    for (const SSettingsKey& key : settingsKeys()) {
        if (key.target != ESettingsTarget::FileOnly && key.target != ESettingsTarget::DeviceInfo)
            addItems(key, items);
    }
    return items;
}

std::uint8_t byteOf(const SSettingsItem& item, const CSettings& s)
{
    return static_cast<std::uint8_t>(item.key->getNumber(s));
}

} // namespace

const std::vector<SSettingsItem>& settingsItems()
{
    static const std::vector<SSettingsItem> items = buildItems();
    return items;
}

std::string settingsItemLabel(const SSettingsItem& item)
{
    if (item.viewLabel != 0) {
        const auto& rows = windowTexts(item.viewTable);
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const SWindowText& r) {
            return r.key == item.viewLabel;
        });
        if (row != rows.end()) {
            const int language = currentLanguage();
            return row->texts[language >= 0 && language < kLanguageCount ? language : LANG_PL];
        }
    }
    if (!item.fill.empty())
        return translateFill(item.polish, {item.fill});
    return translate(item.polish);
}

std::string settingsItemUnit(const SSettingsItem& item)
{
    return item.unit.empty() ? std::string() : translate(item.unit);
}

std::string settingsItemText(const SSettingsItem& item, const CSettings& s)
{
    switch (item.show) {
    case ESettingsShow::Number:
        return settingsValueText(*item.key, s);
    case ESettingsShow::Text: {
        const std::string text = item.key->getText(s);
        return text.empty() ? translate("(brak)") : text;
    }
    case ESettingsShow::Flag:
        return translate((byteOf(item, s) & item.mask) != 0 ? "włączone" : "wyłączone");
    case ESettingsShow::Bits:
        return hexByte(byteOf(item, s) & item.mask);
    case ESettingsShow::Injectors: {
        const std::uint8_t mask = byteOf(item, s);
        std::string list;
        for (int bit = 0; bit < 8; ++bit) {
            if ((mask >> bit) & 1)
                list += (list.empty() ? "" : ", ") + std::to_string(bit + 1);
        }
        return list.empty() ? translate("(brak)") : list;
    }
    case ESettingsShow::Choice:
        break;
    }
    const SSettingsList* list = settingsListByControl(item.list);
    const double value = item.key->getNumber(s);
    const std::uint8_t bits = static_cast<std::uint8_t>(value) & item.mask;
    const double code = item.mask != 0 ? choiceCode(item, bits) : value;
    for (const SSettingsChoice& choice : list->choices) {
        if (choice.value != code)
            continue;
        std::string text = translate(choice.text);
        // Bits that no entry stands for (both petrol injection bits at once)
        // show themselves rather than hide behind the entry that wins.
        if (item.mask != 0 && choiceBits(item, static_cast<int>(code)) != bits)
            text += " (" + hexByte(bits) + ")";
        return text;
    }
    // A code the list has no entry for: the controller's own value.
    return settingsValueText(*item.key, s);
}

bool settingsItemDiffers(const SSettingsItem& item, const CSettings& a, const CSettings& b)
{
    if (item.mask != 0)
        return (byteOf(item, a) & item.mask) != (byteOf(item, b) & item.mask);
    return settingsValueText(*item.key, a) != settingsValueText(*item.key, b);
}
