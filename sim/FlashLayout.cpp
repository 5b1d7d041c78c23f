#include "sim/FlashLayout.h"

#include <stdexcept>
#include <string>

namespace fonerix::sim {

FlashLocation FlashPlan::Slot(std::uint16_t block, unsigned slot) const {
    if (storage == Storage::kFlash16) {
        return {block, static_cast<std::uint8_t>(slot / 2),
                static_cast<std::uint8_t>(slot % 2 == 0 ? 0 : 97)};
    }
    return {block, static_cast<std::uint8_t>(2 * slot + 1), 172};
}

unsigned FlashPlan::SlotOf(const FlashLocation& at) const {
    if (storage == Storage::kFlash16) {
        return 2u * at.page + (at.column == 97 ? 1u : 0u);
    }
    return at.page / 2u;
}

FlashPlan FlashPlanOf(int device_type) {
    FlashPlan plan;
    switch (StorageOfType(device_type).value_or(Storage::kMemory)) {
        case Storage::kFlash16:
            // Voice messages may start at blocks 33..255 and 261..511.
            plan.storage = Storage::kFlash16;
            plan.page_bytes = 16;
            plan.records_per_block = 32;
            plan.settings_first = 19;
            plan.settings_last = 24;
            plan.settings_step = 1;
            plan.settings_block = 19;
            plan.book = {0, 2, 9, 0};  // 4 block pairs: 128 entries
            plan.incoming = {0, 10, 12, 13};
            plan.outgoing = {0, 14, 16, 17};
            return plan;
        case Storage::kFlash32:
            // Same voice range; a record on every odd page, so a block holds 16. The outgoing
            // log lies above block 255, where no message handle points.
            plan.storage = Storage::kFlash32;
            plan.page_bytes = 32;
            plan.records_per_block = 16;
            plan.settings_first = 13;
            plan.settings_last = 24;
            plan.settings_step = 2;
            plan.settings_block = 13;
            plan.book = {0, 25, 32, 0};  // 4 block pairs: 64 entries
            plan.incoming = {0, 2, 5, 6};
            plan.outgoing = {1, 0, 3, 4};
            return plan;
        case Storage::kFlash64:
            // Voice messages may start at block 16, 30..255 and 261..1023.
            plan.storage = Storage::kFlash64;
            plan.page_bytes = 64;
            plan.records_per_block = 32;
            plan.settings_first = 15;
            plan.settings_last = 16;
            plan.settings_step = 2;
            plan.settings_block = 15;
            plan.book = {0, 2, 9, 0};  // 4 block pairs: 128 entries
            plan.list = {0, 10, 11, 0};
            plan.has_list = true;
            plan.incoming = {0, 17, 19, 20};
            plan.outgoing = {0, 21, 23, 24};
            return plan;
        case Storage::kMemory:
            break;
    }
    throw std::invalid_argument("device type " + std::to_string(device_type) +
                                " keeps no lists in flash");
}

}  // namespace fonerix::sim
