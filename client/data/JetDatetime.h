#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fonedesk {

struct CivilDate {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31

    friend auto operator<=>(const CivilDate&, const CivilDate&) = default;
};

struct DateTimeValue {
    CivilDate date;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // "YYYY-MM-DD HH:MM:SS", the form both backends store and render.
    std::string Iso() const;
};

bool IsValidDate(const CivilDate& date);

// Days since 1970-01-01 (negative before).
long long DaysFromCivil(const CivilDate& date);

// The local date of the machine.
CivilDate LocalToday();

// The four-digit year of a two-digit one: the century that puts the date nearest to today,
// but never more than one year after today (a call cannot lie in the future, and a device whose
// clock runs a little ahead should not land in the past century). nullopt when the day does not
// exist in any candidate year (29 February of a non-leap year).
std::optional<int> ResolveTwoDigitYear(int yy, int month, int day, const CivilDate& today);

// The inside of a Jet date literal (without the '#' signs): "y/m/d", "y/m/d h:m" or
// "y/m/d h:m:s", year first; also Jet's "m/d/yyyy". nullopt when it is not a valid moment.
std::optional<DateTimeValue> ParseJetDateLiteral(std::string_view text);

// Why a date-time text was refused: a record read from the device may carry a day that does
// not exist (31-11-26), which its reader reports differently from a text of the wrong shape.
enum class DateTextProblem {
    None,
    Format,     // not "dd-mm-yy hh:mm" or one of the other accepted shapes
    NoSuchDay,  // the shape is right, but no calendar has that day (31-11, 29-02 of 2025, month 13)
    NoSuchTime  // the shape is right, but the time is out of range (24:00, 14:60)
};

// A text that the client inserts into a date-time column: "dd-mm-yy hh:mm" (day first; '.' or
// '/' may separate too, the year may have four digits, seconds and the time are optional), or
// ISO "yyyy-mm-dd hh:mm:ss". Two-digit years go through ResolveTwoDigitYear. On nullopt,
// problem (when given) says why.
std::optional<DateTimeValue> ParseDateTimeText(std::string_view text, const CivilDate& today,
                                               DateTextProblem* problem = nullptr);

}  // namespace fonedesk
