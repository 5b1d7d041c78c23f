// The set's clock: set through its registers, it runs with the wall clock from then on, carries
// into minutes, hours, days, months and years as a clock chip does, and keeps running while the
// set is saved in its image.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "sim/Engine.h"
#include "sim/ImageFormat.h"
#include "sim/RegisterMap.h"
#include "sim/SetClock.h"
#include "sim/WireCodes.h"

namespace fonerix::sim {
namespace {

using std::chrono::seconds;
using std::chrono::system_clock;

// A wall clock the test moves by hand.
struct FakeWall {
    system_clock::time_point now = system_clock::time_point{} + std::chrono::hours(500000);
    WallClock Clock() {
        return [this] { return now; };
    }
};

std::uint8_t ReadRegister(Engine& engine, std::uint8_t reg) {
    engine.Receive(wire::kReadRegister);
    engine.Receive(reg);
    const auto sent = engine.TakeTransmissions();
    return sent.back().bytes.back();
}

void WriteRegister(Engine& engine, std::uint8_t reg, std::uint8_t value) {
    engine.Receive(wire::kWriteRegister);
    engine.Receive(reg);
    engine.Receive(value);
    engine.TakeTransmissions();
}

struct Shown {
    int year, month, day, hour, minute, second;
    std::uint8_t weekday;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
    *out << s.year << "-" << s.month << "-" << s.day << " " << s.hour << ":" << s.minute << ":"
         << s.second << " weekday 0x" << std::hex << int(s.weekday);
}

Shown ReadClock(Engine& engine, const ClockRegisters& c) {
    return {ReadRegister(engine, c.year),   ReadRegister(engine, c.month),
            ReadRegister(engine, c.day),    ReadRegister(engine, c.hour),
            ReadRegister(engine, c.minute), ReadRegister(engine, c.second),
            ReadRegister(engine, c.weekday)};
}

// As the host sets it: year, month, day, weekday, hour, minute, second.
void SetClock(Engine& engine, const ClockRegisters& c, const Shown& s) {
    WriteRegister(engine, c.year, static_cast<std::uint8_t>(s.year));
    WriteRegister(engine, c.month, static_cast<std::uint8_t>(s.month));
    WriteRegister(engine, c.day, static_cast<std::uint8_t>(s.day));
    WriteRegister(engine, c.weekday, s.weekday);
    WriteRegister(engine, c.hour, static_cast<std::uint8_t>(s.hour));
    WriteRegister(engine, c.minute, static_cast<std::uint8_t>(s.minute));
    WriteRegister(engine, c.second_written, static_cast<std::uint8_t>(s.second));
}

struct TickCase {
    const char* name;
    int type;
    Shown set;
    std::int64_t elapsed_ms;
    Shown expected;
};

constexpr std::uint8_t kMon = 0x80, kWed = 0x20, kThu = 0x10, kFri = 0x08, kSat = 0x04, kSun = 0x02;

const TickCase kTicks[] = {
    {"NotASecondYet", 5, {26, 12, 9, 23, 58, 0, kWed}, 999, {26, 12, 9, 23, 58, 0, kWed}},
    {"SecondsCarryIntoMinutes",
     5,
     {26, 12, 9, 23, 58, 50, kWed},
     15'400,
     {26, 12, 9, 23, 59, 5, kWed}},
    {"MidnightStartsTheNextDayAndWeekday",
     5,
     {26, 12, 9, 23, 59, 59, kWed},
     1'000,
     {26, 12, 10, 0, 0, 0, kThu}},
    {"EndOfJanuary", 6, {26, 1, 31, 23, 59, 30, kSat}, 30'000, {26, 2, 1, 0, 0, 0, kSun}},
    {"LeapDayIn2024", 7, {24, 2, 28, 12, 0, 0, kWed}, 86'400'000, {24, 2, 29, 12, 0, 0, kThu}},
    {"NoLeapDayIn2026", 7, {26, 2, 28, 12, 0, 0, kSat}, 86'400'000, {26, 3, 1, 12, 0, 0, kSun}},
    {"YearAfter99Is0", 1, {99, 12, 31, 23, 59, 59, kFri}, 1'000, {0, 1, 1, 0, 0, 0, kSat}},
    {"SundayIsFollowedByMonday",
     2,
     {26, 12, 13, 23, 0, 0, kSun},
     3'600'000,
     {26, 12, 14, 0, 0, 0, kMon}},
    {"ThirtyDaysLater",
     4,
     {26, 11, 20, 8, 30, 0, kFri},
     30LL * 86'400'000,
     {26, 12, 20, 8, 30, 0, kSun}},
    // The host may write a day the month lacks; the set rolls over at its next midnight.
    {"ImpossibleDateRollsOverAtMidnight",
     5,
     {26, 2, 31, 23, 59, 59, kMon},
     1'000,
     {26, 3, 1, 0, 0, 0, 0x40}},
};

void PrintTo(const TickCase& tick, std::ostream* out) {
    *out << tick.name;
}

class ClockTick : public ::testing::TestWithParam<TickCase> {};

TEST_P(ClockTick, RunsFromTheTimeItWasSet) {
    const TickCase& tick = GetParam();
    FakeWall wall;
    Engine engine(static_cast<std::uint8_t>(tick.type), wall.Clock());
    const ClockRegisters& clock = RegisterMapOf(engine.Traits().family).clock;
    engine.Receive(0);  // wake it
    engine.TakeTransmissions();
    wall.now += std::chrono::milliseconds(123'456'789);  // the set was idle before
    SetClock(engine, clock, tick.set);
    EXPECT_EQ(ReadClock(engine, clock), tick.set) << "read straight after setting";
    wall.now += std::chrono::milliseconds(tick.elapsed_ms);
    EXPECT_EQ(ReadClock(engine, clock), tick.expected);
}

INSTANTIATE_TEST_SUITE_P(Clock, ClockTick, ::testing::ValuesIn(kTicks),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Clock, SecondFamilyReadsTheSecondsWhereTheHostDoesNotWriteThem) {
    FakeWall wall;
    Engine engine(1, wall.Clock());
    engine.Receive(0);
    WriteRegister(engine, 65, 42);
    EXPECT_EQ(ReadRegister(engine, 68), 42);
    wall.now += seconds(3);
    EXPECT_EQ(ReadRegister(engine, 68), 45);
}

TEST(Clock, ReadsOfOneSecondAddUpToTheWholeTime) {
    // Counting only whole seconds must not lose the fractions between reads.
    FakeWall wall;
    Engine engine(5, wall.Clock());
    const ClockRegisters& clock = RegisterMapOf(Family::kFirst).clock;
    engine.Receive(0);
    SetClock(engine, clock, {26, 12, 9, 10, 0, 0, kWed});
    for (int i = 0; i < 10; ++i) {
        wall.now += std::chrono::milliseconds(700);
        ReadRegister(engine, clock.second);
    }
    EXPECT_EQ(ReadRegister(engine, clock.second), 7);
}

TEST(Clock, KeepsRunningWhileTheSetIsInItsImage) {
    FakeWall wall;
    Engine engine(6, wall.Clock());
    const ClockRegisters& clock = RegisterMapOf(Family::kFirst).clock;
    engine.Receive(0);
    SetClock(engine, clock, {26, 12, 9, 23, 0, 0, kWed});
    const std::vector<std::uint8_t> image = EncodeImage(engine.Stores());

    wall.now += std::chrono::hours(2);
    DecodedImage decoded = DecodeImage(image);
    ASSERT_TRUE(decoded.stores) << decoded.error;
    Engine reloaded(std::move(*decoded.stores), wall.Clock());
    reloaded.Receive(0);
    EXPECT_EQ(ReadClock(reloaded, clock), (Shown{26, 12, 10, 1, 0, 0, kThu}));
}

TEST(Clock, WallClockPutBackLeavesTheSetsClockAlone) {
    FakeWall wall;
    Engine engine(5, wall.Clock());
    const ClockRegisters& clock = RegisterMapOf(Family::kFirst).clock;
    engine.Receive(0);
    SetClock(engine, clock, {26, 12, 9, 10, 0, 0, kWed});
    wall.now -= std::chrono::hours(1);
    EXPECT_EQ(ReadClock(engine, clock), (Shown{26, 12, 9, 10, 0, 0, kWed}));
    wall.now += seconds(5);
    EXPECT_EQ(ReadRegister(engine, clock.second), 5);
}

TEST(Clock, WeekdayBitsOfKnownDates) {
    EXPECT_EQ(WeekdayBit(2026, 12, 9), kWed);
    EXPECT_EQ(WeekdayBit(2000, 1, 1), kSat);
    EXPECT_EQ(WeekdayBit(2026, 12, 13), kSun);
    EXPECT_EQ(WeekdayBit(2026, 12, 14), kMon);
    const CivilTime day = CivilFromDays(DaysFromCivil(2024, 2, 29));
    EXPECT_EQ((CivilTime{day.year, day.month, day.day}), (CivilTime{2024, 2, 29}));
}

}  // namespace
}  // namespace fonerix::sim
