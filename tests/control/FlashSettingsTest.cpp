// Settings copies of the flash models and what is kept in them (statistics, caller-ID
// parameters, the UtCallup / UtLineFree copies), and the type-7 redirection number and auto-dial
// list, against a NAND set laid out in memory.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "tests/control/FakeSet.h"
#include "tests/support/MemoryPort.h"
#include "tests/support/VoiceFiles.h"

namespace fonerix::test {
namespace {

struct Generation {
    int type;
    uint16_t firstBlock;  // settings blocks searched
    uint16_t lastBlock;
    uint8_t step;  // settings copies on pages 0, step, 2 * step, ...
    uint8_t lastIndex;
    bool rewakes;  // wakes the set before writing a copy
    std::function<std::unique_ptr<CZeltaDevice>(std::unique_ptr<SerialLink>)> make;
};

std::ostream& operator<<(std::ostream& out, const Generation& g) {
    return out << "type" << g.type;
}

const Generation kGenerations[] = {
    {5, 19, 24, 1, 15, false,
     [](auto port) { return std::make_unique<CZeltaDevice>(std::move(port)); }},
    {6, 13, 24, 2, 15, true,
     [](auto port) { return std::make_unique<CZelta6Device>(std::move(port)); }},
    {7, 15, 16, 2, 31, true,
     [](auto port) { return std::make_unique<CZelta7Device>(std::move(port)); }},
};

std::vector<uint8_t> Record(uint8_t marker) {
    std::vector<uint8_t> s(33, 0);
    s[1] = 0x40;
    s[32] = marker;
    return s;
}

class SettingsTest : public ::testing::TestWithParam<Generation> {
  protected:
    SettingsTest() {
        auto port = std::make_unique<MemoryPort>(
            [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); });
        line = port.get();
        device = GetParam().make(std::move(port));
    }

    uint8_t Page(int index) const { return static_cast<uint8_t>(index * GetParam().step); }
    std::vector<uint8_t> Read() {
        std::vector<uint8_t> out(33, 0xEE);
        EXPECT_TRUE(device->ReadSettingsBlock(out.data()));
        return out;
    }

    FakeSet set;
    MemoryPort* line = nullptr;
    std::unique_ptr<CZeltaDevice> device;
};

TEST_P(SettingsTest, WithOnlyPageZeroTaggedReadsItAndAppendsOnTheNextCopyPage) {
    const uint16_t block = GetParam().firstBlock;
    set.PutTriples(block, 0, 0, Record(1));
    EXPECT_EQ(Read()[32], 1);

    auto next = Record(2);
    next[5] = 0x77;
    ASSERT_TRUE(device->WriteSettingsBlock(next.data()));
    EXPECT_EQ(set.GetTriples(block, Page(1), 0, 33), next);
    EXPECT_EQ(set.overwrites, 0);
    EXPECT_EQ(Read(), next);
}

TEST_P(SettingsTest, BlockIsSearchedThroughItsRangeAndTheNewestCopyIsTheLastTagged) {
    const uint16_t block = GetParam().lastBlock;
    for (int i = 0; i < 3; ++i) {
        set.PutTriples(block, Page(i), 0, Record(static_cast<uint8_t>(10 + i)));
    }
    EXPECT_EQ(Read()[32], 12);
}

TEST_P(SettingsTest, NoBlockInRangeFailsWithTheRecordZeroedAndWritesNothing) {
    set.PutTriples(GetParam().lastBlock + 1, 0, 0, Record(1));
    std::vector<uint8_t> out(33, 0xEE);
    EXPECT_FALSE(device->ReadSettingsBlock(out.data()));
    EXPECT_EQ(out, std::vector<uint8_t>(33, 0));
    EXPECT_FALSE(device->WriteSettingsBlock(Record(2).data()));
    EXPECT_EQ(set.Count('w'), 0);
}

TEST_P(SettingsTest, FullBlockIsErasedAndStartsAgainAtPageZero) {
    const uint16_t block = GetParam().firstBlock;
    for (int i = 0; i <= GetParam().lastIndex; ++i) {
        set.PutTriples(block, Page(i), 0, Record(static_cast<uint8_t>(i)));
    }
    EXPECT_EQ(Read()[32], GetParam().lastIndex);
    ASSERT_TRUE(device->WriteSettingsBlock(Record(99).data()));
    EXPECT_EQ(set.Count('e'), 1);
    EXPECT_EQ(set.overwrites, 0);
    EXPECT_EQ(Read()[32], 99);
    // And the next copy goes on after it.
    ASSERT_TRUE(device->WriteSettingsBlock(Record(100).data()));
    EXPECT_EQ(set.GetTriples(block, Page(1), 0, 33)[32], 100);
    EXPECT_EQ(Read()[32], 100);
}

TEST_P(SettingsTest, CopyIsAlwaysWrittenWithItsTagAndRewakesWhereTheGenerationNeedsIt) {
    const uint16_t block = GetParam().firstBlock;
    set.PutTriples(block, 0, 0, Record(1));
    std::vector<uint8_t> untagged(33, 0x11);
    line->TakeTrace();
    ASSERT_TRUE(device->WriteSettingsBlock(untagged.data()));
    // The short handshake in the trace tells a re-wake.
    const std::string trace = line->TakeTrace();
    const auto& log = set.flashLog;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().kind, 'w');
    auto expected = untagged;
    expected[0] = 0;
    expected[1] = 0x40;
    EXPECT_EQ(Read(), expected);
    EXPECT_EQ(trace.find("T:h >00 >00") != std::string::npos, GetParam().rewakes);
}

TEST_P(SettingsTest, UtCallupIsMirroredInANewCopyOnlyWhenTheRegisterTookIt) {
    const uint16_t block = GetParam().firstBlock;
    set.PutTriples(block, 0, 0, Record(1));
    device->SetSetting(Setting::kUtCallup, 200);  // no write permission yet: refused
    EXPECT_EQ(set.Count('w'), 0);
    EXPECT_EQ(set.registers[32], 0);

    ASSERT_TRUE(device->WakeupDevice(true));
    device->SetSetting(Setting::kUtCallup, 200);
    EXPECT_EQ(set.registers[32], 150);
    EXPECT_EQ(Read()[2], 150);
    device->SetSetting(Setting::kUtLineFree, 0);
    EXPECT_EQ(set.registers[33], 1);
    const auto record = Read();
    EXPECT_EQ(record[2], 150);
    EXPECT_EQ(record[3], 1);
    EXPECT_EQ(record[32], 1);  // the rest of the record is carried over
}

TEST_P(SettingsTest, StatisticsComeFromTheNewestCopyInTheirOwnOrder) {
    auto s = Record(0);
    const std::vector<uint8_t> stats{7, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    std::copy(stats.begin(), stats.end(), s.begin() + 21);
    set.PutTriples(GetParam().firstBlock, 0, 0, Record(0));
    set.PutTriples(GetParam().firstBlock, Page(1), 0, s);
    CALLSTATISTIC stat{};
    ASSERT_TRUE(device->GetCallsStatistic(stat));
    EXPECT_EQ(stat.billMonth, 7);
    EXPECT_EQ(stat.curLocal, 0x0102);
    EXPECT_EQ(stat.curLong, 0x0304);
    EXPECT_EQ(stat.prevLocal, 0x0506);
    EXPECT_EQ(stat.prevLong, 0x0708);
    // At offset 4 the previous month's local minutes, at 6 the current long-distance ones.
    uint16_t at4 = 0, at6 = 0;
    std::memcpy(&at4, reinterpret_cast<const uint8_t*>(&stat) + 4, 2);
    std::memcpy(&at6, reinterpret_cast<const uint8_t*>(&stat) + 6, 2);
    EXPECT_EQ(at4, 0x0506);
    EXPECT_EQ(at6, 0x0304);
}

TEST_P(SettingsTest, CallerIdParametersAreConvertedBothWays) {
    auto s = Record(0);
    const std::vector<uint8_t> current{50, 0x93, 95, 4, 1};
    const std::vector<uint8_t> parallel{5, 0x21, 1, 5, 99};
    std::copy(current.begin(), current.end(), s.begin() + 4);
    std::copy(parallel.begin(), parallel.end(), s.begin() + 9);
    set.PutTriples(GetParam().firstBlock, 0, 0, s);

    AUTODETPARAMS a, b;
    std::memset(&a, 0xAB, sizeof a);
    std::memset(&b, 0xAB, sizeof b);
    ASSERT_TRUE(device->GetAutodetParams(&a, nullptr));
    EXPECT_EQ(a.queryTime, 100);
    EXPECT_EQ(a.queryForm, 0x93);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&a)[3], 0);  // padding zeroed
    EXPECT_EQ(a.firstDelay, 50);
    EXPECT_EQ(a.minDigits, 4);
    EXPECT_EQ(a.resolTime, 990);
    ASSERT_TRUE(device->GetAutodetParams(&a, &b));
    EXPECT_EQ(b.queryTime, 10);
    EXPECT_EQ(b.firstDelay, 990);
    EXPECT_EQ(b.resolTime, 10);

    // Out of range values are clamped; minDigits above 5 becomes 5.
    const AUTODETPARAMS in{
        .queryTime = 400, .queryForm = 0x52, .resolTime = 3, .firstDelay = 1200, .minDigits = 9};
    ASSERT_TRUE(device->SetAutodetParams(&in, nullptr));
    const auto record = Read();
    EXPECT_EQ(std::vector<uint8_t>(record.begin() + 4, record.begin() + 9),
              (std::vector<uint8_t>{125, 0x52, 1, 5, 99}));
    EXPECT_EQ(std::vector<uint8_t>(record.begin() + 9, record.begin() + 14), parallel);
}

// The free voice chain in the settings record (bytes 14-15): only the blocks that link on to a
// next block count, so the chain's tail is not free time; a block that holds the end of a
// recorded message (types 5 and 6) ends the walk.
TEST_P(SettingsTest, FreeSoundSpaceCountsTheBlocksThatLinkOn) {
    const bool type7 = GetParam().type == 7;
    const uint16_t first = type7 ? 30 : 40;
    // A free block as the set keeps it: header and link, flags left erased unless given.
    const auto putBlock = [&](uint16_t block, std::optional<uint16_t> next,
                              std::optional<uint8_t> flags) {
        const uint8_t high = next ? static_cast<uint8_t>(*next >> 8) : 0x80;
        const uint8_t low = next ? static_cast<uint8_t>(*next) : 0;
        if (type7) {
            set.PutTriples(block, 0, 0, {0, 0});
            set.PutTriples(block, 128, 0, {high, low});
        } else {
            set.PutTriples(block, 0, 0, {0, 0x20, high, low});
            if (flags) {
                set.PutTriples(block, 0, 12, {*flags});
            }
        }
    };
    const struct {
        const char* name;
        int blocks;          // a chain first, first + 1, ..., then the end
        int messageEndAt;    // index of a block whose flags mark a message's end, or -1
        int32_t seconds[2];  // types 5 and 6, type 7
    } cases[] = {
        {"one block is only the tail", 1, -1, {0, 0}},
        {"two blocks", 2, -1, {1, 2}},
        {"four blocks", 4, -1, {4, 8}},
        {"recorded flags without the end mark", 3, 1, {3, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set = FakeSet{};
        auto record = Record(1);
        record[14] = 0;
        record[15] = static_cast<uint8_t>(first);
        set.PutTriples(GetParam().firstBlock, 0, 0, record);
        for (int i = 0; i < c.blocks; ++i) {
            const auto block = static_cast<uint16_t>(first + i);
            putBlock(block, i + 1 < c.blocks ? std::optional<uint16_t>(block + 1) : std::nullopt,
                     i == c.messageEndAt ? std::optional<uint8_t>(0x00) : std::nullopt);
        }
        EXPECT_EQ(device->GetFreeSoundSpace(), c.seconds[type7 ? 1 : 0]);
    }
    if (!type7) {
        // 40 -> 41 -> 42 -> end, where 41 holds the end of a recorded message: only 40 counts.
        set = FakeSet{};
        auto record = Record(1);
        record[15] = static_cast<uint8_t>(first);
        set.PutTriples(GetParam().firstBlock, 0, 0, record);
        putBlock(40, 41, std::nullopt);
        putBlock(41, 42, 0x80);
        putBlock(42, std::nullopt, std::nullopt);
        EXPECT_EQ(device->GetFreeSoundSpace(), 1);
    }
}

// A new message's handle: a free-chain head whose low byte is below the family's least
// (0x21; type 7: 16) starts at 0x22 (type 7: 16) of the same 256 blocks, where the message is
// then written, so that the handle given back names it.
TEST_P(SettingsTest, NewMessageHandleFollowsTheFamilysHandleRule) {
    const bool type7 = GetParam().type == 7;
    const uint32_t rate = type7 ? 6400 : 11025;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("fonerix-handle-" + std::to_string(::getpid()) + ".wav"))
                                 .string();
    fonerix::test::WriteBytes(path,
                              fonerix::test::WavBytes(fonerix::test::Sine(100, rate), {rate}));
    const struct {
        uint16_t freeHead, handle;  // types 5 and 6
        uint16_t freeHead7, handle7;
    } cases[] = {
        {0x0105, 0x0122, 0x0105, 0x0110},
        {0x0020, 0x0022, 0x000F, 0x0010},
        {0x0021, 0x0021, 0x0010, 0x0010},  // at the least: unchanged
        {0x0140, 0x0140, 0x0140, 0x0140},
    };
    for (const auto& c : cases) {
        const uint16_t freeHead = type7 ? c.freeHead7 : c.freeHead;
        const uint16_t expected = type7 ? c.handle7 : c.handle;
        SCOPED_TRACE(freeHead);
        set = FakeSet{};
        auto record = Record(1);
        record[14] = static_cast<uint8_t>(freeHead >> 8);
        record[15] = static_cast<uint8_t>(freeHead);
        set.PutTriples(GetParam().firstBlock, 0, 0, record);
        // The block the message goes to, free and linking on to the next.
        const auto next = static_cast<uint16_t>(expected == 16 ? 30 : expected + 1);
        if (type7) {
            set.PutTriples(expected, 0, 0, {0, 0});
            set.PutTriples(expected, 128, 0,
                           {static_cast<uint8_t>(next >> 8), static_cast<uint8_t>(next)});
        } else {
            set.PutTriples(expected, 0, 0,
                           {0, 0x20, static_cast<uint8_t>(next >> 8), static_cast<uint8_t>(next)});
        }
        int16_t handle = -1;
        ASSERT_TRUE(device->SetSoundMessage(handle, std::u16string(path.begin(), path.end())));
        EXPECT_EQ(handle, static_cast<int16_t>(expected));
        const auto settings = Read();
        EXPECT_EQ(settings[14] << 8 | settings[15], next);
        EXPECT_GT(set.Count('w'), 0);
        for (const auto& a : set.flashLog) {
            if (a.kind != 'r' && a.block != GetParam().firstBlock) {
                EXPECT_EQ(a.block, expected) << a.kind;
            }
        }
    }
    std::filesystem::remove(path);
}

// A count of 0 fills no entry and changes none, but both calls still read the settings block
// and SetSoundHandles still writes a copy and answers its result. A table is needed only when
// the count asks for entries.
TEST_P(SettingsTest, SoundHandlesWithACountOfZero) {
    auto record = Record(1);
    record[16] = 0x01;
    record[17] = 0x2C;  // 300
    set.PutTriples(GetParam().firstBlock, 0, 0, record);
    int16_t table[4] = {-7, -7, -7, -7};
    EXPECT_EQ(device->GetSoundHandles(table, 0), 0);
    EXPECT_EQ(device->GetSoundHandles(nullptr, 0), 0);
    EXPECT_EQ(table[0], -7);
    EXPECT_EQ(device->GetSoundHandles(nullptr, 1), -1);
    EXPECT_EQ(device->GetSoundHandles(table, -1), -1);

    const int writes = set.Count('w');
    EXPECT_TRUE(device->SetSoundHandles(table, 0));
    EXPECT_GT(set.Count('w'), writes);
    EXPECT_TRUE(device->SetSoundHandles(nullptr, 0));
    EXPECT_FALSE(device->SetSoundHandles(nullptr, 2));
    EXPECT_EQ(device->GetSoundHandles(table, 1), 1);
    EXPECT_EQ(table[0], 300);

    // Without a settings block both fail.
    set = FakeSet{};
    EXPECT_EQ(device->GetSoundHandles(table, 0), -1);
    EXPECT_FALSE(device->SetSoundHandles(table, 0));
}

INSTANTIATE_TEST_SUITE_P(FlashGenerations, SettingsTest, ::testing::ValuesIn(kGenerations),
                         [](const auto& param) {
                             return "Type" + std::to_string(param.param.type);
                         });

// The type-7 list area: the redirection number on page 1, the auto-dial list on pages 11..31.
class Zelta7ListTest : public ::testing::Test {
  protected:
    static constexpr uint16_t kListBlock = 50;

    Zelta7ListTest() {
        CZelta7Device::ResetReaders();
        auto port = std::make_unique<MemoryPort>(
            [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); });
        device = std::make_unique<CZelta7Device>(std::move(port));
        std::vector<uint8_t> map(25, 0);
        map[3] = 0;
        map[4] = kListBlock;
        map[5] = kListBlock + 1;
        set.PutTriples(0, 0, 0, {0, 0x80});
        set.PutTriples(0, 0, 6, map);
        set.PutTriples(15, 0, 0, Record(0));
    }

    void PutEntry(uint16_t block, uint8_t page, const std::vector<uint8_t>& digits,
                  uint8_t rest = 0) {
        std::vector<uint8_t> e(32, rest);
        e[0] = 0;
        e[1] = 2;
        e[7] = static_cast<uint8_t>(digits.size());
        std::copy(digits.begin(), digits.end(), e.begin() + 8);
        set.PutTriples(block, page, 172, e);
    }

    FakeSet set;
    std::unique_ptr<CZelta7Device> device;
};

TEST_F(Zelta7ListTest, ListIsJoinedWithTheDelimiterBetweenNumbersOnly) {
    PutEntry(kListBlock, 11, {1, 2});
    PutEntry(kListBlock, 15, {3});
    PutEntry(kListBlock, 31, {10, 11});
    PutEntry(kListBlock + 1, 11, {9});  // a later block is not read once one gave numbers
    PutEntry(kListBlock, 1, {5, 5});
    EXPECT_EQ(device->GetAutoDialList(u';'), u"12;3;0F");
    EXPECT_EQ(device->GetRedirectionNumber(), u"55");
}

TEST_F(Zelta7ListTest, EmptyAreaGivesEmptyTexts) {
    EXPECT_EQ(device->GetAutoDialList(u','), u"");
    EXPECT_EQ(device->GetRedirectionNumber(), u"");
}

TEST_F(Zelta7ListTest, NewListReplacesTheOldOneInTheFirstBlockAndKeepsThePagesAround) {
    PutEntry(kListBlock + 1, 1, {7, 7}, 0x33);  // the list may sit in the second block
    PutEntry(kListBlock + 1, 11, {1});
    PutEntry(kListBlock + 1, 13, {2});
    PutEntry(kListBlock + 1, 15, {3});
    ASSERT_TRUE(device->SetAutoDialList(u"0123456789FJLP_0123456789", u',') == false);
    ASSERT_TRUE(device->SetAutoDialList(u"4444,55", u','));
    EXPECT_EQ(set.overwrites, 0);
    EXPECT_EQ(device->GetAutoDialList(u','), u"4444,55");
    EXPECT_EQ(device->GetRedirectionNumber(), u"77");
    // Bytes 2..6 of an entry and the bytes after its number stay as they were.
    const auto page1 = set.GetTriples(kListBlock, 1, 172, 32);
    EXPECT_EQ(page1[2], 0x33);
    EXPECT_EQ(page1[30], 0x33);
    // Both blocks were erased; the second holds nothing now.
    EXPECT_EQ(set.Count('e'), 2);
    EXPECT_EQ(set.GetTriples(kListBlock + 1, 11, 172, 2), (std::vector<uint8_t>{0xFF, 0xFF}));

    device->SetRedirectionNumber(u"0");
    EXPECT_EQ(device->GetRedirectionNumber(), u"0");
    EXPECT_EQ(device->GetAutoDialList(u','), u"4444,55");
}

TEST_F(Zelta7ListTest, TooManyOrTooLongEntriesAreRefusedBeforeAnythingIsErased) {
    PutEntry(kListBlock, 11, {1});
    const std::u16string twelve = u"1,2,3,4,5,6,7,8,9,10,11,12";
    EXPECT_FALSE(device->SetAutoDialList(twelve, u','));
    EXPECT_FALSE(device->SetAutoDialList(u"1," + std::u16string(25, u'5'), u','));
    device->SetRedirectionNumber(std::u16string(25, u'5'));
    EXPECT_EQ(set.Count('e'), 0);
    EXPECT_EQ(set.Count('w'), 0);

    // Eleven entries of 24 digits fit: each stays within its 96-byte page image.
    std::u16string eleven;
    for (int i = 0; i < 11; ++i) {
        eleven += (i ? u"," : u"") + std::u16string(24, static_cast<char16_t>(u'1' + i % 9));
    }
    ASSERT_TRUE(device->SetAutoDialList(eleven, u','));
    EXPECT_EQ(device->GetAutoDialList(u','), eleven);
}

TEST_F(Zelta7ListTest, UnlaidAreaIsLeftAlone) {
    EXPECT_FALSE(device->SetAutoDialList(u"1", u','));
    EXPECT_EQ(set.Count('e'), 0);
    EXPECT_EQ(set.Count('w'), 0);
}

}  // namespace
}  // namespace fonerix::test
