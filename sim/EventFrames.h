// Unsolicited frames the set sends when something happens on the line or its keypad.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace fonerix::sim {

// kEventStart and one code: a key press (key codes) or a line event (handset up, end of call,
// auto-dial results).
std::vector<std::uint8_t> CodeEventFrame(std::uint8_t code);

// kEventStart, the code (incoming call or parallel dialling), the digit count and the digit
// codes. At most 255 digits fit the length byte; callers keep to the set's limit of 20.
std::vector<std::uint8_t> NumberEventFrame(std::uint8_t code,
                                           std::span<const std::uint8_t> digit_codes);

}  // namespace fonerix::sim
