// The search form's conditions: what each request turns into, and what it finds in the logs.

#include "client/data/SearchCondition.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "tests/client/data/TestDatabase.h"

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;
using std::chrono::year_month_day;
using Log = SearchRequest::Log;
using By = SearchRequest::By;
using Days = std::optional<year_month_day>;

constexpr year_month_day Day(int y, unsigned m, unsigned d) {
    return year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

SearchRequest ByNumber(Log log, std::string number, Days first = {}, Days last = {}) {
    SearchRequest request;
    request.log = log;
    request.by = By::Number;
    request.number = std::move(number);
    request.firstDay = first;
    request.lastDay = last;
    return request;
}

SearchRequest ByDate(Log log, Days first, Days last, std::string number = {}) {
    SearchRequest request = ByNumber(log, std::move(number), first, last);
    request.by = By::Date;
    return request;
}

std::string Describe(const std::optional<SearchQuery>& query) {
    return query ? std::string(query->table) + " WHERE " + query->condition : "nothing";
}

TEST(BuildSearchTest, TurnsEachRequestIntoItsTableAndCondition) {
    struct Case {
        SearchRequest request;
        std::optional<SearchQuery> expected;
    };
    const Case cases[] = {
        // By number: the whole number, without the blanks around it; the log picks the table.
        {ByNumber(Log::Outgoing, "0123"), SearchQuery{"out_data", "PHONE = '0123'"}},
        {ByNumber(Log::Incoming, " \t0123  "), SearchQuery{"in_data", "PHONE = '0123'"}},
        {ByNumber(Log::Outgoing, "12 34"), SearchQuery{"out_data", "PHONE = '12 34'"}},
        // A quote is part of the number, not the end of the literal.
        {ByNumber(Log::Outgoing, " 12'3 "), SearchQuery{"out_data", "PHONE = '12''3'"}},
        {ByNumber(Log::Incoming, "' OR ''='"), SearchQuery{"in_data", "PHONE = ''' OR ''''='''"}},
        // Nothing to look for; the days of the other criterion do not count.
        {ByNumber(Log::Outgoing, ""), std::nullopt},
        {ByNumber(Log::Outgoing, " \t \r\n"), std::nullopt},
        {ByNumber(Log::Outgoing, " ", Day(2003, 5, 7), Day(2003, 5, 8)), std::nullopt},

        // By date: plain numbers without leading zeros, the whole of the last day.
        {ByDate(Log::Incoming, Day(2003, 5, 7), {}),
         SearchQuery{"in_data", "(DT_CALL >= #2003/5/7 00:00:00#)"}},
        {ByDate(Log::Outgoing, {}, Day(2003, 12, 31)),
         SearchQuery{"out_data", "(DT_CALL <= #2003/12/31 23:59:00#)"}},
        {ByDate(Log::Outgoing, Day(2003, 1, 5), Day(2010, 10, 10)),
         SearchQuery{"out_data",
                     "(DT_CALL >= #2003/1/5 00:00:00#) AND (DT_CALL <= #2010/10/10 23:59:00#)"}},
        // A range the wrong way round is asked for as it is (and finds nothing).
        {ByDate(Log::Incoming, Day(2003, 5, 8), Day(2003, 5, 7)),
         SearchQuery{"in_data",
                     "(DT_CALL >= #2003/5/8 00:00:00#) AND (DT_CALL <= #2003/5/7 23:59:00#)"}},
        // Neither day, whatever the number field holds.
        {ByDate(Log::Outgoing, {}, {}, "0123"), std::nullopt},
        // A day that is no calendar date counts as not given.
        {ByDate(Log::Outgoing, Day(2003, 2, 30), Day(2003, 3, 1)),
         SearchQuery{"out_data", "(DT_CALL <= #2003/3/1 23:59:00#)"}},
        {ByDate(Log::Outgoing, Day(2003, 13, 1), {}), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Describe(BuildSearch(c.request)), Describe(c.expected))
            << "number \"" << c.request.number << '"';
    }
}

// The conditions as the database answers them, on each backend.
class SearchOnDatabaseTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        AddCall(st::kIncomingCalls, "before", "1", CallTimeText(6, 5, 3, 23, 59));
        AddCall(st::kIncomingCalls, "first", "12'3", CallTimeText(7, 5, 3, 0, 0));
        AddCall(st::kIncomingCalls, "last", "123", CallTimeText(8, 5, 3, 23, 59));
        AddCall(st::kIncomingCalls, "after", "123", CallTimeText(9, 5, 3, 0, 0));
        AddCall(st::kOutgoingCalls, "out", "123", CallTimeText(8, 5, 3, 12, 0));
    }

    void AddCall(std::string_view table, std::string_view name, std::string_view phone,
                 const std::string& time) {
        Exec(FormatStatement(st::kInsertCallRecord, {table, name, phone, time, 5, 0, 0, 100, 0}));
    }

    // The names of the rows found, in call order.
    std::vector<std::string> Found(const SearchRequest& request) {
        const std::optional<SearchQuery> query = BuildSearch(request);
        if (!query) {
            ADD_FAILURE() << "nothing to search";
            return {};
        }
        std::vector<std::string> names;
        for (const auto& row :
             Query(FormatStatement(st::kSelectFilteredCallLog,
                                   {query->table, query->condition, OrderClause(4, true)}))) {
            names.push_back(row[2]);
        }
        return names;
    }
};

TEST_P(SearchOnDatabaseTest, FindsExactlyTheRowsAsked) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Found(ByNumber(Log::Incoming, " 123 ")), (V{"last", "after"}));
    EXPECT_EQ(Found(ByNumber(Log::Outgoing, "123")), V{"out"});
    EXPECT_EQ(Found(ByNumber(Log::Incoming, "12")), V{});
    // Found, not refused by the database.
    EXPECT_EQ(Found(ByNumber(Log::Incoming, "12'3")), V{"first"});
    EXPECT_EQ(Found(ByNumber(Log::Incoming, "1' OR '1'='1")), V{});

    EXPECT_EQ(Found(ByDate(Log::Incoming, Day(2003, 5, 7), {})), (V{"first", "last", "after"}));
    EXPECT_EQ(Found(ByDate(Log::Incoming, {}, Day(2003, 5, 8))), (V{"before", "first", "last"}));
    EXPECT_EQ(Found(ByDate(Log::Incoming, Day(2003, 5, 7), Day(2003, 5, 8))), (V{"first", "last"}));
    EXPECT_EQ(Found(ByDate(Log::Outgoing, Day(2003, 5, 7), Day(2003, 5, 8))), V{"out"});
}

INSTANTIATE_TEST_SUITE_P(Backends, SearchOnDatabaseTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
