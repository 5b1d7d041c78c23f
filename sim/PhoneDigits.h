// Phone-number characters and the 4-bit digit codes the set stores and sends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fonerix::sim {

// The digit code of a character the set can hold: space, "0".."9", F, J, L, P (either case)
// and "_". Anything else has no code: the simulator refuses it instead of guessing.
std::optional<std::uint8_t> DigitCodeOf(char character);

// The character of a digit code; codes above 15 are not digits and show as "?".
char CharacterOfDigitCode(std::uint8_t code);

struct DigitCodesResult {
    std::vector<std::uint8_t> codes;
    std::optional<std::size_t> bad_position;  // first character without a code
};

DigitCodesResult DigitCodesOf(std::string_view number);

std::string TextOfDigitCodes(std::span<const std::uint8_t> codes);

}  // namespace fonerix::sim
