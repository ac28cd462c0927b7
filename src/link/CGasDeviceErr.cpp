#include "link/CGasDeviceErr.h"

#include <algorithm>

#include "link/CEEPROMError.h"
#include "link/CI2CErr.h"
#include "link/CLPGInjErr.h"
#include "link/CSensorErr.h"

namespace {
// Bytes of the fault record that carry faults.
constexpr std::size_t RECORD_GROUPS = 4;
} // namespace

void CGasDeviceErr::rebuildErrors()
{
    // List position is the record offset.
    m_groups.clear();
    m_groups.push_back(std::make_unique<CI2CErr>());
    m_groups.push_back(std::make_unique<CEEPROMError>());
    m_groups.push_back(std::make_unique<CSensorErr>());
    m_groups.push_back(std::make_unique<CLPGInjErr>());
}

std::string CGasDeviceErr::describeErrors(std::span<const std::uint8_t> record) const
{
    std::string out;
    const std::size_t count = std::min(record.size(), RECORD_GROUPS);
    for (std::size_t position = 0; position < count; ++position) {
        std::string part = describeGroup(position, record[position]);
        if (!part.empty())
            out += part + "\r\n";
    }
    return out;
}

std::string CGasDeviceErr::describeGroup(std::size_t position, std::uint8_t bits) const
{
    if (bits == 0 || position >= m_groups.size())
        return {};
    return m_groups[position]->describe(bits);
}

const CDeviceErrorBase* CGasDeviceErr::group(std::size_t position) const
{
    return position < m_groups.size() ? m_groups[position].get() : nullptr;
}
