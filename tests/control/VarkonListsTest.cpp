// The memory lists of CVarkonDevice, its statistics and caller-ID parameters, read from a set
// laid out byte by byte in memory.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/device/VarkonDevice.h"
#include "tests/control/FakeSet.h"
#include "tests/support/MemoryPort.h"

namespace fonerix::test {
namespace {

std::string Utf8(BSTR text) {
    std::string out = Utf8FromBstr(text);
    SysFreeString(text);
    return out;
}

class VarkonListsTest : public ::testing::Test {
  protected:
    VarkonListsTest() {
        CVarkonDevice::ResetReaders();
        auto port = std::make_unique<MemoryPort>(
            [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); });
        device = std::make_unique<CVarkonDevice>(std::move(port));
        device->SetRecordedDate(24, 1, 10);
        // The map at 9: outgoing 0x0100, 20 records of 16 bytes; incoming 0x0300, 3 of 12;
        // phone book 0x0400, 3 of 10.
        Put(9, {0, 0x01, 0x00, 19, 16, 0, 0x03, 0x00, 2, 12, 0, 0x04, 0x00, 2, 10});
    }
    ~VarkonListsTest() override { CVarkonDevice::ResetReaders(); }

    void Put(uint16_t address, const std::vector<uint8_t>& bytes) {
        std::copy(bytes.begin(), bytes.end(), set.memory.begin() + address);
    }

    FakeSet set;
    std::unique_ptr<CVarkonDevice> device;
};

TEST_F(VarkonListsTest, OutgoingLogIsReadInChunksAndSkipsEmptyRecords) {
    // Index 0: 06:05 on the 3rd, "0123" (first code 10 in the high nibble, count 4), 77 s.
    Put(0x0100, {5, 6, 3, 0xA4, 0x21, 0x03, 0, 0, 0, 0, 0, 77});
    // Index 16, in the second chunk of 15 records: the 20th is later than today, the 10th:
    // last month, which in January is December of last year.
    Put(0x0100 + 16 * 16, {59, 23, 20, 0xF1, 0, 0, 0, 0, 0, 0, 0, 1});

    PHBOOKRECORD r{};
    r.isParall = r.isFlop = 9;
    r.nandMessg = 9;
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(r.inUse, 1);
    EXPECT_EQ(Utf8(r.Phone), "0123");
    EXPECT_EQ(r.Min, 5);
    EXPECT_EQ(r.Hour, 6);
    EXPECT_EQ(r.Date, 3);
    EXPECT_EQ(r.Month, 1);
    EXPECT_EQ(r.Year, 24);
    EXPECT_EQ(r.Delay, 77);
    EXPECT_EQ(r.isParall, 0);
    EXPECT_EQ(r.isFlop, 0);
    EXPECT_EQ(r.nandMessg, 0);
    EXPECT_EQ(r.nandAdress, 0x0100u);

    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(Utf8(r.Phone), "_");
    EXPECT_EQ(r.Month, 12);
    EXPECT_EQ(r.Year, 23);
    EXPECT_EQ(r.nandAdress, 0x0100u + 16 * 16);

    EXPECT_FALSE(device->GetOutcomeBook(r));
    EXPECT_EQ(r.inUse, 0);
    // Map, then 240 bytes at 0x0100 and 240 at 0x01F0, that one split at the memory page.
    const std::vector<std::pair<uint16_t, uint8_t>> reads{
        {9, 15}, {0x0100, 240}, {0x01F0, 16}, {0x0200, 224}};
    EXPECT_EQ(set.memoryReads, reads);

    // Rewound: the first entry again, from a fresh first chunk.
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(Utf8(r.Phone), "0123");
}

TEST_F(VarkonListsTest, IncomingLogLeavesTheDurationAsTheCallerHadIt) {
    Put(0x0300 + 12, {1, 2, 10, 0x12, 0x02, 0, 0, 0, 0, 0, 0, 99});
    device->SetRecordedDate(0, 1, 1);
    PHBOOKRECORD r{};
    r.Delay = 0x5A;
    ASSERT_TRUE(device->GetIncomeBook(r));
    EXPECT_EQ(Utf8(r.Phone), "12");
    EXPECT_EQ(r.Delay, 0x5A);
    EXPECT_EQ(r.Month, 12);
    EXPECT_EQ(r.Year, 99);
    EXPECT_EQ(r.nandAdress, 0x0300u + 12);
    EXPECT_FALSE(device->GetIncomeBook(r));
}

// A day later than the recorded one is from an earlier month: the latest that has the day, so
// that no date the calendar lacks reaches the client.
TEST_F(VarkonListsTest, InferredDatesAlwaysExist) {
    const struct {
        uint8_t today[3];  // year, month, day
        uint8_t day;
        uint8_t month, year;
    } cases[] = {
        {{26, 12, 10}, 31, 10, 26},                              // not 31 November
        {{26, 12, 10}, 30, 11, 26}, {{26, 12, 10}, 10, 12, 26},  // today
        {{26, 3, 10}, 29, 1, 26},                                // February 2026 has 28 days
        {{24, 3, 10}, 29, 2, 24},                                // a leap year's February has 29
        {{26, 3, 10}, 31, 1, 26},   {{26, 1, 10}, 31, 12, 25},
        {{0, 1, 10}, 31, 12, 99},   {{26, 5, 30}, 31, 3, 26},  // April has 30 days
        {{26, 7, 31}, 31, 7, 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.day) << " on " << int(c.today[2]) << "."
                                        << int(c.today[1]) << "." << int(c.today[0]));
        uint8_t month = 0;
        uint8_t year = 0;
        device->SetRecordedDate(c.today[0], c.today[1], c.today[2]);
        ASSERT_TRUE(device->InferMonth(c.day, month, year));
        EXPECT_EQ(month, c.month);
        EXPECT_EQ(year, c.year);
    }
}

// Through the list: on 10 December an entry of the 31st is from 31 October; an entry whose day
// no month has (0, 32) is skipped as a corrupt one.
TEST_F(VarkonListsTest, LogEntryOfADayTheMonthLacksGoesBackToAMonthThatHasIt) {
    device->SetRecordedDate(26, 12, 10);
    Put(0x0300, {1, 2, 31, 0x12, 0x02, 0, 0, 0, 0, 0, 0, 0});
    Put(0x0300 + 12, {1, 2, 0, 0x13, 0x02, 0, 0, 0, 0, 0, 0, 0});
    Put(0x0300 + 24, {1, 2, 32, 0x14, 0x02, 0, 0, 0, 0, 0, 0, 0});
    PHBOOKRECORD r{};
    ASSERT_TRUE(device->GetIncomeBook(r));
    EXPECT_EQ(Utf8(r.Phone), "12");
    EXPECT_EQ(r.Date, 31);
    EXPECT_EQ(r.Month, 10);
    EXPECT_EQ(r.Year, 26);
    EXPECT_FALSE(device->GetIncomeBook(r));
}

TEST_F(VarkonListsTest, PhoneBookPositionsAreZeroBasedWithTheRankBits) {
    Put(0x0400, {0x0C, 0x13, 0x32});
    Put(0x0400 + 20, {0x04, 0xB1});
    std::vector<std::tuple<std::string, int, int>> found;
    PHBOOKRECORD r{};
    while (device->GetPhoneBook(r)) {
        EXPECT_EQ(r.Delay, 0);
        found.emplace_back(Utf8(r.Phone), r.posInBook, r.Rang);
    }
    const std::vector<std::tuple<std::string, int, int>> expected{{"123", 0, 3}, {"F", 2, 1}};
    EXPECT_EQ(found, expected);
}

TEST_F(VarkonListsTest, RecordSizeThatNamesNoRecordsEndsTheList) {
    for (const uint8_t size : {0, 251}) {
        set.memory[14] = size;
        device = std::make_unique<CVarkonDevice>(std::make_unique<MemoryPort>(
            [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); }));
        PHBOOKRECORD r{};
        EXPECT_FALSE(device->GetPhoneBook(r)) << int(size);
    }
}

TEST_F(VarkonListsTest, ListRunningPastTheEndOfMemoryEnds) {
    Put(9, {0, 0xFF, 0x00, 255, 250, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    set.memory[0xFF00 + 2] = 5;  // a day that exists
    set.memory[0xFF00 + 3] = 0x11;
    PHBOOKRECORD r{};
    ASSERT_TRUE(device->GetOutcomeBook(r));
    EXPECT_EQ(Utf8(r.Phone), "1");
    EXPECT_FALSE(device->GetOutcomeBook(r));
    for (const auto& [address, count] : set.memoryReads) {
        EXPECT_LE(address + count, 0x10000) << address;
    }
}

TEST_F(VarkonListsTest, StatisticsAreBigEndianWithTheBillingMonthLast) {
    Put(0, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    CALLSTATISTIC s{};
    ASSERT_TRUE(device->GetCallsStatistic(s));
    EXPECT_EQ(s.curLocal, 0x0102);
    EXPECT_EQ(s.curLong, 0x0304);
    EXPECT_EQ(s.prevLocal, 0x0506);
    EXPECT_EQ(s.prevLong, 0x0708);
    EXPECT_EQ(s.billMonth, 9);
}

TEST_F(VarkonListsTest, CallerIdParametersUseTheCurrentRecordOnly) {
    Put(24, {50, 0x93, 95, 4, 1, 0x0A});
    AUTODETPARAMS current{}, parallel{};
    parallel.queryTime = 1234;
    ASSERT_TRUE(device->GetAutodetParams(&current, &parallel));
    EXPECT_EQ(current.queryTime, 100);
    EXPECT_EQ(current.queryForm, 0x94);
    EXPECT_EQ(current.firstDelay, 50);
    EXPECT_EQ(current.minDigits, 4);
    EXPECT_EQ(current.resolTime, 990);
    EXPECT_EQ(parallel.queryTime, 1234);

    ASSERT_TRUE(device->WakeupDevice(true));
    set.registers[1] = 0;
    const AUTODETPARAMS in{
        .queryTime = 400, .queryForm = 0x52, .resolTime = 3, .firstDelay = 1200, .minDigits = 9};
    ASSERT_TRUE(device->SetAutodetParams(&in, nullptr));
    EXPECT_EQ(set.registers[1], 0xFF);
    EXPECT_EQ(std::vector<uint8_t>(set.memory.begin() + 24, set.memory.begin() + 30),
              (std::vector<uint8_t>{125, 0x5A, 1, 5, 99, 0x0A}));
}

TEST_F(VarkonListsTest, SilentSetFailsTheReadsInsteadOfReportingGarbage) {
    set.silent = true;
    AUTODETPARAMS current{};
    CALLSTATISTIC s{};
    PHBOOKRECORD r{};
    EXPECT_FALSE(device->GetAutodetParams(&current, nullptr));
    EXPECT_FALSE(device->GetCallsStatistic(s));
    EXPECT_FALSE(device->GetOutcomeBook(r));
}

}  // namespace
}  // namespace fonerix::test
