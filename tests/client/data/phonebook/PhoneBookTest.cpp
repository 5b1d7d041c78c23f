// Phone-book records: splitting lines, valid numbers, inserting lines and records, editing.

#include "client/data/PhoneBook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/data/BulkWriter.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "tests/client/data/TestDatabase.h"

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;
using Rows = std::vector<std::vector<std::string>>;
using R = PhoneBookLineResult;

std::string Repeat(std::string_view piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

TEST(SplitFieldsTest, CutsAtEveryDelimiterAndKeepsEmptyPieces) {
    struct Case {
        std::string text;
        char delimiter;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"", ',', {""}},
        {"123", ',', {"123"}},
        {"123,Иванов,друг", ',', {"123", "Иванов", "друг"}},
        {",,", ',', {"", "", ""}},
        {"a,,b,", ',', {"a", "", "b", ""}},
        {"a;b,c", ';', {"a", "b,c"}},
        {" a | b ", '|', {" a ", " b "}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> fields = {"left", "over"};
        EXPECT_EQ(SplitFields(c.text, c.delimiter, fields), c.fields.size()) << c.text;
        EXPECT_EQ(fields, c.fields) << c.text;
    }
}

TEST(IsValidPhoneTest, OnlyDigitsAndUnderscore) {
    const std::pair<const char*, bool> cases[] = {
        {"0123456789", true}, {"12_34", true}, {"_", true},      {"", false},
        {" 123", false},      {"123 ", false}, {"12-34", false}, {"+79001234567", false},
        {"12a", false},       {"１２", false}, {"12\t3", false}, {"P123", false},
    };
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(IsValidPhone(text), valid) << '"' << text << '"';
    }
}

class PhoneBookTest : public DatabaseTest {
  protected:
    PhoneBookLineOutcome Batched(std::string_view line, char delimiter = ',') {
        CBulkWriter writer(m_db);
        return InsertPhoneBookLine(writer, line, delimiter);
    }
    void AddCall(std::string_view table, std::string_view phone) {
        Exec(FormatStatement(st::kInsertCallRecord,
                             {table, phone, phone, "01-02-03 10:00", 5, 0, 0, 100, 0}));
    }
    Rows Book() { return Query("SELECT PHONE,ABONENT,COMMENT FROM phone_book ORDER BY PHONE"); }
    std::vector<std::string> LogNames(std::string_view table, std::string_view phone) {
        return Column("SELECT ABONENT FROM " + std::string(table) + " WHERE PHONE='" +
                      std::string(phone) + "'");
    }
};

TEST_P(PhoneBookTest, LinesStoreWhatTheyShouldAndSayWhy) {
    const std::string name30 = Repeat("Я", 30);  // 60 bytes, 30 characters
    const std::string comment75 = Repeat("ж", 75);
    struct Case {
        std::string line;
        bool accepted;
        PhoneBookLineResult result;
        std::vector<std::string> row;  // what phone_book holds for the number afterwards
    };
    const Case cases[] = {
        {"  0101 ,  Иванов Иван ,  друг  ", true, R::kInserted, {"0101", "Иванов Иван", "друг"}},
        {"0102,Петров", true, R::kInserted, {"0102", "Петров", ""}},
        {"0103,Сидоров,c,extra,more", true, R::kInserted, {"0103", "Сидоров", "c"}},
        {"0104,O'Brien,it's", true, R::kInserted, {"0104", "O'Brien", "it's"}},
        {"0105", true, R::kNoName, {}},
        {"0106,,comment", true, R::kNoName, {}},
        {"01-07,Орлов", true, R::kInvalidNumber, {}},
        {"Орлов", true, R::kInvalidNumber, {}},
        {",Орлов,x", true, R::kNoNumber, {}},
        {",,", true, R::kNoNumber, {}},
        {"", false, R::kEmpty, {}},
        {" \t \r", false, R::kEmpty, {}},
        {"0108," + name30 + "," + comment75, true, R::kInserted, {"0108", name30, comment75}},
        {Repeat("1", 20) + ",Twenty", true, R::kInserted, {Repeat("1", 20), "Twenty", ""}},
        {Repeat("2", 21) + ",TwentyOne", false, R::kTooLong, {}},
        {"0109," + name30 + "Я", false, R::kTooLong, {}},
        {"0110,Name," + comment75 + "ж", false, R::kTooLong, {}},
    };
    for (const Case& c : cases) {
        const PhoneBookLineOutcome outcome = Batched(c.line);
        EXPECT_EQ(outcome.accepted, c.accepted) << c.line;
        EXPECT_EQ(outcome.result, c.result) << c.line;
        if (!c.row.empty()) {
            EXPECT_EQ(outcome.name, c.row[1]) << c.line;
            EXPECT_EQ(Query("SELECT PHONE,ABONENT,COMMENT FROM phone_book WHERE PHONE='" +
                            c.row[0] + "'"),
                      Rows{c.row})
                << c.line;
        }
    }
    EXPECT_EQ(Count("phone_book"), 6);
}

TEST_P(PhoneBookTest, TooLongSaysWhichField) {
    EXPECT_NE(Batched("0109," + Repeat("Я", 31)).error.find("имя"), std::string::npos);
    EXPECT_NE(Batched(Repeat("2", 21) + ",x").error.find("номер"), std::string::npos);
    EXPECT_NE(Batched("1,x," + Repeat("ж", 76)).error.find("комментарий"), std::string::npos);
}

TEST_P(PhoneBookTest, OtherDelimiter) {
    EXPECT_EQ(Batched("0201;Анна, Борис;a,b", ';').result, R::kInserted);
    EXPECT_EQ(Book(), (Rows{{"0201", "Анна, Борис", "a,b"}}));
}

TEST_P(PhoneBookTest, ANumberAlreadyPresentKeepsItsRowAndTheLogsTheirNames) {
    AddCall(st::kIncomingCalls, "555");
    std::string name;
    ASSERT_TRUE(InsertPhoneBookLine(m_db, "555,Первый,1", ',', name));
    name = "untouched";
    EXPECT_FALSE(InsertPhoneBookLine(m_db, "555,Второй,2", ',', name));
    EXPECT_EQ(name, "untouched");
    EXPECT_EQ(Batched("555,Третий,3").result, R::kAlreadyPresent);
    EXPECT_EQ(Book(), (Rows{{"555", "Первый", "1"}}));
    EXPECT_EQ(LogNames(st::kIncomingCalls, "555"), std::vector<std::string>{"Первый"});
}

TEST_P(PhoneBookTest, TheNewNameReachesEveryLogRowOfThatNumberOnly) {
    for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
        AddCall(table, "777");
        AddCall(table, "777");
        AddCall(table, "7770");
    }
    std::string name;
    ASSERT_TRUE(InsertPhoneBookLine(m_db, "777,Анна,", ',', name));
    EXPECT_EQ(name, "Анна");
    for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
        EXPECT_EQ(LogNames(table, "777"), (std::vector<std::string>{"Анна", "Анна"})) << table;
        EXPECT_EQ(LogNames(table, "7770"), std::vector<std::string>{"7770"}) << table;
    }
}

TEST_P(PhoneBookTest, ALogUpdateThatFailsIsReportedAndTheInsertStays) {
    Exec("DROP TABLE out_data");
    const PhoneBookLineOutcome outcome = Batched("0301,Вера");
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.result, R::kDatabaseError);
    EXPECT_NE(outcome.error.find("out_data"), std::string::npos) << outcome.error;
    EXPECT_EQ(Book(), (Rows{{"0301", "Вера", ""}}));
    // The writer goes on: the next line of the same batch is stored as well.
    CBulkWriter writer(m_db);
    EXPECT_EQ(InsertPhoneBookLine(writer, "0302,Глеб", ',').result, R::kDatabaseError);
    writer.Commit();
    EXPECT_EQ(Count("phone_book"), 2);
}

TEST_P(PhoneBookTest, AddStoresTextsHoldingTheJoinCharacterAsTheyAre) {
    PhoneBookLineOutcome outcome;
    EXPECT_TRUE(AddPhoneBookRecord(m_db, "0401", "Ан|на", "a|b|c", &outcome));
    EXPECT_EQ(outcome.result, R::kInserted);
    EXPECT_TRUE(AddPhoneBookRecord(m_db, "04|02", "Борис", ""));  // not a valid number
    EXPECT_EQ(Book(), (Rows{{"0401", "Ан|на", "a|b|c"}}));
    EXPECT_FALSE(AddPhoneBookRecord(m_db, "0401", "Другой", "", &outcome));
    EXPECT_EQ(outcome.result, R::kAlreadyPresent);
}

TEST_P(PhoneBookTest, RecordFieldsThroughTheWriterAreTrimmedAndChecked) {
    CBulkWriter writer(m_db);
    EXPECT_EQ(InsertPhoneBookRecord(writer, " 0501 ", "Abonent1", "").result, R::kInserted);
    EXPECT_EQ(InsertPhoneBookRecord(writer, "0501", "Abonent2", "").result, R::kAlreadyPresent);
    EXPECT_EQ(InsertPhoneBookRecord(writer, "0502", "a,b", "").result, R::kInserted);
    writer.Commit();
    EXPECT_EQ(Book(), (Rows{{"0501", "Abonent1", ""}, {"0502", "a,b", ""}}));
}

TEST_P(PhoneBookTest, EditChangesTheRowOnlyAndGivesTheDatabasesTextOnRefusal) {
    AddCall(st::kIncomingCalls, "0601");
    std::string name;
    ASSERT_TRUE(InsertPhoneBookLine(m_db, "0601,Старое,c", ',', name));
    ASSERT_TRUE(InsertPhoneBookLine(m_db, "0602,Другой,d", ',', name));
    const int rid = std::stoi(Column("SELECT RID FROM phone_book WHERE PHONE='0601'").at(0));

    std::string error;
    EXPECT_TRUE(UpdatePhoneBookRecord(m_db, rid, "0601", "Новое имя", "O'Neil", error));
    EXPECT_EQ(Book(), (Rows{{"0601", "Новое имя", "O'Neil"}, {"0602", "Другой", "d"}}));
    EXPECT_EQ(LogNames(st::kIncomingCalls, "0601"), std::vector<std::string>{"Старое"});

    EXPECT_FALSE(UpdatePhoneBookRecord(m_db, rid, "0601", Repeat("Я", 31), "", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(UpdatePhoneBookRecord(m_db, rid, "0602", "x", "", error));  // a duplicate
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Book(), (Rows{{"0601", "Новое имя", "O'Neil"}, {"0602", "Другой", "d"}}));
}

TEST(DescribeLineResultTest, EveryReasonHasItsOwnWords) {
    std::vector<std::string_view> seen;
    for (const R r : {R::kInserted, R::kEmpty, R::kNoName, R::kNoNumber, R::kInvalidNumber,
                      R::kAlreadyPresent, R::kTooLong, R::kDatabaseError}) {
        const std::string_view text = DescribeLineResult(r);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(std::find(seen.begin(), seen.end(), text), seen.end()) << text;
        seen.push_back(text);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, PhoneBookTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
