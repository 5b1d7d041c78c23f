#include "sim/FlashStore.h"

#include <algorithm>

namespace fonerix::sim {

namespace {
constexpr std::uint8_t kErased = 0xFF;
}

bool FlashStore::Contains(PageKey key) const {
    return key.block < geometry_.blocks && key.page < geometry_.pages_per_block;
}

void FlashStore::Read(const FlashLocation& at, std::span<std::uint8_t> out) const {
    std::fill(out.begin(), out.end(), kErased);
    const auto page = pages_.find(PageKey{at.block, at.page});
    if (page == pages_.end()) {
        return;
    }
    const std::vector<std::uint8_t>& bytes = page->second;
    for (std::size_t i = 0; i < out.size() && at.column + i < bytes.size(); ++i) {
        out[i] = bytes[at.column + i];
    }
}

bool FlashStore::Program(const FlashLocation& at, std::span<const std::uint8_t> data) {
    const PageKey key{at.block, at.page};
    if (!Contains(key)) {
        return false;
    }
    auto [page, inserted] = pages_.try_emplace(key);
    if (inserted) {
        page->second.assign(geometry_.page_size, kErased);
    }
    std::vector<std::uint8_t>& bytes = page->second;
    for (std::size_t i = 0; i < data.size() && at.column + i < bytes.size(); ++i) {
        bytes[at.column + i] &= data[i];
    }
    return true;
}

bool FlashStore::EraseBlock(std::uint16_t block) {
    if (block >= geometry_.blocks) {
        return false;
    }
    pages_.erase(pages_.lower_bound(PageKey{block, 0}), pages_.upper_bound(PageKey{block, 0xFF}));
    return true;
}

bool FlashStore::RestorePage(PageKey key, std::span<const std::uint8_t> bytes) {
    if (!Contains(key) || bytes.size() != geometry_.page_size) {
        return false;
    }
    pages_[key].assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace fonerix::sim
