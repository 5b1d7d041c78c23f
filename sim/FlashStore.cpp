#include "sim/FlashStore.h"

#include <algorithm>

namespace fonerix::sim {

namespace {

constexpr std::uint8_t kErased = 0xFF;
constexpr unsigned kHalf = 256;
constexpr unsigned kSpareAt = 512;
constexpr unsigned kWholePage = 528;
constexpr std::uint8_t kSparePageBytes = 128;

// A stretch of a whole page: where its first byte sits in the store, and how many follow in
// the same stored half.
struct HalfRun {
    FlashStore::PageKey key;
    std::size_t column;
    std::size_t count;
};

// Splits a transfer of `count` bytes at `at` into at most two runs; bytes past the end of the
// page are left out. Empty for a page byte that names no page.
std::vector<HalfRun> HalfRuns(const FlashLocation& at, std::size_t count) {
    const bool spare = at.page >= kSparePageBytes;
    const unsigned page_byte = spare ? at.page - kSparePageBytes : at.page;
    if (page_byte >= kSparePageBytes / 2) {
        return {};
    }
    const unsigned page = page_byte / 2;
    unsigned offset = (spare ? kSpareAt : (page_byte % 2) * kHalf) + at.column;
    std::size_t left = std::min<std::size_t>(count, offset < kWholePage ? kWholePage - offset : 0);
    std::vector<HalfRun> runs;
    while (left > 0) {
        const bool upper = offset >= kHalf;
        const std::size_t room = upper ? kWholePage - offset : kHalf - offset;
        const std::size_t n = std::min(left, room);
        runs.push_back(
            {FlashStore::PageKey{at.block, static_cast<std::uint8_t>(2 * page + (upper ? 1 : 0))},
             upper ? offset - kHalf : offset, n});
        offset += static_cast<unsigned>(n);
        left -= n;
    }
    return runs;
}

}  // namespace

void FlashStore::ReadHalves(const FlashLocation& at, std::span<std::uint8_t> out) const {
    std::fill(out.begin(), out.end(), kErased);
    std::size_t done = 0;
    for (const HalfRun& run : HalfRuns(at, out.size())) {
        ReadAt(run.key, run.column, out.subspan(done, run.count));
        done += run.count;
    }
}

bool FlashStore::ProgramHalves(const FlashLocation& at, std::span<const std::uint8_t> data) {
    const std::vector<HalfRun> runs = HalfRuns(at, data.size());
    bool stored = !runs.empty();
    std::size_t done = 0;
    for (const HalfRun& run : runs) {
        stored = ProgramAt(run.key, run.column, data.subspan(done, run.count)) && stored;
        done += run.count;
    }
    return stored;
}

bool FlashStore::Contains(PageKey key) const {
    return key.block < m_geometry.blocks && key.page < m_geometry.pages_per_block;
}

void FlashStore::Read(const FlashLocation& at, std::span<std::uint8_t> out) const {
    std::fill(out.begin(), out.end(), kErased);
    ReadAt(PageKey{at.block, at.page}, at.column, out);
}

bool FlashStore::Program(const FlashLocation& at, std::span<const std::uint8_t> data) {
    return ProgramAt(PageKey{at.block, at.page}, at.column, data);
}

void FlashStore::ReadAt(PageKey key, std::size_t column, std::span<std::uint8_t> out) const {
    const auto page = m_pages.find(key);
    if (page == m_pages.end()) {
        return;
    }
    const std::vector<std::uint8_t>& bytes = page->second;
    for (std::size_t i = 0; i < out.size() && column + i < bytes.size(); ++i) {
        out[i] = bytes[column + i];
    }
}

bool FlashStore::ProgramAt(PageKey key, std::size_t column, std::span<const std::uint8_t> data) {
    if (!Contains(key)) {
        return false;
    }
    auto [page, inserted] = m_pages.try_emplace(key);
    if (inserted) {
        page->second.assign(m_geometry.page_size, kErased);
    }
    std::vector<std::uint8_t>& bytes = page->second;
    for (std::size_t i = 0; i < data.size() && column + i < bytes.size(); ++i) {
        bytes[column + i] &= data[i];
    }
    return true;
}

bool FlashStore::EraseBlock(std::uint16_t block) {
    if (block >= m_geometry.blocks) {
        return false;
    }
    m_pages.erase(m_pages.lower_bound(PageKey{block, 0}),
                  m_pages.upper_bound(PageKey{block, 0xFF}));
    return true;
}

bool FlashStore::RestorePage(PageKey key, std::span<const std::uint8_t> bytes) {
    if (!Contains(key) || bytes.size() != m_geometry.page_size) {
        return false;
    }
    m_pages[key].assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace fonerix::sim
