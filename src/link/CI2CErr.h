// Faults of the controller's I2C bus (record byte 0); only bits 0 and 1 are used.
// Thread safety: read-only after construction.
#pragma once

#include "link/CDeviceErrorBase.h"

class CI2CErr : public CDeviceErrorBase {
public:
    CI2CErr();
    std::string title() const override;
};
