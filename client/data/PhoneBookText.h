#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "client/data/PhoneBook.h"

namespace fonedesk {

class CDatabase;
class IProgress;

// A text file that could not be opened, read or written; what() says which and why (UTF-8).
class CFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ImportedLine {
    int lineNumber = 0;  // 1-based
    PhoneBookLineResult result = PhoneBookLineResult::kEmpty;
    std::string error;  // the database's text, for kDatabaseError
};

struct PhoneBookImport {
    int count = 0;   // lines read
    int failed = 0;  // lines InsertPhoneBookLine answered false for
    // Every line that stored nothing, with its reason (also those that count as imported).
    std::vector<ImportedLine> notStored;
};

// Reads a phone book from a delimited text file in Windows-1251 (lines ended by CR LF or LF),
// one InsertPhoneBookLine per line in batched transactions. The delimiter is an ASCII character
// (std::invalid_argument otherwise). Throws CFileError when the file cannot be opened (then
// nothing is stored) or read, CDBException when the database fails as a whole.
PhoneBookImport ImportPhoneBook(CDatabase& db, const std::string& path, char delimiter,
                                IProgress& progress);
// "Импортировано %d номеров из %d записей (%s)", then the lines that stored nothing.
std::string ImportMessage(const PhoneBookImport& import, const std::string& path);

struct PhoneBookExport {
    int rows = 0;
    // The numbers of the rows holding a character Windows-1251 has no byte for; such a
    // character is written as '?'.
    std::vector<std::string> unencodable;
    // The numbers of the rows whose name or comment holds the delimiter or a line break: the file
    // has no quoting, so those lines do not read back as they were.
    std::vector<std::string> notReadableBack;
};

// Writes phone_book sorted by PHONE as "number<d>name<d>comment" lines in Windows-1251 ended by
// CR LF. Throws CFileError / CDBException as the import.
PhoneBookExport ExportPhoneBook(CDatabase& db, const std::string& path, char delimiter,
                                IProgress& progress);
// "Экспортировано %d номеров (%s)", then the rows that were not written as they are.
std::string ExportMessage(const PhoneBookExport& exported, const std::string& path);

}  // namespace fonedesk
