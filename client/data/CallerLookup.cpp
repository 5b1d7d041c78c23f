#include "client/data/CallerLookup.h"

#include "client/data/DbException.h"
#include "client/data/PhoneBook.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/codepage/Cp1251.h"

namespace fonedesk {

namespace st = statements;

CallerInfo LookupCaller(CDatabase& db, std::string_view number,
                        std::vector<CReferenceFile>& references, char delimiter) {
    CallerInfo caller;
    try {
        CRecordsetEx lookup(db);
        // The number is quoted like every other value, so a stray quote from the line cannot
        // change the statement.
        lookup.Open(FormatStatement(st::kSelectNameByPhone, {st::kPhoneBook, number}));
        if (!lookup.IsEOF()) {
            lookup.GetFieldValue(0, caller.subscriber);
            lookup.GetFieldValue(1, caller.comment);
            caller.found = true;
        }
        lookup.CloseIfOpen();
    } catch (const CDBException&) {
        // A database that fails must not hide a name the reference files know.
    }
    if (caller.found) {
        return caller;
    }
    for (CReferenceFile& file : references) {
        std::string line;
        if (!FindInReference(file, number, delimiter, line)) {
            continue;
        }
        std::vector<std::string> fields;
        SplitFields(platform::Cp1251ToUtf8(line), delimiter, fields);
        if (fields.size() > 1) {
            caller.subscriber = fields[1];
        }
        if (fields.size() > 2) {
            caller.comment = fields[2];
        }
        caller.found = true;
        break;
    }
    return caller;
}

}  // namespace fonedesk
