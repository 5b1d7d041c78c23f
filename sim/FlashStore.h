// The set's NAND flash: blocks of pages, erased to 0xFF. Only pages that were ever programmed
// take memory, so a generous geometry costs nothing until it is used.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace fonerix::sim {

struct FlashGeometry {
    std::uint16_t blocks = 1024;
    std::uint16_t pages_per_block = 64;  // values of the page byte
    std::uint16_t page_size = 528;       // bytes a page holds, addressed by the column
};

// Where a transfer starts: the column, page and block bytes the host sends.
struct FlashLocation {
    std::uint16_t block = 0;
    std::uint8_t page = 0;
    std::uint8_t column = 0;
};

class FlashStore {
  public:
    explicit FlashStore(FlashGeometry geometry = {}) : m_geometry(geometry) {}

    const FlashGeometry& Geometry() const { return m_geometry; }

    // Fills `out` from `at` onwards. Bytes past the end of the page or outside the array read
    // 0xFF, as erased flash does.
    void Read(const FlashLocation& at, std::span<std::uint8_t> out) const;

    // Programs bytes from `at` onwards. NAND programming can only clear bits, so each byte
    // becomes the AND of old and new: writing over a page that was not erased corrupts it,
    // just as on the set. False (and nothing stored) when the page is outside the array;
    // bytes past the end of the page are dropped.
    bool Program(const FlashLocation& at, std::span<const std::uint8_t> data);

    // Sets every byte of the block to 0xFF. False when the block is outside the array.
    bool EraseBlock(std::uint16_t block);

    // Types 7 and 8 address each 528-byte page p by two page bytes: 2p from byte 0 of the page,
    // 2p + 1 from byte 256, and 2p + 128 (or 2p + 129) from the spare bytes at 512; a transfer
    // runs on across that boundary up to the end of the page. Page p's bytes 0..255 are kept
    // under page byte 2p and the rest under 2p + 1, so that the lists, which never cross a
    // half, sit where Read and Program put them.
    void ReadHalves(const FlashLocation& at, std::span<std::uint8_t> out) const;
    bool ProgramHalves(const FlashLocation& at, std::span<const std::uint8_t> data);

    // Pages that hold anything, for saving and restoring an image.
    struct PageKey {
        std::uint16_t block;
        std::uint8_t page;
        auto operator<=>(const PageKey&) const = default;
    };
    const std::map<PageKey, std::vector<std::uint8_t>>& Pages() const { return m_pages; }
    // False when the page is outside the array or `bytes` is not one page long.
    bool RestorePage(PageKey key, std::span<const std::uint8_t> bytes);

  private:
    bool Contains(PageKey key) const;
    // Read leaves bytes it does not find as they are (the callers preset them erased).
    void ReadAt(PageKey key, std::size_t column, std::span<std::uint8_t> out) const;
    bool ProgramAt(PageKey key, std::size_t column, std::span<const std::uint8_t> data);

    FlashGeometry m_geometry;
    std::map<PageKey, std::vector<std::uint8_t>> m_pages;
};

}  // namespace fonerix::sim
