#include "sim/EventFrames.h"

#include <cassert>

#include "sim/WireCodes.h"

namespace fonerix::sim {

std::vector<std::uint8_t> CodeEventFrame(std::uint8_t code) {
    return {wire::kEventStart, code};
}

std::vector<std::uint8_t> NumberEventFrame(std::uint8_t code,
                                           std::span<const std::uint8_t> digit_codes) {
    assert(digit_codes.size() <= 0xFF);
    std::vector<std::uint8_t> frame;
    frame.reserve(3 + digit_codes.size());
    frame.push_back(wire::kEventStart);
    frame.push_back(code);
    frame.push_back(static_cast<std::uint8_t>(digit_codes.size()));
    for (const std::uint8_t digit : digit_codes) {
        frame.push_back(digit);
    }
    return frame;
}

}  // namespace fonerix::sim
