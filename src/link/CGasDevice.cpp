#include "link/CGasDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string_view>

#include "data/DateCode.h"
#include "data/DiagSimulation.h"
#include "data/LambdaType.h"
#include "data/MountDataRecord.h"
#include "data/SettingsRecord.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CCipher.h"

namespace {

// Offsets of the identity record.
constexpr std::size_t VERSION_DATE = 0;
constexpr std::size_t VERSION_WORD = 2;
constexpr std::size_t VERSION_INJ_COUNT = 4;
constexpr std::size_t VERSION_SERIAL = 6;
// Version words above this carry it as an offset.
constexpr int VERSION_OFFSET = 40000;

constexpr std::size_t FUEL_DIRECTION = 4;

// Shows the waiting window for a scope and closes it on every way out,
// a thrown port error included.
class CWaitingWindow {
public:
    CWaitingWindow(IGasShell& shell, const char* polish) : m_shell(shell)
    {
        m_shell.showWaiting(translate(polish));
    }
    ~CWaitingWindow() { m_shell.closeWaiting(); }
    CWaitingWindow(const CWaitingWindow&) = delete;
    CWaitingWindow& operator=(const CWaitingWindow&) = delete;

private:
    IGasShell& m_shell;
};

} // namespace

CGasDevice::CGasDevice(IGasShell& shell) : m_shell(shell) {}

CGasDevice::~CGasDevice()
{
    // A reader still running would outlive the object it reads through; it
    // ends after its current exchange (at most about a second).
    m_runFlag.store(0);
    m_liveReaders.waitUntilNone(std::chrono::seconds(2));
}

void CGasDevice::beginLive()
{
    if (!m_demo)
        m_serial.purgeIn();
}

bool CGasDevice::liveLineFailed()
{
    return m_demo ? false : m_serial.clearCommError() != 0;
}

void CGasDevice::liveLost()
{
    m_connected.store(false);
    m_shell.linkLost();
}

bool CGasDevice::exchangeRetry(std::uint8_t requestType, const FRequest& build,
                               std::uint8_t expectType, SBuffer& buf, std::uint8_t& len,
                               int attempts, std::uint32_t pauseMs, bool stopOnOtherType)
{
    for (int i = 0; i < attempts; ++i) {
        if (pauseMs)
            m_shell.sleep(pauseMs);
        buf.fill(0);
        len = build(buf);
        std::uint8_t type = requestType;
        if (!transact(buf.data(), len, type))
            continue;
        if (type != expectType) {
            if (stopOnOtherType)
                return false;
            continue;
        }
        if (type == MSG_TYPE_COMMAND && buf[0] != CMD_DONE)
            continue;
        return true;
    }
    return false;
}

bool CGasDevice::command(std::uint8_t code, std::uint16_t param, std::uint8_t expectType,
                         SBuffer& buf, std::uint8_t& len, int attempts, std::uint32_t pauseMs)
{
    auto build = [code, param](SBuffer& b) {
        b[0] = code;
        setPayloadWord(&b[kCommandParamOffset], param);
        return kCommandPayloadSize;
    };
    return exchangeRetry(MSG_TYPE_COMMAND, build, expectType, buf, len, attempts, pauseMs);
}

bool CGasDevice::acknowledged(std::uint8_t code, std::uint16_t param, std::uint32_t pauseMs)
{
    SBuffer buf;
    std::uint8_t len = 0;
    return command(code, param, MSG_TYPE_COMMAND, buf, len, DEVICE_ATTEMPTS, pauseMs);
}

void CGasDevice::report(const char* polish)
{
    m_shell.errorBox(translate(polish));
}

void CGasDevice::recomputeClock()
{
    m_devInfo.m_flags.clock = DEVICE_CLOCK;
    m_tickTime = 1000.0 / m_devInfo.m_flags.clock;
    m_rpmFactor = m_devInfo.m_flags.clock * 120.0;
}

void CGasDevice::connect()
{
    m_linkTestOk = true;
    m_shell.showSplash(translate("Łączenie ze sterownikiem..."));
    rebuildErrors();
    scanPorts(true);
    m_shell.closeSplash();
}

bool CGasDevice::scanPorts(bool interactive)
{
    const int last = m_shell.lastPort();
    if (last != 0 && tryPort(last)) {
        m_shell.showLinkState(true, m_demo);
        return true;
    }
    for (int port = 1; port <= SCAN_PORTS; ++port) {
        if (port == last)
            continue;
        if (tryPort(port)) {
            m_shell.showLinkState(true, m_demo);
            return true;
        }
    }
    if (interactive && m_shell.askDemoMode()) {
        enterDemo();
        return true;
    }
    return false;
}

void CGasDevice::enterDemo()
{
    m_demo = true;
    m_connected.store(true);
    m_shell.showLinkState(true, true);
    readVersion();
    readFlags();
    readMountData();
}

bool CGasDevice::tryPort(int port)
{
    try {
        m_serial.close();
        m_serial.open(port);
        configureLine();
        if (!loadDevice())
            return false;
    } catch (IError* e) {
        // A port that is missing, busy or refuses the line settings is simply
        // not the controller's; the scan goes on to the next.
        std::unique_ptr<IError> owned(e);
        return false;
    }
    m_shell.storeLastPort(port);
    return true;
}

bool CGasDevice::loadDevice()
{
    if (m_demo)
        return true;
    m_connected.store(false);
    if (!testLink())
        return false;

    CWaitingWindow waiting(m_shell, "Wczytywanie ustawień z urządzenia");

    if (!readVersion())
        report("Nie powiodło się odczytanie wersji urządzenia!");
    if (!readFlags())
        report("Nie powiodło się odczytanie wersji urządzenia!");
    if (!readMountData())
        report("Nie powiodło się wczytanie ustawień urządzenia!");
    m_connected.store(true);
    m_shell.showLinkState(true, m_demo);
    if (!readSettings())
        report("Nie powiodło się wczytanie ustawień urządzenia!");
    if (!readSetupTable())
        report("Nie powiodło się wczytanie ustawień urządzenia!");
    return true;
}

bool CGasDevice::testLink()
{
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_TEST, 0, MSG_TYPE_COMMAND, buf, len, LINK_TEST_ATTEMPTS))
        return false;
    m_linkTestOk = payloadWord(&buf[kCommandParamOffset]) == LINK_TEST_ANSWER;
    return true;
}

bool CGasDevice::readVersion()
{
    if (m_demo) {
        m_devInfo.m_version = 256;
        m_devInfo.m_injCount = 8;
        m_devInfo.m_serial = "si001";
        m_devInfo.m_prodDate = "21/05/2006";
        return true;
    }
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_VERSION, 0, MSG_TYPE_VERSION, buf, len))
        return false;
    int version = payloadWord(&buf[VERSION_WORD]);
    if (version > VERSION_OFFSET)
        version -= VERSION_OFFSET;
    m_devInfo.m_version = version;
    m_devInfo.m_injCount = buf[VERSION_INJ_COUNT];
    m_devInfo.m_serial = CCipher::decipherSerial(
        std::string_view(reinterpret_cast<const char*>(&buf[VERSION_SERIAL]), CCipher::BLOCK_SIZE));
    m_devInfo.m_prodDate = dateFromCode(payloadWord(&buf[VERSION_DATE]));
    return true;
}

bool CGasDevice::readFlags()
{
    if (m_demo) {
        m_devInfo.m_flags = {0x1F, 0, DEVICE_CLOCK};
        recomputeClock();
        return true;
    }
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_FLAGS, 0, MSG_TYPE_FLAGS, buf, len))
        return false;
    m_devInfo.m_flags.flags1 = payloadDword(&buf[0]);
    m_devInfo.m_flags.flags2 = payloadDword(&buf[4]);
    m_devInfo.m_flags.clock = payloadDword(&buf[8]);
    recomputeClock();
    return true;
}

bool CGasDevice::readMountData()
{
    if (m_demo)
        return true;
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_MOUNT_DATA, 0, MSG_TYPE_MOUNT_DATA, buf, len))
        return false;
    SMountDataRecord rec{};
    std::copy_n(buf.begin(), rec.size(), rec.begin());
    readMountDataInto(rec, m_devInfo);
    return true;
}

bool CGasDevice::writeMountData()
{
    if (m_demo)
        return true;
    const SMountDataRecord rec = toMountData(m_devInfo);
    SBuffer buf;
    std::uint8_t len = 0;
    auto build = [&rec](SBuffer& b) {
        std::copy(rec.begin(), rec.end(), b.begin());
        return static_cast<std::uint8_t>(rec.size());
    };
    return exchangeRetry(MSG_TYPE_MOUNT_DATA, build, MSG_TYPE_COMMAND, buf, len);
}

bool CGasDevice::readStatistic()
{
    if (m_demo) {
        m_devInfo.m_statistic = {1330, 46145};
        return true;
    }
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_STATISTIC, 0, MSG_TYPE_STATISTIC, buf, len))
        return false;
    m_devInfo.m_statistic.gas = payloadDword(&buf[0]);
    m_devInfo.m_statistic.lpg = payloadDword(&buf[4]);
    return true;
}

bool CGasDevice::readSettings()
{
    if (m_demo)
        return true;
    const ERecordForm form = recordForm(m_devInfo.m_flags.flags1);
    const bool extended = form == ERecordForm::Extended;
    const std::uint8_t code = extended ? CMD_SETUP : CMD_SETUP_V1;
    const std::uint8_t expect = extended ? MSG_TYPE_SETUP : MSG_TYPE_SETUP_V1;
    SBuffer buf;
    std::uint8_t len = 0;
    auto build = [code](SBuffer& b) {
        b[0] = code;
        return static_cast<std::uint8_t>(SETTINGS_RECORD_SIZE);
    };
    if (!exchangeRetry(MSG_TYPE_COMMAND, build, expect, buf, len))
        return false;
    SSettingsRecord rec{};
    std::copy_n(buf.begin(), rec.size(), rec.begin());
    readRecordInto(rec, form, *this);
    setCurrentLambdaType(m_lambdaType);
    return true;
}

bool CGasDevice::writeSettings()
{
    if (m_demo)
        return true;
    const ERecordForm form = recordForm(m_devInfo.m_flags.flags1);
    const SSettingsRecord rec = toRecord(*this, form);
    const std::uint8_t type = form == ERecordForm::Extended ? MSG_TYPE_SETUP : MSG_TYPE_SETUP_V1;
    SBuffer buf;
    std::uint8_t len = 0;
    auto build = [&rec](SBuffer& b) {
        std::copy(rec.begin(), rec.end(), b.begin());
        return static_cast<std::uint8_t>(rec.size());
    };
    if (!exchangeRetry(type, build, MSG_TYPE_COMMAND, buf, len))
        return false;
    setCurrentLambdaType(m_lambdaType);
    return true;
}

bool CGasDevice::readSetupTable()
{
    if (m_demo)
        return true;
    SBuffer buf;
    std::uint8_t len = 0;
    auto build = [](SBuffer& b) {
        b[0] = CMD_SETUP_TABLE;
        return kCommandPayloadSize;
    };
    if (!exchangeRetry(MSG_TYPE_COMMAND, build, MSG_TYPE_TABLE, buf, len, DEVICE_ATTEMPTS, 0, true))
        return false;
    SSetupTable table{};
    std::copy_n(buf.begin(), table.size(), table.begin());
    readSetupTableInto(table, *this);
    return true;
}

bool CGasDevice::writeSetupTable()
{
    if (m_demo)
        return true;
    const SSetupTable table = toSetupTable(*this);
    SBuffer buf;
    std::uint8_t len = 0;
    auto build = [&table](SBuffer& b) {
        std::copy(table.begin(), table.end(), b.begin());
        return static_cast<std::uint8_t>(table.size());
    };
    return exchangeRetry(MSG_TYPE_TABLE, build, MSG_TYPE_COMMAND, buf, len);
}

bool CGasDevice::workLpg()
{
    if (m_demo) {
        setSimulatedMode(WORK_LPG, FUEL_LPG);
        return true;
    }
    return acknowledged(CMD_WORK_LPG, 0, SWITCH_PAUSE_MS);
}

bool CGasDevice::workGas()
{
    if (m_demo) {
        setSimulatedMode(WORK_PETROL, FUEL_PETROL);
        return true;
    }
    return acknowledged(CMD_WORK_GAS, 0, SWITCH_PAUSE_MS);
}

bool CGasDevice::workAuto()
{
    if (!workGas())
        return false;
    if (m_demo) {
        setSimulatedMode(WORK_AUTO, FUEL_PETROL);
        return true;
    }
    return acknowledged(CMD_WORK_AUTO, 0, SWITCH_PAUSE_MS);
}

bool CGasDevice::readErrors(SErrorRecord& record)
{
    if (m_demo) {
        record.fill(0);
        return true;
    }
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_ERROR, 0, MSG_TYPE_ERRORS, buf, len))
        return false;
    std::copy_n(buf.begin(), record.size(), record.begin());
    return true;
}

bool CGasDevice::switchToPetrolAndWait()
{
    if (m_demo) {
        m_shell.sleep(300);
        workGas();
        return true;
    }
    if (!workGas())
        return false;
    std::uint8_t fuel = 0;
    for (int poll = 0; poll < PETROL_POLLS && fuel != FUEL_PETROL; ++poll) {
        diag_t rec{};
        if (readDiag(rec) == 0)
            fuel = rec.fuel;
        m_shell.sleep(50);
        m_shell.pumpEvents();
    }
    return true;
}

bool CGasDevice::clearErrors()
{
    bool petrol;
    {
        CWaitingWindow waiting(m_shell, "Przełączenie na benzynę...");
        petrol = switchToPetrolAndWait();
    }
    if (!petrol)
        return false;
    if (m_demo) {
        m_shell.setFaultIndicator(false);
        return true;
    }
    CWaitingWindow waiting(m_shell, "Resetowanie sterownika LPG...");
    if (!acknowledged(CMD_CLEAR_ERRORS))
        return false;
    m_shell.setFaultIndicator(false);
    return true;
}

bool CGasDevice::readFuelSensor(SFuelSensorRecord& record)
{
    if (m_demo) {
        record = {241, 249, 253, 255, 0, 0};
        return true;
    }
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_FUEL_SENSOR, 0, MSG_TYPE_FUEL_SENSOR, buf, len))
        return false;
    std::copy_n(buf.begin(), record.size(), record.begin());
    // The controller keeps every series falling; a rising one travels inverted.
    if (record[FUEL_DIRECTION] == 1)
        for (std::size_t i = 0; i < 4; ++i)
            record[i] = static_cast<std::uint8_t>(255 - record[i]);
    return true;
}

bool CGasDevice::writeFuelSensor(const std::array<std::uint8_t, 4>& thresholds)
{
    if (m_demo)
        return true;
    SFuelSensorRecord rec{};
    const bool rising = thresholds[0] <= thresholds[3];
    for (std::size_t i = 0; i < 4; ++i)
        rec[i] = rising ? static_cast<std::uint8_t>(255 - thresholds[i]) : thresholds[i];
    rec[FUEL_DIRECTION] = rising ? 1 : 0;
    SBuffer buf;
    std::uint8_t len = 0;
    auto build = [&rec](SBuffer& b) {
        std::copy(rec.begin(), rec.end(), b.begin());
        return static_cast<std::uint8_t>(rec.size());
    };
    return exchangeRetry(MSG_TYPE_FUEL_SENSOR, build, MSG_TYPE_COMMAND, buf, len);
}

bool CGasDevice::setInjectorMask(std::uint8_t mask)
{
    if (m_demo) {
        m_demoInjMask = mask;
        return true;
    }
    return acknowledged(CMD_SET_INJ_MASK, mask, SWITCH_PAUSE_MS);
}

bool CGasDevice::getInjectorMask(std::uint8_t& mask)
{
    if (m_demo) {
        mask = m_demoInjMask;
        return true;
    }
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_GET_INJ_MASK, 0, MSG_TYPE_COMMAND, buf, len, DEVICE_ATTEMPTS, SWITCH_PAUSE_MS))
        return false;
    mask = static_cast<std::uint8_t>(payloadWord(&buf[kCommandParamOffset]) & 0xFF);
    return true;
}

bool CGasDevice::readEeprom(std::uint16_t address, SEepromBlock& block)
{
    if (m_demo)
        return true;
    SBuffer buf;
    std::uint8_t len = 0;
    if (!command(CMD_EEPROM, address, MSG_TYPE_EEPROM, buf, len))
        return false;
    std::copy_n(buf.begin(), block.size(), block.begin());
    return true;
}

bool CGasDevice::writeEeprom(const SEepromBlock& block)
{
    if (m_demo)
        return true;
    SBuffer buf;
    std::uint8_t len = 0;
    auto build = [&block](SBuffer& b) {
        std::copy(block.begin(), block.end(), b.begin());
        return static_cast<std::uint8_t>(block.size());
    };
    return exchangeRetry(MSG_TYPE_EEPROM, build, MSG_TYPE_COMMAND, buf, len);
}

bool CGasDevice::readEepromArea(std::uint16_t address, std::size_t count, std::uint8_t* out)
{
    for (std::size_t done = 0; done < count; done += EEPROM_BLOCK) {
        SEepromBlock block{};
        if (!readEeprom(static_cast<std::uint16_t>(address + done), block))
            return false;
        std::copy_n(block.begin() + 2, std::min(EEPROM_BLOCK, count - done), out + done);
    }
    return true;
}

bool CGasDevice::writeEepromArea(std::uint16_t address, std::size_t count, const std::uint8_t* in)
{
    for (std::size_t done = 0; done < count; done += EEPROM_BLOCK) {
        SEepromBlock block{};
        const auto at = static_cast<std::uint16_t>(address + done);
        setPayloadWord(block.data(), at);
        const std::size_t n = std::min(EEPROM_BLOCK, count - done);
        // A last, partial block keeps the controller's bytes behind the area.
        if (n < EEPROM_BLOCK && !readEeprom(at, block))
            return false;
        setPayloadWord(block.data(), at);
        std::copy_n(in + done, n, block.begin() + 2);
        if (!writeEeprom(block))
            return false;
    }
    return true;
}

int CGasDevice::readDiag(diag_t& rec)
{
    if (m_demo)
        return simulateRecord(rec);
    std::uint8_t buf[kExchangeBufferSize] = {};
    buf[0] = CMD_DIAG;
    std::uint8_t len = kCommandPayloadSize;
    std::uint8_t type = MSG_TYPE_COMMAND;
    if (transactDiag(buf, len, type) != 0)
        return 2;
    if (type != MSG_TYPE_DIAG)
        return 1;
    rec = diagFromPayload(buf, len);
    return 0;
}
