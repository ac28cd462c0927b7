// The line settings and time-outs of a serial port, kept in the shape the
// controller link has always described them in (a device control block and a
// time-out block), whatever the platform underneath.
// Thread safety: plain values.
#pragma once

#include <cstdint>

enum class EParity : std::uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class EStopBits : std::uint8_t { One = 0, OneAndHalf = 1, Two = 2 };
enum class EDtrControl : std::uint8_t { Disable = 0, Enable = 1, Handshake = 2 };
enum class ERtsControl : std::uint8_t { Disable = 0, Enable = 1, Handshake = 2, Toggle = 3 };

struct SDcb {
    std::uint32_t baudRate = 0;
    // The control flags, in the order of their bits in the control-flags word.
    bool binaryMode = false;
    bool parityCheck = false;
    bool ctsOutFlow = false;
    bool dsrOutFlow = false;
    EDtrControl dtrControl = EDtrControl::Disable;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool replaceErrors = false;
    bool discardNul = false;
    ERtsControl rtsControl = ERtsControl::Disable;
    bool abortOnError = false;

    std::uint16_t xonLimit = 0;
    std::uint16_t xoffLimit = 0;
    std::uint8_t byteSize = 8;
    EParity parity = EParity::None;
    EStopBits stopBits = EStopBits::One;
    std::uint8_t xonChar = 0;
    std::uint8_t xoffChar = 0;
    std::uint8_t errorChar = 0;
    std::uint8_t eofChar = 0;
    std::uint8_t evtChar = 0;

    bool operator==(const SDcb&) const = default;
};

// The control flags packed as one word (bit 0 binary mode ... bit 14 abort on error).
constexpr std::uint32_t dcbControlFlags(const SDcb& d)
{
    return std::uint32_t{d.binaryMode} | std::uint32_t{d.parityCheck} << 1 |
           std::uint32_t{d.ctsOutFlow} << 2 | std::uint32_t{d.dsrOutFlow} << 3 |
           std::uint32_t(d.dtrControl) << 4 | std::uint32_t{d.dsrSensitivity} << 6 |
           std::uint32_t{d.txContinueOnXoff} << 7 | std::uint32_t{d.xonXoffOut} << 8 |
           std::uint32_t{d.xonXoffIn} << 9 | std::uint32_t{d.replaceErrors} << 10 |
           std::uint32_t{d.discardNul} << 11 | std::uint32_t(d.rtsControl) << 12 |
           std::uint32_t{d.abortOnError} << 14;
}

// All in milliseconds. A read may take interval (between bytes, 0 = unused;
// the maximum value with both totals 0 = return at once with what is there)
// and at most multiplier × bytes + constant in total (both 0 = no limit).
struct STimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;

    bool operator==(const STimeouts&) const = default;
};

inline constexpr std::uint32_t kReadIntervalImmediate = 0xFFFFFFFFu;

// Bits of the clearCommError mask.
inline constexpr std::uint32_t CE_RXOVER = 0x0001;   // receive buffer overflowed
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;  // the UART lost characters
inline constexpr std::uint32_t CE_RXPARITY = 0x0004; // parity error
inline constexpr std::uint32_t CE_FRAME = 0x0008;    // framing error
inline constexpr std::uint32_t CE_BREAK = 0x0010;    // break condition on the line
// The device has gone (cable pulled, adapter unplugged): every further
// exchange would fail, so it is reported as a line error, not hidden.
inline constexpr std::uint32_t CE_DEVICE_GONE = 0x00010000;
