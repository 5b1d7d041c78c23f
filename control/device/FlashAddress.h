#pragma once

#include <cstdint>

namespace fonerix {

// Where a flash transfer starts and how long it is; sent as five bytes in this order.
struct FlashAddress {
    uint8_t column = 0;     // byte offset within the page
    uint8_t page = 0;       // page within the block
    uint8_t blockLow = 0;   // block number, low byte
    uint8_t blockHigh = 0;  // block number, high byte
    uint8_t count = 0;      // bytes to transfer, 1 to 255

    static constexpr FlashAddress At(uint16_t block, uint8_t page, uint8_t column, uint8_t count) {
        return {column, page, static_cast<uint8_t>(block & 0xFF), static_cast<uint8_t>(block >> 8),
                count};
    }
    constexpr uint16_t Block() const { return static_cast<uint16_t>(blockHigh << 8 | blockLow); }
};

}  // namespace fonerix
