// What the autocalibration tests set up in the virtual controller: its
// installation data as they travel (date code high byte first), and a line
// slow enough for the engine computer's trim to settle within a wait.
#pragma once

#include <algorithm>
#include <utility>

#include "CEmuServer.h"
#include "data/MountDataRecord.h"

inline SMountDataRecord mountDataOnWire(const SDevInfo& info)
{
    SMountDataRecord rec = toMountData(info);
    std::swap(rec[0], rec[1]);
    return rec;
}

inline SDevInfo mountDataFromWire(SMountDataRecord rec)
{
    std::swap(rec[0], rec[1]);
    SDevInfo info;
    readMountDataInto(rec, info);
    return info;
}

// An unpaced pseudo-terminal delivers some ten thousand records a second,
// so the 50-record waits would pass in one 50 ms poll while the emulated
// engine computer needs about a second to trim. 20 ms per reply gives it
// that second and keeps a whole calibration near ten seconds.
inline SEmuServerConfig settlingLine()
{
    SEmuServerConfig cfg;
    cfg.m_turnaroundUs = 20000;
    return cfg;
}
