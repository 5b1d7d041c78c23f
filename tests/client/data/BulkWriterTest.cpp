#include "client/data/BulkWriter.h"

#include <gtest/gtest.h>

#include <chrono>

#include "client/data/DataSource.h"
#include "client/data/DbException.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "tests/client/data/TestDatabase.h"

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;

using BulkWriterTest = DatabaseTest;

// An import's statements: inserts with duplicates among them, each followed by the log update.
std::vector<std::string> ImportStatements() {
    std::vector<std::string> statements;
    for (int i = 0; i < 40; ++i) {
        const std::string phone = std::to_string(1000 + i % 30);  // 10 duplicates
        const std::string name = "Имя " + std::to_string(i);
        statements.push_back(
            FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, phone, name, ""}));
        statements.push_back(
            FormatStatement(st::kUpdateLogNames, {st::kIncomingCalls, name, phone}));
    }
    statements.push_back("INSERT INTO no_such_table VALUES (1)");
    statements.push_back(
        FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, "9999", "last", ""}));
    return statements;
}

TEST_P(BulkWriterTest, GivesEveryStatementTheSameOutcomeAsAutomaticCommit) {
    for (int i = 0; i < 30; ++i) {
        Exec(FormatStatement(
            st::kInsertCallRecord,
            {st::kIncomingCalls, "n", std::to_string(1000 + i), "01-01-20 10:00", 0, 0, 0, 0, 0}));
    }
    const auto statements = ImportStatements();

    std::vector<bool> autocommitOk;
    for (const std::string& sql : statements) {
        try {
            Exec(sql);
            autocommitOk.push_back(true);
        } catch (const CDBException&) {
            autocommitOk.push_back(false);
        }
    }
    const auto autocommitBook = Query("SELECT PHONE, ABONENT FROM phone_book ORDER BY PHONE");
    const auto autocommitLog = Query("SELECT PHONE, ABONENT FROM in_data ORDER BY PHONE");
    Exec("DELETE FROM phone_book");
    Exec("UPDATE in_data SET ABONENT='n'");

    std::vector<bool> batchedOk;
    {
        CBulkWriter writer(m_db, 7);  // several commits, one of them mid-way through a group
        for (const std::string& sql : statements) {
            batchedOk.push_back(writer.TryExecute(sql));
        }
        writer.Commit();
    }
    EXPECT_EQ(batchedOk, autocommitOk);
    EXPECT_EQ(std::count(batchedOk.begin(), batchedOk.end(), false), 11);
    EXPECT_EQ(Query("SELECT PHONE, ABONENT FROM phone_book ORDER BY PHONE"), autocommitBook);
    EXPECT_EQ(Query("SELECT PHONE, ABONENT FROM in_data ORDER BY PHONE"), autocommitLog);
    EXPECT_TRUE(m_db.AutoCommit());
}

// Inserts of every kind of value, in a batch and alone, store the same rows (on SQLite each
// value with the type it gets from the column) and fail alike: texts with quotes, Cyrillic,
// nothing at all or a marker character inside, numbers into text columns and texts into number
// columns, a null, a negative, a decimal and an out-of-range number, and a change of table in
// between, which must not leave rows in the other table's statement.
TEST_P(BulkWriterTest, InsertsStoreTheSameRowsAsTheirTextsRunAlone) {
    const auto insert = [&](std::string_view table, std::string_view values) {
        return FormatStatement("INSERT INTO %s (ABONENT,PHONE,DT_CALL,DELAY) VALUES(%s)",
                               {table, values});
    };
    const std::vector<std::string> statements = {
        FormatStatement(st::kInsertCallRecord, {st::kIncomingCalls, "O''Brien «Ёж»", "007",
                                                "01-02-20 10:00", 5, 0, 1, 2, 3}),
        insert(st::kIncomingCalls, "'', '12', '03-04-21 11:30', '17'"),
        insert(st::kIncomingCalls, "'a?b:c', 42, '05-06-22 12:00', 0"),
        insert(st::kOutgoingCalls, "'out', '1', '07-08-23 13:00', 1"),
        insert(st::kIncomingCalls, "NULL, '2', '09-10-24 14:00', -3"),
        insert(st::kIncomingCalls, "'dec', '3', '11-12-25 15:00', 2.5"),
        insert(st::kIncomingCalls, "'big', '4', '12-12-25 16:00', 99999999999999999999"),
        insert(st::kIncomingCalls, "'bad date', '5', '31-11-26 10:00', 1"),
        insert(st::kIncomingCalls, "'last', '6', '13-12-25 17:00', 9"),
    };
    const bool sqlite = GetParam() == Backend::SQLite;
    const std::string select =
        std::string("SELECT ABONENT, ABONENT IS NULL, PHONE, DT_CALL, DELAY") +
        (sqlite ? ", typeof(ABONENT), typeof(PHONE), typeof(DELAY)" : "") + " FROM ";
    const auto rows = [&] {
        auto in = Query(select + "in_data ORDER BY RID");
        auto out = Query(select + "out_data ORDER BY RID");
        in.insert(in.end(), out.begin(), out.end());
        return in;
    };

    std::vector<bool> aloneOk;
    for (const std::string& sql : statements) {
        try {
            Exec(sql);
            aloneOk.push_back(true);
        } catch (const CDBException&) {
            aloneOk.push_back(false);
        }
    }
    const auto alone = rows();
    Exec("DELETE FROM in_data");
    Exec("DELETE FROM out_data");

    std::vector<bool> batchedOk;
    {
        CBulkWriter writer(m_db);
        for (const std::string& sql : statements) {
            batchedOk.push_back(writer.TryExecute(sql));
        }
    }
    EXPECT_EQ(batchedOk, aloneOk);
    EXPECT_FALSE(aloneOk[7]) << "a day that does not exist is refused";
    EXPECT_TRUE(aloneOk.back());
    EXPECT_EQ(rows(), alone);
    EXPECT_GE(alone.size(), 6u);
}

TEST_P(BulkWriterTest, AFailedLookupInsideTheBatchDoesNotLoseTheOthers) {
    CBulkWriter writer(m_db);
    writer.Execute(FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, "1", "a", ""}));
    {
        CRecordsetEx rs(m_db);
        EXPECT_THROW(rs.Open("SELECT nothing FROM nowhere"), CDBException);
        rs.Open(FormatStatement(st::kSelectNameByPhone, {st::kPhoneBook, "1"}));
        std::string name;
        rs.GetFieldValue(0, name);
        EXPECT_EQ(name, "a");
    }
    writer.Execute(FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, "2", "b", ""}));
    writer.Commit();
    EXPECT_EQ(Count("phone_book"), 2);
}

TEST_P(BulkWriterTest, WhatRanIsCommittedWhenTheWriterGoesAwayEvenByAnException) {
    try {
        CBulkWriter writer(m_db);
        writer.Execute(FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, "1", "a", ""}));
        throw std::runtime_error("the import file broke off");
    } catch (const std::runtime_error&) {
    }
    CDatabase other;  // another connection sees only what was committed
    ASSERT_TRUE(
        OpenDataSource(other, nullptr, TestDataSources::Instance().ConnectString(GetParam())));
    CRecordsetEx rs(other);
    rs.Open("SELECT COUNT(*) FROM phone_book");
    std::string count;
    rs.GetFieldValue(0, count);
    EXPECT_EQ(count, "1");
}

// A reading paced by the serial line: statements come slowly, and what has run is committed
// once the transaction is about a second old, long before the statement count is reached.
TEST_P(BulkWriterTest, ASlowBatchIsCommittedAfterAboutASecond) {
    auto now = std::chrono::steady_clock::time_point{};
    CDatabase other;  // another connection sees only what was committed
    ASSERT_TRUE(
        OpenDataSource(other, nullptr, TestDataSources::Instance().ConnectString(GetParam())));
    const auto committed = [&] {
        CRecordsetEx rs(other);
        rs.Open("SELECT COUNT(*) FROM phone_book");
        std::string count;
        rs.GetFieldValue(0, count);
        return std::stoi(count);
    };
    CBulkWriter writer(m_db, 1000, std::chrono::seconds(1), [&] { return now; });
    const auto add = [&](int i) {
        return writer.TryExecute(FormatStatement(st::kInsertPhoneBookRow,
                                                 {st::kPhoneBook, std::to_string(i % 4), "x", ""}));
    };
    EXPECT_TRUE(add(0));
    now += std::chrono::milliseconds(400);
    EXPECT_TRUE(add(1));
    EXPECT_EQ(committed(), 0);
    now += std::chrono::milliseconds(700);  // 1.1 s since the first statement
    EXPECT_TRUE(add(2));
    EXPECT_EQ(committed(), 3);
    EXPECT_TRUE(add(3));  // a new transaction, timed from here
    now += std::chrono::milliseconds(900);
    EXPECT_FALSE(add(4));  // a duplicate number: refused, and counted
    EXPECT_EQ(committed(), 3);
    now += std::chrono::milliseconds(200);
    EXPECT_FALSE(add(5));
    EXPECT_EQ(committed(), 4);
}

INSTANTIATE_TEST_SUITE_P(Backends, BulkWriterTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
