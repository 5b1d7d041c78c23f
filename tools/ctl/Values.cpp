#include "tools/ctl/Values.h"

#include <charconv>
#include <cstdio>

#include "platform/automation/NameCompare.h"

namespace fonerix::ctl {

namespace {

// Reads exactly `digits` decimal digits at `pos`.
bool Digits(std::string_view text, size_t pos, size_t digits, int& value) {
    if (pos + digits > text.size()) {
        return false;
    }
    value = 0;
    for (size_t i = pos; i < pos + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string FormatDateTime(DATE date) {
    DateParts p;
    if (!SplitDate(date, p)) {
        return "(invalid date)";
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return buf;
}

std::string FormatAlarm(DATE date) {
    DateParts p;
    if (!SplitDate(date, p)) {
        return "(invalid time)";
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", p.hour, p.minute);
    return buf;
}

std::optional<DATE> ParseDateTime(std::string_view text) {
    // "YYYY-MM-DD HH:MM:SS", the T of ISO 8601 accepted in place of the blank.
    DateParts p;
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
        (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':' ||
        !Digits(text, 0, 4, p.year) || !Digits(text, 5, 2, p.month) || !Digits(text, 8, 2, p.day) ||
        !Digits(text, 11, 2, p.hour) || !Digits(text, 14, 2, p.minute) ||
        !Digits(text, 17, 2, p.second) || p.month < 1 || p.month > 12) {
        return std::nullopt;
    }
    DATE date = 0;
    if (!MakeDate(p, date)) {
        return std::nullopt;
    }
    return date;
}

std::optional<DATE> ParseAlarm(std::string_view text) {
    DateParts p;  // the epoch's date: the alarm keeps only its time
    if (text.size() != 5 || text[2] != ':' || !Digits(text, 0, 2, p.hour) ||
        !Digits(text, 3, 2, p.minute)) {
        return std::nullopt;
    }
    DATE date = 0;
    if (!MakeDate(p, date)) {
        return std::nullopt;
    }
    return date;
}

std::optional<long> ParseNumber(std::string_view text, long min, long max) {
    int base = 10;
    std::string_view digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    }
    long value = 0;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
        value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

bool IsTimeOfDay(std::string_view property) {
    return SameName(property, "AlarmTime");
}

std::string PropertyText(std::string_view property, const CVariant& value) {
    switch (value.vt()) {
        case VT_DATE:
            return IsTimeOfDay(property) ? FormatAlarm(value->date) : FormatDateTime(value->date);
        case VT_BSTR:
            return value.Utf8();
        case VT_I2:
            return std::to_string(value->iVal);
        case VT_I4:
            return std::to_string(value->lVal);
        case VT_UI1:
            return std::to_string(value->bVal);
        case VT_BOOL:
            return value->boolVal != VARIANT_FALSE ? "true" : "false";
        default:
            return "(no value)";
    }
}

std::optional<CVariant> PropertyValue(std::string_view property, VARTYPE vt, std::string_view text,
                                      std::string& error) {
    switch (vt) {
        case VT_DATE: {
            const std::optional<DATE> date =
                IsTimeOfDay(property) ? ParseAlarm(text) : ParseDateTime(text);
            if (!date) {
                error =
                    std::string(property) + " takes " +
                    (IsTimeOfDay(property) ? "a time HH:MM" : "a date \"YYYY-MM-DD HH:MM:SS\"") +
                    ", not \"" + std::string(text) + "\"";
                return std::nullopt;
            }
            return CVariant::FromDate(*date);
        }
        case VT_I2: {
            const std::optional<long> n = ParseNumber(text, -32768, 32767);
            if (!n) {
                error = std::string(property) + " takes a whole number, not \"" +
                        std::string(text) + "\"";
                return std::nullopt;
            }
            return CVariant(static_cast<int16_t>(*n));
        }
        case VT_BSTR:
            return CVariant::FromUtf8(text);
        default:
            error = std::string(property) + " has a type fonerixctl cannot write";
            return std::nullopt;
    }
}

}  // namespace fonerix::ctl
