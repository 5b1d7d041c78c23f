// Every byte the flash models keep in their flash is stored three times, so that a flipped bit
// in one copy is outvoted.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace fonerix::sim {

std::vector<std::uint8_t> EncodeTriples(std::span<const std::uint8_t> bytes);

// One byte for each group of three raw bytes: the value two of them agree on. Nothing when some
// group has three different bytes, or when the raw bytes are not whole groups.
std::optional<std::vector<std::uint8_t>> DecodeTriples(std::span<const std::uint8_t> raw);

}  // namespace fonerix::sim
