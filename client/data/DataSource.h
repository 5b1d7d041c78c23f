#pragma once

#include <string>
#include <string_view>

#include "client/data/Database.h"

namespace fonedesk {

// The client's data source and how it is opened.
inline constexpr std::string_view kDataSourceName = "FNDB";
inline constexpr std::string_view kConnectString = "ODBC;DSN=FNDB;";
inline constexpr std::string_view kOpenDataSourceFailed = "Unable to open datasource FNDB";

// Opens the connection shared and writable, then turns the query time-out off, so that only
// the user's cancel ends a long query. On failure the connection is closed again, driverMessage
// (when given) receives the driver's text for the log, and the result is false; the caller then
// shows kOpenDataSourceFailed and does not start.
bool OpenDataSource(CDatabase& db, std::string* driverMessage = nullptr,
                    std::string_view connect = kConnectString);

// Whether the driver manager knows a data source of this name, as a user or a system one.
bool DataSourceExists(std::string_view name = kDataSourceName);

}  // namespace fonedesk
