// The host's end of a serial line as a test opens it: raw, 8N1, no flow control, at a chosen
// speed. Just enough of a host to talk to the simulated set byte by byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/io/UniqueFd.h"

namespace fonerix::test {

class RawTerminal {
  public:
    // Throws std::system_error saying which path and step failed.
    RawTerminal(const std::string& path, unsigned baud);

    void SetBaud(unsigned baud);
    void Write(std::span<const std::uint8_t> bytes);
    void Write(std::initializer_list<std::uint8_t> bytes) {
        Write(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
    }
    // Reads until `count` bytes have arrived or the deadline has passed; returns what arrived.
    std::vector<std::uint8_t> Read(std::size_t count,
                                   std::chrono::milliseconds limit = std::chrono::seconds(20));
    // Discards everything not yet read.
    void Purge();

  private:
    std::string m_path;
    fonerix::sim::UniqueFd m_fd;
};

}  // namespace fonerix::test
