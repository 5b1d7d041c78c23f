#include "client/data/DbException.h"

#include <sqlext.h>

#include "platform/codepage/Utf8.h"

namespace fonedesk {

CDBException::CDBException(std::string error, std::string sqlState)
    : std::runtime_error(error), m_error(std::move(error)), m_sqlState(std::move(sqlState)) {}

std::string DiagnosticText(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc,
                           std::string* firstSqlState) {
    std::string text;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[SQL_MAX_MESSAGE_LENGTH] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN diag = SQLGetDiagRec(handleType, handle, record, state, &native, message,
                                             sizeof message, &length);
        if (!SQL_SUCCEEDED(diag)) {
            break;
        }
        if (record == 1 && firstSqlState != nullptr) {
            *firstSqlState = reinterpret_cast<const char*>(state);
        }
        if (!text.empty()) {
            text += '\n';
        }
        text += '[';
        text += reinterpret_cast<const char*>(state);
        text += "] ";
        text += reinterpret_cast<const char*>(message);
    }
    if (text.empty()) {
        switch (rc) {
            case SQL_INVALID_HANDLE:
                text = "invalid ODBC handle";
                break;
            case SQL_NO_DATA:
                text = "no data";
                break;
            default:
                text = "ODBC call failed with code " + std::to_string(rc) +
                       " and no diagnostic message";
        }
    }
    return text;
}

void CheckOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what) {
    if (SQL_SUCCEEDED(rc)) {
        return;
    }
    std::string state;
    std::string text = DiagnosticText(handleType, handle, rc, &state);
    if (state.empty()) {
        text = std::string(what) + ": " + text;
    }
    throw CDBException(std::move(text), std::move(state));
}

std::string ClipErrorText(const std::string& text, std::size_t maxCharacters) {
    std::size_t pos = 0;
    for (std::size_t count = 0; pos < text.size() && count < maxCharacters; ++count) {
        pos += platform::DecodeUtf8(text, pos).length;
    }
    return text.substr(0, pos);
}

}  // namespace fonedesk
