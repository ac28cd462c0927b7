// Faults of the controller's EEPROM (record byte 1).
// Thread safety: read-only after construction.
#pragma once

#include "link/CDeviceErrorBase.h"

class CEEPROMError : public CDeviceErrorBase {
public:
    CEEPROMError();
    std::string title() const override;
};
