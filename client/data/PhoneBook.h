#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fonedesk {

class CBulkWriter;
class CDatabase;

// The longest number, name and comment a phone-book row holds (the record dialog's limits and
// the columns' sizes), in characters.
inline constexpr std::size_t kPhoneLength = 20;
inline constexpr std::size_t kNameLength = 30;
inline constexpr std::size_t kCommentLength = 75;

// Cuts `text` at every `delimiter`: the pieces (empty ones too) and the rest after the last one.
// Returns their number; a text without the delimiter is one field.
std::size_t SplitFields(std::string_view text, char delimiter, std::vector<std::string>& fields);

// A number the phone book takes: not empty, only '0'..'9' and '_'.
bool IsValidPhone(std::string_view text);

// What one phone-book line came to.
enum class PhoneBookLineResult {
    kInserted,
    kEmpty,           // nothing but blanks
    kNoName,          // a number without a name: nothing stored, yet the line is no failure
    kNoNumber,        // a name without a number: likewise
    kInvalidNumber,   // a number with other characters than digits and '_': likewise
    kAlreadyPresent,  // the number is in the table; its row keeps its name
    kTooLong,         // a field longer than its column
    kDatabaseError,
};

// The reason in plain words (Russian, UTF-8), for the lists of lines that stored nothing.
std::string_view DescribeLineResult(PhoneBookLineResult result);

struct PhoneBookLineOutcome {
    // The answer callers of InsertPhoneBookLine act on: false only for an empty line or a
    // rejected insert; a line that is skipped for its number or name still answers true.
    bool accepted = false;
    PhoneBookLineResult result = PhoneBookLineResult::kEmpty;
    std::string name;  // the inserted name (UTF-8) when result is kInserted
    // The database's text for kDatabaseError; which field and its limit for kTooLong (Russian).
    std::string error;
};

// Stores one line "number<d>name<d>comment" (UTF-8; blanks around the line and each of the
// first three fields ignored, further fields ignored) in phone_book and gives the name to the
// rows of that number in both call logs. Every insertion of a phone-book row goes through here.
// The statements run through `writer`, so bulk callers batch them. The field lengths are checked
// here, in characters, and a number already present is looked up before the INSERT, so that
// every backend gives the same result for the same line.
PhoneBookLineOutcome InsertPhoneBookLine(CBulkWriter& writer, std::string_view line,
                                         char delimiter);
// The same in automatic commit, for one record typed by the user; `name` receives the inserted
// name.
bool InsertPhoneBookLine(CDatabase& db, std::string_view line, char delimiter, std::string& name);

// One record as three texts (blanks around each ignored), with the same checks and statements
// as a line: for callers that have the fields already (the set's phone book), so that a text
// holding a delimiter character is stored as it is instead of shifting the fields.
PhoneBookLineOutcome InsertPhoneBookRecord(CBulkWriter& writer, std::string_view number,
                                           std::string_view name, std::string_view comment);

// The record dialog's "add". The three texts are stored as they are: a '|' inside one of them
// stays in its field. `outcome`, when given, receives why nothing was stored.
bool AddPhoneBookRecord(CDatabase& db, std::string_view number, std::string_view name,
                        std::string_view comment, PhoneBookLineOutcome* outcome = nullptr);

// The record dialog's "edit": the row RID gets the three texts. False with the database's text
// in `error` when it refuses.
bool UpdatePhoneBookRecord(CDatabase& db, std::int32_t rid, std::string_view number,
                           std::string_view name, std::string_view comment, std::string& error);

}  // namespace fonedesk
