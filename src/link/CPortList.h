// Port numbers as the fitter knows them: port n is the n-th entry of an
// ordered list of device paths — paths the user named, then USB adapters
// (ttyUSB, ttyACM), then on-board UARTs that really exist (ttyS).
// Thread safety: all functions may be called from any thread.
#pragma once

#include <string>
#include <vector>

class CPortList {
public:
    // The user's own paths lead the list in the given order; repeats count once.
    static void setUserPaths(std::vector<std::string> paths);
    static void addUserPath(const std::string& path);
    static std::vector<std::string> userPaths();
    // Whether the system's own devices follow the user's paths (on by
    // default); tests turn it off so no real port is ever touched.
    static void setSystemScan(bool on);

    // User paths followed by what the system offers; a device reached both
    // ways keeps the user's spelling and its first place.
    static std::vector<std::string> ports();
    // The devices found under devDir, with the UART check made in sysTtyDir
    // (normally /sys/class/tty).
    static std::vector<std::string> scan(const std::string& devDir = "/dev",
                                         const std::string& sysTtyDir = "/sys/class/tty");

    // Empty when n is outside the list.
    static std::string pathOf(int n);
    // 0 when the path is not listed.
    static int numberOf(const std::string& path);

    // "ttyUSB2" before "ttyUSB10": runs of digits compare by value.
    static bool naturalLess(const std::string& a, const std::string& b);
};
