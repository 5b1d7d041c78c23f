#include "client/data/StatementFormat.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "client/data/Statements.h"

namespace {

using namespace fonedesk;
namespace st = fonedesk::statements;

TEST(StatementFormat, FillsTheTextsAsTheClientIssuesThem) {
    EXPECT_EQ(
        FormatStatement(st::kSelectPhoneBookByLetter, {"phone_book", "Б", OrderClause(3, true)}),
        "SELECT * FROM phone_book WHERE ABONENT LIKE '[Б]%' ORDER BY 3 ASC");
    EXPECT_EQ(FormatStatement(st::kSelectCallLog, {"in_data", OrderClause(4, false)}),
              "SELECT RID,NAND_MESS,ABONENT,DT_CALL,DELAY FROM in_data ORDER BY 4 DESC");
    EXPECT_EQ(
        FormatStatement(st::kInsertCallRecord, {"out_data", "Иван", "0123",
                                                CallTimeText(7, 5, 3, 14, 9), 12, 0, 1, -5, 65535}),
        "INSERT INTO out_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES('Иван','0123','07-05-03 14:09',12,0,1,-5,65535)");
    const std::int32_t rids[] = {3, 7, 12};
    EXPECT_EQ(FormatStatement(st::kDeleteRows, {"phone_book", RidList(rids)}),
              "DELETE FROM phone_book WHERE RID IN (3,7,12)");
    EXPECT_EQ(RidList({}), "");
    EXPECT_EQ(DateFromCondition(2003, 5, 7) + std::string(st::kConditionJoin) +
                  DateToCondition(2003, 12, 31),
              "(DT_CALL >= #2003/5/7 00:00:00#) AND (DT_CALL <= #2003/12/31 23:59:00#)");
}

TEST(StatementFormat, QuotesInsidePastedValuesAreDoubledOnlyWithinQuotes) {
    EXPECT_EQ(
        FormatStatement(st::kInsertPhoneBookRow, {"phone_book", "123", "O'Brien", "it's 'x'"}),
        "INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('123','O''Brien','it''s ''x''')");
    // A condition holds quotes of its own and goes in verbatim; its value was doubled when built.
    const std::string condition = PhoneCondition("12'3");
    EXPECT_EQ(condition, "PHONE = '12''3'");
    EXPECT_EQ(FormatStatement(st::kSelectFilteredCallLog, {"in_data", condition, "3 ASC"}),
              "SELECT RID,NAND_MESS,ABONENT,DT_CALL,DELAY FROM in_data WHERE (PHONE = '12''3') "
              "ORDER BY 3 ASC");
    EXPECT_EQ(FormatStatement(st::kSelectPhoneBookByLetter, {"phone_book", "'", "2 ASC"}),
              "SELECT * FROM phone_book WHERE ABONENT LIKE '['']%' ORDER BY 2 ASC");
}

TEST(StatementFormat, ArgumentsThatDoNotFitAreRejected) {
    EXPECT_THROW(FormatStatement(st::kSelectRowPhone, {"in_data"}), std::invalid_argument);
    EXPECT_THROW(FormatStatement(st::kSelectRowPhone, {"in_data", 1, 2}), std::invalid_argument);
    EXPECT_THROW(FormatStatement(st::kSelectRowPhone, {"in_data", "1"}), std::invalid_argument);
    EXPECT_THROW(FormatStatement(st::kSelectRowPhone, {5, 1}), std::invalid_argument);
    EXPECT_THROW(FormatStatement("50%", {}), std::invalid_argument);
}

TEST(StatementFormat, CallTimeTextHasTwoDigitsPerField) {
    EXPECT_EQ(CallTimeText(7, 5, 3, 14, 9), "07-05-03 14:09");
    EXPECT_EQ(CallTimeText(31, 12, 99, 0, 0), "31-12-99 00:00");
}

}  // namespace
