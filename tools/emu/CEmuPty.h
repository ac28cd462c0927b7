// A pseudo-terminal standing in for the controller's serial port. The
// emulator keeps a slave descriptor of its own so that the host may open and
// close the port as often as it likes (a port scan does), and hands the port
// back in the state a freshly opened serial port would be in.
// Thread safety: none; owned and used by the server thread.
#pragma once

#include <string>

class CEmuPty {
public:
    CEmuPty() = default;
    ~CEmuPty();
    CEmuPty(const CEmuPty&) = delete;
    CEmuPty& operator=(const CEmuPty&) = delete;

    // Creates a new pair; throws std::runtime_error with the reason.
    void open();
    void close();
    bool isOpen() const { return m_master >= 0; }

    int master() const { return m_master; }
    // Readable when someone opened or closed the slave.
    int watch() const { return m_watch; }
    const std::string& slavePath() const { return m_slavePath; }

    // Called when `watch()` is readable: a host that closed the port leaves
    // neither exclusive use nor unread bytes behind.
    void onWatch();

    // Points `link` at the slave, replacing what was there.
    bool makeLink(const std::string& link) const;

private:
    int m_master = -1;
    int m_slave = -1;
    int m_watch = -1;
    std::string m_slavePath;
};
