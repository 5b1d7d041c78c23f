#include "client/data/SqlDialect.h"

#include <gtest/gtest.h>

#include "client/data/DbException.h"
#include "client/data/SqlTokenizer.h"

namespace {

using fonedesk::RewriteJetStatement;
using fonedesk::SqlDialect;

constexpr fonedesk::CivilDate kToday{2026, 12, 9};

std::string Sqlite(std::string_view sql) {
    return RewriteJetStatement(sql, SqlDialect::SQLite, kToday);
}
std::string Postgres(std::string_view sql) {
    return RewriteJetStatement(sql, SqlDialect::PostgreSQL, kToday);
}

TEST(SqlDialect, DateLiteralsBecomeTimestamps) {
    const char* sql =
        "SELECT * FROM in_data WHERE ((DT_CALL >= #2003/5/7 00:00:00#) AND "
        "(DT_CALL <= #2003/5/7 23:59:00#))";
    EXPECT_EQ(Sqlite(sql),
              "SELECT * FROM in_data WHERE ((DT_CALL >= '2003-05-07 00:00:00') AND "
              "(DT_CALL <= '2003-05-07 23:59:00'))");
    EXPECT_EQ(Postgres(sql),
              "SELECT * FROM in_data WHERE ((DT_CALL >= TIMESTAMP '2003-05-07 00:00:00') AND "
              "(DT_CALL <= TIMESTAMP '2003-05-07 23:59:00'))");
    EXPECT_THROW(Sqlite("SELECT 1 WHERE DT_CALL > #2003/2/30 00:00:00#"), fonedesk::CDBException);
}

TEST(SqlDialect, LikeListsMatchBothCases) {
    EXPECT_EQ(Sqlite("SELECT * FROM phone_book WHERE ABONENT LIKE '[Б]%' ORDER BY 3 ASC"),
              "SELECT * FROM phone_book WHERE ABONENT GLOB '[Бб]*' ORDER BY 3 ASC");
    EXPECT_EQ(Postgres("SELECT * FROM phone_book WHERE ABONENT LIKE '[Б]%' ORDER BY 3 ASC"),
              "SELECT * FROM phone_book WHERE ABONENT ~ '^[Бб].*$' ORDER BY 3 ASC");
    EXPECT_EQ(Sqlite("x NOT LIKE '[А,Я]%'"), "x NOT GLOB '[АЯая]*'");
    EXPECT_EQ(Postgres("x NOT LIKE '[А,Я]%'"), "x  !~ '^[АЯая].*$'");
    // Literal characters that are syntax in the target pattern stand for themselves.
    EXPECT_EQ(Sqlite("x LIKE 'a*?[_'"), "x GLOB '[Aa][*][?][[]?'");
    EXPECT_EQ(Postgres("x LIKE '1.(2)%'"), "x ~ '^1\\.\\(2\\).*$'");
    EXPECT_EQ(Sqlite("x LIKE '[!0-2]%'"), "x GLOB '[^012]*'");
    EXPECT_EQ(Sqlite("x LIKE 'O''B%'"), "x GLOB '[Oo]''[Bb]*'");
    // With an ESCAPE clause (not Jet) the LIKE is left to the DBMS.
    EXPECT_EQ(Sqlite("x LIKE 'a%' ESCAPE '!'"), "x LIKE 'a%' ESCAPE '!'");
}

TEST(SqlDialect, DateTextGoesIntoDtCallAsATimestamp) {
    const char* insert =
        "INSERT INTO out_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES('07-05-03 14:09','0123','07-05-03 14:09',12,0,0,1,0)";
    EXPECT_EQ(Sqlite(insert),
              "INSERT INTO out_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
              "VALUES('07-05-03 14:09','0123','2003-05-07 14:09:00',12,0,0,1,0)");
    EXPECT_EQ(Postgres("insert into in_data (dt_call) values ('31-12-99 23:59')"),
              "insert into in_data (dt_call) values (TIMESTAMP '1999-12-31 23:59:00')");
    EXPECT_EQ(Sqlite("UPDATE in_data SET DT_CALL='07-05-03 14:09' WHERE RID=1"),
              "UPDATE in_data SET DT_CALL='2003-05-07 14:09:00' WHERE RID=1");
    EXPECT_THROW(Sqlite("INSERT INTO in_data (DT_CALL) VALUES('99-99-99 99:99')"),
                 fonedesk::CDBException);
}

TEST(SqlDialect, ACallOnADayThatDoesNotExistIsRefusedWithItsOwnMessage) {
    // The SQLSTATE and message of the refused insert of a call at when.
    const auto refusal = [](SqlDialect dialect, const std::string& when) {
        const std::string insert =
            "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
            "VALUES('a','1','" +
            when + "',1,0,0,1,0)";
        try {
            RewriteJetStatement(insert, dialect, kToday);
        } catch (const fonedesk::CDBException& e) {
            return std::make_pair(e.SqlState(), e.Error());
        }
        return std::make_pair(std::string("none"), std::string("accepted"));
    };
    for (const SqlDialect dialect : {SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
        for (const char* when : {"31-11-26 10:00", "29-02-25 10:00"}) {
            const auto [state, text] = refusal(dialect, when);
            EXPECT_EQ(state, fonedesk::kNoSuchDateState) << when;
            EXPECT_NE(text.find("day does not exist"), std::string::npos) << text;
            EXPECT_NE(text.find(when), std::string::npos) << text;
        }
        const auto [state, text] = refusal(dialect, "26-11-31 10:00:00:00");
        EXPECT_EQ(state, fonedesk::kDateFormatState);
        EXPECT_EQ(text.find("does not exist"), std::string::npos) << text;
        EXPECT_NE(text.find("expected dd-mm-yy hh:mm"), std::string::npos) << text;
    }
}

TEST(SqlDialect, QuotedTextNamesAndCommentsAreNeverRewritten) {
    const char* sql =
        "SELECT 'x LIKE ''[А]%'' #2003/5/7#', \"LIKE\", [DT_CALL] FROM t -- LIKE '[А]%' "
        "#2003/5/7#\n"
        "WHERE a = '#2003/5/7#' /* DT_CALL = '07-05-03 14:09' */";
    EXPECT_EQ(Sqlite(sql), sql);
    EXPECT_EQ(Postgres(sql), sql);
    EXPECT_EQ(RewriteJetStatement("x LIKE '[А]%'", SqlDialect::Jet, kToday), "x LIKE '[А]%'");
}

TEST(SqlTokenizer, TokensJoinToTheStatement) {
    for (const char* sql : {"", "'", "'unterminated", "#", "#2003/5/7", "[", "a<>b<=c>=d!=e",
                            "/* open", "-- end", "1.5e+3x", "\xFF\xFE 'Ж' \"q\"\"q\""}) {
        std::string joined;
        for (const auto& token : fonedesk::TokenizeSql(sql)) {
            joined += token.text;
        }
        EXPECT_EQ(joined, sql);
    }
    EXPECT_EQ(fonedesk::UnquoteSqlString("'O''Brien'"), "O'Brien");
    EXPECT_EQ(fonedesk::QuoteSqlString("O'Brien"), "'O''Brien'");
}

}  // namespace
