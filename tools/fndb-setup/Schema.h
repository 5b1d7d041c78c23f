#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/data/Database.h"

namespace fonedesk::setup {

// The collation of the name columns (ABONENT and COMMENT): the order a Russian user expects,
// the same on both backends. On PostgreSQL an ICU collation the schema creates; on SQLite the
// loadable extension fonedesk_collation, which every connection must load.
inline constexpr std::string_view kNameCollation = "fonedesk_ru";

// Creates, when missing, the three tables of the client and the indexes its statements need,
// in the dialect of the connection. Columns keep the order the client relies on ("SELECT *" and
// "ORDER BY 2" on phone_book). Text columns are VARCHAR(n): the SQLite driver reports TEXT as a
// long type.
//
// Tables made before the name columns had their collation are upgraded with their rows: on
// PostgreSQL the columns change their collation; on SQLite each table is rebuilt in one
// transaction, keeping RID values, the AUTOINCREMENT sequence, the checks and the indexes.
// Returns the names of the tables upgraded. Throws fonedesk::CDBException (a failed rebuild
// leaves its table as it was).
std::vector<std::string> CreateSchema(fonedesk::CDatabase& db);

}  // namespace fonedesk::setup
