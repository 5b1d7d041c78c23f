#include "control/device/Triples.h"

namespace fonerix {

void EncodeTriples(const uint8_t* data, size_t count, uint8_t* raw) {
    for (size_t i = 0; i < count; ++i) {
        raw[3 * i] = raw[3 * i + 1] = raw[3 * i + 2] = data[i];
    }
}

bool DecodeTriples(size_t rawLength, const uint8_t* raw, uint8_t* data) {
    bool intact = true;
    for (size_t start = 0; start + 1 < rawLength; start += 3) {
        const uint8_t a = raw[start];
        const uint8_t b = raw[start + 1];
        // A trailing group of two reads as if its third copy agreed with the second.
        const uint8_t c = start + 2 < rawLength ? raw[start + 2] : b;
        if (a == b) {
            *data++ = a;
        } else if (b == c) {
            *data++ = b;
        } else {
            *data++ = a;
            intact = intact && a == c;
        }
    }
    return intact;
}

}  // namespace fonerix
