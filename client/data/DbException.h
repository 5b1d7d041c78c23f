#pragma once

#include <sql.h>

#include <stdexcept>
#include <string>

namespace fonedesk {

// A statement or connection that the database rejected. The text is the driver's own message
// (every diagnostic record, each as "[SQLSTATE] message"), which the client shows the user.
class CDBException : public std::runtime_error {
  public:
    explicit CDBException(std::string error, std::string sqlState = {});

    const std::string& Error() const { return m_error; }
    // The SQLSTATE of the first diagnostic record, empty when the error is the client's own.
    const std::string& SqlState() const { return m_sqlState; }

  private:
    std::string m_error;
    std::string m_sqlState;
};

// Every diagnostic record of a handle, or a plain description of rc when the driver gave none.
std::string DiagnosticText(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc,
                           std::string* firstSqlState = nullptr);

// Throws CDBException with the handle's diagnostics unless rc is a success code. what names the
// step in the message when the driver has nothing to say.
void CheckOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what);

// At most 1024 characters of an error text (counted in characters, never cutting one apart),
// the limit of the client's message boxes.
std::string ClipErrorText(const std::string& text, std::size_t maxCharacters = 1024);

}  // namespace fonedesk
