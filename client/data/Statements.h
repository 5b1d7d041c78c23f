#pragma once

#include <string_view>

// Every statement text the client issues, in Jet's dialect, to be filled with FormatStatement.
// The texts are fixed; the dialect layer adapts them to the DBMS at execution.
namespace fonedesk::statements {

inline constexpr std::string_view kPhoneBook = "phone_book";
inline constexpr std::string_view kIncomingCalls = "in_data";
inline constexpr std::string_view kOutgoingCalls = "out_data";

// The phone book under a letter tab: table, letter, order clause.
inline constexpr std::string_view kSelectPhoneBookByLetter =
    "SELECT * FROM %s WHERE ABONENT LIKE '[%c]%%' ORDER BY %s";
// The phone book under the "*" tab: table, order clause.
inline constexpr std::string_view kSelectPhoneBookOthers =
    "SELECT * FROM %s WHERE ABONENT NOT LIKE "
    "'[А,Б,В,Г,Д,Е,Ж,З,И,К,Л,М,Н,О,П,Р,С,Т,У,Ф,Х,Ц,Ч,Ш,Щ,Э,Ю,Я]%%' ORDER BY %s";
// A call log: table, order clause.
inline constexpr std::string_view kSelectCallLog =
    "SELECT RID,NAND_MESS,ABONENT,DT_CALL,DELAY FROM %s ORDER BY %s";
// Search results: table, search condition, order clause.
inline constexpr std::string_view kSelectFilteredCallLog =
    "SELECT RID,NAND_MESS,ABONENT,DT_CALL,DELAY FROM %s WHERE (%s) ORDER BY %s";
// Order clause: 1-based result column, "ASC" or "DESC".
inline constexpr std::string_view kOrderClause = "%d %s";
inline constexpr std::string_view kAscending = "ASC";
inline constexpr std::string_view kDescending = "DESC";

inline constexpr std::string_view kSelectMessageHandle = "SELECT NAND_MESS FROM %s WHERE RID=%d";
inline constexpr std::string_view kSelectRowPhone = "SELECT PHONE FROM %s WHERE RID=%d";
// Before phone-book rows are deleted: log table, "phone_book", RID list.
inline constexpr std::string_view kRestoreNumbersAsNames =
    "UPDATE %s SET ABONENT=PHONE WHERE PHONE IN (SELECT PHONE FROM %s WHERE RID IN (%s))";
inline constexpr std::string_view kDeleteRows = "DELETE FROM %s WHERE RID IN (%s)";
inline constexpr std::string_view kSelectNameByPhone =
    "SELECT ABONENT,COMMENT FROM %s WHERE PHONE='%s'";
// One call record: table, name, phone, date text, delay, parallel, fixed, flash address, handle.
inline constexpr std::string_view kInsertCallRecord =
    "INSERT INTO %s (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
    "VALUES('%s','%s','%s',%d,%d,%d,%d,%d)";
inline constexpr std::string_view kInsertPhoneBookRow =
    "INSERT INTO %s (PHONE,ABONENT,COMMENT) VALUES('%s','%s','%s')";
inline constexpr std::string_view kUpdateLogNames = "UPDATE %s SET ABONENT='%s' WHERE PHONE='%s'";
inline constexpr std::string_view kUpdatePhoneBookRow =
    "UPDATE %s SET PHONE='%s', ABONENT='%s', COMMENT='%s' WHERE RID=%d";
inline constexpr std::string_view kSelectPhoneBookForExport = "SELECT * FROM %s ORDER BY 2";

// Search conditions, pasted into kSelectFilteredCallLog.
inline constexpr std::string_view kPhoneCondition = "%s %s '%s'";
inline constexpr std::string_view kDateFromCondition = "(%s %s #%d/%d/%d 00:00:00#)";
inline constexpr std::string_view kDateToCondition = "(%s %s #%d/%d/%d 23:59:00#)";
inline constexpr std::string_view kConditionJoin = " AND ";

// The call time as the import writes it into DT_CALL: day, month, two-digit year, hour, minute.
inline constexpr std::string_view kCallTimeText = "%.2d-%.2d-%.2d %.2d:%.2d";

// The letters of the phone book's tabs; tab 0 ("*") stands for every other name.
inline constexpr std::string_view kAlphabetTabs = "*АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЩЭЮЯ";

}  // namespace fonedesk::statements
