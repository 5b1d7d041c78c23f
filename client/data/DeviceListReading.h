#pragma once

#include <string>
#include <vector>

#include "client/data/ReferenceFiles.h"

namespace platform {
class ProfileFile;
}

namespace fonedesk {

class CDatabase;
class IDeviceLists;
class IProgress;

struct NotStoredCall {
    std::string phone;   // UTF-8
    std::string when;    // the call's time as the set gave it, "dd-mm-yy hh:mm"
    std::string reason;  // plain words (Russian, UTF-8), e.g. a date that does not exist
};

struct CallListReading {
    int read = 0;            // records in use the set gave
    int stored = 0;          // new rows
    int alreadyPresent = 0;  // same PHONE, DT_CALL and NAND_ADR already in the table
    int notStored = 0;       // == notStoredCalls.size()
    std::vector<NotStoredCall> notStoredCalls;
    bool incomplete = false;  // the set stopped answering before the end of the list
};

struct CallLogReading {
    bool deviceAnswered = false;  // false: the set could not be woken, nothing was read
    CallListReading outgoing;     // into out_data
    CallListReading incoming;     // into in_data
    // The database failed as a whole (the batch could not be begun or committed), so rows
    // counted as stored may be missing; the database's text. Empty when all went well.
    std::string databaseError;
};

// Copies both logs of the set into out_data and in_data, each call with the name of its number
// from phone_book or else from the reference files (a name found there is added to phone_book),
// in batched transactions. A call already stored is not stored again.
CallLogReading ReadCallLogs(CDatabase& db, IDeviceLists& device,
                            const platform::ProfileFile& profile, IProgress& progress);
// The counts of each list and every call not stored, for the wait window's finishing mode.
std::string CallLogReadingMessage(const CallLogReading& reading);
// Whether the user must be told: the set did not answer, a list is incomplete, a call was not
// stored, or the database failed.
bool HasProblems(const CallLogReading& reading);

struct NotStoredEntry {
    std::string phone;  // UTF-8
    int position = 0;   // the entry's position in the set's book
    std::string reason;
};

struct PhoneBookReading {
    bool deviceAnswered = false;
    int read = 0;            // entries in use the set gave
    int stored = 0;          // new rows
    int alreadyPresent = 0;  // numbers already in phone_book, whose rows were kept
    int notStored = 0;       // == notStoredEntries.size(): an invalid number, a database error
    std::vector<NotStoredEntry> notStoredEntries;
    bool incomplete = false;
    std::string databaseError;  // as for the call logs
};

// Copies the set's phone book into phone_book, each entry named "Abonent<position>"; numbers
// already in the table keep their rows and names.
PhoneBookReading ReadDevicePhoneBook(CDatabase& db, IDeviceLists& device, IProgress& progress);
// What went wrong, for the wait window's finishing mode; empty when the reading was whole and
// every entry was stored or already present.
std::string PhoneBookReadingProblem(const PhoneBookReading& reading);

}  // namespace fonedesk
