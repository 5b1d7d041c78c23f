#include "client/data/DataSource.h"

#include "client/data/DbException.h"

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

}  // namespace fonedesk
