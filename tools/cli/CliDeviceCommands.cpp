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

void printOk(SCliContext& c, CJsonObject o)
{
    if (c.opt.json)
        c.out << o.boolean("ok", true).str() << std::endl;
}

} // namespace

int cmdMode(SCliContext& c)
{
    const std::string& mode = c.opt.operands.front();
    CGasDevice& d = c.device;
    bool ok = false;
    const char* failure = nullptr;
    if (mode == "petrol") {
        ok = d.workGas();
        failure = "Nie powiodło się przełączenie na benzynę!";
    } else if (mode == "lpg") {
        ok = d.workLpg();
        failure = "Nie powiodło się przełączenie na LPG!";
    } else if (mode == "auto") {
        ok = d.workAuto();
        failure = "Nie powiodło się przełączenie w tryb AUTO!";
    } else {
        return cliFail(c, CLI_USAGE,
                       translate("mode przyjmuje petrol, lpg lub auto, a nie ") + cliQuoted(mode));
    }
    if (!ok)
        return cliFail(c, CLI_FAILED, translate(failure));
    printOk(c, CJsonObject().text("mode", mode));
    return CLI_OK;
}

int cmdErrors(SCliContext& c)
{
    CGasDevice& d = c.device;
    SErrorRecord rec{};
    if (!d.readErrors(rec))
        return cliFail(c, CLI_FAILED, translate("Nie można wczytać błędów urządzenia"));
    struct SFault {
        std::string group;
        unsigned bit;
        std::string text;
    };
    std::vector<SFault> faults;
    for (std::size_t pos = 0; pos < rec.size(); ++pos) {
        const CDeviceErrorBase* group = d.group(pos);
        for (unsigned bit = 0; group != nullptr && bit < 8; ++bit) {
            if ((rec[pos] >> bit) & 1u && !group->text(bit).empty())
                faults.push_back({group->title(), bit, group->text(bit)});
        }
    }
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
    for (const SFault& f : faults)
        c.out << f.text << '\n';
    c.out.flush();
    return CLI_OK;
}

int cmdClearErrors(SCliContext& c)
{
    if (!c.device.clearErrors())
        return cliFail(c, CLI_FAILED, translate("Nie można skasować błędów urządzenia"));
    printOk(c, CJsonObject());
    return CLI_OK;
}

int cmdFuelSensor(SCliContext& c)
{
    CGasDevice& d = c.device;
    if (std::find(c.opt.given.begin(), c.opt.given.end(), "--set") != c.opt.given.end()) {
        SFuelThresholds t{};
        if (const SFuelSensorType* type = findFuelSensorType(c.opt.set)) {
            if (!type->preset)
                return cliFail(c, CLI_USAGE,
                               translate("podaj progi czujnika ") + "\"" + c.opt.set + "\"" +
                                   translate(" jako T0,T1,T2,T3"));
            t = type->thresholds;
        } else if (!parseFuelThresholds(c.opt.set, t)) {
            return cliFail(c, CLI_REFUSED,
                           translate("--set przyjmuje cztery liczby od 0 do 255 jako T0,T1,T2,T3 "
                                     "albo typ czujnika, a nie ") +
                               cliQuoted(c.opt.set));
        }
        std::string message;
        if (!checkFuelThresholds(t, &message))
            return cliFail(c, CLI_REFUSED, message);
        if (!d.writeFuelSensor(fuelRecordOrder(t)))
            return cliFail(
                c, CLI_FAILED,
                translate("Nie można wpisać ustawień czujnika poziomu gazu do urządzenia"));
    }
    SFuelSensorRecord rec{};
    if (!d.readFuelSensor(rec))
        return cliFail(c, CLI_FAILED,
                       translate("Nie można wczytać ustawień czujnika poziomu gazu z urządzenia"));
    const SFuelThresholds t = fuelThresholdsOf(rec.data());
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
    c.out << "mask\t" << hex << '\n';
    for (int i = 0; i < count; ++i)
        c.out << (i + 1) << '\t' << translate((mask >> i) & 1 ? "wł." : "wył.") << '\n';
    c.out.flush();
    return CLI_OK;
}

int cmdEeprom(SCliContext& c)
{
    const auto& ops = c.opt.operands;
    if (ops[0] != "read")
        return cliFail(c, CLI_USAGE, translate("użycie: ") + "nimo-cli eeprom read ADDR COUNT");
    unsigned long address = 0;
    unsigned long count = 0;
    if (!parseAddress(ops[1], address) || address > 0xFFFF)
        return cliFail(c, CLI_REFUSED,
                       translate("ADDR musi wynosić od 0 do 0xFFFF, a nie ") + cliQuoted(ops[1]));
    if (!parseAddress(ops[2], count) || count == 0 || address + count > 0x10000)
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
        std::snprintf(head, sizeof head, "%04lX:", address + at);
        const std::size_t n = std::min<std::size_t>(16, bytes.size() - at);
        c.out << head << ' ' << hexBytes(bytes.data() + at, n) << '\n';
    }
    c.out.flush();
    return CLI_OK;
}
