#pragma once

#include <cstddef>
#include <cstdint>

namespace fonerix {

// Flash keeps three copies of every byte. EncodeTriples writes 3 * count bytes to `raw`.
void EncodeTriples(const uint8_t* data, size_t count, uint8_t* raw);

// Majority vote over groups of three raw bytes (a, b, c): a if a == b, else b if b == c, else a.
// Writes one byte per group for group starts below rawLength - 1 (so 75 raw bytes give 25).
// Returns false if any group had three different bytes; decoding still runs to the end.
bool DecodeTriples(size_t rawLength, const uint8_t* raw, uint8_t* data);

// Bytes DecodeTriples writes for `rawLength` raw bytes.
constexpr size_t DecodedLength(size_t rawLength) {
    return rawLength < 2 ? 0 : (rawLength - 2) / 3 + 1;
}

}  // namespace fonerix
