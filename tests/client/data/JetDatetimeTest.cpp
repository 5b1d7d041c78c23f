#include "client/data/JetDatetime.h"

#include <gtest/gtest.h>

namespace {

using fonedesk::CivilDate;

TEST(TwoDigitYear, GoesToTheNearestCenturyButNeverMoreThanAYearAhead) {
    struct Case {
        int yy, month, day;
        CivilDate today;
        int expected;
    };
    const Case cases[] = {
        {3, 5, 7, {2026, 12, 9}, 2003},
        {26, 12, 9, {2026, 12, 9}, 2026},
        {27, 12, 9, {2026, 12, 9}, 2027},   // exactly one year ahead still counts
        {27, 12, 10, {2026, 12, 9}, 1927},  // a day more would be too far ahead
        {76, 6, 1, {2026, 12, 9}, 2076 - 100},
        {77, 6, 1, {2026, 12, 9}, 1977},
        {99, 12, 31, {2000, 1, 1}, 1999},
        {0, 1, 1, {1999, 12, 31}, 2000},
        {50, 1, 1, {2099, 6, 1}, 2050},
        {1, 1, 1, {2099, 6, 1}, 2001 + 100 - 100},  // 2101 is more than a year ahead
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fonedesk::ResolveTwoDigitYear(c.yy, c.month, c.day, c.today), c.expected)
            << c.yy << "-" << c.month << "-" << c.day << " seen on " << c.today.year;
    }
    EXPECT_EQ(fonedesk::ResolveTwoDigitYear(1, 2, 29, {2026, 1, 1}), std::nullopt);
    EXPECT_EQ(fonedesk::ResolveTwoDigitYear(4, 2, 29, {2026, 1, 1}), 2004);
}

TEST(DateTimeText, ReadsTheImportFormatDayFirst) {
    const CivilDate today{2026, 12, 9};
    const auto value = fonedesk::ParseDateTimeText("07-05-03 14:09", today);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Iso(), "2003-05-07 14:09:00");
    EXPECT_EQ(fonedesk::ParseDateTimeText("31.12.1999 23:59:58", today)->Iso(),
              "1999-12-31 23:59:58");
    EXPECT_EQ(fonedesk::ParseDateTimeText("2003-05-07 14:09:00", today)->Iso(),
              "2003-05-07 14:09:00");
    EXPECT_EQ(fonedesk::ParseDateTimeText("07-05-03", today)->Iso(), "2003-05-07 00:00:00");
    for (const char* bad : {"", "32-01-03 10:00", "07-13-03 10:00", "07-05-03 24:00",
                            "07-05-03 14:60", "29-02-03 10:00", "07-05/03 14:09", "07-05-03 14",
                            "x7-05-03 14:09", "07-05-03 14:09:00:00", "007-05-03 14:09"}) {
        EXPECT_FALSE(fonedesk::ParseDateTimeText(bad, today)) << bad;
    }
}

TEST(DateTimeText, ADayThatDoesNotExistIsToldApartFromAWrongShape) {
    using fonedesk::DateTextProblem;
    const CivilDate today{2026, 12, 9};
    struct Case {
        const char* text;
        DateTextProblem expected;
    };
    const Case cases[] = {
        {"31-11-26 10:00", DateTextProblem::NoSuchDay},
        {"29-02-25 10:00", DateTextProblem::NoSuchDay},  // 1925, 2025 and 2125 are not leap
        {"30-02-2024", DateTextProblem::NoSuchDay},
        {"2025-02-29 10:00:00", DateTextProblem::NoSuchDay},
        {"07-13-03 10:00", DateTextProblem::NoSuchDay},
        {"00-05-03 10:00", DateTextProblem::NoSuchDay},
        {"07-05-03 24:00", DateTextProblem::NoSuchTime},
        {"07-05-03 14:60", DateTextProblem::NoSuchTime},
        {"", DateTextProblem::Format},
        {"07-05/03 14:09", DateTextProblem::Format},
        {"07-05-03 14", DateTextProblem::Format},
        {"x7-05-03 14:09", DateTextProblem::Format},
        {"007-05-03 14:09", DateTextProblem::Format},
        {"07-05-003 14:09", DateTextProblem::Format},
    };
    for (const Case& c : cases) {
        DateTextProblem problem = DateTextProblem::None;
        EXPECT_FALSE(fonedesk::ParseDateTimeText(c.text, today, &problem)) << c.text;
        EXPECT_EQ(problem, c.expected) << c.text;
    }
    DateTextProblem problem = DateTextProblem::Format;
    EXPECT_TRUE(fonedesk::ParseDateTimeText("29-02-24 10:00", today, &problem));
    EXPECT_EQ(problem, DateTextProblem::None);
}

TEST(JetDateLiteral, YearFirstOrUsOrderWithFourDigitYear) {
    EXPECT_EQ(fonedesk::ParseJetDateLiteral("2003/5/7 23:59:00")->Iso(), "2003-05-07 23:59:00");
    EXPECT_EQ(fonedesk::ParseJetDateLiteral("2003/5/7")->Iso(), "2003-05-07 00:00:00");
    EXPECT_EQ(fonedesk::ParseJetDateLiteral("5/7/2003")->Iso(), "2003-05-07 00:00:00");
    for (const char* bad :
         {"2003/2/30 00:00:00", "2003/5/7 25:00:00", "3/5/7", "2003/5", "abc", ""}) {
        EXPECT_FALSE(fonedesk::ParseJetDateLiteral(bad)) << bad;
    }
}

}  // namespace
