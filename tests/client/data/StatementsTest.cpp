// The client's statements against both backends, as the phone book and logs use them.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "client/data/DbException.h"
#include "client/data/LetterCase.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/codepage/Utf8.h"
#include "tests/client/data/TestDatabase.h"

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;

class StatementsTest : public DatabaseTest {
  protected:
    void AddPhoneBookRow(std::string_view phone, std::string_view name,
                         std::string_view comment = "") {
        Exec(FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, phone, name, comment}));
    }
    void AddCall(std::string_view table, std::string_view name, std::string_view phone,
                 std::string_view time) {
        Exec(FormatStatement(st::kInsertCallRecord, {table, name, phone, time, 5, 0, 0, 100, 0}));
    }
    std::map<std::string, std::string> NamesByPhone(std::string_view table) {
        std::map<std::string, std::string> names;
        for (const auto& row : Query("SELECT PHONE, ABONENT FROM " + std::string(table))) {
            names[row[0]] = row[1];
        }
        return names;
    }
    std::vector<std::string> Sorted(std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    }
};

TEST_P(StatementsTest, DuplicatePhoneFailsAndLeavesTheTableUnchanged) {
    AddPhoneBookRow("0123", "Иванов", "first");
    EXPECT_THROW(AddPhoneBookRow("0123", "Петров", "second"), CDBException);
    EXPECT_EQ(Query("SELECT PHONE,ABONENT,COMMENT FROM phone_book"),
              (std::vector<std::vector<std::string>>{{"0123", "Иванов", "first"}}));
}

TEST_P(StatementsTest, DeletingPhoneBookRowsGivesExactlyTheirLogRowsTheNumberBack) {
    AddPhoneBookRow("111", "Анна");
    AddPhoneBookRow("222", "Борис");
    AddPhoneBookRow("333", "Вера");
    for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
        AddCall(table, "Анна", "111", "01-02-03 10:00");
        AddCall(table, "Борис", "222", "01-02-03 11:00");
        AddCall(table, "Вера", "333", "01-02-03 12:00");
        AddCall(table, "Анна", "111", "02-02-03 10:00");
    }
    const auto rids =
        Column("SELECT RID FROM phone_book WHERE PHONE IN ('111','333') ORDER BY RID");
    ASSERT_EQ(rids.size(), 2u);
    const std::int32_t list[] = {std::stoi(rids[0]), std::stoi(rids[1])};
    for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
        Exec(FormatStatement(st::kRestoreNumbersAsNames, {table, st::kPhoneBook, RidList(list)}));
    }
    Exec(FormatStatement(st::kDeleteRows, {st::kPhoneBook, RidList(list)}));

    EXPECT_EQ(Column("SELECT ABONENT FROM phone_book"), std::vector<std::string>{"Борис"});
    for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
        EXPECT_EQ(Sorted(Column("SELECT ABONENT FROM " + std::string(table))),
                  Sorted({"111", "111", "333", "Борис"}))
            << table;
    }
}

TEST_P(StatementsTest, DateRangeIncludesTheLastMinuteOfItsLastDay) {
    AddCall(st::kIncomingCalls, "before", "1", "06-05-03 23:59");
    AddCall(st::kIncomingCalls, "first", "2", "07-05-03 00:00");
    AddCall(st::kIncomingCalls, "last", "3", "08-05-03 23:59");
    AddCall(st::kIncomingCalls, "after", "4", "09-05-03 00:00");
    const auto query = [&](const std::string& condition) {
        return Column(FormatStatement(st::kSelectFilteredCallLog,
                                      {st::kIncomingCalls, condition, OrderClause(4, true)}));
    };
    const auto abonents = [&](const std::string& condition) {
        std::vector<std::string> names;
        for (const auto& row :
             Query(FormatStatement(st::kSelectFilteredCallLog,
                                   {st::kIncomingCalls, condition, OrderClause(4, true)}))) {
            names.push_back(row[2]);
        }
        return names;
    };
    EXPECT_EQ(abonents(DateFromCondition(2003, 5, 7) + std::string(st::kConditionJoin) +
                       DateToCondition(2003, 5, 8)),
              (std::vector<std::string>{"first", "last"}));
    EXPECT_EQ(abonents(DateToCondition(2003, 5, 8)),
              (std::vector<std::string>{"before", "first", "last"}));
    EXPECT_EQ(abonents(DateFromCondition(2003, 5, 9)), (std::vector<std::string>{"after"}));
    EXPECT_EQ(query(PhoneCondition("3")).size(), 1u);
    EXPECT_TRUE(query(PhoneCondition("3' OR '1'='1")).empty());  // a quote cannot widen the search
}

TEST_P(StatementsTest, CallTimeTextReadsBackAsThatMoment) {
    AddCall(st::kOutgoingCalls, "Иван", "0123", CallTimeText(7, 5, 3, 14, 9));
    CRecordsetEx rs(m_db);
    rs.Open(FormatStatement(st::kSelectCallLog, {st::kOutgoingCalls, OrderClause(3, true)}));
    ASSERT_FALSE(rs.IsEOF());
    CODBCFieldInfo info;
    rs.GetFieldInfo(3, info);
    EXPECT_TRUE(IsTimestampType(info.m_nSQLType));
    std::string value;
    rs.GetFieldValue(3, value);
    EXPECT_EQ(value, "2003-05-07 14:09:00");
    EXPECT_EQ(value.substr(0, value.size() - 3), "2003-05-07 14:09");  // as the list shows it
    EXPECT_THROW(AddCall(st::kOutgoingCalls, "x", "1", "32-13-03 25:61"), CDBException);
}

// Every name lands under exactly one tab: its capital initial, else "*".
TEST_P(StatementsTest, EveryTabListsExactlyItsNames) {
    const std::vector<std::string> names = {"Анна",  "анатолий",  "Борис",    "Ёлкин",   "ёж",
                                            "Елена", "Йорк",      "Ъ-знак",   "Ыйтакин", "Ьмягкий",
                                            "Щукин", "Эдуард",    "юрий",     "Яков",    "Smith",
                                            "alice", "007 Agent", ",запятая", "[скобка", "%процент",
                                            "",      "O'Brien",   "Жанна",    "Іван",    "Ґанок"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        AddPhoneBookRow(std::to_string(100 + i), names[i]);
    }
    const std::string_view tabs = st::kAlphabetTabs;
    std::vector<std::string> letters;
    for (std::size_t pos = 0; pos < tabs.size();) {
        const auto step = platform::DecodeUtf8(tabs, pos);
        letters.emplace_back(tabs.substr(pos, step.length));
        pos += step.length;
    }
    ASSERT_EQ(letters.size(), 29u);

    const auto expectedUnder = [&](const std::string& letter) {
        std::vector<std::string> expected;
        for (const std::string& name : names) {
            const auto first = platform::DecodeUtf8(name, 0);
            std::string initial;
            if (first.length > 0) {
                const char32_t c = first.codePoint;
                platform::AppendUtf8(initial, (c >= 0x0430 && c <= 0x044F) ? OtherCase(c) : c);
            }
            const bool isTab =
                std::find(letters.begin() + 1, letters.end(), initial) != letters.end();
            if (letter == "*" ? !isTab : initial == letter) {
                expected.push_back(name);
            }
        }
        return Sorted(expected);
    };
    std::size_t listed = 0;
    for (const std::string& letter : letters) {
        const std::string sql =
            letter == "*" ? FormatStatement(st::kSelectPhoneBookOthers,
                                            {st::kPhoneBook, OrderClause(3, true)})
                          : FormatStatement(st::kSelectPhoneBookByLetter,
                                            {st::kPhoneBook, letter, OrderClause(3, true)});
        std::vector<std::string> got;
        for (const auto& row : Query(sql)) {
            got.push_back(row[2]);
        }
        EXPECT_EQ(Sorted(got), expectedUnder(letter)) << "tab " << letter;
        listed += got.size();
    }
    EXPECT_EQ(listed, names.size());
}

// A '^' in a Jet list is a member like any other, wherever it stands; neither target syntax may
// read it as a negation.
TEST_P(StatementsTest, CaretInALetterListIsItselfInEveryOrder) {
    const std::vector<std::string> names = {"[", "^", "a", "-", "]", "!", "b"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        AddPhoneBookRow(std::to_string(100 + i), names[i]);
    }
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"[[^]", {"[", "^"}},
        {"[^[]", {"[", "^"}},
        {"[^]", {"^"}},
        {"[^-]", {"-", "^"}},
        {"[-^]", {"-", "^"}},
        {"[^a]", {"^", "a"}},
        {"[a^]", {"^", "a"}},
        {"[^,[]", {"[", "^"}},
        {"[!^]", {"!", "-", "[", "]", "a", "b"}},
        {"[![^]", {"!", "-", "]", "a", "b"}},
    };
    for (const auto& [pattern, expected] : cases) {
        const std::vector<std::string> got = Column(
            "SELECT ABONENT FROM phone_book WHERE ABONENT LIKE '" + std::string(pattern) + "'");
        EXPECT_EQ(Sorted(got), Sorted(expected)) << pattern;
    }
}

TEST_P(StatementsTest, QuoteInANameRoundTripsThroughEveryPhoneBookStatement) {
    AddCall(st::kIncomingCalls, "555", "555", "01-01-20 10:00");
    AddPhoneBookRow("555", "O'Brien", "Pat's");
    Exec(FormatStatement(st::kUpdateLogNames, {st::kIncomingCalls, "O'Brien", "555"}));
    EXPECT_EQ(Query(FormatStatement(st::kSelectNameByPhone, {st::kPhoneBook, "555"})),
              (std::vector<std::vector<std::string>>{{"O'Brien", "Pat's"}}));
    EXPECT_EQ(NamesByPhone(st::kIncomingCalls).at("555"), "O'Brien");
    const std::string rid = Column("SELECT RID FROM phone_book").at(0);
    Exec(FormatStatement(st::kUpdatePhoneBookRow,
                         {st::kPhoneBook, "555", "D'Arcy O''Neil", "'", std::stoll(rid)}));
    EXPECT_EQ(Query(FormatStatement(st::kSelectPhoneBookForExport, {st::kPhoneBook})),
              (std::vector<std::vector<std::string>>{{rid, "555", "D'Arcy O''Neil", "'"}}));
}

TEST_P(StatementsTest, SingleRowReadsByRid) {
    AddCall(st::kIncomingCalls, "x", "0987", "01-01-20 10:00");
    const std::string rid = Column("SELECT RID FROM in_data").at(0);
    EXPECT_EQ(Column(FormatStatement(st::kSelectRowPhone, {st::kIncomingCalls, std::stoll(rid)})),
              std::vector<std::string>{"0987"});
    EXPECT_EQ(
        Column(FormatStatement(st::kSelectMessageHandle, {st::kIncomingCalls, std::stoll(rid)})),
        std::vector<std::string>{"0"});
    EXPECT_TRUE(Column(FormatStatement(st::kSelectRowPhone, {st::kIncomingCalls, 99999})).empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, StatementsTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
