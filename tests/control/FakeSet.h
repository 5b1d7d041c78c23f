// A set in memory with the stores the family readers need: registers, 64 KiB of memory and NAND
// flash of 528-byte pages (64 page bytes a block, two per physical page on type 7; the smaller
// generations simply use the first 16 or 32). Flash behaves as NAND does: erased bytes read
// 0xFF, programming can only clear bits, erase sets a block back to 0xFF. Contents are laid out
// by the tests byte by byte, as the set stores them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace fonerix::test {

class FakeSet {
  public:
    static constexpr size_t kPageBytes = 272;  // one page byte: half of a 528-byte page, rounded

    struct FlashAccess {
        char kind;  // 'r' read, 'w' write, 'e' erase
        uint16_t block;
        uint8_t page;
        uint8_t column;
        uint8_t count;
    };

    std::array<uint8_t, 256> registers{};
    std::vector<uint8_t> memory = std::vector<uint8_t>(65536, 0);
    std::vector<FlashAccess> flashLog;
    // Bytes written over flash that was not erased (a host fault).
    int overwrites = 0;
    // Memory reads as (address, count).
    std::vector<std::pair<uint16_t, uint8_t>> memoryReads;
    std::vector<uint8_t> registerReads;  // register numbers, in order
    std::vector<uint8_t> others;         // non-echoed bytes: keys, sleep, dial
    bool silent = false;                 // answers nothing at all
    bool deepSleep = false;              // only a long run of zeros wakes it
    bool wakeWithoutFF = false;          // answers the short handshake with 0x00 instead of 0xFF
    int missedEchoes = 0;                // the next n echoed commands get no echo
    bool wrongEcho = false;              // echoes command ^ 1

    void operator()(uint8_t byte, std::vector<uint8_t>& answer);

    uint8_t Flash(uint16_t block, uint8_t page, size_t column) const;
    // Lays `bytes` down as raw flash (no encoding).
    void PutRaw(uint16_t block, uint8_t page, size_t column, const std::vector<uint8_t>& bytes);
    // Lays `bytes` down three times each, as the set stores data.
    void PutTriples(uint16_t block, uint8_t page, size_t column, const std::vector<uint8_t>& bytes);
    // The decoded bytes at a place, taking the first copy of each triple.
    std::vector<uint8_t> GetTriples(uint16_t block, uint8_t page, size_t column,
                                    size_t count) const;

    int Count(char kind) const;

  private:
    void Parameter(uint8_t byte, std::vector<uint8_t>& answer);
    std::vector<uint8_t>& Page(uint16_t block, uint8_t page);

    std::map<uint32_t, std::vector<uint8_t>> m_flash;
    uint8_t m_command = 0;
    std::vector<uint8_t> m_params;
    int m_zeros = 0;
};

}  // namespace fonerix::test
