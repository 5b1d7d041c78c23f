#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace fonedesk {

// What the search form asks for: one of the two call logs, searched either for one number or
// for a range of call days.
struct SearchRequest {
    enum class Log { Outgoing, Incoming };
    enum class By { Number, Date };

    Log log = Log::Outgoing;
    By by = By::Number;
    // By number: the text as typed; blanks around it do not count.
    std::string number;
    // By date: the first and the last day, each optional. A day that is not a calendar date
    // counts as not given.
    std::optional<std::chrono::year_month_day> firstDay;
    std::optional<std::chrono::year_month_day> lastDay;
};

// The filtered log to show: the table and the condition for its WHERE clause.
struct SearchQuery {
    std::string_view table;
    std::string condition;

    bool operator==(const SearchQuery&) const = default;
};

// Nothing when there is nothing to search for: a number that is empty or only blanks, or a date
// search with neither day. The number becomes an exact match on the whole of PHONE, with its
// quotes doubled inside the literal, so a quote is searched for like any other character
// instead of ending the value. The days run from 00:00:00 of the first to 23:59:00 of the last.
std::optional<SearchQuery> BuildSearch(const SearchRequest& request);

}  // namespace fonedesk
