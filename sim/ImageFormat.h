// The bytes of a set's image: registers, memory and every programmed flash page, so that a
// simulated set keeps its data between runs. The device type is the type byte in memory.
//
// Layout (integers little-endian):
//   "FNXSIMG" and a format version byte (1)
//   256 register bytes, 8192 memory bytes
//   u16 flash page size, u32 page count, then per page: u16 block, u8 page, page-size bytes
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
