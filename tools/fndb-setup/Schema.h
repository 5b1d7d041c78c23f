#pragma once

#include "client/data/Database.h"

namespace fndb {

// Creates, when missing, the three tables of the client and the indexes its statements need,
// in the dialect of the connection. Columns keep the order the client relies on ("SELECT *" and
// "ORDER BY 2" on phone_book). Text columns are VARCHAR(n): the SQLite driver reports TEXT as a
// long type. Throws fonedesk::CDBException.
void CreateSchema(fonedesk::CDatabase& db);

}  // namespace fndb
