#include "sim/Triples.h"

namespace fonerix::sim {

std::vector<std::uint8_t> EncodeTriples(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> raw;
    raw.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        raw.insert(raw.end(), 3, byte);
    }
    return raw;
}

std::optional<std::vector<std::uint8_t>> DecodeTriples(std::span<const std::uint8_t> raw) {
    if (raw.size() % 3 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(raw.size() / 3);
    for (std::size_t i = 0; i < raw.size(); i += 3) {
        const std::uint8_t a = raw[i];
        const std::uint8_t b = raw[i + 1];
        const std::uint8_t c = raw[i + 2];
        if (a == b || a == c) {
            bytes.push_back(a);
        } else if (b == c) {
            bytes.push_back(b);
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

}  // namespace fonerix::sim
