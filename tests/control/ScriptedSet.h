#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace fonerix::test {

// A minimal set behind a MemoryPort: it echoes the echoed commands, takes their parameters and
// answers registers, memory and flash, and answers the wake-up handshake. Switches make it
// misbehave the ways the host must survive.
class ScriptedSet {
  public:
    std::array<uint8_t, 256> registers{};
    std::array<uint8_t, 8192> memory{};
    std::map<uint32_t, uint8_t> flash;  // (block << 16 | page << 8 | column) -> byte

    bool silent = false;          // answers nothing at all
    bool deepSleep = false;       // only a long run of zeros wakes it
    bool wakeWithoutFF = false;   // answers the short handshake with 0x00 instead of 0xFF
    int missedEchoes = 0;         // the next n echoed commands get no echo
    bool wrongEcho = false;       // echoes command ^ 1
    std::vector<uint8_t> others;  // non-echoed bytes received (keys, sleep, dial)

    void operator()(uint8_t byte, std::vector<uint8_t>& answer);

    static uint32_t FlashKey(uint16_t block, uint8_t page, uint8_t column) {
        return uint32_t{block} << 16 | uint32_t{page} << 8 | column;
    }

  private:
    void Parameter(uint8_t byte, std::vector<uint8_t>& answer);

    uint8_t command_ = 0;
    std::vector<uint8_t> params_;
    int zeros_ = 0;
};

}  // namespace fonerix::test
