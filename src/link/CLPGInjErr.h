// Over-current of the LPG injectors 1 to 8 (record byte 3, bit n-1 for injector n).
// Thread safety: read-only after construction.
#pragma once

#include "link/CDeviceErrorBase.h"

class CLPGInjErr : public CDeviceErrorBase {
public:
    CLPGInjErr();
    std::string title() const override;
};
