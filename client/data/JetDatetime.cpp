#include "client/data/JetDatetime.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace fonedesk {
namespace {

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

// Unsigned decimal fields and the separators between them: "07-05-03 14:09" gives
// {7,5,3,14,9} with their digit counts and separators {'-','-',' ',':'}.
struct Fields {
    std::vector<int> values;
    std::vector<int> digits;
    std::string separators;
};

std::optional<Fields> SplitNumbers(std::string_view text) {
    Fields fields;
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    std::size_t end = text.size();
    while (end > pos && text[end - 1] == ' ') {
        --end;
    }
    while (pos < end) {
        int value = 0;
        int digits = 0;
        while (pos < end && text[pos] >= '0' && text[pos] <= '9') {
            if (++digits > 4) {
                return std::nullopt;
            }
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (digits == 0) {
            return std::nullopt;
        }
        fields.values.push_back(value);
        fields.digits.push_back(digits);
        if (pos == end) {
            break;
        }
        char separator = text[pos++];
        if (separator == ' ') {
            while (pos < end && text[pos] == ' ') {
                ++pos;
            }
        } else if (separator == 'T' && fields.values.size() == 3) {
            separator = ' ';
        }
        if (pos == end) {
            return std::nullopt;
        }
        fields.separators += separator;
    }
    return fields;
}

// Date separators must agree; the date and the time are split by blanks; the time uses ':'.
bool ShapeIs(const Fields& f, std::string_view dateSeparators) {
    const std::size_t n = f.values.size();
    if (n != 3 && n != 5 && n != 6) {
        return false;
    }
    const char s0 = f.separators[0];
    if (dateSeparators.find(s0) == std::string_view::npos || f.separators[1] != s0) {
        return false;
    }
    if (n >= 5 && (f.separators[2] != ' ' || f.separators[3] != ':')) {
        return false;
    }
    return n != 6 || f.separators[4] == ':';
}

std::nullopt_t Refuse(DateTextProblem* problem, DateTextProblem why) {
    if (problem != nullptr) {
        *problem = why;
    }
    return std::nullopt;
}

std::optional<DateTimeValue> Build(CivilDate date, const Fields& f,
                                   DateTextProblem* problem = nullptr) {
    DateTimeValue value{date, 0, 0, 0};
    if (f.values.size() >= 5) {
        value.hour = f.values[3];
        value.minute = f.values[4];
    }
    if (f.values.size() == 6) {
        value.second = f.values[5];
    }
    if (!IsValidDate(value.date)) {
        return Refuse(problem, DateTextProblem::NoSuchDay);
    }
    if (!IsValidTime(value.hour, value.minute, value.second)) {
        return Refuse(problem, DateTextProblem::NoSuchTime);
    }
    return value;
}

}  // namespace

std::string DateTimeValue::Iso() const {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, hour, minute, second);
    return text;
}

bool IsValidDate(const CivilDate& d) {
    return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= DaysInMonth(d.year, d.month);
}

long long DaysFromCivil(const CivilDate& d) {
    // Days from civil, proleptic Gregorian calendar, era-based.
    const long long y = d.month <= 2 ? d.year - 1 : d.year;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (d.month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + d.day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::optional<int> ResolveTwoDigitYear(int yy, int month, int day, const CivilDate& today) {
    if (yy < 0 || yy > 99) {
        return std::nullopt;
    }
    const CivilDate latest{today.year + 1, today.month, today.day};
    const long long todayDays = DaysFromCivil(today);
    std::optional<int> best;
    long long bestDistance = 0;
    for (int century = today.year / 100 - 1; century <= today.year / 100 + 1; ++century) {
        const CivilDate candidate{century * 100 + yy, month, day};
        if (!IsValidDate(candidate) || candidate > latest) {
            continue;
        }
        const long long distance = std::llabs(DaysFromCivil(candidate) - todayDays);
        if (!best || distance < bestDistance) {
            best = candidate.year;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<DateTimeValue> ParseJetDateLiteral(std::string_view text) {
    const auto f = SplitNumbers(text);
    if (!f || !ShapeIs(*f, "/-")) {
        return std::nullopt;
    }
    if (f->digits[0] >= 3) {
        return Build({f->values[0], f->values[1], f->values[2]}, *f);
    }
    if (f->digits[2] == 4) {
        return Build({f->values[2], f->values[0], f->values[1]}, *f);
    }
    return std::nullopt;
}

std::optional<DateTimeValue> ParseDateTimeText(std::string_view text, const CivilDate& today,
                                               DateTextProblem* problem) {
    if (problem != nullptr) {
        *problem = DateTextProblem::None;
    }
    const auto f = SplitNumbers(text);
    if (!f || !ShapeIs(*f, "-./")) {
        return Refuse(problem, DateTextProblem::Format);
    }
    if (f->digits[0] == 4) {
        return Build({f->values[0], f->values[1], f->values[2]}, *f, problem);
    }
    if (f->digits[0] > 2 || f->digits[1] > 2) {
        return Refuse(problem, DateTextProblem::Format);
    }
    const int day = f->values[0];
    const int month = f->values[1];
    int year = f->values[2];
    if (f->digits[2] <= 2) {
        // No century has the day (29-02-25, 31-11-26): the year cannot be resolved for it.
        const auto resolved = ResolveTwoDigitYear(year, month, day, today);
        if (!resolved) {
            return Refuse(problem, DateTextProblem::NoSuchDay);
        }
        year = *resolved;
    } else if (f->digits[2] != 4) {
        return Refuse(problem, DateTextProblem::Format);
    }
    return Build({year, month, day}, *f, problem);
}

}  // namespace fonedesk
