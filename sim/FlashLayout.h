// Where each generation of the flash models keeps its map page, settings copies and lists.
//
// The set's own choices, within what the host expects of it:
//   - blocks below the voice-message range (and 256..260) hold the map, settings and lists, so
//     that the blocks a message handle may name stay free for voice messages;
//   - each log has a spare block after its last one (the alternative last block) that it grows
//     into when the others are full;
//   - the phone book's area is two halves holding the same entries, block i and block i + h.
#pragma once

#include <cstdint>

#include "sim/DeviceFamily.h"
#include "sim/FlashStore.h"

namespace fonerix::sim {

// Blocks first..last (and a spare, for logs) that share their high byte.
struct BlockSpan {
    std::uint8_t high = 0;
    std::uint8_t first = 0;
    std::uint8_t last = 0;
    std::uint8_t alternative_last = 0;  // logs only

    std::uint16_t Block(unsigned low) const { return static_cast<std::uint16_t>(high << 8 | low); }
    unsigned Count() const { return last - first + 1u; }
};

struct FlashPlan {
    Storage storage = Storage::kFlash16;
    std::uint8_t page_bytes = 16;         // page-byte values in a block
    std::uint8_t records_per_block = 32;  // list records a block holds
    std::uint16_t settings_first = 19;    // the host looks for the settings in these blocks
    std::uint16_t settings_last = 24;
    std::uint8_t settings_step = 1;     // settings copies are on every step-th page
    std::uint16_t settings_block = 19;  // where this set keeps them
    std::uint16_t map_block = 0;        // 0, or 1 for a set whose block 0 went bad
    BlockSpan book;
    BlockSpan list;  // types 7 and 8 only
    bool has_list = false;
    BlockSpan incoming;
    BlockSpan outgoing;

    // Settings copies a settings block holds.
    unsigned SettingsCopies() const { return page_bytes / settings_step; }
    FlashLocation SettingsCopy(std::uint16_t block, unsigned copy) const {
        return {block, static_cast<std::uint8_t>(copy * settings_step), 0};
    }
    // Where record `slot` (0-based) of a block starts: two to a page at columns 0 and 97 on the
    // first generation, one on every odd page at column 172 on the others.
    FlashLocation Slot(std::uint16_t block, unsigned slot) const;
    // The slot of a record position, or nothing when the column and page hold no record.
    unsigned SlotOf(const FlashLocation& at) const;
};

// The plan of a flash type (0, 5, 6, 7, 8).
FlashPlan FlashPlanOf(int device_type);

}  // namespace fonerix::sim
