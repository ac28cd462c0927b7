// The controller's fault groups, in the order of the bytes of its fault record,
// and the text of a record.
// Thread safety: one thread (the user interface) builds and reads the groups.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "link/CDeviceErrorBase.h"

class CGasDeviceErr {
public:
    CGasDeviceErr() = default;
    virtual ~CGasDeviceErr() = default;

    // Replaces the groups by the I2C, EEPROM, sensor and injector groups, texts
    // in the current language. Called when linking and on a language change;
    // calling it again never lengthens the list.
    void rebuildErrors();

    // Each set fault of the record's first four bytes, every group's part
    // followed by "\r\n"; empty when no fault is set (or no groups are built).
    std::string describeErrors(std::span<const std::uint8_t> record) const;
    // "\r\n" and the text of each set bit; empty for a clear byte or an unknown
    // position.
    std::string describeGroup(std::size_t position, std::uint8_t bits) const;

    std::size_t groupCount() const { return m_groups.size(); }
    // Null for an unknown position.
    const CDeviceErrorBase* group(std::size_t position) const;

private:
    std::vector<std::unique_ptr<CDeviceErrorBase>> m_groups;
};
