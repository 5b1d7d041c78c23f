// Scenario files, the generator, and the dump of what a set holds: what a test of the host
// compares its readings with.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sim/DeviceFamily.h"
#include "sim/Generator.h"
#include "sim/Scenario.h"
#include "sim/SetContent.h"

namespace fonerix::sim {
namespace {

constexpr const char* kExample = R"(# a set of type 7
type 7
clock 2026-12-09 23:58:00
setting NumLength 6
register 0x50 3
callerid current query-time=80 query-form=0x34 first-delay=300 min-digits=3 resolution-time=500
statistics month=12 local=120 long=30 previous-local=200 previous-long=45
book 3 84951234567 rank=2 voice=0   # trailing comment
out 2026-11-30 14:05 2345678 duration=12 parallel flop voice=40
in 2026-12-01 09:15 89161234567 duration=3
redirection 89031112233
autodial 2345678
map-block 1
map-byte 8 40
memory 0x10 1
flash-bytes 14 0 3 00 01 0F
settings-copies 3
lose-book-block 1
)";

TEST(Scenario, ParsesEveryItem) {
    const ParsedScenario parsed = ParseScenario(kExample);
    ASSERT_TRUE(parsed.scenario) << parsed.error;
    const Scenario& s = *parsed.scenario;
    EXPECT_EQ(s.type, 7);
    EXPECT_EQ(s.clock, (CivilTime{2026, 12, 9, 23, 58, 0}));
    ASSERT_EQ(s.settings.size(), 1u);
    EXPECT_EQ(s.settings[0], (std::pair<std::string, std::uint8_t>{"NumLength", 6}));
    EXPECT_EQ(s.registers[0], (std::pair<std::uint8_t, std::uint8_t>{0x50, 3}));
    EXPECT_EQ(s.current_caller_id, (CallerIdParameters{80, 0x34, 300, 3, 500}));
    EXPECT_EQ(s.statistics, (CallStatistics{12, 120, 30, 200, 45}));
    ASSERT_EQ(s.book.size(), 1u);
    EXPECT_EQ(s.book[0], (BookEntry{3, "84951234567", 2, 0}));
    ASSERT_EQ(s.calls.size(), 2u);
    EXPECT_EQ(s.calls[0],
              (CallEntry{CallLog::kOutgoing, 2026, 11, 30, 14, 5, "2345678", 12, true, true, 40}));
    EXPECT_EQ(s.calls[1], (CallEntry{CallLog::kIncoming, 2026, 12, 1, 9, 15, "89161234567", 3,
                                     false, false, 0}));
    EXPECT_EQ(s.redirection, "89031112233");
    EXPECT_EQ(s.autodial, std::vector<std::string>{"2345678"});
    EXPECT_EQ(s.map_block, 1);
    EXPECT_EQ(s.map_bytes, (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{8, 40}}));
    EXPECT_EQ(s.memory, (std::vector<std::pair<std::uint16_t, std::uint8_t>>{{0x10, 1}}));
    EXPECT_EQ(s.flash_bytes, (std::vector<Scenario::FlashBytes>{{14, 0, 3, {0x00, 0x01, 0x0F}}}));
    EXPECT_EQ(s.settings_copies, 3u);
    EXPECT_EQ(s.lost_book_block, 1u);
    EXPECT_EQ(ParseScenario(ScenarioText(s)).scenario, s) << "written and read back";
}

TEST(Scenario, RefusesBadLinesSayingWhereAndWhy) {
    const struct {
        const char* text;
        const char* error;
    } kBad[] = {
        {"type 9", "line 1: type takes a number from 0 to 8, not '9'"},
        {"\n\nbook 0 123", "line 3: a phone-book position takes a number from 1 to 255"},
        {"book 1 12a3", "line 1: '12a3' is not a phone number (0-9 F J L P _)"},
        {"book 1 123456789012345678901", "a phone number has 1 to 20 digits, not 21"},
        {"out 2026-02-30 10:00 123", "'2026-02-30' is not a date"},
        {"out 2026-12-01 24:00 123", "'24:00' is not a time HH:MM"},
        {"in 2026-12-01 10:00 123 duration=256", "duration takes a number from 0 to 255"},
        {"in 2026-12-01 10:00 123 lengthy", "unknown option 'lengthy'"},
        {"in 2026-12-01 10:00 123 parallel=1", "parallel takes no value"},
        {"callerid current query-time=81", "steps of 2 ms"},
        {"callerid current first-delay=305", "steps of 10 ms"},
        {"callerid both", "callerid takes current or parallel"},
        {"clock yesterday", "usage: clock"},
        {"map-block 2", "map-block takes a number from 0 to 1"},
        {"map-byte 25 1", "map-byte takes a number from 0 to 24"},
        {"memory 0x1FFF 1", "memory takes a number from 0 to 8190"},
        {"flash-bytes 14 0 3 1G", "a byte takes a number from 0 to 255, not '0x1G'"},
        {"flash-bytes 14 64 3 00", "page takes a number from 0 to 63"},
        {"redial 123", "unknown item 'redial'"},
    };
    for (const auto& bad : kBad) {
        SCOPED_TRACE(bad.text);
        const ParsedScenario parsed = ParseScenario(bad.text);
        EXPECT_FALSE(parsed.scenario);
        EXPECT_NE(parsed.error.find(bad.error), std::string::npos) << parsed.error;
    }
}

const CivilTime kNow{2026, 12, 9, 23, 58, 0};
const auto kMadeAt = std::chrono::system_clock::time_point{} + std::chrono::hours(496000);

std::int64_t MinutesOf(int year, int month, int day, int hour, int minute) {
    return (DaysFromCivil(year, month, day) * 24 + hour) * 60 + minute;
}

class Generated : public ::testing::TestWithParam<int> {};

TEST_P(Generated, LooksLikeARealSetsListsAndIsTheSameForTheSameSeed) {
    const int type = GetParam();
    const Scenario s = GenerateScenario(type, 42, 30, kNow);
    EXPECT_EQ(s, GenerateScenario(type, 42, 30, kNow));
    EXPECT_NE(s, GenerateScenario(type, 43, 30, kNow));
    EXPECT_EQ(s.book.size(), 30u);
    ASSERT_EQ(s.calls.size(), 60u);

    const bool memory = StorageOfType(type) == Storage::kMemory;
    const std::int64_t now = MinutesOf(kNow.year, kNow.month, kNow.day, kNow.hour, kNow.minute);
    const std::int64_t oldest_allowed = now - (memory ? 27 : 150) * 24 * 60;
    std::int64_t previous = 0;
    unsigned parallel = 0;
    unsigned lengths[12] = {};
    for (const CallEntry& call : s.calls) {
        const std::int64_t at = MinutesOf(call.year, call.month, call.day, call.hour, call.minute);
        EXPECT_LT(at, now);
        EXPECT_GE(at, oldest_allowed);
        EXPECT_GE(at, previous) << "calls are recorded oldest first";
        previous = at;
        ASSERT_GE(call.number.size(), 5u);
        ASSERT_LE(call.number.size(), 11u);
        EXPECT_EQ(call.number.find_first_not_of("0123456789"), std::string::npos);
        if (call.number.size() == 11) {
            EXPECT_EQ(call.number[0], '8');
        }
        ++lengths[call.number.size()];
        parallel += call.parallel ? 1 : 0;
    }
    EXPECT_GT(lengths[11], 0u);
    EXPECT_GT(lengths[7], 0u);
    if (!memory) {
        EXPECT_GT(parallel, 0u);
    }
    EXPECT_EQ(s.redirection.has_value(), HasListArea(type));
    EXPECT_NO_THROW(BuildSet(type, s, kMadeAt));
}

// The dump as one map of words a line.
std::vector<std::map<std::string, std::string>> DumpLines(const std::string& dump,
                                                          const std::string& kind) {
    std::vector<std::map<std::string, std::string>> lines;
    std::istringstream in(dump);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word != kind) {
            continue;
        }
        std::map<std::string, std::string> fields;
        while (words >> word) {
            const std::size_t equals = word.find('=');
            fields[word.substr(0, equals)] = word.substr(equals + 1);
        }
        lines.push_back(fields);
    }
    return lines;
}

TEST_P(Generated, DumpShowsExactlyWhatTheScenarioPutInTheSet) {
    const int type = GetParam();
    const bool memory = StorageOfType(type) == Storage::kMemory;
    const Scenario s = GenerateScenario(type, 7, 25, kNow);
    const std::string dump = DumpLists(BuildSet(type, s, kMadeAt));

    const auto book = DumpLines(dump, "book");
    ASSERT_EQ(book.size(), s.book.size());
    for (std::size_t i = 0; i < book.size(); ++i) {
        EXPECT_EQ(book[i].at("position"), std::to_string(s.book[i].position));
        EXPECT_EQ(book[i].at("number"), s.book[i].number);
        EXPECT_EQ(book[i].at("rank"), std::to_string(s.book[i].rank));
    }
    for (const CallLog log : {CallLog::kOutgoing, CallLog::kIncoming}) {
        const bool out = log == CallLog::kOutgoing;
        std::vector<CallEntry> expected;
        for (const CallEntry& call : s.calls) {
            if (call.log == log) {
                expected.push_back(call);
            }
        }
        const auto calls = DumpLines(dump, out ? "out" : "in");
        ASSERT_EQ(calls.size(), expected.size());
        for (std::size_t i = 0; i < calls.size(); ++i) {
            SCOPED_TRACE(std::string(out ? "out " : "in ") + std::to_string(i));
            const CallEntry& call = expected[i];
            EXPECT_EQ(calls[i].at("number"), call.number);
            EXPECT_EQ(calls[i].at("day"), std::to_string(call.day));
            EXPECT_EQ(calls[i].at("hour"), std::to_string(call.hour));
            EXPECT_EQ(calls[i].at("minute"), std::to_string(call.minute));
            if (memory) {
                EXPECT_EQ(calls[i].count("month"), 0u) << "these sets keep no month";
                EXPECT_EQ(calls[i].count("duration"), out ? 1u : 0u);
            } else {
                EXPECT_EQ(calls[i].at("month"), std::to_string(call.month));
                EXPECT_EQ(calls[i].at("year"), std::to_string(call.year % 100));
                EXPECT_EQ(calls[i].at("parallel"), call.parallel ? "1" : "0");
                EXPECT_EQ(calls[i].at("flop"), call.flop ? "1" : "0");
            }
            if (out || !memory) {
                EXPECT_EQ(calls[i].at("duration"), std::to_string(call.duration));
            }
        }
    }
    const auto autodial = DumpLines(dump, "autodial");
    EXPECT_EQ(autodial.size(), s.autodial.size());
    for (std::size_t i = 0; i < autodial.size(); ++i) {
        EXPECT_EQ(autodial[i].at("number"), s.autodial[i]);
    }
    EXPECT_EQ(DumpLines(dump, "redirection").size(), HasListArea(type) ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Scenario, Generated, ::testing::Range(0, 9),
                         [](const auto& test) { return "Type" + std::to_string(test.param); });

TEST(Scenario, DumpOfAFreshFlashSetShowsOnlyItsSettingsAndFreeVoiceBlocks) {
    const std::string dump = DumpLists(BuildSet(5, Scenario{}, kMadeAt));
    // Voice blocks 33..255 and 261..511, all in the free chain.
    EXPECT_EQ(dump,
              "settings block=19 page=0 column=0 callup=100 line-free=10 area-flags=0x00\n"
              "voice handles first=0 second=0 free=33 further=0\n"
              "voice free blocks=474\n");
}

TEST(Scenario, ScenarioForAnotherTypeIsRefused) {
    Scenario s;
    s.type = 6;
    EXPECT_THROW(BuildSet(5, s, kMadeAt), std::invalid_argument);
    s.type = 5;
    s.settings.emplace_back("SoundVolume", 3);
    EXPECT_NO_THROW(BuildSet(5, s, kMadeAt));
    s.type = 1;
    EXPECT_THROW(BuildSet(1, s, kMadeAt), std::invalid_argument) << "no SoundVolume on type 1";
}

TEST(Scenario, ExampleFilesFitTheirSets) {
    const struct {
        const char* file;
        std::vector<int> types;
    } kExamples[] = {
        {"zelta5.txt", {5}},
        {"zelta7.txt", {7}},
        {"varkon.txt", {1, 2, 3, 4}},
    };
    for (const auto& example : kExamples) {
        SCOPED_TRACE(example.file);
        std::ifstream file(std::string(FONERIX_SCENARIO_DIR) + "/" + example.file);
        ASSERT_TRUE(file);
        std::ostringstream text;
        text << file.rdbuf();
        const ParsedScenario parsed = ParseScenario(text.str());
        ASSERT_TRUE(parsed.scenario) << parsed.error;
        for (const int type : example.types) {
            const std::string dump = DumpLists(BuildSet(type, *parsed.scenario, kMadeAt));
            EXPECT_EQ(DumpLines(dump, "book").size(), parsed.scenario->book.size());
            EXPECT_EQ(DumpLines(dump, "out").size() + DumpLines(dump, "in").size(),
                      parsed.scenario->calls.size());
        }
    }
}

}  // namespace
}  // namespace fonerix::sim
