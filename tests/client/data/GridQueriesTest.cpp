// What the list asks of the database: statement texts, captions, deleting rows, single-row reads
// and the column layout in the profile.

#include "client/data/GridQueries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "client/data/DbException.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/data/TestDatabase.h"

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;
namespace fp = platform::fonedesk_profile;

TEST(GridCaptions, TheProgramsCaptionStringGivesEveryColumnItsCaption) {
    const ColumnCaptions captions = ParseColumnCaptions(
        "PHONE=Телефон|COMMENT=Комментарий|DT_CALL=Дата звонка|DELAY=Длительность|"
        "ABONENT=Абонент|NAND_MESS=|");
    EXPECT_EQ(captions, (ColumnCaptions{{"PHONE", "Телефон"},
                                        {"COMMENT", "Комментарий"},
                                        {"DT_CALL", "Дата звонка"},
                                        {"DELAY", "Длительность"},
                                        {"ABONENT", "Абонент"},
                                        {"NAND_MESS", ""}}));
    EXPECT_EQ(ColumnCaption(captions, "DT_CALL"), "Дата звонка");
    EXPECT_EQ(ColumnCaption(captions, "NAND_MESS"), "");
    // PostgreSQL names unquoted columns in lower case.
    EXPECT_EQ(ColumnCaption(captions, "abonent"), "Абонент");
    EXPECT_EQ(ColumnCaption(captions, "NAND_ADR"), "NAND_ADR");
}

TEST(GridCaptions, PartsWithoutANameOrAfterTheLastBarAreIgnored) {
    const struct {
        const char* text;
        ColumnCaptions expected;
    } cases[] = {
        {"", {}},
        {"A=1", {}},                      // no '|' at all: the only part is after the last one
        {"A=1|B=2", {{"A", "1"}}},        // B=2 follows the last '|'
        {"=x|A=1|", {{"A", "1"}}},        // '=' at the start: no name
        {"NOEQUALS|A=1|", {{"A", "1"}}},  // no '='
        {"K=a=b|", {{"K", "a=b"}}},       // the first '=' splits
        {"A=1|A=2|", {{"A", "1"}}},       // the first of a name counts
        {"||A=|", {{"A", ""}}},           // empty parts, empty caption
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseColumnCaptions(c.text), c.expected) << c.text;
    }
}

TEST(GridTabs, TwentyNineLettersStarFirst) {
    std::string all;
    for (int i = 0; i < kAlphabetTabCount; ++i) {
        all += AlphabetTabLetter(i);
    }
    EXPECT_EQ(all, st::kAlphabetTabs);
    EXPECT_EQ(AlphabetTabLetter(0), "*");
    EXPECT_EQ(AlphabetTabLetter(1), "А");
    EXPECT_EQ(AlphabetTabLetter(9), "И");
    EXPECT_EQ(AlphabetTabLetter(10), "К");  // no Й between them
    EXPECT_EQ(AlphabetTabLetter(28), "Я");
    EXPECT_EQ(AlphabetTabLetter(29), "");
    EXPECT_EQ(AlphabetTabLetter(-1), "");
}

TEST(GridStatements, ListsAreOrderedByTheResultColumnAfterTheSortedOne) {
    EXPECT_EQ(PhoneBookStatement("phone_book", 0, 2, true),
              "SELECT * FROM phone_book WHERE ABONENT NOT LIKE "
              "'[А,Б,В,Г,Д,Е,Ж,З,И,К,Л,М,Н,О,П,Р,С,Т,У,Ф,Х,Ц,Ч,Ш,Щ,Э,Ю,Я]%' ORDER BY 3 ASC");
    EXPECT_EQ(PhoneBookStatement("phone_book", 5, 1, false),
              "SELECT * FROM phone_book WHERE ABONENT LIKE '[Д]%' ORDER BY 2 DESC");
    EXPECT_EQ(PhoneBookStatement("phone_book", 28, 3, true),
              "SELECT * FROM phone_book WHERE ABONENT LIKE '[Я]%' ORDER BY 4 ASC");
    EXPECT_EQ(CallLogStatement("in_data", 2, true),
              "SELECT RID,NAND_MESS,ABONENT,DT_CALL,DELAY FROM in_data ORDER BY 3 ASC");
    EXPECT_EQ(FilteredLogStatement("out_data", "PHONE = '123'", 3, false),
              "SELECT RID,NAND_MESS,ABONENT,DT_CALL,DELAY FROM out_data WHERE (PHONE = '123') "
              "ORDER BY 4 DESC");
}

TEST(GridStatements, PhoneBookDeletesGiveTheLogsTheirNumbersBackFirst) {
    const std::int32_t rids[] = {3, 7, 12};
    EXPECT_EQ(DeleteStatements("phone_book", rids),
              (std::vector<std::string>{
                  "UPDATE in_data SET ABONENT=PHONE WHERE PHONE IN (SELECT PHONE FROM phone_book "
                  "WHERE RID IN (3,7,12))",
                  "UPDATE out_data SET ABONENT=PHONE WHERE PHONE IN (SELECT PHONE FROM phone_book "
                  "WHERE RID IN (3,7,12))",
                  "DELETE FROM phone_book WHERE RID IN (3,7,12)"}));
    EXPECT_EQ(DeleteStatements("in_data", rids),
              std::vector<std::string>{"DELETE FROM in_data WHERE RID IN (3,7,12)"});
    EXPECT_TRUE(DeleteStatements("phone_book", {}).empty());
}

class GridProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_path = std::filesystem::path(TestDataSources::Instance().Folder()) / "grid-layout.ini";
        std::filesystem::remove(m_path);
    }
    void TearDown() override { std::filesystem::remove(m_path); }
    platform::ProfileFile Profile() const { return platform::ProfileFile(m_path); }
    std::string Value(std::string_view key) const {
        return Profile().GetString(fp::kColumnsLayout, key, "(absent)");
    }

    std::filesystem::path m_path;
};

TEST_F(GridProfileTest, WidthsAreReadModulo65536AndWhateverIsNotANumberIsZero) {
    const struct {
        const char* saved;
        std::vector<int> widths;
    } cases[] = {
        {"", {}},        {"100,200,50", {100, 200, 50}}, {"65636,65536", {100, 0}},
        {"-1", {65535}}, {"abc,30,", {0, 30, 0}},        {" 40 , 60", {40, 60}},
    };
    for (const auto& c : cases) {
        platform::ProfileFile profile = Profile();
        profile.WriteString(fp::kColumnsLayout, "in_data_layout", c.saved);
        EXPECT_EQ(ReadColumnWidths(profile, "in_data"), c.widths) << c.saved;
    }
}

TEST_F(GridProfileTest, OrderIsTheSignedSortColumnWithTwoAscendingByDefault) {
    platform::ProfileFile profile = Profile();
    const ColumnOrder absent = ReadColumnOrder(profile, "phone_book");
    EXPECT_EQ(absent.sortColumn, 2);
    EXPECT_TRUE(absent.ascending);
    profile.WriteInt(fp::kColumnsLayout, "phone_book_order", -3);
    const ColumnOrder descending = ReadColumnOrder(profile, "phone_book");
    EXPECT_EQ(descending.sortColumn, 3);
    EXPECT_FALSE(descending.ascending);
    profile.WriteInt(fp::kColumnsLayout, "phone_book_order", 4);
    const ColumnOrder ascending = ReadColumnOrder(profile, "phone_book");
    EXPECT_EQ(ascending.sortColumn, 4);
    EXPECT_TRUE(ascending.ascending);
}

TEST_F(GridProfileTest, OnlyANamedListWithColumnsAndRowsIsSaved) {
    platform::ProfileFile profile = Profile();
    const std::vector<int> widths = {120, 80, 35};
    EXPECT_TRUE(SaveColumnLayout(profile, "out_data", widths, 5, {3, false}));
    EXPECT_EQ(Value("out_data_layout"), "120,80,35");
    EXPECT_EQ(Value("out_data_order"), "-3");

    const std::vector<int> other = {1, 2, 3};
    EXPECT_FALSE(SaveColumnLayout(profile, "out_data", other, 0, {2, true}));  // empty list
    EXPECT_FALSE(SaveColumnLayout(profile, "out_data", {}, 5, {2, true}));     // no columns
    EXPECT_FALSE(SaveColumnLayout(profile, "", other, 5, {2, true}));          // no table yet
    EXPECT_EQ(Value("out_data_layout"), "120,80,35");
    EXPECT_EQ(Value("out_data_order"), "-3");
    EXPECT_EQ(Value("_layout"), "(absent)");
}

class GridQueriesTest : public DatabaseTest {
  protected:
    void AddPhoneBookRow(std::string_view phone, std::string_view name) {
        Exec(FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, phone, name, ""}));
    }
    void AddCall(std::string_view table, std::string_view name, std::string_view phone,
                 long long handle = 0) {
        Exec(FormatStatement(st::kInsertCallRecord,
                             {table, name, phone, "01-02-03 10:00", 5, 0, 0, 100, handle}));
    }
    std::int32_t RidOf(std::string_view table, std::string_view phone) {
        return std::stoi(Column("SELECT RID FROM " + std::string(table) + " WHERE PHONE='" +
                                std::string(phone) + "'")
                             .at(0));
    }
    std::map<std::string, std::string> NamesByPhone(std::string_view table) {
        std::map<std::string, std::string> names;
        for (const auto& row : Query("SELECT PHONE, ABONENT FROM " + std::string(table))) {
            names[row[0]] = row[1];
        }
        return names;
    }
};

TEST_P(GridQueriesTest, DeletingPhoneBookRowsRestoresExactlyTheirNumbersInBothLogs) {
    AddPhoneBookRow("111", "Анна");
    AddPhoneBookRow("222", "Борис");
    AddPhoneBookRow("333", "Вера");
    for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
        AddCall(table, "Анна", "111");
        AddCall(table, "Борис", "222");
        AddCall(table, "Вера", "333");
    }
    const std::int32_t rids[] = {RidOf(st::kPhoneBook, "111"), RidOf(st::kPhoneBook, "333")};
    EXPECT_TRUE(DeleteRows(m_db, st::kPhoneBook, rids));

    EXPECT_EQ(Column("SELECT PHONE FROM phone_book"), std::vector<std::string>{"222"});
    const std::map<std::string, std::string> expected = {
        {"111", "111"}, {"222", "Борис"}, {"333", "333"}};
    EXPECT_EQ(NamesByPhone(st::kIncomingCalls), expected);
    EXPECT_EQ(NamesByPhone(st::kOutgoingCalls), expected);
}

TEST_P(GridQueriesTest, DeletingLogRowsTouchesNothingElse) {
    AddPhoneBookRow("111", "Анна");
    AddCall(st::kIncomingCalls, "Анна", "111");
    AddCall(st::kIncomingCalls, "Борис", "222");
    AddCall(st::kOutgoingCalls, "Анна", "111");
    const std::int32_t rids[] = {RidOf(st::kIncomingCalls, "111")};
    EXPECT_TRUE(DeleteRows(m_db, st::kIncomingCalls, rids));
    EXPECT_EQ(NamesByPhone(st::kIncomingCalls),
              (std::map<std::string, std::string>{{"222", "Борис"}}));
    EXPECT_EQ(NamesByPhone(st::kOutgoingCalls),
              (std::map<std::string, std::string>{{"111", "Анна"}}));
    EXPECT_EQ(Count("phone_book"), 1);

    EXPECT_FALSE(DeleteRows(m_db, st::kIncomingCalls, {}));
    EXPECT_EQ(Count("in_data"), 1);
}

TEST_P(GridQueriesTest, ARejectedDeleteThrowsTheDriversTextAndKeepsThePhoneBook) {
    AddPhoneBookRow("111", "Анна");
    const std::int32_t rids[] = {RidOf(st::kPhoneBook, "111")};
    Exec("DROP TABLE out_data");
    try {
        DeleteRows(m_db, st::kPhoneBook, rids);
        ADD_FAILURE() << "the delete went through without out_data";
    } catch (const CDBException& e) {
        EXPECT_NE(e.Error().find("out_data"), std::string::npos) << e.Error();
    }
    EXPECT_EQ(Count("phone_book"), 1);
}

TEST_P(GridQueriesTest, SingleRowReadsGiveZeroOrEmptyWhenThereIsNothing) {
    AddCall(st::kIncomingCalls, "Анна", "111", 5);
    AddCall(st::kIncomingCalls, "Борис", "222", 70000);  // beyond 16 bits
    AddCall(st::kIncomingCalls, "Вера", "333", 0);
    const int anna = RidOf(st::kIncomingCalls, "111");
    EXPECT_EQ(GetMessageHandle(m_db, st::kIncomingCalls, anna), 5);
    EXPECT_EQ(GetMessageHandle(m_db, st::kIncomingCalls, RidOf(st::kIncomingCalls, "222")),
              70000 % 65536);
    EXPECT_EQ(GetMessageHandle(m_db, st::kIncomingCalls, RidOf(st::kIncomingCalls, "333")), 0);
    EXPECT_EQ(GetMessageHandle(m_db, st::kIncomingCalls, 99999), 0);
    EXPECT_EQ(GetMessageHandle(m_db, "no_such_table", anna), 0);

    EXPECT_EQ(GetRowPhone(m_db, st::kIncomingCalls, anna), "111");
    EXPECT_EQ(GetRowPhone(m_db, st::kIncomingCalls, 99999), "");
    EXPECT_EQ(GetRowPhone(m_db, "no_such_table", anna), "");
}

INSTANTIATE_TEST_SUITE_P(Backends, GridQueriesTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
