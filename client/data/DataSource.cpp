#include "client/data/DataSource.h"

#include <sql.h>
#include <sqlext.h>

#include <strings.h>

#include <cstring>

#include "client/data/DbException.h"
#include "client/data/OdbcHandle.h"

namespace fonedesk {

bool OpenDataSource(CDatabase& db, std::string* driverMessage, std::string_view connect) {
    try {
        db.OpenEx(connect);
        db.SetQueryTimeout(0);
        return true;
    } catch (const CDBException& e) {
        db.Close();
        if (driverMessage != nullptr) {
            *driverMessage = e.Error();
        }
        return false;
    }
}

bool DataSourceExists(std::string_view name) {
    EnvHandle env;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, env.Receive())) ||
        !SQL_SUCCEEDED(SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
        return false;
    }
    SQLCHAR found[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[256];
    SQLSMALLINT foundLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env.Get(), direction, found, sizeof found, &foundLength,
                                        description, sizeof description, &descriptionLength))) {
        // Data source names are not case-sensitive for the driver manager.
        if (name.size() == std::strlen(reinterpret_cast<const char*>(found)) &&
            strncasecmp(reinterpret_cast<const char*>(found), name.data(), name.size()) == 0) {
            return true;
        }
        direction = SQL_FETCH_NEXT;
    }
    return false;
}

}  // namespace fonedesk
