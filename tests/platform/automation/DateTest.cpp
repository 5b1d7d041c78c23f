#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "platform/automation/Date.h"

namespace fonerix::test {
namespace {

TEST(AutomationDateTest, KnownDates) {
    struct Case {
        int year, month, day, hour, minute, second;
        DATE date;
    };
    const Case cases[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},
        {1899, 12, 31, 0, 0, 0, 1.0},
        {1900, 1, 1, 0, 0, 0, 2.0},
        {1900, 3, 1, 0, 0, 0, 61.0},  // 1900 was no leap year here
        {2000, 1, 1, 0, 0, 0, 36526.0},
        {2000, 1, 1, 6, 0, 0, 36526.25},
        {2000, 1, 1, 18, 0, 0, 36526.75},
        {2000, 2, 29, 12, 0, 0, 36585.5},
        {1899, 12, 29, 6, 0, 0, -1.25},  // before day 0 the time of day still counts forward
        {1800, 1, 1, 0, 0, 0, -36522.0},
        {100, 1, 1, 0, 0, 0, -657434.0},
        {9999, 12, 31, 0, 0, 0, 2958465.0},
    };
    for (const Case& c : cases) {
        DateParts parts;
        parts.year = c.year, parts.month = c.month, parts.day = c.day;
        parts.hour = c.hour, parts.minute = c.minute, parts.second = c.second;
        DATE date = -99;
        ASSERT_TRUE(MakeDate(parts, date)) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_DOUBLE_EQ(date, c.date) << c.year << "-" << c.month << "-" << c.day;
        DateParts back;
        ASSERT_TRUE(SplitDate(c.date, back)) << c.date;
        EXPECT_EQ(
            (std::array{back.year, back.month, back.day, back.hour, back.minute, back.second}),
            (std::array{c.year, c.month, c.day, c.hour, c.minute, c.second}))
            << c.date;
    }
}

// Every day from 1890 to 2110 at a time that is not a round fraction goes there and back.
TEST(AutomationDateTest, EveryDayRoundTripsWithItsTime) {
    DateParts parts;
    parts.year = 1890, parts.month = 1, parts.day = 1;
    parts.hour = 13, parts.minute = 47, parts.second = 59;
    DATE date = 0;
    ASSERT_TRUE(MakeDate(parts, date));
    int previousDay = static_cast<int>(std::floor(date));
    int weekday = -1;
    for (int i = 0; i < 220 * 366; ++i) {
        const DATE day = static_cast<DATE>(previousDay + i);
        const DATE withTime = day < 0 ? day - 49679.0 / 86400 : day + 49679.0 / 86400;
        DateParts p;
        ASSERT_TRUE(SplitDate(withTime, p)) << withTime;
        ASSERT_EQ((std::array{p.hour, p.minute, p.second}), (std::array{13, 47, 59})) << day;
        if (weekday >= 0) {
            ASSERT_EQ(p.dayOfWeek, (weekday + 1) % 7) << day;
        }
        weekday = p.dayOfWeek;
        DATE back = 0;
        ASSERT_TRUE(MakeDate(p, back)) << day;
        ASSERT_NEAR(back, withTime, 1e-9) << day;
    }
}

TEST(AutomationDateTest, RefusesWhatNamesNoDate) {
    const DateParts bad[] = {
        {2023, 2, 29, 0, 0, 0, 0}, {2000, 13, 1, 0, 0, 0, 0}, {2000, 4, 31, 0, 0, 0, 0},
        {2000, 1, 1, 24, 0, 0, 0}, {2000, 1, 1, 0, 60, 0, 0}, {99, 12, 31, 0, 0, 0, 0},
    };
    for (const DateParts& p : bad) {
        DATE untouched = 7.0;
        EXPECT_FALSE(MakeDate(p, untouched)) << p.year << "-" << p.month << "-" << p.day;
        EXPECT_EQ(untouched, 7.0);
    }
    DateParts p;
    EXPECT_FALSE(SplitDate(2958466.0, p));
    EXPECT_FALSE(SplitDate(-657435.0, p));
    EXPECT_FALSE(SplitDate(std::nan(""), p));
}

}  // namespace
}  // namespace fonerix::test
