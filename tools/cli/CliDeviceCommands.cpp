// mode, errors, clear-errors, fuel-sensor, injectors, eeprom: single
// controller commands.

#include "CliContext.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

#include "CliJson.h"
#include "CliText.h"
#include "data/FuelSensorCheck.h"
#include "data/InjectorMask.h"
#include "lang/Translation.h"
#include "link/CDeviceErrorBase.h"

namespace {

std::string hexBytes(const std::uint8_t* bytes, std::size_t n)
{
    std::string s;
    char b[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02X", bytes[i]);
        s += (i ? " " : "") + std::string(b);
    }
    return s;
}

bool parseAddress(const std::string& text, unsigned long& value)
{
    std::string_view digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    return !digits.empty() && r.ec == std::errc() && r.ptr == digits.data() + digits.size();
}

struct SMode {
    const char* name;
    bool (CGasDevice::*run)();
    const char* failure;
    const char* done;
};

const SMode kModes[] = {
    {"petrol", &CGasDevice::workGas, "Nie powiodło się przełączenie na benzynę!",
     "przełączono na benzynę"},
    {"lpg", &CGasDevice::workLpg, "Nie powiodło się przełączenie na LPG!", "przełączono na LPG"},
    {"auto", &CGasDevice::workAuto, "Nie powiodło się przełączenie w tryb AUTO!",
     "przełączono w tryb AUTO"},
};

// Each set bit of the fault record with its group; a bit the group has no
// text for is still a fault the controller reports, so it is named by place.
struct SFault {
    std::string group;
    unsigned bit;
    std::string text;
};

std::string unknownFault(std::size_t position, unsigned bit)
{
    return translateFill("nieznany błąd, grupa %1 bit %2",
                         {std::to_string(position), std::to_string(bit)});
}

std::vector<SFault> faultsOf(const CGasDevice& d, const SErrorRecord& rec)
{
    static const CDeviceErrorBase unknownGroup;
    std::vector<SFault> faults;
    for (std::size_t pos = 0; pos < rec.size(); ++pos) {
        const CDeviceErrorBase& group = d.group(pos) ? *d.group(pos) : unknownGroup;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((rec[pos] >> bit) & 1u)
                faults.push_back({group.title(), bit,
                                  group.hasText(bit) ? group.text(bit) : unknownFault(pos, bit)});
        }
    }
    return faults;
}

} // namespace

std::string checkMode(const SCliOptions& opt)
{
    const std::string& mode = opt.operands.front();
    if (std::none_of(std::begin(kModes), std::end(kModes),
                     [&](const SMode& m) { return mode == m.name; }))
        return translate("mode przyjmuje petrol, lpg lub auto, a nie ") + cliQuoted(mode);
    return {};
}

int cmdMode(SCliContext& c)
{
    const std::string& mode = c.opt.operands.front();
    const SMode& m = *std::find_if(std::begin(kModes), std::end(kModes),
                                   [&](const SMode& known) { return mode == known.name; });
    if (!(c.device.*m.run)())
        return cliFail(c, CLI_FAILED, translate(m.failure));
    cliDone(c, CJsonObject().text("mode", mode).boolean("ok", true).str(), translate(m.done));
    return CLI_OK;
}

int cmdErrors(SCliContext& c)
{
    CGasDevice& d = c.device;
    SErrorRecord rec{};
    if (!d.readErrors(rec))
        return cliFail(c, CLI_FAILED, translate("Nie można wczytać błędów urządzenia"));
    const std::vector<SFault> faults = faultsOf(d, rec);
    if (c.opt.json) {
        std::vector<std::string> raw;
        std::vector<std::string> list;
        for (std::uint8_t b : rec)
            raw.push_back(jsonNumber(b));
        for (const SFault& f : faults) {
            list.push_back(CJsonObject()
                               .text("group", f.group)
                               .number("bit", f.bit)
                               .text("text", f.text)
                               .str());
        }
        c.out << CJsonObject().raw("raw", jsonArray(raw)).raw("faults", jsonArray(list)).str()
              << std::endl;
        return CLI_OK;
    }
    c.out << hexBytes(rec.data(), rec.size()) << '\n';
    if (faults.empty())
        c.out << translate("brak zapisanych błędów") << '\n';
    for (std::size_t i = 0; i < faults.size(); ++i) {
        if (i == 0 || faults[i].group != faults[i - 1].group)
            c.out << faults[i].group << '\n';
        c.out << "  " << faults[i].text << '\n';
    }
    c.out.flush();
    return CLI_OK;
}

int cmdClearErrors(SCliContext& c)
{
    if (!c.device.clearErrors())
        return cliFail(c, CLI_FAILED, translate("Nie można skasować błędów urządzenia"));
    cliDone(c, CJsonObject().boolean("ok", true).str(),
            translate("skasowano błędy sterownika") + translate("; sterownik zresetowano"));
    return CLI_OK;
}

std::string checkFuelSensor(const SCliOptions& opt)
{
    if (std::find(opt.given.begin(), opt.given.end(), "--set") == opt.given.end())
        return {};
    SFuelThresholds t{};
    if (const SFuelSensorType* type = findFuelSensorType(opt.set)) {
        if (!type->preset)
            return translate("podaj progi czujnika ") + "\"" + opt.set + "\"" +
                   translate(" jako T0,T1,T2,T3");
    } else if (!parseFuelThresholds(opt.set, t)) {
        return translate("--set przyjmuje cztery liczby od 0 do 255 jako T0,T1,T2,T3 albo typ "
                         "czujnika, a nie ") +
               cliQuoted(opt.set);
    }
    return {};
}

int cmdFuelSensor(SCliContext& c)
{
    CGasDevice& d = c.device;
    const bool set =
        std::find(c.opt.given.begin(), c.opt.given.end(), "--set") != c.opt.given.end();
    SFuelThresholds t{};
    if (set) {
        if (const SFuelSensorType* type = findFuelSensorType(c.opt.set))
            t = type->thresholds;
        else
            parseFuelThresholds(c.opt.set, t);
        // Refused before a port is sought, as every value that would be.
        std::string message;
        if (!checkFuelThresholds(t, &message))
            return cliFail(c, CLI_REFUSED, message);
    }
    if (cliConnect(c) != CLI_OK)
        return CLI_NO_DEVICE;
    if (set) {
        if (!d.writeFuelSensor(fuelRecordOrder(t)))
            return cliFail(
                c, CLI_FAILED,
                translate("Nie można wpisać ustawień czujnika poziomu gazu do urządzenia"));
    }
    SFuelSensorRecord rec{};
    if (!d.readFuelSensor(rec))
        return cliFail(c, CLI_FAILED,
                       translate("Nie można wczytać ustawień czujnika poziomu gazu z urządzenia"));
    t = fuelThresholdsOf(rec.data());
    const std::string type = translate(matchFuelSensorType(t).name);
    // One live record for the sensor's present reading; a failed exchange
    // only leaves the reading out.
    diag_t live{};
    const bool haveReading = d.readDiag(live) == 0;
    if (c.opt.json) {
        std::vector<std::string> values;
        for (std::uint8_t v : t)
            values.push_back(jsonNumber(v));
        CJsonObject o;
        o.raw("thresholds", jsonArray(values)).text("type", type);
        if (haveReading)
            o.number("reading", live.fuelLevel);
        else
            o.raw("reading", "null");
        c.out << o.str() << std::endl;
        return CLI_OK;
    }
    c.out << "thresholds\t" << int(t[0]) << ',' << int(t[1]) << ',' << int(t[2]) << ',' << int(t[3])
          << '\n'
          << "type\t" << type << '\n';
    if (haveReading)
        c.out << "reading\t" << int(live.fuelLevel) << '\n';
    c.out.flush();
    return CLI_OK;
}

int cmdInjectors(SCliContext& c)
{
    CGasDevice& d = c.device;
    const std::uint8_t limit = injectorMaskLimit(d.m_devInfo.m_injCount);
    if (c.opt.mask) {
        const std::uint8_t mask = *c.opt.mask;
        if (mask & ~limit)
            return cliFail(c, CLI_REFUSED,
                           translate("maska obejmuje wtryskiwacze, których sterownik nie ma; "
                                     "ma ich tylko ") +
                               std::to_string(d.m_devInfo.m_injCount));
        // Switching injectors off is a test made on LPG; on petrol the
        // service view leaves the buttons without effect, and so do we.
        if (!d.isDemo()) {
            diag_t live{};
            if (d.readDiag(live) != 0)
                return cliFail(c, CLI_FAILED,
                               translate("nie można odczytać, na jakim paliwie pracuje silnik; "
                                         "nic nie zostało wysłane"));
            if (!injectorMaskAllowed(live.fuel))
                return cliFail(c, CLI_FAILED,
                               translate("samochód nie pracuje na LPG; maskę wysyła się tylko "
                                         "podczas pracy na LPG"));
        }
        if (!d.setInjectorMask(mask))
            return cliFail(c, CLI_FAILED, translate("Nie powiodło się ustawienie urządzenia!"));
    }
    std::uint8_t mask = 0;
    if (!d.getInjectorMask(mask))
        return cliFail(c, CLI_FAILED,
                       translate("Nie powiodło się odczytanie ustawień urządzenia!"));
    mask &= limit;
    const int count = maskedInjectors(d.m_devInfo.m_injCount);
    if (c.opt.json) {
        std::vector<std::string> on;
        for (int i = 0; i < count; ++i)
            on.push_back((mask >> i) & 1 ? "true" : "false");
        c.out << CJsonObject()
                     .number("mask", mask)
                     .raw("injectors", jsonArray(on))
                     .number("m_devInfo.m_injCount", d.m_devInfo.m_injCount)
                     .str()
              << std::endl;
        return CLI_OK;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", mask);
    auto state = [&](int i) { return translate((mask >> i) & 1 ? "wł." : "wył."); };
    if (c.opt.mask) {
        // What the controller holds now, in one line, as every change reports itself.
        std::string line = translate("ustawiono maskę wtryskiwaczy ") + hex + ":";
        for (int i = 0; i < count; ++i)
            line += (i ? ", " : " ") + std::to_string(i + 1) + " " + state(i);
        c.out << line << std::endl;
        return CLI_OK;
    }
    c.out << "mask\t" << hex << '\n';
    for (int i = 0; i < count; ++i)
        c.out << (i + 1) << '\t' << state(i) << '\n';
    c.out.flush();
    return CLI_OK;
}

std::string checkEeprom(const SCliOptions& opt)
{
    const auto& ops = opt.operands;
    if (ops[0] != "read")
        return translate("użycie: ") + "nimo-cli eeprom read ADDR COUNT";
    unsigned long value = 0;
    for (const std::string& number : {ops[1], ops[2]}) {
        if (!parseAddress(number, value))
            return translate("ADDR i COUNT to liczby dziesiętne albo szesnastkowe z 0x, a nie ") +
                   cliQuoted(number);
    }
    return {};
}

int cmdEeprom(SCliContext& c)
{
    const auto& ops = c.opt.operands;
    unsigned long address = 0;
    unsigned long count = 0;
    parseAddress(ops[1], address);
    parseAddress(ops[2], count);
    if (address > 0xFFFF)
        return cliFail(c, CLI_REFUSED,
                       translate("ADDR musi wynosić od 0 do 0xFFFF, a nie ") + cliQuoted(ops[1]));
    if (count == 0 || address + count > 0x10000)
        return cliFail(c, CLI_REFUSED,
                       translate("COUNT musi wynosić co najmniej 1, a obszar musi się kończyć "
                                 "najpóźniej na 0x10000; podano ") +
                           cliQuoted(ops[2]));
    std::vector<std::uint8_t> bytes(count);
    if (!c.device.readEepromArea(static_cast<std::uint16_t>(address), count, bytes.data()))
        return cliFail(c, CLI_FAILED, translate("nie można odczytać pamięci EEPROM sterownika"));
    if (c.opt.json) {
        std::vector<std::string> values;
        for (std::uint8_t b : bytes)
            values.push_back(jsonNumber(b));
        c.out << CJsonObject()
                     .number("address", static_cast<double>(address))
                     .number("count", static_cast<double>(count))
                     .raw("bytes", jsonArray(values))
                     .str()
              << std::endl;
        return CLI_OK;
    }
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        char head[16];
        std::snprintf(head, sizeof head, "%04zX:", address + at);
        const std::size_t n = std::min<std::size_t>(16, bytes.size() - at);
        c.out << head << ' ' << hexBytes(bytes.data() + at, n) << '\n';
    }
    c.out.flush();
    return CLI_OK;
}
