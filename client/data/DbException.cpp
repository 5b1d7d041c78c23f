#include "client/data/DbException.h"

#include <sqlext.h>

#include <algorithm>
#include <vector>

#include "platform/codepage/Utf8.h"

namespace fonedesk {

CDBException::CDBException(std::string error, std::string sqlState)
    : std::runtime_error(error), m_error(std::move(error)), m_sqlState(std::move(sqlState)) {}

namespace {

// The driver manager fetches a driver's records into buffers of this size: a longer message
// either arrives cut there or, from drivers that go on where the caller's buffer ended (psqlODBC),
// as further records of the same SQLSTATE, each exactly this long, cut anywhere in a character.
constexpr std::size_t kManagerPiece = SQL_MAX_MESSAGE_LENGTH - 1;

// Bytes of text without an incomplete UTF-8 sequence at its end.
std::size_t CompletePrefix(std::string_view text) {
    std::size_t pos = 0;
    std::size_t complete = 0;
    while (pos < text.size()) {
        const auto step = platform::DecodeUtf8(text, pos);
        if (!step.valid && text.size() - pos < 4 &&
            (static_cast<unsigned char>(text[pos]) & 0xC0) == 0xC0) {
            break;  // a lead byte whose sequence runs past the end
        }
        pos += step.length;
        complete = pos;
    }
    return complete;
}

}  // namespace

std::string DiagnosticText(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc,
                           std::string* firstSqlState) {
    struct Record {
        std::string state;
        std::string message;
    };
    std::vector<Record> records;
    // As large as a message length can be, so that no record is cut on our side.
    std::vector<SQLCHAR> buffer(32767);
    for (SQLSMALLINT number = 1; handle != SQL_NULL_HANDLE; ++number) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN diag =
            SQLGetDiagRec(handleType, handle, number, state, &native, buffer.data(),
                          static_cast<SQLSMALLINT>(buffer.size()), &length);
        if (!SQL_SUCCEEDED(diag)) {
            break;
        }
        const auto* begin = reinterpret_cast<const char*>(buffer.data());
        std::string message(begin,
                            std::min(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                     std::char_traits<char>::length(begin)));
        const std::string code = reinterpret_cast<const char*>(state);
        if (!records.empty() && records.back().state == code && !records.back().message.empty() &&
            records.back().message.size() % kManagerPiece == 0) {
            records.back().message += message;  // the rest of the record before
        } else {
            records.push_back({code, std::move(message)});
        }
    }
    std::string text;
    for (Record& record : records) {
        record.message.resize(CompletePrefix(record.message));
        if (!text.empty()) {
            text += '\n';
        }
        text += "[" + record.state + "] " + record.message;
    }
    if (!records.empty() && firstSqlState != nullptr) {
        *firstSqlState = records.front().state;
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
