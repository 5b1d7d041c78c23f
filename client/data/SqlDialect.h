#pragma once

#include <string>
#include <string_view>

#include "client/data/JetDatetime.h"

namespace fonedesk {

// The DBMS behind the connection, from SQLGetInfo(SQL_DBMS_NAME). The client's statements are
// written in Jet's dialect; Jet itself (and any DBMS not known here) gets them unchanged.
enum class SqlDialect { Jet, SQLite, PostgreSQL };

SqlDialect DialectOfDbms(std::string_view dbmsName);

// Rewrites the Jet constructs of a statement for the dialect:
// - '#y/m/d h:m:s#' date literals become timestamp literals;
// - "x [NOT] LIKE 'pattern'" matches as Jet does, without regard to case in every script:
//   GLOB on SQLite, a regular expression ("~", "!~") on PostgreSQL;
// - a text that goes into a date-time column ("dd-mm-yy hh:mm" into DT_CALL, in an INSERT's
//   value list or after a comparison or assignment) becomes a timestamp literal, its two-digit
//   year resolved against today.
// The statement is tokenized, so nothing inside a quoted value, a quoted name or a comment is
// ever touched. Throws CDBException when a date literal or date text is not a valid moment, as
// Jet rejects it: a date text of the right shape whose day or time does not exist carries the
// SQLSTATE kNoSuchDateState, one of the wrong shape kDateFormatState.
inline constexpr const char* kNoSuchDateState = "22008";  // datetime field overflow
inline constexpr const char* kDateFormatState = "22007";  // invalid datetime format

std::string RewriteJetStatement(std::string_view sql, SqlDialect dialect, const CivilDate& today);

}  // namespace fonedesk
