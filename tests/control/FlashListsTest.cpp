// The lists of the flash models read from a set laid out byte by byte in memory: the map of
// areas, the call logs, the phone book with its two copies, positions and addresses.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "tests/control/FakeSet.h"
#include "tests/support/MemoryPort.h"

namespace fonerix::test {
namespace {

// One decoded 32-byte list entry as the set stores it.
struct Entry {
    uint8_t kind = 4;
    uint8_t minute = 0;  // the rank byte in the phone book
    uint8_t hour = 0;
    uint8_t day = 1;
    uint8_t month = 1;
    uint8_t year = 0;
    std::vector<uint8_t> digits;
    uint16_t handle = 0;
    uint8_t duration = 0;
    uint8_t flags = 0;

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b(32, 0);
        b[1] = kind;
        b[2] = minute;
        b[3] = hour;
        b[4] = day;
        b[5] = month;
        b[6] = year;
        b[7] = static_cast<uint8_t>(digits.size());
        for (size_t i = 0; i < digits.size() && 8 + i < 28; ++i) {
            b[8 + i] = digits[i];
        }
        b[28] = static_cast<uint8_t>(handle >> 8);
        b[29] = static_cast<uint8_t>(handle);
        b[30] = duration;
        b[31] = flags;
        return b;
    }
};

// Map bytes: book 0..2, list 3..5, incoming 6..9, outgoing 10..13.
struct Areas {
    std::vector<uint8_t> book{0, 40, 43};
    std::vector<uint8_t> list{0, 50, 50};
    std::vector<uint8_t> incoming{0, 30, 31, 32};
    std::vector<uint8_t> outgoing{0, 20, 21, 22};

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> m;
        for (const auto* part : {&book, &list, &incoming, &outgoing}) {
            m.insert(m.end(), part->begin(), part->end());
        }
        m.resize(25, 0);
        return m;
    }
};

std::vector<uint8_t> SettingsRecord(uint8_t areaFlags = 0) {
    std::vector<uint8_t> s(33, 0);
    s[1] = 0x40;
    s[20] = areaFlags;
    return s;
}

std::string Utf8(BSTR text) {
    std::string out = Utf8FromBstr(text);
    SysFreeString(text);
    return out;
}

template <typename Device>
class FlashListsFixture : public ::testing::Test {
  protected:
    FlashListsFixture() {
        Device::ResetReaders();
        auto port = std::make_unique<MemoryPort>(
            [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); });
        line = port.get();
        device = std::make_unique<Device>(std::move(port));
    }
    ~FlashListsFixture() override { Device::ResetReaders(); }

    void PutMap(const Areas& areas, uint16_t block = 0) {
        set.PutTriples(block, 0, 0, {0, 0x80});
        set.PutTriples(block, 0, 6, areas.Bytes());
    }
    void PutSettings(uint16_t block, uint8_t page, const std::vector<uint8_t>& record) {
        set.PutTriples(block, page, 0, record);
    }

    FakeSet set;
    MemoryPort* line = nullptr;
    std::unique_ptr<Device> device;
};

using Zelta5Lists = FlashListsFixture<CZeltaDevice>;
using Zelta6Lists = FlashListsFixture<CZelta6Device>;
using Zelta7Lists = FlashListsFixture<CZelta7Device>;

TEST_F(Zelta5Lists, OutgoingLogOfTwoBlocksIsSixtyFourStepsThenFalseThenStartsAgain) {
    PutMap(Areas{});
    PutSettings(19, 0, SettingsRecord());
    const Entry first{.kind = 4,
                      .minute = 7,
                      .hour = 13,
                      .day = 28,
                      .month = 2,
                      .year = 24,
                      .digits = {10, 1, 2, 11},
                      .handle = 0x0102,
                      .duration = 45,
                      .flags = 0x80};
    const Entry second{.kind = 4,
                       .minute = 59,
                       .hour = 23,
                       .day = 1,
                       .month = 12,
                       .year = 99,
                       .digits = {5, 5, 5},
                       .handle = 0xBEEF,
                       .duration = 255,
                       .flags = 0x40};
    set.PutTriples(20, 0, 0, first.Bytes());
    set.PutTriples(21, 3, 97, second.Bytes());
    // An incoming entry in the outgoing area is a slot without an entry.
    set.PutTriples(20, 0, 97, Entry{.kind = 8, .digits = {1}}.Bytes());

    std::vector<PHBOOKRECORD> entries;
    int steps = 0;
    PHBOOKRECORD r{};
    while (device->GetOutcomeBook(r)) {
        ++steps;
        if (r.inUse == 1) {
            entries.push_back(r);
        }
        ASSERT_LE(steps, 64);
    }
    EXPECT_EQ(steps, 64);
    ASSERT_EQ(entries.size(), 2u);

    EXPECT_EQ(Utf8(entries[0].Phone), "012F");
    EXPECT_EQ(entries[0].Min, 7);
    EXPECT_EQ(entries[0].Hour, 13);
    EXPECT_EQ(entries[0].Date, 28);
    EXPECT_EQ(entries[0].Month, 2);
    EXPECT_EQ(entries[0].Year, 24);
    EXPECT_EQ(entries[0].Delay, 45);
    EXPECT_EQ(entries[0].isParall, 1);
    EXPECT_EQ(entries[0].isFlop, 0);
    EXPECT_EQ(entries[0].nandMessg, 0x0102);
    EXPECT_EQ(entries[0].nandAdress, 20u << 18);

    EXPECT_EQ(Utf8(entries[1].Phone), "555");
    EXPECT_EQ(entries[1].Year, 99);
    EXPECT_EQ(entries[1].Delay, 255);
    EXPECT_EQ(entries[1].isParall, 0);
    EXPECT_EQ(entries[1].isFlop, 1);
    EXPECT_EQ(entries[1].nandMessg, 0xBEEF);
    EXPECT_EQ(entries[1].nandAdress, 97u + 3 * 1024 + (21u << 18));

    // The FALSE rewound the reader: the next call is the first slot again.
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(r.inUse, 1);
    EXPECT_EQ(Utf8(r.Phone), "012F");
}

TEST_F(Zelta5Lists, SettingsFlagsSelectTheAlternativeLastBlocks) {
    PutMap(Areas{});
    PutSettings(19, 0, SettingsRecord(0x03));
    set.PutTriples(22, 15, 97, Entry{.kind = 4, .digits = {9}}.Bytes());
    set.PutTriples(32, 15, 97, Entry{.kind = 8, .digits = {8}}.Bytes());
    for (auto read : {&CZeltaDevice::GetOutcomeBook, &CZeltaDevice::GetIncomeBook}) {
        int steps = 0;
        std::string last;
        PHBOOKRECORD r{};
        while (((*device).*read)(r)) {
            ++steps;
            if (r.inUse) {
                last = Utf8(r.Phone);
            }
            ASSERT_LE(steps, 96);
        }
        EXPECT_EQ(steps, 96);
        EXPECT_EQ(last, read == &CZeltaDevice::GetOutcomeBook ? "9" : "8");
    }
}

TEST_F(Zelta5Lists, MapIsFoundInBlockOneAndLookedForAgainWhileMissing) {
    PHBOOKRECORD r{};
    device->GetIncomeBook(r);
    set.flashLog.clear();
    device->GetIncomeBook(r);
    // Each call looks at page 0 of blocks 0 and 1 again.
    int mapLooks = 0;
    for (const auto& a : set.flashLog) {
        mapLooks += a.kind == 'r' && a.page == 0 && a.column == 0 && a.count == 6 && a.block <= 1;
    }
    EXPECT_EQ(mapLooks, 2);

    PutMap(Areas{}, 1);
    PutSettings(19, 0, SettingsRecord());
    set.PutTriples(30, 0, 0, Entry{.kind = 8, .digits = {3, 4}}.Bytes());
    CZeltaDevice::ResetReaders();
    ASSERT_TRUE(device->GetIncomeBook(r));
    EXPECT_EQ(r.inUse, 1);
    EXPECT_EQ(Utf8(r.Phone), "34");
}

TEST_F(Zelta5Lists, CorruptedTriplesEndTheListAndRewind) {
    PutMap(Areas{});
    PutSettings(19, 0, SettingsRecord());
    set.PutTriples(20, 0, 0, Entry{.kind = 4, .digits = {1}}.Bytes());
    set.PutRaw(20, 1, 0, {1, 2, 3});  // three different copies of byte 0
    PHBOOKRECORD r{};
    EXPECT_TRUE(device->GetOutcomeBook(r));  // page 0, column 0
    EXPECT_EQ(Utf8(r.Phone), "1");
    EXPECT_TRUE(device->GetOutcomeBook(r));  // page 0, column 97
    EXPECT_FALSE(device->GetOutcomeBook(r));
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(r.inUse, 1);
    EXPECT_EQ(Utf8(r.Phone), "1");
}

TEST_F(Zelta5Lists, DigitCountBeyondTheRecordYieldsTheTwentyDigitsItHas) {
    PutMap(Areas{});
    PutSettings(19, 0, SettingsRecord());
    auto bytes = Entry{.kind = 4, .digits = std::vector<uint8_t>(20, 7)}.Bytes();
    bytes[7] = 200;
    set.PutTriples(20, 0, 0, bytes);
    PHBOOKRECORD r{};
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(Utf8(r.Phone), std::string(20, '7'));
}

TEST_F(Zelta5Lists, PositionsBelongToTheReaderUntilReset) {
    PutMap(Areas{});
    PutSettings(19, 0, SettingsRecord());
    set.PutTriples(20, 1, 0, Entry{.kind = 4, .digits = {2}}.Bytes());
    PHBOOKRECORD r{};
    device->GetOutcomeBook(r);
    device->GetOutcomeBook(r);
    // A new object (as after a new discovery) continues where the reader stood: page 1.
    device = std::make_unique<CZeltaDevice>(std::make_unique<MemoryPort>(
        [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); }));
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(r.inUse, 1);
    SysFreeString(r.Phone);

    CZeltaDevice::ResetReaders();
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(r.inUse, 0);  // page 0, column 0 again
}

TEST_F(Zelta5Lists, PhoneBookTakesThePartnerOfAnEmptyFirstHalfBlock) {
    PutMap(Areas{});  // book blocks 40..43: pairs 40/42 and 41/43
    PutSettings(19, 0, SettingsRecord());
    set.PutTriples(42, 1, 97, Entry{.kind = 2, .minute = 3, .digits = {4, 2}}.Bytes());
    set.PutTriples(41, 0, 0, Entry{.kind = 2, .minute = 1, .digits = {4, 1}}.Bytes());
    set.PutTriples(43, 0, 0, Entry{.kind = 2, .digits = {4, 3}}.Bytes());  // 41's older copy

    std::vector<std::pair<std::string, int>> found;
    int steps = 0;
    PHBOOKRECORD r{};
    while (device->GetPhoneBook(r)) {
        ++steps;
        if (r.inUse) {
            found.emplace_back(Utf8(r.Phone), r.posInBook);
            if (found.size() == 1) {
                EXPECT_EQ(r.Rang, 3);
                EXPECT_EQ(r.nandAdress, 97u + 1024 + (42u << 18));
            }
        }
        ASSERT_LE(steps, 128);
    }
    // Block 40 (empty), its partner 42, then 41; 43 is never read.
    EXPECT_EQ(steps, 96);
    const std::vector<std::pair<std::string, int>> expected{{"42", 4}, {"41", 33}};
    EXPECT_EQ(found, expected);
    for (const auto& a : set.flashLog) {
        EXPECT_NE(a.block, 43);
    }
}

TEST_F(Zelta6Lists, RecordsOnOddPagesWithInferredYearsAndPageAddresses) {
    Areas areas;
    areas.incoming = {0, 30, 30, 30};
    PutMap(areas);
    PutSettings(13, 0, SettingsRecord());
    device->SetRecordedDate(24, 3);
    set.PutTriples(30, 1, 172, Entry{.kind = 8, .month = 3, .digits = {1}}.Bytes());
    set.PutTriples(30, 3, 172, Entry{.kind = 8, .month = 4, .digits = {2}}.Bytes());
    set.PutTriples(30, 31, 172, Entry{.kind = 8, .month = 1, .digits = {3}}.Bytes());
    set.PutTriples(30, 2, 172, Entry{.kind = 8, .digits = {9}}.Bytes());  // not a record page

    std::vector<std::pair<std::string, int>> years;
    std::vector<uint32_t> addresses;
    int steps = 0;
    PHBOOKRECORD r{};
    while (device->GetIncomeBook(r)) {
        ++steps;
        if (r.inUse) {
            years.emplace_back(Utf8(r.Phone), r.Year);
            addresses.push_back(r.nandAdress);
        }
        ASSERT_LE(steps, 16);
    }
    EXPECT_EQ(steps, 16);
    const std::vector<std::pair<std::string, int>> expected{{"1", 24}, {"2", 23}, {"3", 24}};
    EXPECT_EQ(years, expected);
    const auto address = [](uint32_t page) { return ((30u * 512) + (page & ~1u)) * 512 + 683; };
    EXPECT_EQ(addresses, (std::vector<uint32_t>{address(1), address(3), address(31)}));
}

TEST_F(Zelta6Lists, YearZeroGoesBackToNinetyNine) {
    Areas areas;
    areas.outgoing = {0, 20, 20, 20};
    PutMap(areas);
    PutSettings(13, 0, SettingsRecord());
    device->SetRecordedDate(0, 1);
    set.PutTriples(20, 1, 172, Entry{.kind = 4, .month = 12, .digits = {1}}.Bytes());
    PHBOOKRECORD r{};
    ASSERT_TRUE(device->GetOutcomeBook(r));
    SysFreeString(r.Phone);
    EXPECT_EQ(r.Year, 99);
}

TEST_F(Zelta6Lists, CorruptMapNeverReadsBeyondTheGeometry) {
    Areas areas;
    areas.outgoing = {5, 20, 21, 21};  // block high byte 5: beyond the chips of type 6
    areas.book = {4, 0, 255};
    PutMap(areas);
    PutSettings(13, 0, SettingsRecord());
    PHBOOKRECORD r{};
    EXPECT_FALSE(device->GetOutcomeBook(r));
    EXPECT_FALSE(device->GetPhoneBook(r));
    for (const auto& a : set.flashLog) {
        EXPECT_LE(a.block >> 8, 3);
        EXPECT_LE(a.page, 31);
    }
}

TEST_F(Zelta6Lists, PhoneBookPositionsCountSixteenAPage) {
    Areas areas;
    areas.book = {0, 60, 61};  // one pair
    PutMap(areas);
    PutSettings(13, 0, SettingsRecord());
    set.PutTriples(60, 5, 172, Entry{.kind = 2, .digits = {1}}.Bytes());
    set.PutTriples(60, 31, 172, Entry{.kind = 2, .digits = {2}}.Bytes());
    std::vector<int> positions;
    PHBOOKRECORD r{};
    while (device->GetPhoneBook(r)) {
        if (r.inUse) {
            SysFreeString(r.Phone);
            positions.push_back(r.posInBook);
        }
    }
    EXPECT_EQ(positions, (std::vector<int>{3, 16}));
}

TEST_F(Zelta7Lists, PhoneBookOfTheSecondCopyMapsOntoTheFirstCopysPositions) {
    Areas areas;
    areas.book = {0, 60, 61};  // block 60 empty: its partner 61 is read
    PutMap(areas);
    PutSettings(15, 0, SettingsRecord());
    set.PutTriples(61, 1, 172, Entry{.kind = 2, .digits = {1}}.Bytes());
    set.PutTriples(61, 63, 172, Entry{.kind = 2, .digits = {2}}.Bytes());
    std::vector<int> positions;
    std::vector<uint32_t> addresses;
    int steps = 0;
    PHBOOKRECORD r{};
    while (device->GetPhoneBook(r)) {
        ++steps;
        if (r.inUse) {
            SysFreeString(r.Phone);
            positions.push_back(r.posInBook);
            addresses.push_back(r.nandAdress);
        }
    }
    EXPECT_EQ(steps, 64);
    EXPECT_EQ(positions, (std::vector<int>{1, 32}));
    EXPECT_EQ(addresses,
              (std::vector<uint32_t>{(61u * 512) * 512 + 683, (61u * 512 + 62) * 512 + 683}));
}

TEST_F(Zelta7Lists, LogRunsThroughAllSixtyFourPageBytes) {
    Areas areas;
    areas.outgoing = {1, 2, 2, 2};
    PutMap(areas);
    PutSettings(15, 0, SettingsRecord());
    set.PutTriples(0x102, 63, 172, Entry{.kind = 4, .digits = {6}}.Bytes());
    int steps = 0;
    std::string last;
    PHBOOKRECORD r{};
    while (device->GetOutcomeBook(r)) {
        ++steps;
        if (r.inUse) {
            last = Utf8(r.Phone);
        }
        ASSERT_LE(steps, 32);
    }
    EXPECT_EQ(steps, 32);
    EXPECT_EQ(last, "6");
}

}  // namespace
}  // namespace fonerix::test
