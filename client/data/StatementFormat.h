#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace fonedesk {

// One value for a conversion of a statement text: text for %s and %c, a number for %d.
using StatementArg = std::variant<std::string_view, long long>;

// Fills a statement text printf-style (%s, %c, %d, %.Nd, %%). A text pasted between single
// quotes of the statement text has its own quotes doubled, so that a name like O'Brien is stored
// as it is instead of ending the value early; texts pasted outside quotes (table names, order
// clauses, search conditions, RID lists) go in verbatim. Throws std::invalid_argument when the
// arguments do not fit the conversions, which is a programming error.
std::string FormatStatement(std::string_view format, std::initializer_list<StatementArg> args);

// Builders of the fragments the statements are made of.
std::string OrderClause(int resultColumn, bool ascending);
std::string RidList(std::span<const std::int32_t> rids);
std::string PhoneCondition(std::string_view number);
std::string DateFromCondition(int year, int month, int day);
std::string DateToCondition(int year, int month, int day);
std::string CallTimeText(unsigned day, unsigned month, unsigned year2, unsigned hour,
                         unsigned minute);

}  // namespace fonedesk
