#include "platform/automation/Date.h"

#include <cmath>

namespace fonerix {

namespace {

// Days between 1899-12-30 and 1970-01-01.
constexpr int64_t kEpochOffset = 25569;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool MakeDate(const DateParts& p, DATE& date) {
    if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
        p.minute > 59 || p.second < 0 || p.second > 59) {
        return false;
    }
    const double days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) + kEpochOffset);
    const double time = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
    // Before 1899-12-30 the day counts down and the time of day still counts up.
    date = days < 0 ? days - time : days + time;
    return true;
}

bool SplitDate(DATE date, DateParts& parts) {
    if (!std::isfinite(date) || date < -657434.0 || date >= 2958466.0) {
        return false;
    }
    double whole = std::trunc(date);
    int64_t seconds = std::llround(std::fabs(date - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += date < 0 ? -1 : 1;
    }
    const auto days = static_cast<int64_t>(whole);
    CivilFromDays(days - kEpochOffset, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    // 1970-01-01 was a Thursday.
    const int64_t sinceEpoch = days - kEpochOffset;
    parts.dayOfWeek = static_cast<int>(((sinceEpoch % 7) + 7 + 4) % 7);
    return true;
}

}  // namespace fonerix
