// A set's image: everything the host can store comes back, and a damaged file is refused.
#include "sim/ImageFormat.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace fonerix::sim {
namespace {

DeviceStores FilledStores() {
    DeviceStores stores{RegisterFile{}, DeviceMemory{6}, FlashStore{}};
    stores.registers.Write(0x50, 0x33);
    stores.registers.Write(0xFF, 0x01);
    stores.memory.Write(0x0000, 0x44);
    stores.memory.Write(0x1FFE, 0x55);
    const std::uint8_t data[] = {0xDE, 0xAD, 0xBE, 0xEF};
    stores.flash.Program(FlashLocation{0, 0, 0}, data);
    stores.flash.Program(FlashLocation{1023, 63, 200}, data);
    stores.flash.Program(FlashLocation{5, 2, 0}, data);
    return stores;
}

TEST(ImageFormat, RoundTripKeepsRegistersMemoryAndFlash) {
    const DeviceStores original = FilledStores();
    const DecodedImage decoded = DecodeImage(EncodeImage(original));
    ASSERT_TRUE(decoded.stores) << decoded.error;
    EXPECT_EQ(decoded.stores->registers.Contents(), original.registers.Contents());
    EXPECT_EQ(decoded.stores->memory.Contents(), original.memory.Contents());
    EXPECT_EQ(decoded.stores->memory.DeviceType(), 6);
    EXPECT_EQ(decoded.stores->flash.Pages(), original.flash.Pages());
    EXPECT_EQ(decoded.stores->flash.Pages().size(), 3u);
}

TEST(ImageFormat, KeepsTheClockInstantAndStillLoadsImagesWithout) {
    DeviceStores original = FilledStores();
    original.clock_synced_ms = 1'797'000'000'123;
    const std::vector<std::uint8_t> bytes = EncodeImage(original);
    const DecodedImage decoded = DecodeImage(bytes);
    ASSERT_TRUE(decoded.stores) << decoded.error;
    EXPECT_EQ(decoded.stores->clock_synced_ms, 1'797'000'000'123);

    // Format 1 had no clock instant between the memory and the flash.
    std::vector<std::uint8_t> old = bytes;
    old[7] = 1;
    const std::size_t clock_at = 8 + 256 + 8192;
    old.erase(old.begin() + clock_at, old.begin() + clock_at + 8);
    const DecodedImage older = DecodeImage(old);
    ASSERT_TRUE(older.stores) << older.error;
    EXPECT_FALSE(older.stores->clock_synced_ms);
    EXPECT_EQ(older.stores->flash.Pages(), original.flash.Pages());
}

struct DamageCase {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    const char* reason;
};

// Offsets in the image: 8 bytes of header, 256 registers, 8192 memory bytes, then the flash.
constexpr std::size_t kRegistersAt = 8;
constexpr std::size_t kTypeByteAt = kRegistersAt + 256 + 0x1FFF;
constexpr std::size_t kFlashAt = kRegistersAt + 256 + 8192 + 8;
constexpr std::size_t kFirstPageAt = kFlashAt + 2 + 4;

TEST(ImageFormat, RefusesDamagedImagesSayingWhy) {
    const DamageCase kDamages[] = {
        {"empty", [](auto& bytes) { bytes.clear(); }, "not a simulated set's image"},
        {"other file", [](auto& bytes) { bytes[0] = 'X'; }, "not a simulated set's image"},
        {"newer format", [](auto& bytes) { bytes[7] = 3; }, "format version 3"},
        {"cut in the memory", [](auto& bytes) { bytes.resize(kRegistersAt + 1000); },
         "cut short before its flash pages"},
        {"cut in a page", [](auto& bytes) { bytes.resize(kFirstPageAt + 3 + 100); },
         "cut short in flash page 0 of 3"},
        {"unknown type", [](auto& bytes) { bytes[kTypeByteAt] = 9; }, "unknown device type 9"},
        {"other page size", [](auto& bytes) { bytes[kFlashAt] = 0; }, "flash pages of"},
        {"page outside", [](auto& bytes) { bytes[kFirstPageAt + 2] = 64; },
         "page 64 of block 0, outside the flash array"},
        {"trailing bytes", [](auto& bytes) { bytes.push_back(0); }, "bytes after its last"},
    };
    const std::vector<std::uint8_t> good = EncodeImage(FilledStores());
    for (const DamageCase& damage : kDamages) {
        SCOPED_TRACE(damage.name);
        std::vector<std::uint8_t> bytes = good;
        damage.damage(bytes);
        const DecodedImage decoded = DecodeImage(bytes);
        EXPECT_FALSE(decoded.stores);
        EXPECT_NE(decoded.error.find(damage.reason), std::string::npos) << decoded.error;
    }
}

}  // namespace
}  // namespace fonerix::sim
