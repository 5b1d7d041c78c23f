#pragma once

#include <gtest/gtest.h>

#include "platform/automation/Date.h"

namespace fonerix::test {

// An automation date from its parts; a test fails if the parts make no date.
inline DATE At(int year, int month, int day, int hour, int minute, int second) {
    DateParts p;
    p.year = year;
    p.month = month;
    p.day = day;
    p.hour = hour;
    p.minute = minute;
    p.second = second;
    DATE d = 0;
    EXPECT_TRUE(MakeDate(p, d));
    return d;
}

}  // namespace fonerix::test
