#include "client/data/PhoneBook.h"

#include <algorithm>
#include <string>
#include <vector>

#include "client/data/BulkWriter.h"
#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/codepage/Utf8.h"

namespace fonedesk {
namespace {

namespace st = statements;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The statements of one insertion run through a bulk writer or, for a single record, straight
// on the connection in automatic commit.
struct StatementRunner {
    CDatabase& db;
    CBulkWriter* writer = nullptr;

    void Execute(const std::string& sql) const {
        if (writer != nullptr) {
            writer->Execute(sql);
        } else {
            db.ExecuteSQL(sql);
        }
    }
};

// The key alone: a recordset sizes its row buffers by the columns, and a bulk import runs this
// once a line, so a narrow integer column keeps the lookup cheap.
constexpr std::string_view kSelectRidByPhone = "SELECT RID FROM %s WHERE PHONE='%s'";

bool IsNumberPresent(CDatabase& db, std::string_view number) {
    CRecordsetEx rs(db);
    rs.Open(FormatStatement(kSelectRidByPhone, {st::kPhoneBook, number}));
    return !rs.IsEOF();
}

PhoneBookLineOutcome Skipped(PhoneBookLineResult result) {
    PhoneBookLineOutcome outcome;
    outcome.accepted = true;  // nothing to store is no failure of the line
    outcome.result = result;
    return outcome;
}

PhoneBookLineOutcome Refused(PhoneBookLineResult result, std::string error = {}) {
    PhoneBookLineOutcome outcome;
    outcome.accepted = false;
    outcome.result = result;
    outcome.error = std::move(error);
    return outcome;
}

// The one place a phone-book row is inserted; the fields are trimmed already.
PhoneBookLineOutcome StoreFields(const StatementRunner& runner, std::string_view number,
                                 std::string_view name, std::string_view comment) {
    if (number.empty()) {
        return Skipped(PhoneBookLineResult::kNoNumber);
    }
    if (!IsValidPhone(number)) {
        return Skipped(PhoneBookLineResult::kInvalidNumber);
    }
    if (name.empty()) {
        return Skipped(PhoneBookLineResult::kNoName);
    }
    // Checked here, since SQLite and PostgreSQL refuse an overlong text with different words
    // (and a database without the limits would store it).
    if (platform::CountUtf8Characters(number) > kPhoneLength) {
        return Refused(PhoneBookLineResult::kTooLong,
                       "номер длиннее " + std::to_string(kPhoneLength) + " символов");
    }
    if (platform::CountUtf8Characters(name) > kNameLength) {
        return Refused(PhoneBookLineResult::kTooLong,
                       "имя длиннее " + std::to_string(kNameLength) + " символов");
    }
    if (platform::CountUtf8Characters(comment) > kCommentLength) {
        return Refused(PhoneBookLineResult::kTooLong,
                       "комментарий длиннее " + std::to_string(kCommentLength) + " символов");
    }

    // A duplicate is found by looking, not by telling the unique constraint's error apart from
    // the others: the drivers report it with different SQLSTATEs (SQLite's says only HY000).
    try {
        if (IsNumberPresent(runner.db, number)) {
            return Refused(PhoneBookLineResult::kAlreadyPresent);
        }
    } catch (const CDBException& e) {
        return Refused(PhoneBookLineResult::kDatabaseError, e.Error());
    }
    try {
        runner.Execute(
            FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, number, name, comment}));
    } catch (const CDBException& e) {
        // Another PC sharing the database may have stored the number in between.
        bool present = e.SqlState().rfind("23", 0) == 0;
        if (!present) {
            try {
                present = IsNumberPresent(runner.db, number);
            } catch (const CDBException&) {
            }
        }
        return present ? Refused(PhoneBookLineResult::kAlreadyPresent)
                       : Refused(PhoneBookLineResult::kDatabaseError, e.Error());
    }
    try {
        for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
            runner.Execute(FormatStatement(st::kUpdateLogNames, {table, name, number}));
        }
    } catch (const CDBException& e) {
        // The row stays inserted; only the logs' names may lag behind.
        return Refused(PhoneBookLineResult::kDatabaseError, e.Error());
    }
    PhoneBookLineOutcome outcome;
    outcome.accepted = true;
    outcome.result = PhoneBookLineResult::kInserted;
    outcome.name = std::string(name);
    return outcome;
}

PhoneBookLineOutcome StoreLine(const StatementRunner& runner, std::string_view line,
                               char delimiter) {
    line = Trim(line);
    if (line.empty()) {
        return Refused(PhoneBookLineResult::kEmpty);
    }
    std::vector<std::string> fields;
    SplitFields(line, delimiter, fields);
    fields.resize(std::max<std::size_t>(fields.size(), 3));
    return StoreFields(runner, Trim(fields[0]), Trim(fields[1]), Trim(fields[2]));
}

}  // namespace

std::size_t SplitFields(std::string_view text, char delimiter, std::vector<std::string>& fields) {
    fields.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(delimiter, start);
        if (end == std::string_view::npos) {
            fields.emplace_back(text.substr(start));
            return fields.size();
        }
        fields.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool IsValidPhone(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if ((c < '0' || c > '9') && c != '_') {
            return false;
        }
    }
    return true;
}

std::string_view DescribeLineResult(PhoneBookLineResult result) {
    switch (result) {
        case PhoneBookLineResult::kInserted:
            return "номер добавлен";
        case PhoneBookLineResult::kEmpty:
            return "пустая строка";
        case PhoneBookLineResult::kNoName:
            return "нет имени абонента";
        case PhoneBookLineResult::kNoNumber:
            return "нет номера телефона";
        case PhoneBookLineResult::kInvalidNumber:
            return "недопустимый номер (допустимы только цифры и «_»)";
        case PhoneBookLineResult::kAlreadyPresent:
            return "такой номер уже есть в телефонной книжке";
        case PhoneBookLineResult::kTooLong:
            return "слишком длинное поле";
        case PhoneBookLineResult::kDatabaseError:
            return "ошибка базы данных";
    }
    return "неизвестная причина";
}

PhoneBookLineOutcome InsertPhoneBookLine(CBulkWriter& writer, std::string_view line,
                                         char delimiter) {
    return StoreLine(StatementRunner{writer.Database(), &writer}, line, delimiter);
}

bool InsertPhoneBookLine(CDatabase& db, std::string_view line, char delimiter, std::string& name) {
    const PhoneBookLineOutcome outcome = StoreLine(StatementRunner{db}, line, delimiter);
    if (outcome.result == PhoneBookLineResult::kInserted) {
        name = outcome.name;
    }
    return outcome.accepted;
}

PhoneBookLineOutcome InsertPhoneBookRecord(CBulkWriter& writer, std::string_view number,
                                           std::string_view name, std::string_view comment) {
    return StoreFields(StatementRunner{writer.Database(), &writer}, Trim(number), Trim(name),
                       Trim(comment));
}

bool AddPhoneBookRecord(CDatabase& db, std::string_view number, std::string_view name,
                        std::string_view comment, PhoneBookLineOutcome* outcome) {
    // Joining the texts with '|' and splitting them again would move the rest of a name that
    // holds a '|' into the comment, so the fields go in as they are.
    PhoneBookLineOutcome result =
        StoreFields(StatementRunner{db}, Trim(number), Trim(name), Trim(comment));
    const bool accepted = result.accepted;
    if (outcome != nullptr) {
        *outcome = std::move(result);
    }
    return accepted;
}

bool UpdatePhoneBookRecord(CDatabase& db, std::int32_t rid, std::string_view number,
                           std::string_view name, std::string_view comment, std::string& error) {
    try {
        db.ExecuteSQL(
            FormatStatement(st::kUpdatePhoneBookRow, {st::kPhoneBook, number, name, comment, rid}));
        return true;
    } catch (const CDBException& e) {
        error = e.Error();
        return false;
    }
}

}  // namespace fonedesk
