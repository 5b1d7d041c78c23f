#pragma once

#include <cstdint>
#include <string_view>

namespace fonerix {

// The diagnostic trace of every byte crossing the line, switched on by FONERIX_TRACE: "1" (or
// any value that is not a path) writes to standard error, a path appends to that file. Each
// line: wall-clock time with microseconds, the port, the direction and the bytes in hex.
class ByteTrace {
  public:
    static bool Enabled();
    static void Bytes(uint8_t port, char direction, const uint8_t* data, uint32_t count);
    static void Note(uint8_t port, std::string_view what);
};

}  // namespace fonerix
