// The settings pages' rules without a window: the general page's texts, the alarm's bits and
// time, the clock's parts, the caller-ID query form and the defaults "Восстановить" puts back.

#include "client/device/SettingsFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace fonedesk::test {
namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

TEST(SettingsTexts, MinutesAreHoursMinutesAndTheTotal) {
    const struct {
        int minutes;
        const char* text;
    } cases[] = {
        {0, "00ч. 00м. (0 мин.)"},           {59, "00ч. 59м. (59 мин.)"},
        {60, "01ч. 00м. (60 мин.)"},         {125, "02ч. 05м. (125 мин.)"},
        {6000, "100ч. 00м. (6000 мин.)"},  // the width is a minimum, not a cut
        {65535, "1092ч. 15м. (65535 мин.)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(S(MinutesText(c.minutes)), c.text) << c.minutes;
    }
}

TEST(SettingsTexts, VersionPortAndSpeed) {
    // The firmware version comes first, the hardware version second.
    EXPECT_EQ(S(VersionText(17, 3)), "ver. 17.3");
    EXPECT_EQ(S(VersionText(0, 7)), "ver. 0.7");
    EXPECT_EQ(S(PortText(3)), "COM 3");
    EXPECT_EQ(S(BaudRateText(57600)), "57600 bps");
    EXPECT_EQ(S(BaudRateText(115200)), "115200 bps");
}

TEST(AlarmActivity, ActivatedSetsOrClearsBitZeroOfTheValueReadNow) {
    const struct {
        int now;
        bool checked;
        int written;
    } cases[] = {
        {0x00, true, 0x01},  {0x80, true, 0x81},  {0x81, true, 0x81},
        {0x81, false, 0x80}, {0xFE, false, 0xFE}, {0xFF, false, 0xFE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AlarmActivatedValue(c.now, c.checked), c.written)
            << std::hex << c.now << " " << c.checked;
    }
}

TEST(AlarmActivity, WeekdayBoxTicksAndUnticksOnlyItsOwnBit) {
    constexpr int kMonday = 0x80;
    constexpr int kSunday = 0x02;
    const struct {
        int now;
        int mask;
        bool checked;
        int written;
    } cases[] = {
        {0x01, kMonday, true, 0x81},   // the alarm's own bit stays
        {0x81, kMonday, true, 0x81},   // already on
        {0x83, kMonday, false, 0x03},  // Sunday and the alarm stay
        {0x43, kSunday, false, 0x41},
        // The set no longer has the day (changed on the set since the page read it): unticking
        // leaves it off instead of switching it on.
        {0x01, kMonday, false, 0x01},
        {0x00, kSunday, false, 0x00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AlarmWeekdayValue(c.now, c.mask, c.checked), c.written)
            << std::hex << c.now << " " << c.mask << " " << c.checked;
    }
}

TEST(AlarmTime, TimeOfDayOnTheDayOfTheDateZero) {
    const struct {
        int hour;
        int minute;
    } cases[] = {{0, 0}, {0, 1}, {7, 30}, {12, 0}, {23, 59}};
    for (const auto& c : cases) {
        const fonerix::DATE date = DateFromAlarmTime(QTime(c.hour, c.minute));
        EXPECT_DOUBLE_EQ(date, (c.hour * 60 + c.minute) / 1440.0) << c.hour << ":" << c.minute;
        EXPECT_EQ(AlarmTimeFromDate(date), QTime(c.hour, c.minute)) << c.hour << ":" << c.minute;
    }
    // Seconds in the picker never reach the set's hour and minute registers.
    EXPECT_EQ(AlarmTimeFromDate(DateFromAlarmTime(QTime(6, 15, 59))), QTime(6, 15));
    // A value a hair below a whole minute, as floating point arithmetic gives it, is that minute.
    EXPECT_EQ(AlarmTimeFromDate((7 * 60 + 30) / 1440.0 - 1e-12), QTime(7, 30));
    // The failure answer 0 and a value the set never gives both show midnight.
    EXPECT_EQ(AlarmTimeFromDate(0.0), QTime(0, 0));
    EXPECT_EQ(AlarmTimeFromDate(1e12), QTime(0, 0));
}

TEST(DeviceClock, PickersShowTheDateAndTimeOfTheSetsClock) {
    const std::optional<fonerix::DATE> date = DateFromClock(QDate(2026, 12, 9), QTime(23, 58, 7));
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(ClockFromDate(*date), QDateTime(QDate(2026, 12, 9), QTime(23, 58, 7)));
    // 2026-12-09 is day 46365 after 1899-12-30.
    EXPECT_NEAR(*date, 46365 + (23 * 3600 + 58 * 60 + 7) / 86400.0, 1e-9);
}

TEST(DeviceClock, AFailedReadIsShownAsTheDateZero) {
    const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0));
    EXPECT_EQ(ClockFromDate(0.0), zero);
    EXPECT_EQ(ClockFromDate(std::numeric_limits<double>::quiet_NaN()), zero);
}

TEST(DeviceClock, PartsThatMakeNoDateGiveNothing) {
    EXPECT_FALSE(DateFromClock(QDate(), QTime(1, 2, 3)).has_value());
    EXPECT_FALSE(DateFromClock(QDate(2026, 1, 1), QTime()).has_value());
    EXPECT_FALSE(DateFromClock(QDate(99, 1, 1), QTime(0, 0)).has_value());
}

TEST(QueryForm, CountInTheLowNibbleFlagsInTheHighOne) {
    const struct {
        uint8_t form;
        int count;
        std::array<bool, 4> waveforms;
    } cases[] = {
        {0x04, 4, {false, false, false, false}}, {0x54, 4, {false, true, false, true}},
        {0x81, 1, {true, false, false, false}},  {0xF3, 3, {true, true, true, true}},
        {0x20, 0, {false, false, true, false}},  // a set that says no queries is shown so
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QueryCount(c.form), c.count) << int(c.form);
        for (int box = 0; box < 4; ++box) {
            EXPECT_EQ(QueryWaveform(c.form, box), c.waveforms[static_cast<std::size_t>(box)])
                << int(c.form) << " box " << box;
        }
        EXPECT_EQ(QueryForm(c.count, c.waveforms), c.form) << int(c.form);
    }
    EXPECT_FALSE(QueryWaveform(0xFF, 4));
    EXPECT_FALSE(QueryWaveform(0xFF, -1));
    // A count never spills into the flags.
    EXPECT_EQ(QueryForm(0x13, {false, false, false, false}), 0x03);
}

TEST(QueryDefaults, LineAndParallelDifferOnlyInTheirFlags) {
    const fonerix::AUTODETPARAMS current = DefaultCurrentParams();
    EXPECT_EQ(current.queryTime, 130);
    EXPECT_EQ(current.resolTime, 120);
    EXPECT_EQ(current.firstDelay, 230);
    EXPECT_EQ(current.minDigits, 2);
    EXPECT_EQ(current.queryForm, 0x54);
    const fonerix::AUTODETPARAMS parallel = DefaultParallelParams();
    EXPECT_EQ(parallel.queryTime, 130);
    EXPECT_EQ(parallel.resolTime, 120);
    EXPECT_EQ(parallel.firstDelay, 230);
    EXPECT_EQ(parallel.minDigits, 2);
    EXPECT_EQ(parallel.queryForm, 0x04);
}

}  // namespace
}  // namespace fonedesk::test
