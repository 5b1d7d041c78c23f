#include "tools/ctl/Values.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/automation/NameCompare.h"
#include "tools/ctl/CommandSupport.h"

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

// The range the control brings a register value into before writing it (a register without
// one takes its low byte), on the first family and on the second, which lacks some registers.
struct RegisterRange {
    const char* property;
    long zeltaMin, zeltaMax;
    bool varkonHas;
    long varkonMin, varkonMax;
};
constexpr RegisterRange kRegisterRanges[] = {
    {"NumLength", 4, 7, true, 4, 7},         {"SkipBells", 0, 9, true, 0, 9},
    {"BellMelody", 1, 4, true, 1, 4},        {"BellVolume", 0, 7, true, 0, 5},
    {"SoundVolume", 0, 8, false, 0, 0},      {"UtCallup", 70, 150, true, 70, 150},
    {"UtLineFree", 1, 50, true, 1, 50},      {"ConfigRegister", 0, 255, true, 0, 255},
    {"DeviceMode", 0, 255, false, 0, 0},     {"DeviceRang", 0, 7, false, 0, 0},
    {"AlarmActivity", 0, 255, true, 0, 255}, {"SndRecordTime", 0, 255, false, 0, 0},
};

std::string Range(long min, long max) {
    return std::to_string(min) + " to " + std::to_string(max);
}

// The number properties: the most digits each holds.
struct NumberProperty {
    const char* property;
    size_t maxDigits;
    bool mayBeEmpty;
};
constexpr NumberProperty kNumberProperties[] = {{"RedirectionNumber", 20, false},
                                                {"DeviceBuffer", 19, true}};

}  // namespace

Family FamilyOfType(unsigned devType) {
    return devType >= 1 && devType <= 4 ? Family::Varkon : Family::Zelta;
}

std::optional<std::string> CheckPropertyValue(std::string_view property, std::string_view text,
                                              Family family, std::string_view caption) {
    for (const NumberProperty& p : kNumberProperties) {
        if (!SameName(property, p.property)) {
            continue;
        }
        const bool ok =
            (text.empty() && p.mayBeEmpty) || (IsPhoneNumber(text) && text.size() <= p.maxDigits);
        if (ok) {
            return std::nullopt;
        }
        return std::string(p.property) + ": a number is " + (p.mayBeEmpty ? "0" : "1") + " to " +
               std::to_string(p.maxDigits) + " of 0-9, F, J, L, P, _; not \"" + std::string(text) +
               "\"";
    }
    for (const RegisterRange& r : kRegisterRanges) {
        if (!SameName(property, r.property)) {
            continue;
        }
        const bool varkon = r.varkonHas;
        long min = r.zeltaMin;
        long max = r.zeltaMax;
        if (family == Family::Varkon && varkon) {
            min = r.varkonMin;
            max = r.varkonMax;
        } else if (family == Family::Any && varkon) {
            min = std::min(min, r.varkonMin);
            max = std::max(max, r.varkonMax);
        } else if (family == Family::Varkon) {
            return std::nullopt;  // the family lacks it: the read-back says so
        }
        if (ParseNumber(text, min, max)) {
            return std::nullopt;
        }
        std::string message = std::string(r.property) + " takes " + Range(min, max);
        if (family != Family::Any) {
            message += " on this set";
            if (!caption.empty()) {
                message += " (" + std::string(caption) + ")";
            }
        }
        message += ", not \"" + std::string(text) + "\"";
        if (family == Family::Any && varkon &&
            (r.varkonMin != r.zeltaMin || r.varkonMax != r.zeltaMax)) {
            message += " (" + Range(r.varkonMin, r.varkonMax) + " on types 1, 2 and 4)";
        }
        return message;
    }
    return std::nullopt;
}

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
