#include "sim/PhoneDigits.h"

#include "sim/WireCodes.h"

namespace fonerix::sim {

std::optional<std::uint8_t> DigitCodeOf(char character) {
    switch (character) {
        case ' ':
            return wire::kDigitSpace;
        case '0':
            return wire::kDigitZero;
        case 'F':
        case 'f':
            return wire::kDigitF;
        case 'J':
        case 'j':
            return wire::kDigitJ;
        case 'L':
        case 'l':
            return wire::kDigitL;
        case 'P':
        case 'p':
            return wire::kDigitP;
        case '_':
            return wire::kDigitOther;
        default:
            if (character >= '1' && character <= '9') {
                return static_cast<std::uint8_t>(character - '0');
            }
            return std::nullopt;
    }
}

char CharacterOfDigitCode(std::uint8_t code) {
    static constexpr char kCharacters[] = " 1234567890FJLP_";
    return code < sizeof kCharacters - 1 ? kCharacters[code] : '?';
}

DigitCodesResult DigitCodesOf(std::string_view number) {
    DigitCodesResult result;
    result.codes.reserve(number.size());
    for (std::size_t i = 0; i < number.size(); ++i) {
        const auto code = DigitCodeOf(number[i]);
        if (!code) {
            result.bad_position = i;
            result.codes.clear();
            return result;
        }
        result.codes.push_back(*code);
    }
    return result;
}

std::string TextOfDigitCodes(std::span<const std::uint8_t> codes) {
    std::string text;
    text.reserve(codes.size());
    for (const std::uint8_t code : codes) {
        text.push_back(CharacterOfDigitCode(code));
    }
    return text;
}

}  // namespace fonerix::sim
