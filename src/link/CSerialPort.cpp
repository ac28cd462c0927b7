#include "link/CSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>
#include <sstream>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/CPortList.h"
#include "link/CSerialPortBaud.h"

namespace {

const char* const kSerialPortFile = "serialport";

// Line numbers the port's errors have always carried; support staff know them.
constexpr std::int32_t LINE_OPEN = 66;
constexpr std::int32_t LINE_GET_STATE = 91;
constexpr std::int32_t LINE_SET_STATE = 105;
constexpr std::int32_t LINE_GET_TIMEOUT = 136;
constexpr std::int32_t LINE_SET_TIMEOUT = 150;
constexpr std::int32_t LINE_READ = 165;
constexpr std::int32_t LINE_WRITE = 182;
constexpr std::int32_t LINE_PURGE_IN = 197;
constexpr std::int32_t LINE_PURGE_OUT = 213;

// The controller's line rate; Linux has no constant for it.
constexpr std::uint32_t kLineBaud = 14400;
// A start bit, eight data bits and a stop bit.
constexpr std::uint64_t kBitsPerByte = 10;
// Below this the rest of a reply is waited for byte by byte.
constexpr std::chrono::microseconds kMinLineSleep{2000};

// A write that has not gone out after this long is stuck, not slow.
constexpr std::uint32_t kDefaultWriteConstantMs = 1000;
constexpr std::uint32_t kDefaultWriteMultiplierMs = 2;

// More than this in one drain means the device is streaming, not leftover.
constexpr std::size_t kMaxDiscard = std::size_t{64} * 1024;
// However long reads may take, a late reply is not waited for longer.
constexpr std::uint32_t kMaxAwaitMs = 5000;

using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC: immune to clock changes

// Ioctls a pseudo-terminal or a simple USB adapter does not implement.
bool notSupported(int err)
{
    return err == ENOTTY || err == EINVAL || err == EOPNOTSUPP;
}

// strerror_r comes in a POSIX and a GNU flavour; overloads take either.
[[maybe_unused]] const char* pickErrorText(int rc, const char* buf)
{
    return rc == 0 ? buf : "Unknown error";
}

[[maybe_unused]] const char* pickErrorText(const char* text, const char*)
{
    return text;
}

std::string errnoText(int err)
{
    char buf[256] = {};
    return pickErrorText(strerror_r(err, buf, sizeof buf), buf);
}

// "<path>: <strerror>[; <hint>]"
std::string describe(const std::string& path, int err, bool withHint)
{
    std::string s = (path.empty() ? std::string("(no port open)") : path) + ": " + errnoText(err);
    if (withHint) {
        const std::string hint = portHint(err);
        if (!hint.empty())
            s += "; " + hint;
    }
    return s;
}

int remainingMs(Clock::time_point until, Clock::time_point now)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

} // namespace

std::string portHint(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return "add your user to the dialout group, then log in again";
    case EBUSY:
        return "another program holds the port";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "no such device; is the cable plugged in?";
    case ENOTTY:
    case EISDIR:
        return "this is not a serial device";
    case EIO:
        return "the device stopped answering; was it unplugged?";
    default:
        return {};
    }
}

CSerialPort::~CSerialPort()
{
    close();
}

SDcb CSerialPort::lineSettings()
{
    SDcb d;
    d.baudRate = kLineBaud;
    d.binaryMode = true;
    d.dtrControl = EDtrControl::Disable;
    d.txContinueOnXoff = true;
    d.rtsControl = ERtsControl::Disable;
    d.abortOnError = true;
    d.xonLimit = 2048;
    d.xoffLimit = 512;
    d.byteSize = 8;
    d.parity = EParity::None;
    d.stopBits = EStopBits::One;
    d.xonChar = 0x11;
    d.xoffChar = 0x13;
    return d;
}

STimeouts CSerialPort::lineTimeouts(std::uint32_t readTimeoutMs)
{
    STimeouts t;
    t.readInterval = 0;
    t.readTotalMultiplier = 1;
    t.readTotalConstant = readTimeoutMs;
    t.writeTotalMultiplier = kDefaultWriteMultiplierMs;
    t.writeTotalConstant = kDefaultWriteConstantMs;
    return t;
}

void CSerialPort::open(int portNumber)
{
    close();
    const std::string path = CPortList::pathOf(portNumber);
    if (path.empty()) {
        m_lastError = ENODEV;
        const auto count = CPortList::ports().size();
        std::ostringstream s;
        s << "CSerialPort::open(" << portNumber << ") - GetLastError()=" << ENODEV
          << " no such port: port " << portNumber << " is not in the port list (" << count
          << (count == 1 ? " port" : " ports") << " found); " << portHint(ENODEV);
        throwError(CRSError::errOpen, s.str(), LINE_OPEN, kSerialPortFile);
    }
    openDevice(path, std::to_string(portNumber), portNumber);
}

void CSerialPort::open(const std::string& path)
{
    close();
    openDevice(path, path, CPortList::numberOf(path));
}

void CSerialPort::openDevice(const std::string& path, const std::string& label, int number)
{
    auto fail = [&](int fd, int err) {
        if (fd >= 0)
            ::close(fd);
        m_lastError = err;
        std::ostringstream s;
        s << "CSerialPort::open(" << label << ") - GetLastError()=" << err << " "
          << describe(path, err, true);
        throwError(CRSError::errOpen, s.str(), LINE_OPEN, kSerialPortFile);
    };

    // Non-blocking from the start: without a carrier a plain open could wait forever.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail(-1, errno);
    termios probe{};
    if (tcgetattr(fd, &probe) != 0)
        fail(fd, errno);
    // No sharing: later opens by others fail with EBUSY.
    if (ioctl(fd, TIOCEXCL) != 0 && !notSupported(errno))
        fail(fd, errno);
    // TIOCEXCL does not stop a privileged process; the advisory lock also
    // catches a second copy of this program started as root.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EWOULDBLOCK)
            fail(fd, EBUSY);
        if (err != ENOLCK && !notSupported(err))
            fail(fd, err);
    }

    m_handle = fd;
    m_path = path;
    m_port = number;
    m_dcb = SDcb{};
    m_timeouts = lineTimeouts();
    resetErrorCounts();
}

void CSerialPort::close()
{
    if (m_handle >= 0) {
        // Exclusive use outlives our close on a pseudo-terminal whose other
        // end stays open: the next open (ours, on reconnection) would be busy.
        ::ioctl(m_handle, TIOCNXCL);
        ::close(m_handle);
    }
    m_handle = -1;
    m_path.clear();
}

void CSerialPort::failState(const char* operation, int err, int line, const std::string& note)
{
    m_lastError = err;
    // The errno is taken first; the query below may change it.
    const std::uint32_t lineErrors = clearCommError();
    std::ostringstream s;
    s << operation << " \n GetLastError() = " << err << " " << describe(m_path, err, false) << note
      << "\n clearCommError() = " << lineErrors;
    throwError(CRSError::errOperation, s.str(), line, kSerialPortFile);
    std::terminate(); // throwError never returns; the compiler cannot see that through a virtual
                      // call
}

void CSerialPort::failIo(const char* operation, int err, int line)
{
    m_lastError = err;
    std::ostringstream s;
    s << operation << " - GetLastError()=" << err << " " << describe(m_path, err, true);
    throwError(CRSError::errOperation, s.str(), line, kSerialPortFile);
    std::terminate(); // throwError never returns; the compiler cannot see that through a virtual
                      // call
}

void CSerialPort::getState(SDcb& dcb)
{
    const char* op = "CSerialPort::getState()";
    if (m_handle < 0)
        failState(op, EBADF, LINE_GET_STATE);
    termios t{};
    if (tcgetattr(m_handle, &t) != 0)
        failState(op, errno, LINE_GET_STATE);
    // What termios cannot express is kept from the last setState.
    SDcb d = m_dcb;
    if (const int err = getLineBaud(m_handle, d.baudRate))
        failState(op, err, LINE_GET_STATE);

    switch (t.c_cflag & CSIZE) {
    case CS5:
        d.byteSize = 5;
        break;
    case CS6:
        d.byteSize = 6;
        break;
    case CS7:
        d.byteSize = 7;
        break;
    default:
        d.byteSize = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
        d.parity = EParity::None;
    else if (t.c_cflag & CMSPAR)
        d.parity = (t.c_cflag & PARODD) ? EParity::Mark : EParity::Space;
    else
        d.parity = (t.c_cflag & PARODD) ? EParity::Odd : EParity::Even;
    if (!(t.c_cflag & CSTOPB))
        d.stopBits = EStopBits::One;
    else if (d.stopBits == EStopBits::One)
        d.stopBits = EStopBits::Two;
    d.parityCheck = (t.c_iflag & INPCK) != 0;
    d.ctsOutFlow = (t.c_cflag & CRTSCTS) != 0;
    d.xonXoffOut = (t.c_iflag & IXON) != 0;
    d.xonXoffIn = (t.c_iflag & IXOFF) != 0;
    d.xonChar = t.c_cc[VSTART];
    d.xoffChar = t.c_cc[VSTOP];

    int lines = 0;
    if (ioctl(m_handle, TIOCMGET, &lines) == 0) {
        if (d.dtrControl != EDtrControl::Handshake)
            d.dtrControl = (lines & TIOCM_DTR) ? EDtrControl::Enable : EDtrControl::Disable;
        if (!(t.c_cflag & CRTSCTS))
            d.rtsControl = (lines & TIOCM_RTS) ? ERtsControl::Enable : ERtsControl::Disable;
    }
    if (t.c_cflag & CRTSCTS)
        d.rtsControl = ERtsControl::Handshake;
    dcb = d;
}

void CSerialPort::setState(const SDcb& dcb)
{
    const char* op = "CSerialPort::setState()";
    if (m_handle < 0)
        failState(op, EBADF, LINE_SET_STATE);
    if (dcb.byteSize < 5 || dcb.byteSize > 8)
        failState(op, EINVAL, LINE_SET_STATE, "; data bits must be 5 to 8");
    if (dcb.baudRate == 0)
        failState(op, EINVAL, LINE_SET_STATE, "; no line rate given");
    if (dcb.dtrControl == EDtrControl::Handshake || dcb.dsrOutFlow ||
        dcb.rtsControl == ERtsControl::Toggle)
        failState(op, EINVAL, LINE_SET_STATE, "; DTR/DSR handshake and RTS toggle are unavailable");

    termios t{};
    if (tcgetattr(m_handle, &t) != 0)
        failState(op, errno, LINE_SET_STATE);

    // Raw bytes both ways: no echo, no line editing, no CR/LF rewriting, no
    // signals. The speed bits are left alone; the rate is set last.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[dcb.byteSize - 5];
    switch (dcb.parity) {
    case EParity::None:
        break;
    case EParity::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case EParity::Even:
        t.c_cflag |= PARENB;
        break;
    case EParity::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case EParity::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (dcb.parityCheck)
        t.c_iflag |= INPCK;
    // With five data bits the UART's two-stop-bit setting sends one and a half.
    if (dcb.stopBits != EStopBits::One)
        t.c_cflag |= CSTOPB;
    if (dcb.ctsOutFlow || dcb.rtsControl == ERtsControl::Handshake)
        t.c_cflag |= CRTSCTS;
    if (dcb.xonXoffOut)
        t.c_iflag |= IXON;
    if (dcb.xonXoffIn)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = dcb.xonChar;
    t.c_cc[VSTOP] = dcb.xoffChar;
    // One byte wakes a poll; with O_NONBLOCK an empty read returns EAGAIN.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(m_handle, TCSANOW, &t) != 0)
        failState(op, errno, LINE_SET_STATE);

    int lower = 0;
    int raise = 0;
    (dcb.dtrControl == EDtrControl::Enable ? raise : lower) |= TIOCM_DTR;
    if (dcb.rtsControl == ERtsControl::Enable)
        raise |= TIOCM_RTS;
    else if (dcb.rtsControl == ERtsControl::Disable)
        lower |= TIOCM_RTS;
    if (lower && ioctl(m_handle, TIOCMBIC, &lower) != 0 && !notSupported(errno))
        failState(op, errno, LINE_SET_STATE);
    if (raise && ioctl(m_handle, TIOCMBIS, &raise) != 0 && !notSupported(errno))
        failState(op, errno, LINE_SET_STATE);

    if (const int err = setLineBaud(m_handle, dcb.baudRate))
        failState(op, err, LINE_SET_STATE);
    std::uint32_t actual = 0;
    if (const int err = getLineBaud(m_handle, actual))
        failState(op, err, LINE_SET_STATE);
    if (actual != dcb.baudRate) {
        failState(op, EINVAL, LINE_SET_STATE,
                  "; the driver runs the line at " + std::to_string(actual) + " baud, not " +
                      std::to_string(dcb.baudRate));
    }
    m_dcb = dcb;
}

void CSerialPort::getTimeout(STimeouts& timeouts)
{
    if (m_handle < 0)
        failState("CSerialPort::getTimeout()", EBADF, LINE_GET_TIMEOUT);
    timeouts = m_timeouts;
}

void CSerialPort::setTimeout(const STimeouts& timeouts)
{
    if (m_handle < 0)
        failState("CSerialPort::setTimeout()", EBADF, LINE_SET_TIMEOUT);
    m_timeouts = timeouts;
}

void CSerialPort::configureLine(std::uint32_t readTimeoutMs)
{
    setState(lineSettings());
    setTimeout(lineTimeouts(readTimeoutMs));
}

int CSerialPort::waitFor(short events, int timeoutMs)
{
    pollfd pfd{m_handle, events, 0};
    const int rc = ::poll(&pfd, 1, timeoutMs);
    if (rc < 0)
        return errno == EINTR ? 0 : -errno;
    if (rc == 0)
        return 0;
    if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))
        return -ENODEV;
    return rc;
}

std::size_t CSerialPort::read(void* buf, std::size_t n)
{
    const char* op = "CSerialPort::read()";
    if (m_handle < 0)
        failIo(op, EBADF, LINE_READ);
    if (n == 0)
        return 0;

    auto* p = static_cast<std::uint8_t*>(buf);
    const STimeouts& to = m_timeouts;
    const bool immediate = to.readInterval == kReadIntervalImmediate &&
                           to.readTotalMultiplier == 0 && to.readTotalConstant == 0;
    const bool useInterval = to.readInterval != 0 && to.readInterval != kReadIntervalImmediate;
    const std::uint64_t totalMs = std::uint64_t{to.readTotalMultiplier} * n + to.readTotalConstant;
    const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    auto lastByte = Clock::now();

    std::size_t got = 0;
    for (;;) {
        const ssize_t r = ::read(m_handle, p + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            if (got == n)
                return got;
            lastByte = Clock::now();
            continue;
        }
        // 0 is end-of-file on a hung-up line; the poll below reports that.
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            failIo(op, errno, LINE_READ);
        if (immediate)
            return got;

        const auto now = Clock::now();
        int waitMs = -1;
        if (totalMs != 0) {
            if (now >= deadline)
                return got;
            waitMs = remainingMs(deadline, now);
        }
        if (useInterval && got > 0) {
            const auto gapEnd = lastByte + std::chrono::milliseconds(to.readInterval);
            if (now >= gapEnd)
                return got;
            const int gapMs = remainingMs(gapEnd, now);
            waitMs = waitMs < 0 ? gapMs : std::min(waitMs, gapMs);
        }
        // Once a reply has begun, the rest needs its time on the line: sleep
        // through that instead of waking for every byte a paced line or a
        // slow adapter hands over (hundreds of wake-ups per reply otherwise).
        if (got > 0 && !useInterval && m_dcb.baudRate > 0) {
            const auto lineTime = std::chrono::microseconds(std::uint64_t{n - got} * kBitsPerByte *
                                                            1000000 / m_dcb.baudRate);
            if (lineTime >= kMinLineSleep) {
                std::this_thread::sleep_until(
                    std::min<Clock::time_point>(now + lineTime, deadline));
                continue;
            }
        }
        const int rc = waitFor(POLLIN, waitMs);
        if (rc < 0)
            failIo(op, -rc, LINE_READ);
    }
}

std::size_t CSerialPort::write(const void* buf, std::size_t n)
{
    const char* op = "CSerialPort::write()";
    if (m_handle < 0)
        failIo(op, EBADF, LINE_WRITE);
    if (n == 0)
        return 0;

    const auto* p = static_cast<const std::uint8_t*>(buf);
    std::uint64_t totalMs =
        std::uint64_t{m_timeouts.writeTotalMultiplier} * n + m_timeouts.writeTotalConstant;
    // "No limit" would hang the program on a line stalled by a dead adapter.
    if (totalMs == 0)
        totalMs = std::uint64_t{kDefaultWriteMultiplierMs} * n + kDefaultWriteConstantMs;
    const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);

    std::size_t done = 0;
    for (;;) {
        const ssize_t r = ::write(m_handle, p + done, n - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
            if (done == n)
                return done;
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            failIo(op, errno, LINE_WRITE);
        const auto now = Clock::now();
        if (now >= deadline)
            return done;
        const int rc = waitFor(POLLOUT, remainingMs(deadline, now));
        if (rc < 0)
            failIo(op, -rc, LINE_WRITE);
    }
}

void CSerialPort::purgeIn()
{
    const char* op = "CSerialPort::purgeIn()";
    if (m_handle < 0)
        failState(op, EBADF, LINE_PURGE_IN);
    if (tcflush(m_handle, TCIFLUSH) != 0)
        failState(op, errno, LINE_PURGE_IN);
}

void CSerialPort::purgeOut()
{
    const char* op = "CSerialPort::purgeOut()";
    if (m_handle < 0)
        failState(op, EBADF, LINE_PURGE_OUT);
    if (tcflush(m_handle, TCOFLUSH) != 0)
        failState(op, errno, LINE_PURGE_OUT);
}

std::size_t CSerialPort::discardInput(std::uint32_t awaitMs)
{
    const char* op = "CSerialPort::discardInput()";
    if (m_handle < 0)
        failIo(op, EBADF, LINE_READ);
    std::uint8_t scratch[64];
    std::size_t total = 0;
    while (total < kMaxDiscard) {
        const ssize_t r = ::read(m_handle, scratch, sizeof scratch);
        if (r > 0) {
            total += static_cast<std::size_t>(r);
            continue;
        }
        if (r == 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            failIo(op, errno, LINE_READ);
        // A late reply caught half-way would leave its tail to be read as the
        // next reply's header; the host, failing at once, would then catch
        // the next reply half-way too, and stay out of step with the frames
        // for as long as the controller answers that fast. So once anything
        // was stale, the line must fall quiet before the request goes out.
        const std::uint32_t waitMs = total > 0 ? kQuietMs : std::exchange(awaitMs, 0);
        if (waitMs == 0 || waitFor(POLLIN, static_cast<int>(std::min(waitMs, kMaxAwaitMs))) <= 0)
            break;
    }
    return total;
}

bool CSerialPort::staysQuiet()
{
    if (m_handle < 0)
        return false;
    return waitFor(POLLIN, static_cast<int>(kQuietMs)) == 0;
}

void CSerialPort::resetErrorCounts()
{
    m_countsSupported = true;
    serial_icounter_struct ic{};
    if (ioctl(m_handle, TIOCGICOUNT, &ic) != 0) {
        // A pseudo-terminal or a CH340 keeps no counts; nothing to report then.
        m_countsSupported = false;
        return;
    }
    m_frameErrors = static_cast<std::uint32_t>(ic.frame);
    m_overruns = static_cast<std::uint32_t>(ic.overrun);
    m_parityErrors = static_cast<std::uint32_t>(ic.parity);
    m_bufferOverruns = static_cast<std::uint32_t>(ic.buf_overrun);
    m_breaks = static_cast<std::uint32_t>(ic.brk);
}

std::uint32_t CSerialPort::clearCommError()
{
    if (m_handle < 0)
        return EBADF;
    std::uint32_t mask = 0;
    pollfd pfd{m_handle, 0, 0};
    if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)))
        mask |= CE_DEVICE_GONE;

    if (!m_countsSupported)
        return mask;
    serial_icounter_struct ic{};
    if (ioctl(m_handle, TIOCGICOUNT, &ic) != 0) {
        const int err = errno;
        if (notSupported(err)) {
            m_countsSupported = false;
            return mask;
        }
        m_lastError = err;
        return mask ? mask : static_cast<std::uint32_t>(err);
    }
    // Counters only grow; compare with the last call so each error shows once.
    auto changed = [](int now, std::uint32_t& seen) {
        const bool moved = static_cast<std::uint32_t>(now) != seen;
        seen = static_cast<std::uint32_t>(now);
        return moved;
    };
    if (changed(ic.frame, m_frameErrors))
        mask |= CE_FRAME;
    if (changed(ic.overrun, m_overruns))
        mask |= CE_OVERRUN;
    if (changed(ic.parity, m_parityErrors))
        mask |= CE_RXPARITY;
    if (changed(ic.buf_overrun, m_bufferOverruns))
        mask |= CE_RXOVER;
    if (changed(ic.brk, m_breaks))
        mask |= CE_BREAK;
    return mask;
}
