// The lists of the flash models: the map of flash areas, the two call logs and the phone book.

#include <algorithm>

#include "control/device/DigitCodes.h"
#include "control/device/Triples.h"
#include "control/device/ZeltaDevice.h"

namespace fonerix {

namespace {

using Hold = WatcherGate::Hold;

constexpr uint8_t kMapTag = 0x80;
constexpr uint8_t kMapColumn = 6;
constexpr uint8_t kMapRaw = 75;
constexpr size_t kSettingsAreaFlags = 20;

constexpr uint8_t kEntrySize = 32;
constexpr uint8_t kEntryRaw = 3 * kEntrySize;
constexpr uint8_t kKindBook = 2;
constexpr uint8_t kKindOutgoing = 4;
constexpr uint8_t kKindIncoming = 8;
// Digit codes of an entry start at byte 8 and end before the voice handle at byte 28.
constexpr uint8_t kEntryDigits = 8;
constexpr uint8_t kEntryMaxDigits = kEntrySize - kEntryDigits;

// An area of the map: its blocks' high byte, first and last low byte, and for the logs the
// alternative last block.
struct Area {
    uint8_t high, first, last, alternative;
};

Area AreaAt(const std::array<uint8_t, 25>& map, size_t at, bool withAlternative) {
    return {map[at], map[at + 1], map[at + 2], withAlternative ? map[at + 3] : map[at + 2]};
}

}  // namespace

std::u16string EntryNumber(const uint8_t* entry, uint8_t maxDigits) {
    // A count beyond the record's digit bytes is the record's fault, not a reason to read on.
    const uint8_t count = std::min({entry[7], maxDigits, kEntryMaxDigits});
    std::u16string number;
    for (uint8_t i = 0; i < count; ++i) {
        number.push_back(static_cast<char16_t>(DigitToChar(entry[kEntryDigits + i])));
    }
    return number;
}

void CZeltaDevice::LoadFlashMap() {
    if (m_mapLoaded) {
        return;
    }
    uint16_t block = 0;
    if (PageTag(0, 0) != kMapTag) {
        block = 1;
        if (PageTag(1, 0) != kMapTag) {
            return;
        }
    }
    uint8_t raw[kMapRaw];
    uint8_t decoded[DecodedLength(kMapRaw)];
    if (ReadFlash(FlashAddress::At(block, 0, kMapColumn, kMapRaw), raw) &&
        DecodeTriples(kMapRaw, raw, decoded)) {
        std::copy(std::begin(decoded), std::end(decoded), m_map.begin());
    }
    uint8_t settings[kSettingsSize];
    ReadSettingsBlock(settings);  // zeroed when it fails: both flags clear
    m_areaFlags = settings[kSettingsAreaFlags];
    m_mapLoaded = true;
}

bool CZeltaDevice::ReadRecord(uint16_t block, uint8_t page, uint8_t column, uint8_t* entry) {
    uint8_t raw[kEntryRaw];
    return ReadFlash(FlashAddress::At(block, page, column, kEntryRaw), raw) &&
           DecodeTriples(kEntryRaw, raw, entry);
}

bool CZeltaDevice::Advance(FlashReader& r) const {
    const FlashGeometry& g = Geometry();
    for (uint8_t i = 0; i + 1 < g.columnCount; ++i) {
        if (r.column == g.columns[i]) {
            r.column = g.columns[i + 1];
            return false;
        }
    }
    r.column = g.columns[0];
    if (r.page + g.recordPageStep <= g.lastPage) {
        r.page = static_cast<uint8_t>(r.page + g.recordPageStep);
        return false;
    }
    r.page = g.firstRecordPage;
    return true;
}

uint32_t CZeltaDevice::NandAddress(const FlashReader& at, uint8_t high) const {
    const uint32_t b = at.block & 0xFF;
    if (Geometry().pageColumnAddress) {
        return at.column + at.page * 1024u + b * (1u << 18) + uint32_t{high} * (1u << 28);
    }
    return ((uint32_t{high} * 1024 + b) * 512 + (at.page & 0xFEu)) * 512 + at.column + 511;
}

bool CZeltaDevice::GetOutcomeBook(PHBOOKRECORD& record) {
    return ReadLog(Log::kOutgoing, record);
}

bool CZeltaDevice::GetIncomeBook(PHBOOKRECORD& record) {
    return ReadLog(Log::kIncoming, record);
}

bool CZeltaDevice::ReadLog(Log log, PHBOOKRECORD& record) {
    Hold hold(m_gate);
    LoadFlashMap();
    const FlashGeometry& g = Geometry();
    const bool outgoing = log == Log::kOutgoing;
    FlashReader& r = outgoing ? Readers().outgoing : Readers().incoming;
    const Area area = AreaAt(m_map, outgoing ? 10 : 6, true);
    const auto rewind = [&] {
        r = FlashReader{true, area.first, g.firstRecordPage, g.columns[0], 0, 0};
        return false;
    };
    if (!r.started) {
        rewind();
    }
    record.inUse = 0;
    const bool alternative = (m_areaFlags & (outgoing ? 0x02 : 0x01)) != 0;
    const uint8_t limit = alternative ? area.alternative : area.last;
    if (r.block > limit) {
        return rewind();
    }
    uint8_t e[kEntrySize];
    const auto block = static_cast<uint16_t>(area.high << 8 | r.block);
    if (!ReadRecord(block, r.page, r.column, e)) {
        return rewind();
    }
    if (e[0] == 0 && e[1] == (outgoing ? kKindOutgoing : kKindIncoming)) {
        record.inUse = 1;
        record.Phone = [&] {
            const std::u16string number = EntryNumber(e);
            return SysAllocStringLen(number.data(), static_cast<uint32_t>(number.size()));
        }();
        record.Min = e[2];
        record.Hour = e[3];
        record.Date = e[4];
        record.Month = e[5];
        record.Year = EntryYear(e);
        record.Delay = e[30];
        record.isParall = e[31] >> 7 & 1;
        record.isFlop = e[31] >> 6 & 1;
        record.nandMessg = static_cast<uint16_t>(e[28] << 8 | e[29]);
        record.nandAdress = NandAddress(r, area.high);
    }
    if (Advance(r)) {
        ++r.block;
    }
    return true;
}

bool CZeltaDevice::GetPhoneBook(PHBOOKRECORD& record) {
    Hold hold(m_gate);
    LoadFlashMap();
    const FlashGeometry& g = Geometry();
    FlashReader& r = Readers().book;
    const Area area = AreaAt(m_map, 0, false);
    // Two copies of the book: block i of the first half and block i + h of the second.
    const int h = std::max(0, area.last - area.first + 1) / 2;
    const auto rewind = [&] {
        r = FlashReader{true, area.first, g.firstRecordPage, g.columns[0], 0, 0};
        return false;
    };
    if (!r.started) {
        rewind();
    }
    record.inUse = 0;
    if (r.blocksVisited >= h) {
        return rewind();
    }
    uint8_t e[kEntrySize];
    const auto block = static_cast<uint16_t>(area.high << 8 | (r.block & 0xFF));
    if (!ReadRecord(block, r.page, r.column, e)) {
        return rewind();
    }
    if (e[0] == 0 && e[1] == kKindBook) {
        record.inUse = 1;
        const std::u16string number = EntryNumber(e);
        record.Phone = SysAllocStringLen(number.data(), static_cast<uint32_t>(number.size()));
        record.Rang = e[2];
        record.nandMessg = static_cast<uint16_t>(e[28] << 8 | e[29]);
        record.nandAdress = NandAddress(r, area.high);
        // 1-based, in 8-bit arithmetic; an entry of the second copy gets its first-copy place.
        const uint8_t slot =
            static_cast<uint8_t>((r.page - g.firstRecordPage) / g.recordPageStep * g.columnCount +
                                 (r.column == g.columns[0] ? 0 : 1));
        const auto d =
            static_cast<uint8_t>(static_cast<uint8_t>(r.block - area.first) % g.positionBlocks);
        auto p = static_cast<uint8_t>(g.recordsPerBlock * d + slot);
        if (p >= h * g.recordsPerBlock) {
            p = static_cast<uint8_t>(p - h * g.recordsPerBlock);
        }
        record.posInBook = static_cast<uint8_t>(p + 1);
        ++r.foundInBlock;
    }
    if (Advance(r)) {
        if (area.last - r.block < h) {
            r.block = static_cast<uint16_t>(r.block + 1 - h);
            ++r.blocksVisited;
        } else if (r.foundInBlock > 0) {
            ++r.block;
            ++r.blocksVisited;
        } else {
            r.block = static_cast<uint16_t>(r.block + h);  // its partner in the second half
        }
        r.foundInBlock = 0;
    }
    return true;
}

}  // namespace fonerix
