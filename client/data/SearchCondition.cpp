#include "client/data/SearchCondition.h"

#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"

namespace fonedesk {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsGiven(const std::optional<std::chrono::year_month_day>& day) {
    return day.has_value() && day->ok();
}

// One of the two day conditions, filled with year, month and day as plain numbers.
template <typename Builder>
std::string DayCondition(Builder build, const std::chrono::year_month_day& day) {
    return build(static_cast<int>(day.year()), static_cast<int>(unsigned{day.month()}),
                 static_cast<int>(unsigned{day.day()}));
}

}  // namespace

std::optional<SearchQuery> BuildSearch(const SearchRequest& request) {
    SearchQuery query;
    query.table = request.log == SearchRequest::Log::Outgoing ? statements::kOutgoingCalls
                                                              : statements::kIncomingCalls;
    if (request.by == SearchRequest::By::Number) {
        const std::string_view number = TrimBlanks(request.number);
        if (number.empty()) {
            return std::nullopt;
        }
        query.condition = PhoneCondition(number);
        return query;
    }

    if (IsGiven(request.firstDay)) {
        query.condition = DayCondition(DateFromCondition, *request.firstDay);
    }
    if (IsGiven(request.lastDay)) {
        const std::string last = DayCondition(DateToCondition, *request.lastDay);
        query.condition = query.condition.empty()
                              ? last
                              : query.condition + std::string(statements::kConditionJoin) + last;
    }
    if (query.condition.empty()) {
        return std::nullopt;
    }
    return query;
}

}  // namespace fonedesk
