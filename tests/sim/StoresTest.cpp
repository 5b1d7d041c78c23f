// What each family of sets keeps where, byte for byte, looked at from the set's side: the raw
// flash (every byte three times) and device memory after a scenario has been laid out.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/Engine.h"
#include "sim/FlashLayout.h"
#include "sim/FlashSide.h"
#include "sim/PhoneDigits.h"
#include "sim/SetContent.h"
#include "sim/Triples.h"
#include "tests/support/HexBytes.h"

namespace fonerix::sim {
namespace {

using test::HexBytes;
using test::HexText;

const auto kMadeAt = std::chrono::system_clock::time_point{} + std::chrono::hours(496000);

DeviceStores Make(int type, const std::string& scenario_text) {
    const ParsedScenario parsed = ParseScenario(scenario_text);
    if (!parsed.scenario) {
        throw std::invalid_argument(parsed.error);
    }
    return BuildSet(type, *parsed.scenario, kMadeAt);
}

std::vector<std::uint8_t> Raw(const DeviceStores& stores, std::uint16_t block, std::uint8_t page,
                              std::uint8_t column, std::size_t count) {
    std::vector<std::uint8_t> raw(count);
    stores.flash.Read(FlashLocation{block, page, column}, raw);
    return raw;
}

// The raw bytes the set must have programmed for these decoded bytes.
std::string Tripled(std::string_view decoded) {
    return HexText(EncodeTriples(HexBytes(decoded)));
}

std::string Repeat(std::string_view hex_byte, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += (i == 0 ? "" : " ") + std::string(hex_byte);
    }
    return text;
}

struct MapCase {
    int type;
    const char* areas;  // decoded map bytes 0..13; 14..24 are zero
};

void PrintTo(const MapCase& map, std::ostream* out) {
    *out << "type " << map.type;
}

class MapPage : public ::testing::TestWithParam<MapCase> {};

TEST_P(MapPage, IsTaggedOnPageZeroOfBlockZeroAndNamesTheAreas) {
    const MapCase& map = GetParam();
    const DeviceStores stores = Make(map.type, "");
    EXPECT_EQ(HexText(Raw(stores, 0, 0, 0, 6)), "00 00 00 80 80 80");
    EXPECT_EQ(HexText(Raw(stores, 0, 0, kMapColumn, 75)),
              Tripled(std::string(map.areas) + " " + Repeat("00", 11)));
}

// Book high, first, last; list high, first, last; incoming high, first, last, spare; outgoing
// the same.
INSTANTIATE_TEST_SUITE_P(Stores, MapPage,
                         ::testing::Values(MapCase{0, "00 02 09 00 00 00 00 0A 0C 0D 00 0E 10 11"},
                                           MapCase{5, "00 02 09 00 00 00 00 0A 0C 0D 00 0E 10 11"},
                                           MapCase{6, "00 19 20 00 00 00 00 02 05 06 01 00 03 04"},
                                           MapCase{7, "00 02 09 00 0A 0B 00 11 13 14 00 15 17 18"},
                                           MapCase{8, "00 02 09 00 0A 0B 00 11 13 14 00 15 17 18"}),
                         [](const auto& test) { return "Type" + std::to_string(test.param.type); });

TEST(Stores, MapPageMovedToBlockOneLeavesBlockZeroErased) {
    const DeviceStores stores = Make(5, "map-block 1");
    EXPECT_EQ(HexText(Raw(stores, 0, 0, 0, 6)), Repeat("FF", 6));
    EXPECT_EQ(HexText(Raw(stores, 1, 0, 0, 6)), "00 00 00 80 80 80");
}

TEST(Stores, MapPageCanBeMissingOrLieAboutTheAreas) {
    const DeviceStores none = Make(6, "map-block none\nout 2026-12-01 10:00 123");
    EXPECT_EQ(HexText(Raw(none, 0, 0, 0, 81)), Repeat("FF", 81));
    EXPECT_EQ(HexText(Raw(none, 1, 0, 0, 81)), Repeat("FF", 81));
    EXPECT_NE(DumpLists(none).find("out number=123 "), std::string::npos) << "the lists stay";

    // Incoming log from block 40 (beyond the set's flash for type 5 with high byte 2).
    const DeviceStores lying = Make(5, "map-byte 6 2\nmap-byte 7 40\nin 2026-12-01 10:00 123");
    EXPECT_EQ(HexText(Raw(lying, 0, 0, 0, 81)),
              Tripled("00 80 00 02 09 00 00 00 02 28 0C 0D 00 0E 10 11 " + Repeat("00", 11)));
    EXPECT_NE(DumpLists(lying).find("in number=123 year=26 month=12 day=1 hour=10 minute=0 "
                                    "duration=0 parallel=0 flop=0 voice=0 block=10 page=0"),
              std::string::npos);
    EXPECT_THROW(Make(1, "map-byte 1 2"), std::invalid_argument);
}

// A call as the set records it: valid, kind, minute, hour, day, month, two-digit year, digit
// count, digit codes, voice handle (big-endian), duration, flags.
constexpr const char* kOutgoingCall =
    "out 2026-11-30 14:05 84951234567 duration=12 parallel voice=0x1234\n";
constexpr const char* kOutgoingRecord =
    "00 04 05 0E 1E 0B 1A 0B 08 04 09 05 01 02 03 04 05 06 07 00 00 00 00 00 00 00 00 00 "
    "12 34 0C 80";
constexpr const char* kIncomingCall = "in 2027-01-02 09:15 0123 flop duration=0\n";
constexpr const char* kIncomingRecord =
    "00 08 0F 09 02 01 1B 04 0A 01 02 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 40";

struct SlotCase {
    int type;
    FlashLocation first_out;   // where the first outgoing call goes
    FlashLocation second_out;  // and the second
    FlashLocation first_in;
};

void PrintTo(const SlotCase& slot, std::ostream* out) {
    *out << "type " << slot.type;
}

class CallSlots : public ::testing::TestWithParam<SlotCase> {};

TEST_P(CallSlots, CallsLandTripledWhereTheGenerationKeepsRecords) {
    const SlotCase& slot = GetParam();
    const DeviceStores stores =
        Make(slot.type, std::string(kOutgoingCall) + kIncomingCall + kOutgoingCall);
    const auto raw = [&stores](const FlashLocation& at) {
        return HexText(Raw(stores, at.block, at.page, at.column, 96));
    };
    EXPECT_EQ(raw(slot.first_out), Tripled(kOutgoingRecord));
    EXPECT_EQ(raw(slot.second_out), Tripled(kOutgoingRecord));
    EXPECT_EQ(raw(slot.first_in), Tripled(kIncomingRecord));
}

INSTANTIATE_TEST_SUITE_P(Stores, CallSlots,
                         ::testing::Values(SlotCase{5, {14, 0, 0}, {14, 0, 97}, {10, 0, 0}},
                                           SlotCase{
                                               6, {0x100, 1, 172}, {0x100, 3, 172}, {2, 1, 172}},
                                           SlotCase{7, {21, 1, 172}, {21, 3, 172}, {17, 1, 172}}),
                         [](const auto& test) { return "Type" + std::to_string(test.param.type); });

std::string Calls(std::string_view log, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::string(log) + " 2026-11-" + std::to_string(1 + i / 24 % 28) + " " +
                std::to_string(i % 24) + ":" + std::to_string(i % 60) + " " +
                std::to_string(2000000 + i) + "\n";
    }
    return text;
}

// The number of the valid record at a position, or nothing for an erased or broken slot.
std::optional<std::string> NumberAt(const DeviceStores& stores, const FlashLocation& at) {
    const auto decoded = DecodeTriples(Raw(stores, at.block, at.page, at.column, 96));
    if (!decoded || (*decoded)[0] != 0) {
        return std::nullopt;
    }
    return TextOfDigitCodes(
        std::span(*decoded).subspan(8, std::min<std::size_t>((*decoded)[7], 20)));
}

// Area flags of a settings copy; -1 when the page holds no copy.
int SettingsFlags(const DeviceStores& stores, std::uint16_t block, std::uint8_t page) {
    const auto decoded = DecodeTriples(Raw(stores, block, page, 0, 99));
    if (!decoded || (*decoded)[0] != 0 || (*decoded)[1] != kSettingsTag) {
        return -1;
    }
    return (*decoded)[kSettingsAreaFlags];
}

struct WrapCase {
    int type;
    const char* log;
    unsigned per_block;
    std::uint16_t first;  // the log's first block
    std::uint16_t spare;  // its alternative last block
    unsigned blocks;      // first..last
    int flag;             // its bit in settings byte 20
    std::uint16_t settings_block;
    std::uint8_t settings_step;
};

void PrintTo(const WrapCase& wrap, std::ostream* out) {
    *out << "type " << wrap.type << " " << wrap.log;
}

class LogWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(LogWrap, FullLogGrowsIntoItsSpareBlockThenGoesRound) {
    const WrapCase& w = GetParam();
    const FlashPlan plan = FlashPlanOf(w.type);
    const int normal = static_cast<int>(w.blocks * w.per_block);
    const int round = normal + static_cast<int>(w.per_block);
    const auto copy = [&w](unsigned n) { return static_cast<std::uint8_t>(n * w.settings_step); };
    const std::string oldest = "2000000";

    const DeviceStores full = Make(w.type, Calls(w.log, normal));
    EXPECT_EQ(SettingsFlags(full, w.settings_block, copy(0)), 0);
    EXPECT_EQ(SettingsFlags(full, w.settings_block, copy(1)), -1) << "no second copy yet";
    EXPECT_EQ(NumberAt(full, plan.Slot(w.spare, 0)), std::nullopt);

    const DeviceStores grown = Make(w.type, Calls(w.log, normal + 1));
    EXPECT_EQ(NumberAt(grown, plan.Slot(w.spare, 0)), std::to_string(2000000 + normal));
    EXPECT_EQ(SettingsFlags(grown, w.settings_block, copy(0)), 0)
        << "a settings copy is never rewritten";
    EXPECT_EQ(SettingsFlags(grown, w.settings_block, copy(1)), w.flag);
    EXPECT_EQ(NumberAt(grown, plan.Slot(w.first, 0)), oldest);

    // The spare filled up: the first block is erased at once, so that an empty slot follows the
    // newest record and the next call has room.
    const DeviceStores full_round = Make(w.type, Calls(w.log, round));
    EXPECT_EQ(HexText(Raw(full_round, w.first, plan.Slot(w.first, 0).page,
                          plan.Slot(w.first, 0).column, 96)),
              Repeat("FF", 96));
    EXPECT_EQ(NumberAt(full_round, plan.Slot(w.first + 1, 0)),
              std::to_string(2000000 + w.per_block));
    FlashStore flash = full_round.flash;
    const FlashSide side(flash, plan);
    const CallLog log = w.log == std::string("out") ? CallLog::kOutgoing : CallLog::kIncoming;
    EXPECT_EQ(side.LogRecords(log).size(), static_cast<std::size_t>(normal));

    const DeviceStores next = Make(w.type, Calls(w.log, round + 1));
    EXPECT_EQ(NumberAt(next, plan.Slot(w.first, 0)), std::to_string(2000000 + round));
    EXPECT_EQ(SettingsFlags(next, w.settings_block, copy(1)), w.flag);
    EXPECT_EQ(SettingsFlags(next, w.settings_block, copy(2)), -1) << "the flag is set once";
}

INSTANTIATE_TEST_SUITE_P(Stores, LogWrap,
                         ::testing::Values(WrapCase{5, "in", 32, 10, 13, 3, 0x01, 19, 1},
                                           WrapCase{6, "out", 16, 0x100, 0x104, 4, 0x02, 13, 2},
                                           WrapCase{7, "out", 32, 21, 24, 3, 0x02, 15, 2}),
                         [](const auto& test) {
                             return "Type" + std::to_string(test.param.type) + test.param.log;
                         });

// UtCallup, UtLineFree, the line's and the parallel telephone's caller-ID bytes, the voice
// handles (the free chain's head at 14..15), area flags, the billing month and four big-endian
// statistics.
constexpr const char* kSettingsScenario =
    "setting UtCallup 120\n"
    "setting UtLineFree 5\n"
    "callerid current query-time=80 query-form=0x34 first-delay=300 min-digits=3 "
    "resolution-time=500\n"
    "callerid parallel query-time=250 query-form=0x02 first-delay=990 min-digits=5 "
    "resolution-time=10\n"
    "statistics month=12 local=300 long=45 previous-local=0x0102 previous-long=7\n";
std::string SettingsRecordText(std::uint8_t freeHead) {
    char head[8];
    std::snprintf(head, sizeof head, "%02X", freeHead);
    return std::string("00 40 78 05 28 34 46 03 32 7D 02 01 05 63 00 ") + head +
           " 00 00 00 00 00 0C 01 2C 00 2D 01 02 00 07 00 00 00";
}

struct SettingsCase {
    int type;
    std::uint16_t block;
    std::uint8_t step;
    unsigned copies;     // a block holds
    std::uint8_t voice;  // the first voice block: the free chain's head on a fresh set
};

void PrintTo(const SettingsCase& settings, std::ostream* out) {
    *out << "type " << settings.type;
}

class SettingsCopies : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsCopies, AreAppendedPageByPageInTheirBlock) {
    const SettingsCase& c = GetParam();
    const DeviceStores stores = Make(c.type, std::string(kSettingsScenario) + "settings-copies 3");
    for (unsigned n = 0; n < 3; ++n) {
        EXPECT_EQ(HexText(Raw(stores, c.block, static_cast<std::uint8_t>(n * c.step), 0, 99)),
                  Tripled(SettingsRecordText(c.voice)))
            << "copy " << n;
    }
    EXPECT_EQ(HexText(Raw(stores, c.block, static_cast<std::uint8_t>(3 * c.step), 0, 6)),
              Repeat("FF", 6));
    if (c.step == 2) {
        EXPECT_EQ(HexText(Raw(stores, c.block, 1, 0, 6)), Repeat("FF", 6));
    }
}

TEST_P(SettingsCopies, FullBlockIsErasedAndTheNewestCopyStartsItAgain) {
    const SettingsCase& c = GetParam();
    DeviceStores stores = Make(c.type, "settings-copies " + std::to_string(c.copies));
    const auto last = static_cast<std::uint8_t>((c.copies - 1) * c.step);
    EXPECT_EQ(SettingsFlags(stores, c.block, last), 0) << "every page holds a copy";

    FlashSide side(stores.flash, FlashPlanOf(c.type));
    SettingsRecord newer = side.CurrentSettings()->record;
    newer[kSettingsStatistics] = 7;
    side.AppendSettings(newer);
    EXPECT_EQ(side.CurrentSettings()->at.page, 0);
    EXPECT_EQ(side.CurrentSettings()->record, newer);
    EXPECT_EQ(HexText(Raw(stores, c.block, c.step, 0, 6)), Repeat("FF", 6));
    EXPECT_EQ(HexText(Raw(stores, c.block, last, 0, 6)), Repeat("FF", 6));
}

INSTANTIATE_TEST_SUITE_P(Stores, SettingsCopies,
                         ::testing::Values(SettingsCase{5, 19, 1, 16, 33},
                                           SettingsCase{6, 13, 2, 16, 33},
                                           SettingsCase{7, 15, 2, 32, 16}),
                         [](const auto& test) { return "Type" + std::to_string(test.param.type); });

TEST(Stores, SettingsBlockMayBeAnyFreeBlockOfTheRange) {
    const DeviceStores stores = Make(6, "settings-block 20");
    EXPECT_EQ(SettingsFlags(stores, 13, 0), -1);
    EXPECT_EQ(SettingsFlags(stores, 20, 0), 0);
    EXPECT_THROW(Make(5, "settings-block 25"), std::invalid_argument);
    EXPECT_THROW(Make(5, "settings-copies 17"), std::invalid_argument);
}

struct BookCase {
    int type;
    unsigned position;
    FlashLocation first_half;
    FlashLocation partner;
    unsigned lost_block;  // the first-half block of `position`, 0-based
};

void PrintTo(const BookCase& book, std::ostream* out) {
    *out << "type " << book.type << " position " << book.position;
}

class BookHalves : public ::testing::TestWithParam<BookCase> {};

constexpr const char* kBookRecord =
    "00 02 02 00 00 00 00 07 02 03 04 05 06 07 08 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 05 00 00";

TEST_P(BookHalves, EntryIsKeptAtItsPositionInBothHalves) {
    const BookCase& c = GetParam();
    const std::string entry = "book " + std::to_string(c.position) + " 2345678 rank=2 voice=5\n";
    const DeviceStores stores = Make(c.type, entry);
    const auto raw = [](const DeviceStores& s, const FlashLocation& at) {
        return HexText(Raw(s, at.block, at.page, at.column, 96));
    };
    EXPECT_EQ(raw(stores, c.first_half), Tripled(kBookRecord));
    EXPECT_EQ(raw(stores, c.partner), Tripled(kBookRecord));

    const DeviceStores lost =
        Make(c.type, entry + "lose-book-block " + std::to_string(c.lost_block));
    EXPECT_EQ(raw(lost, c.first_half), Repeat("FF", 96));
    EXPECT_EQ(raw(lost, c.partner), Tripled(kBookRecord));
    FlashStore flash = lost.flash;
    const auto found = FlashSide(flash, FlashPlanOf(c.type)).BookRecords();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].first, c.position) << "the partner's entry keeps its position";
}

INSTANTIATE_TEST_SUITE_P(Stores, BookHalves,
                         ::testing::Values(BookCase{5, 4, {2, 1, 97}, {6, 1, 97}, 0},
                                           BookCase{5, 128, {5, 15, 97}, {9, 15, 97}, 3},
                                           BookCase{6, 17, {26, 1, 172}, {30, 1, 172}, 1},
                                           BookCase{7, 33, {3, 1, 172}, {7, 1, 172}, 1},
                                           BookCase{7, 32, {2, 63, 172}, {6, 63, 172}, 0}),
                         [](const auto& test) {
                             return "Type" + std::to_string(test.param.type) + "Position" +
                                    std::to_string(test.param.position);
                         });

TEST(Stores, BookPositionsOutsideTheBookAreRefused) {
    EXPECT_THROW(Make(5, "book 129 123"), std::invalid_argument);
    EXPECT_THROW(Make(6, "book 65 123"), std::invalid_argument);
    EXPECT_THROW(Make(6, "book 3 123\nbook 3 456"), std::invalid_argument);
    EXPECT_NO_THROW(Make(6, "book 64 123"));
}

TEST(Stores, ListAreaOfType7KeepsRedirectionAndAutoDialOnOddPages) {
    const DeviceStores stores =
        Make(7, "redirection 89031112233\nautodial 2345678\nautodial 0123\n");
    const auto raw = [&stores](std::uint16_t block, std::uint8_t page) {
        return HexText(Raw(stores, block, page, 172, 96));
    };
    const auto record = [](std::string_view digits) {
        std::vector<std::uint8_t> bytes = HexBytes("00 02 00 00 00 00 00");
        const auto codes = HexBytes(digits);
        bytes.push_back(static_cast<std::uint8_t>(codes.size()));
        bytes.insert(bytes.end(), codes.begin(), codes.end());
        bytes.resize(32, 0);
        return HexText(EncodeTriples(bytes));
    };
    EXPECT_EQ(raw(10, 1), record("08 09 0A 03 01 01 01 02 02 03 03"));
    EXPECT_EQ(raw(10, 11), record("02 03 04 05 06 07 08"));
    EXPECT_EQ(raw(10, 13), record("0A 01 02 03"));
    EXPECT_EQ(raw(10, 15), Repeat("FF", 96)) << "an unused auto-dial slot stays erased";
    EXPECT_EQ(raw(11, 1), Repeat("FF", 96));

    const DeviceStores fresh = Make(7, "");
    EXPECT_EQ(HexText(Raw(fresh, 10, 1, 172, 96)), record(""))
        << "a set without a redirection number still has its entry";
    EXPECT_THROW(Make(6, "redirection 123"), std::invalid_argument);
    std::string twelve;
    for (int i = 0; i < 12; ++i) {
        twelve += "autodial 12345\n";
    }
    EXPECT_THROW(Make(7, twelve), std::invalid_argument);
}

std::string Memory(const DeviceStores& stores, std::uint16_t address, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(stores.memory.Read(static_cast<std::uint16_t>(address + i)));
    }
    return HexText(bytes);
}

class MemoryLists : public ::testing::TestWithParam<int> {};

TEST_P(MemoryLists, MapRecordsStatisticsAndCallerIdAtTheirAddresses) {
    const DeviceStores stores = Make(GetParam(),
                                     "out 2026-12-08 14:05 84951234567 duration=12\n"
                                     "in 2026-12-09 09:15 0123\n"
                                     "out 2026-12-09 10:00 55555\n"
                                     "book 5 2345678 rank=3\n"
                                     "statistics month=12 local=300 long=45 "
                                     "previous-local=0x0102 previous-long=7\n"
                                     "callerid current query-time=80 query-form=0x34 "
                                     "first-delay=300 min-digits=3 resolution-time=500\n");
    // For each list: (spare: the set's write index for logs), start high, low, last index in
    // use, record size.
    EXPECT_EQ(Memory(stores, 9, 15), "02 00 40 01 0C 01 05 00 00 0B 00 0A 00 04 0A");
    EXPECT_EQ(Memory(stores, 0, 9), "01 2C 00 2D 01 02 00 07 0C");
    EXPECT_EQ(Memory(stores, 24, 13), "28 34 46 03 32 04 00 00 00 00 00 00 00");
    // Minute, hour, day; first digit and count; the other digits low nibble first; duration.
    EXPECT_EQ(Memory(stores, 0x0040, 12), "05 0E 08 8B 94 15 32 54 76 00 00 0C");
    EXPECT_EQ(Memory(stores, 0x004C, 12), "00 0A 09 55 55 55 00 00 00 00 00 00");
    EXPECT_EQ(Memory(stores, 0x0500, 11), "0F 09 09 A4 21 03 00 00 00 00 00");
    // Rank in bits 3..2, first digit and count, the other digits.
    EXPECT_EQ(Memory(stores, 0x0A00, 10), "00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Memory(stores, 0x0A28, 10), "0C 27 43 65 87 00 00 00 00 00");
    EXPECT_EQ(stores.memory.DeviceType(), GetParam());
}

TEST_P(MemoryLists, FullLogGoesRoundOverItsOldestCalls) {
    std::string calls;
    for (int i = 0; i < 101; ++i) {
        calls += "out 2026-12-0" + std::to_string(1 + i % 9) + " 10:00 " +
                 std::to_string(1000 + i) + "\n";
    }
    const DeviceStores stores = Make(GetParam(), calls);
    EXPECT_EQ(Memory(stores, 9, 5), "01 00 40 63 0C") << "write index 1, last index 99";
    EXPECT_EQ(Memory(stores, 0x0040 + 3, 3), "14 A1 0A") << "call 101 (1100) in record 0";
    EXPECT_EQ(Memory(stores, 0x0040 + 12 + 3, 3), "14 AA 01") << "call 2 (1001) in record 1";
}

TEST_P(MemoryLists, RefusesWhatTheseSetsCannotHold) {
    EXPECT_THROW(Make(GetParam(), "out 2026-12-01 10:00 1234567890123456"), std::invalid_argument);
    EXPECT_THROW(Make(GetParam(), "book 1 123 rank=4"), std::invalid_argument);
    EXPECT_THROW(Make(GetParam(), "book 201 123"), std::invalid_argument);
    EXPECT_THROW(Make(GetParam(), "map-block 1"), std::invalid_argument);
    EXPECT_THROW(Make(GetParam(), "map-block none"), std::invalid_argument);
    const DeviceStores poked = Make(GetParam(), "out 2026-12-01 10:00 123\nmemory 0x000C 0xC8");
    EXPECT_EQ(Memory(poked, 0x0009, 5), "01 00 40 C8 0C") << "a last index past the log";
    EXPECT_THROW(Make(GetParam(), "memory 0x1FFF 9"), std::invalid_argument)
        << "the type byte is the set's own";
    EXPECT_THROW(Make(GetParam(), "callerid parallel"), std::invalid_argument);
    EXPECT_NO_THROW(Make(GetParam(), "out 2026-12-01 10:00 123456789012345"));
}

INSTANTIATE_TEST_SUITE_P(Stores, MemoryLists, ::testing::Values(1, 2, 3, 4),
                         [](const auto& test) { return "Type" + std::to_string(test.param); });

TEST(Stores, RecordedCallIsDatedByTheSetsClock) {
    auto now = kMadeAt;
    const WallClock wall = [&now] { return now; };
    Engine flash(Make(6, "clock 2026-12-31 23:59:30\nin 2026-12-01 10:00 111\n"), wall);
    Engine memory(Make(2, "clock 2026-12-31 23:59:30\n"), wall);
    now += std::chrono::seconds(45);
    CallEntry call;
    call.log = CallLog::kIncoming;
    call.number = "0123";
    call.duration = 7;
    call.parallel = true;
    EXPECT_EQ(flash.RecordCall(call), "");
    EXPECT_EQ(memory.RecordCall(call), "");
    EXPECT_NE(DumpLists(flash.Stores())
                  .find("in number=0123 year=27 month=1 day=1 hour=0 minute=0 duration=7 "
                        "parallel=1 flop=0 voice=0 block=2 page=3 column=172\n"),
              std::string::npos)
        << DumpLists(flash.Stores());
    EXPECT_NE(
        DumpLists(memory.Stores()).find("in number=0123 day=1 hour=0 minute=0 address=0x0500"),
        std::string::npos)
        << DumpLists(memory.Stores());
    call.number = "1234567890123456";
    EXPECT_NE(memory.RecordCall(call).find("cannot be stored"), std::string::npos);
}

TEST(Stores, FlashBytesPutBrokenTriplesWhereAskedFor) {
    const DeviceStores stores = Make(5,
                                     "out 2026-12-01 10:00 123\n"
                                     "out 2026-12-01 10:05 456\n"
                                     "flash-bytes 14 0 3 00 01 02\n");
    EXPECT_EQ(HexText(Raw(stores, 14, 0, 0, 9)), "00 00 00 00 01 02 00 00 00");
    EXPECT_EQ(HexText(Raw(stores, 14, 0, 97, 6)), "00 00 00 04 04 04") << "its neighbour intact";
    const std::string dump = DumpLists(stores);
    EXPECT_EQ(dump.find("number=123"), std::string::npos) << "the set cannot read it either";
    EXPECT_NE(dump.find("number=456"), std::string::npos);
}

}  // namespace
}  // namespace fonerix::sim
