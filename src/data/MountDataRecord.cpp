#include "data/MountDataRecord.h"

#include <cstring>
#include <string>

#include "data/DateCode.h"

namespace {

constexpr std::size_t kServiceAt = 2;
constexpr std::size_t kInjSizeAt = 26;
constexpr std::size_t kEngineAt = 32;

void putText(SMountDataRecord& rec, std::size_t at, const std::string& text, std::size_t max)
{
    std::size_t len = text.size() < max ? text.size() : max;
    // Back off continuation bytes so a cut never leaves half a character.
    if (len < text.size()) {
        while (len > 0 && (static_cast<unsigned char>(text[len]) & 0xC0) == 0x80) {
            --len;
        }
    }
    std::memcpy(rec.data() + at, text.data(), len);
}

std::string getText(const SMountDataRecord& rec, std::size_t at, std::size_t max)
{
    const char* begin = reinterpret_cast<const char*>(rec.data() + at);
    std::size_t len = 0;
    while (len < max && begin[len] != '\0') {
        ++len;
    }
    return std::string(begin, len);
}

} // namespace

SMountDataRecord toMountData(const SDevInfo& info)
{
    SMountDataRecord rec{};
    const std::uint16_t code = codeFromDate(info.m_mountDate);
    std::memcpy(rec.data(), &code, sizeof code);
    putText(rec, kServiceAt, info.m_mountService, MOUNT_SERVICE_MAX);
    putText(rec, kInjSizeAt, info.m_injSize, MOUNT_INJ_SIZE_MAX);
    putText(rec, kEngineAt, info.m_engine, MOUNT_ENGINE_MAX);
    return rec;
}

void readMountDataInto(const SMountDataRecord& rec, SDevInfo& info)
{
    std::uint16_t code = 0;
    std::memcpy(&code, rec.data(), sizeof code);
    info.m_mountDate = code == 0 ? std::string() : dateFromCode(code);
    info.m_mountService = getText(rec, kServiceAt, MOUNT_SERVICE_MAX);
    info.m_injSize = getText(rec, kInjSizeAt, MOUNT_INJ_SIZE_MAX);
    info.m_engine = getText(rec, kEngineAt, MOUNT_ENGINE_MAX);
}
