#include "sim/ImageFormat.h"

#include <algorithm>
#include <string_view>

#include "sim/DeviceFamily.h"

namespace fonerix::sim {

namespace {

constexpr std::string_view kMagic = "FNXSIMG";
constexpr std::uint8_t kFormatVersion = 2;
constexpr std::uint8_t kFormatWithoutClock = 1;

class Writer {
  public:
    void Bytes(std::span<const std::uint8_t> bytes) {
        m_out.insert(m_out.end(), bytes.begin(), bytes.end());
    }
    void U8(std::uint8_t value) { m_out.push_back(value); }
    void U16(std::uint16_t value) {
        U8(static_cast<std::uint8_t>(value));
        U8(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    std::vector<std::uint8_t> Take() { return std::move(m_out); }

  private:
    std::vector<std::uint8_t> m_out;
};

// Reads from the front of the image; every read fails once the bytes run out.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_rest(bytes) {}

    std::optional<std::span<const std::uint8_t>> Bytes(std::size_t count) {
        if (m_rest.size() < count) {
            return std::nullopt;
        }
        const auto bytes = m_rest.first(count);
        m_rest = m_rest.subspan(count);
        return bytes;
    }
    std::optional<std::uint32_t> Unsigned(std::size_t width) {
        const auto bytes = Bytes(width);
        if (!bytes) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = width; i-- > 0;) {
            value = value << 8 | (*bytes)[i];
        }
        return value;
    }
    bool AtEnd() const { return m_rest.empty(); }

  private:
    std::span<const std::uint8_t> m_rest;
};

template <std::size_t N>
std::array<std::uint8_t, N> ToArray(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, N> array{};
    std::copy_n(bytes.begin(), N, array.begin());
    return array;
}

DecodedImage Fail(std::string why) {
    return {std::nullopt, std::move(why)};
}

}  // namespace

std::vector<std::uint8_t> EncodeImage(const DeviceStores& stores) {
    Writer out;
    out.Bytes(std::span(reinterpret_cast<const std::uint8_t*>(kMagic.data()), kMagic.size()));
    out.U8(kFormatVersion);
    out.Bytes(stores.registers.Contents());
    out.Bytes(stores.memory.Contents());
    const auto synced = static_cast<std::uint64_t>(stores.clock_synced_ms.value_or(0));
    out.U32(static_cast<std::uint32_t>(synced));
    out.U32(static_cast<std::uint32_t>(synced >> 32));
    out.U16(stores.flash.Geometry().page_size);
    const auto& pages = stores.flash.Pages();
    out.U32(static_cast<std::uint32_t>(pages.size()));
    for (const auto& [key, bytes] : pages) {
        out.U16(key.block);
        out.U8(key.page);
        out.Bytes(bytes);
    }
    return out.Take();
}

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes) {
    Reader in(bytes);
    const auto magic = in.Bytes(kMagic.size());
    if (!magic || !std::equal(magic->begin(), magic->end(), kMagic.begin())) {
        return Fail("not a simulated set's image");
    }
    const auto version = in.Unsigned(1);
    if (version != kFormatVersion && version != kFormatWithoutClock) {
        return Fail("image format version " + (version ? std::to_string(*version) : "missing") +
                    ", expected " + std::to_string(kFormatVersion));
    }
    const auto registers = in.Bytes(wire::kRegisterCount);
    const auto memory = in.Bytes(wire::kMemorySize);
    std::optional<std::int64_t> clock_synced_ms;
    if (version == kFormatVersion) {
        const auto low = in.Unsigned(4);
        const auto high = in.Unsigned(4);
        if (!low || !high) {
            return Fail("image cut short before its flash pages");
        }
        clock_synced_ms = static_cast<std::int64_t>(std::uint64_t{*high} << 32 | *low);
    }
    const auto page_size = in.Unsigned(2);
    const auto page_count = in.Unsigned(4);
    if (!registers || !memory || !page_size || !page_count) {
        return Fail("image cut short before its flash pages");
    }
    DeviceStores stores{RegisterFile(ToArray<wire::kRegisterCount>(*registers)),
                        DeviceMemory(ToArray<wire::kMemorySize>(*memory)), FlashStore{},
                        clock_synced_ms};
    const int type = stores.memory.DeviceType();
    if (!TraitsOfType(type)) {
        return Fail("image holds an unknown device type " + std::to_string(type));
    }
    if (*page_size != stores.flash.Geometry().page_size) {
        return Fail("image has flash pages of " + std::to_string(*page_size) + " bytes, expected " +
                    std::to_string(stores.flash.Geometry().page_size));
    }
    for (std::uint32_t i = 0; i < *page_count; ++i) {
        const auto block = in.Unsigned(2);
        const auto page = in.Unsigned(1);
        const auto contents = in.Bytes(*page_size);
        if (!block || !page || !contents) {
            return Fail("image cut short in flash page " + std::to_string(i) + " of " +
                        std::to_string(*page_count));
        }
        const FlashStore::PageKey key{static_cast<std::uint16_t>(*block),
                                      static_cast<std::uint8_t>(*page)};
        if (!stores.flash.RestorePage(key, *contents)) {
            return Fail("image has flash page " + std::to_string(*page) + " of block " +
                        std::to_string(*block) + ", outside the flash array");
        }
    }
    if (!in.AtEnd()) {
        return Fail("image has bytes after its last flash page");
    }
    return {std::move(stores), {}};
}

}  // namespace fonerix::sim
