// Bytes written and shown as hexadecimal, so that tests state line traffic the way a trace
// shows it: "FF C1 04 0A 01 02 03".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fonerix::test {

// Bytes from two-digit hexadecimal numbers separated by spaces. Throws std::invalid_argument
// on anything else, so a typo in a test's table fails loudly.
std::vector<std::uint8_t> HexBytes(std::string_view text);

// "FF C1 04"; empty for no bytes.
std::string HexText(std::span<const std::uint8_t> bytes);

}  // namespace fonerix::test
