#include "tests/support/HexBytes.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace fonerix::test {

std::vector<std::uint8_t> HexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(' ', at)) != std::string_view::npos) {
        const std::string_view word = text.substr(at, text.find(' ', at) - at);
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(word.data(), word.data() + word.size(), value, 16);
        if (word.size() != 2 || error != std::errc{} || end != word.data() + word.size()) {
            throw std::invalid_argument("not a hexadecimal byte: '" + std::string(word) + "'");
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
        at += word.size();
    }
    return bytes;
}

std::string HexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += text.empty() ? "" : " ";
        text += digits;
    }
    return text;
}

}  // namespace fonerix::test
