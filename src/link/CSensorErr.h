// Sensor faults (record byte 2).
// Thread safety: read-only after construction.
#pragma once

#include "link/CDeviceErrorBase.h"

class CSensorErr : public CDeviceErrorBase {
public:
    CSensorErr();
    std::string title() const override;
};
