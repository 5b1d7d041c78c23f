// The bytes of a set's image: registers, memory and every programmed flash page, so that a
// simulated set keeps its data between runs. The device type is the type byte in memory.
//
// Layout (integers little-endian):
//   "FNXSIMG" and a format version byte (2)
//   256 register bytes, 8192 memory bytes
//   i64 when the clock registers were last up to date, ms since 1970 (format 2 on)
//   u16 flash page size, u32 page count, then per page: u16 block, u8 page, page-size bytes
// Images of format 1 still load; their clock runs from when they are loaded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/Engine.h"

namespace fonerix::sim {

std::vector<std::uint8_t> EncodeImage(const DeviceStores& stores);

struct DecodedImage {
    std::optional<DeviceStores> stores;
    std::string error;  // what is wrong with the bytes, when they are not an image
};

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes);

}  // namespace fonerix::sim
