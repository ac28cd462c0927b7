// The controller as the rest of the system sees it: finds it on a port, reads
// its identity and settings, and offers one operation per controller command.
// Each operation retries (10 attempts unless noted) and reports by its result;
// port failures outside tryPort are thrown as CRSError. In demonstration mode
// every operation succeeds at once with fixed values and no port traffic.
// Thread safety: all operations belong to one thread, except readDiag, which
// the live-data reader calls; the link lock keeps their exchanges apart.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "data/CLiveSource.h"
#include "data/CSettings.h"
#include "data/DiagRecord.h"
#include "link/CGasDeviceErr.h"
#include "link/CGasLink.h"
#include "link/IGasShell.h"

constexpr int DEVICE_ATTEMPTS = 10;
constexpr int LINK_TEST_ATTEMPTS = 3;
constexpr int SCAN_PORTS = 7;
// The pause before each attempt of a mode switch or an injector-mask command.
constexpr std::uint32_t SWITCH_PAUSE_MS = 500;
// The controller's clock is fixed; whatever the flags record says, these hold.
constexpr std::uint32_t DEVICE_CLOCK = 40000;
constexpr std::uint16_t LINK_TEST_ANSWER = 0x0055;
constexpr int PETROL_POLLS = 49;
constexpr std::size_t EEPROM_BLOCK = 16;

// Fault record (one byte per group), fuel-sensor record and EEPROM block.
using SErrorRecord = std::array<std::uint8_t, 4>;
using SFuelSensorRecord = std::array<std::uint8_t, 6>;
using SEepromBlock = std::array<std::uint8_t, 2 + EEPROM_BLOCK>;

class CGasDevice : public CGasDeviceErr, public CGasLink, public CSettings, public CLiveSource {
public:
    explicit CGasDevice(IGasShell& shell);
    ~CGasDevice() override;

    // Splash, fault groups, then scanPorts with the no-connection question.
    void connect();
    // The last port, then ports 1 to 7. Only an interactive scan asks about
    // demonstration mode when nothing answers (the reconnection timer does not).
    bool scanPorts(bool interactive = true);
    bool tryPort(int port);
    bool loadDevice();
    // Demonstration mode, as when the user chooses it at the no-connection question.
    void enterDemo();

    bool isDemo() const { return m_demo; }
    bool isConnected() const { return m_connected.load(); }
    void setConnected(bool connected) { m_connected.store(connected); }
    bool linkTestOk() const { return m_linkTestOk; }
    IGasShell& shell() { return m_shell; }

    bool testLink();
    bool readVersion();
    bool readFlags();
    bool readMountData();
    bool writeMountData();
    bool readStatistic();
    bool readSettings();
    bool writeSettings();
    bool readSetupTable();
    bool writeSetupTable();
    bool workLpg();
    bool workGas();
    bool workAuto();
    bool readErrors(SErrorRecord& record);
    // Petrol first, then the controller reset that also clears stored faults.
    bool clearErrors();
    // Thresholds in falling or rising order; the record as the fitter sees it.
    bool readFuelSensor(SFuelSensorRecord& record);
    bool writeFuelSensor(const std::array<std::uint8_t, 4>& thresholds);
    bool setInjectorMask(std::uint8_t mask);
    bool getInjectorMask(std::uint8_t& mask);
    bool readEeprom(std::uint16_t address, SEepromBlock& block);
    bool writeEeprom(const SEepromBlock& block);
    bool readEepromArea(std::uint16_t address, std::size_t count, std::uint8_t* out);
    bool writeEepromArea(std::uint16_t address, std::size_t count, const std::uint8_t* in);
    // 0 a record, 1 a reply of another type, 2 a failed exchange. One attempt.
    int readDiag(diag_t& rec) override;
    // Switches to petrol and waits (at most 49 polls) until the controller
    // reports it; true once the switch was accepted, reported or not.
    bool switchToPetrolAndWait();

    double tickTime() const { return m_tickTime; }
    double rpmFactor() const { return m_rpmFactor; }

    bool liveAllowed() const override { return m_linkTestOk || m_demo; }
    void beginLive() override;
    bool liveLineFailed() override;
    void liveLost() override;

private:
    using SBuffer = std::array<std::uint8_t, kExchangeBufferSize>;
    // Fills a request into the buffer; returns its length.
    using FRequest = std::function<std::uint8_t(SBuffer&)>;

    // Up to `attempts` exchanges of a freshly built request until the reply has
    // the expected type (and CMD_DONE for an acknowledgement). On true the
    // buffer holds the reply payload and len its length.
    bool exchangeRetry(std::uint8_t requestType, const FRequest& build, std::uint8_t expectType,
                       SBuffer& buf, std::uint8_t& len, int attempts = DEVICE_ATTEMPTS,
                       std::uint32_t pauseMs = 0, bool stopOnOtherType = false);
    bool command(std::uint8_t code, std::uint16_t param, std::uint8_t expectType, SBuffer& buf,
                 std::uint8_t& len, int attempts = DEVICE_ATTEMPTS, std::uint32_t pauseMs = 0);
    bool acknowledged(std::uint8_t code, std::uint16_t param = 0, std::uint32_t pauseMs = 0);
    void report(const char* polish);
    void recomputeClock();

    IGasShell& m_shell;
    bool m_demo = false;
    std::atomic<bool> m_connected{false};
    bool m_linkTestOk = true;
    double m_tickTime = 0.025;
    double m_rpmFactor = 4800000;
    std::uint8_t m_demoInjMask = 255;
};
