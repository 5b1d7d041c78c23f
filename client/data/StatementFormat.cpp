#include "client/data/StatementFormat.h"

#include <cstdio>
#include <stdexcept>

#include "client/data/Statements.h"

namespace fonedesk {
namespace {

[[noreturn]] void Mismatch(std::string_view format, const char* what) {
    throw std::invalid_argument(std::string(what) + " in statement text \"" + std::string(format) +
                                "\"");
}

}  // namespace

std::string FormatStatement(std::string_view format, std::initializer_list<StatementArg> args) {
    std::string out;
    out.reserve(format.size() + 64);
    auto next = args.begin();
    bool inQuotes = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            if (c == '\'') {
                inQuotes = !inQuotes;
            }
            out += c;
            continue;
        }
        if (++i == format.size()) {
            Mismatch(format, "A lone '%' at the end");
        }
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        int width = -1;  // no precision: as many digits as the number has
        if (format[i] == '.') {
            width = 0;
            for (++i; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i) {
                width = width * 10 + (format[i] - '0');
            }
            if (i == format.size()) {
                Mismatch(format, "An unfinished conversion");
            }
        }
        if (next == args.end()) {
            Mismatch(format, "Too few values");
        }
        const StatementArg& arg = *next++;
        switch (format[i]) {
            case 's':
            case 'c': {
                const auto* text = std::get_if<std::string_view>(&arg);
                if (text == nullptr) {
                    Mismatch(format, "A number given for a text conversion");
                }
                for (const char t : *text) {
                    out += t;
                    if (t == '\'' && inQuotes) {
                        out += '\'';
                    }
                }
                break;
            }
            case 'd': {
                const auto* number = std::get_if<long long>(&arg);
                if (number == nullptr) {
                    Mismatch(format, "A text given for a number conversion");
                }
                char digits[32];
                std::snprintf(digits, sizeof digits, "%.*lld", width, *number);
                out += digits;
                break;
            }
            default:
                Mismatch(format, "An unknown conversion");
        }
    }
    if (next != args.end()) {
        Mismatch(format, "Too many values");
    }
    return out;
}

std::string OrderClause(int resultColumn, bool ascending) {
    return FormatStatement(
        statements::kOrderClause,
        {resultColumn, ascending ? statements::kAscending : statements::kDescending});
}

std::string RidList(std::span<const std::int32_t> rids) {
    std::string list;
    for (const std::int32_t rid : rids) {
        if (!list.empty()) {
            list += ',';
        }
        list += std::to_string(rid);
    }
    return list;
}

std::string PhoneCondition(std::string_view number) {
    return FormatStatement(statements::kPhoneCondition, {"PHONE", "=", number});
}

std::string DateFromCondition(int year, int month, int day) {
    return FormatStatement(statements::kDateFromCondition, {"DT_CALL", ">=", year, month, day});
}

std::string DateToCondition(int year, int month, int day) {
    return FormatStatement(statements::kDateToCondition, {"DT_CALL", "<=", year, month, day});
}

std::string CallTimeText(unsigned day, unsigned month, unsigned year2, unsigned hour,
                         unsigned minute) {
    return FormatStatement(statements::kCallTimeText, {day, month, year2, hour, minute});
}

}  // namespace fonedesk
