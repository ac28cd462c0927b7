// The installation data on the wire (38 bytes, 16-bit date code in host
// order at offset 0): the fitting workshop's date, name and engine details.
// Thread safety: pure functions; callable from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "data/CSettings.h"

constexpr std::size_t MOUNT_DATA_SIZE = 38;
// Longest texts the record holds; each field keeps one byte for its NUL.
constexpr std::size_t MOUNT_SERVICE_MAX = 23;
constexpr std::size_t MOUNT_INJ_SIZE_MAX = 5;
constexpr std::size_t MOUNT_ENGINE_MAX = 5;

using SMountDataRecord = std::array<std::uint8_t, MOUNT_DATA_SIZE>;

// Longer texts are cut to their limit, never inside a UTF-8 character.
SMountDataRecord toMountData(const SDevInfo& info);
// Sets the mount date (empty for code 0), service, injector size and engine.
void readMountDataInto(const SMountDataRecord& rec, SDevInfo& info);
