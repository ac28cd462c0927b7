// The one serial port to the controller: raw bytes in and out with the link's
// time-outs, line settings, buffer purges and line-error reporting. Failures
// are thrown as CRSError (5 open, 6 any other operation).
// Thread safety: no lock of its own; the controller link's lock serialises
// exchanges, and only purgeIn may run outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "errors/IError.h"
#include "link/CRSError.h"
#include "link/CSerialPortTypes.h"

// How long the controller may take to start its reply on the real line.
inline constexpr std::uint32_t LINE_READ_TIMEOUT_MS = 700;

class CSerialPort : public IErrorHelper<CRSError> {
public:
    CSerialPort() = default;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    // Releases the device: a destroyed port must not keep it locked.
    ~CSerialPort() override;

    // Port n of CPortList. A port already open is closed first.
    void open(int portNumber);
    // Any device path, e.g. a pseudo-terminal of the emulator.
    void open(const std::string& path);
    void close();
    bool isOpen() const { return m_handle >= 0; }
    int port() const { return m_port; }
    const std::string& path() const { return m_path; }
    // errno of the last failure that was thrown or returned, 0 if none yet.
    int lastError() const { return m_lastError; }

    void getState(SDcb& dcb);
    // The line rate is applied last and must read back exactly.
    void setState(const SDcb& dcb);
    void getTimeout(STimeouts& timeouts);
    void setTimeout(const STimeouts& timeouts);
    // The controller's line (14400 8N1, no flow control, DTR and RTS low) and
    // read time-outs of readTimeoutMs + 1 ms per byte, built from scratch and
    // applied. Only tests shorten the read time-out.
    void configureLine(std::uint32_t readTimeoutMs = LINE_READ_TIMEOUT_MS);
    static SDcb lineSettings();
    static STimeouts lineTimeouts(std::uint32_t readTimeoutMs = LINE_READ_TIMEOUT_MS);

    // Returns once all n bytes are there or the total time-out has passed;
    // fewer bytes (down to 0) is not an error. A vanished device throws.
    std::size_t read(void* buf, std::size_t n);
    // Writes everything unless the write time-out passes first.
    std::size_t write(const void* buf, std::size_t n);
    void purgeIn();
    void purgeOut();
    // Reads and drops whatever the receive buffer holds, and when that was
    // anything, whatever follows it until the line is quiet for kQuietMs;
    // returns how many bytes that was. An empty buffer is watched for a first
    // byte for awaitMs (by default not at all).
    std::size_t discardInput(std::uint32_t awaitMs = 0);
    // True when no byte arrives for kQuietMs (false also on a vanished device).
    bool staysQuiet();
    // Longer than a reply pauses half-way: a byte at 14400 baud takes 0.7 ms,
    // and a USB adapter hands what it has over every 16 ms.
    static constexpr std::uint32_t kQuietMs = 20;
    // How long a read waits for a reply to start (the total time-out's constant).
    std::uint32_t readTimeoutMs() const { return m_timeouts.readTotalConstant; }
    // CE_* bits of line errors since the last call (each reported once),
    // CE_DEVICE_GONE when the device has vanished, the errno when the query
    // itself fails. 0 on a clean line. Never throws.
    std::uint32_t clearCommError();

private:
    [[noreturn]] void failState(const char* operation, int err, int line,
                                const std::string& note = {});
    [[noreturn]] void failIo(const char* operation, int err, int line);
    void openDevice(const std::string& path, const std::string& label, int number);
    void resetErrorCounts();
    // Fails with ENODEV when poll reports a hang-up or error on the device.
    int waitFor(short events, int timeoutMs);

    int m_handle = -1;
    int m_port = 0;
    std::string m_path;
    int m_lastError = 0;
    SDcb m_dcb{};
    STimeouts m_timeouts = lineTimeouts();
    bool m_countsSupported = true;
    std::uint32_t m_frameErrors = 0;
    std::uint32_t m_overruns = 0;
    std::uint32_t m_parityErrors = 0;
    std::uint32_t m_bufferOverruns = 0;
    std::uint32_t m_breaks = 0;
};

// What a Linux user can do about an errno of open: "" when there is no advice.
std::string portHint(int err);
