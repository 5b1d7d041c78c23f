#pragma once

#include <cstdint>

namespace fonerix {

// Dates cross the automation interface as automation dates: days since 1899-12-30 with the
// time of day as the fraction. 0.0 is the failure answer of a clock read.
using DATE = double;

struct DateParts {
    int year = 1899;  // full year
    int month = 12;   // 1..12
    int day = 30;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 6;  // 0 Sunday .. 6 Saturday
};

// The date of valid parts; false (and `date` untouched) for parts that name no date or time.
bool MakeDate(const DateParts& parts, DATE& date);
// The parts of a date, to the nearest second; false for a value outside the years 100..9999.
bool SplitDate(DATE date, DateParts& parts);

}  // namespace fonerix
