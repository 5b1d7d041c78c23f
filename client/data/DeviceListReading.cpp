#include "client/data/DeviceListReading.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/data/BulkWriter.h"
#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/DeviceLists.h"
#include "client/data/PhoneBook.h"
#include "client/data/Progress.h"
#include "client/data/Recordset.h"
#include "client/data/SqlDialect.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/automation/Bstr.h"
#include "platform/codepage/Cp1251.h"
#include "platform/codepage/Utf8.h"
#include "platform/profile/FonedeskProfile.h"

namespace fonedesk {
namespace {

namespace st = statements;
using fonerix::PHBOOKRECORD;

// A call counts as stored when a row of its table has its number, its time and its place in
// the set's memory: the set gives the same record again on every reading.
constexpr std::string_view kSelectStoredCall =
    "SELECT RID FROM %s WHERE PHONE='%s' AND DT_CALL='%s' AND NAND_ADR=%d";

// No set holds a list this long; a control that never ends its list must not hang the window.
constexpr int kMostSteps = 65536;

constexpr std::size_t kLogPhoneLength = 20;  // the logs' PHONE column

constexpr char kNoSuchDate[] = "такой даты нет в календаре";
constexpr char kNoSuchTime[] = "такого времени суток нет";
constexpr char kBadDate[] = "дата в непонятном виде";
constexpr char kPhoneTooLong[] = "номер длиннее 20 знаков";
constexpr char kDatabaseError[] = "ошибка базы данных: ";

// Frees the record's number whatever happens to the record.
class PhoneGuard {
  public:
    explicit PhoneGuard(PHBOOKRECORD& record) : m_record(record) {}
    ~PhoneGuard() {
        fonerix::SysFreeString(m_record.Phone);
        m_record.Phone = nullptr;
    }
    PhoneGuard(const PhoneGuard&) = delete;
    PhoneGuard& operator=(const PhoneGuard&) = delete;

  private:
    PHBOOKRECORD& m_record;
};

using ListStep = bool (IDeviceLists::*)(PHBOOKRECORD*);

// Steps through one list of the set, handing each record in use to `onRecord`. Returns false
// when the list ended because the set stopped answering rather than at its end.
template <typename OnRecord>
bool ReadList(IDeviceLists& device, ListStep step, IProgress& progress, OnRecord&& onRecord) {
    for (int steps = 0; steps < kMostSteps; ++steps) {
        PHBOOKRECORD record{};
        PhoneGuard guard(record);
        if (!(device.*step)(&record)) {
            // A set that still answers a register ended its list; one that does not was cut off.
            return device.GetNumLength() != -1;
        }
        if (record.inUse != 0) {
            onRecord(record);
        }
        progress.ProcessOneEvent();
    }
    return false;
}

// The set goes back to sleep and what is still pending is committed; a failed commit is told as
// the database's error of the whole reading.
void EndReading(IDeviceLists& device, CBulkWriter& writer, std::string& databaseError) {
    device.SleepDevice();
    try {
        writer.Commit();
    } catch (const CDBException& e) {
        databaseError = e.Error();
    }
}

std::string PhoneOf(const PHBOOKRECORD& record) {
    return record.Phone == nullptr ? std::string() : fonerix::Utf8FromBstr(record.Phone);
}

// Everything one reading of the logs shares: the connection, its batches, the one recordset of
// the lookups, the reference files.
class CCallLogImport {
  public:
    CCallLogImport(CDatabase& db, CBulkWriter& writer, const platform::ProfileFile& profile)
        : m_db(db),
          m_writer(writer),
          m_lookup(db),
          m_references(OpenReferenceFiles(profile)),
          m_delimiter(platform::fonedesk_profile::FieldDelimiter(profile)) {}

    void Store(const PHBOOKRECORD& record, std::string_view table, CallListReading& list) {
        ++list.read;
        const std::string phone = PhoneOf(record);
        const std::string when =
            CallTimeText(record.Date, record.Month, record.Year, record.Hour, record.Min);
        const auto refuse = [&](std::string reason) {
            list.notStoredCalls.push_back({phone, when, std::move(reason)});
            ++list.notStored;
        };

        if (platform::CountUtf8Characters(phone) > kLogPhoneLength) {
            refuse(kPhoneTooLong);
            return;
        }
        // The date text is turned into a date by the dialect layer, which refuses a day that no
        // calendar has, the same way on every backend; asked before anything is written.
        if (std::optional<std::string> reason = DateProblem(record, table, phone, when)) {
            refuse(std::move(*reason));
            return;
        }
        const auto address = static_cast<std::int32_t>(record.nandAdress);
        try {
            if (IsStored(table, phone, when, address)) {
                ++list.alreadyPresent;
                return;
            }
        } catch (const CDBException& e) {
            refuse(kDatabaseError + e.Error());
            return;
        }
        const std::string name = ResolveName(phone);
        try {
            m_writer.Execute(InsertStatement(record, table, name, phone, when));
            ++list.stored;
        } catch (const CDBException& e) {
            refuse(kDatabaseError + e.Error());
        }
    }

  private:
    static std::string InsertStatement(const PHBOOKRECORD& record, std::string_view table,
                                       std::string_view name, std::string_view phone,
                                       std::string_view when) {
        return FormatStatement(
            st::kInsertCallRecord,
            {table, name, phone, when, record.Delay, record.isParall, record.isFlop,
             static_cast<std::int32_t>(record.nandAdress), record.nandMessg});
    }

    std::optional<std::string> DateProblem(const PHBOOKRECORD& record, std::string_view table,
                                           std::string_view phone, std::string_view when) const {
        try {
            (void)m_db.AdaptStatement(InsertStatement(record, table, phone, phone, when));
        } catch (const CDBException& e) {
            if (e.SqlState() == kNoSuchDateState) {
                return record.Hour > 23 || record.Min > 59 ? kNoSuchTime : kNoSuchDate;
            }
            if (e.SqlState() == kDateFormatState) {
                return kBadDate;
            }
            return kDatabaseError + e.Error();
        }
        return std::nullopt;
    }

    bool IsStored(std::string_view table, std::string_view phone, std::string_view when,
                  std::int32_t address) {
        m_lookup.Open(FormatStatement(kSelectStoredCall, {table, phone, when, address}));
        const bool found = !m_lookup.IsEOF();
        m_lookup.CloseIfOpen();
        return found;
    }

    // phone_book first, then the reference files in order; a name found in a file goes into
    // phone_book (and onto the rows already in the logs). A failing lookup keeps the name so far.
    std::string ResolveName(const std::string& phone) {
        std::string name = phone;
        if (phone.empty()) {
            return name;
        }
        try {
            m_lookup.Open(FormatStatement(st::kSelectNameByPhone, {st::kPhoneBook, phone}));
            std::string found;
            const bool inBook = !m_lookup.IsEOF();
            if (inBook) {
                m_lookup.GetFieldValue(0, found);
            }
            m_lookup.CloseIfOpen();
            if (inBook) {
                return found.empty() ? name : found;
            }
        } catch (const CDBException&) {
            m_lookup.CloseIfOpen();
            return name;
        }
        for (CReferenceFile& file : m_references) {
            std::string line;
            if (!FindInReference(file, phone, m_delimiter, line)) {
                continue;
            }
            try {
                const PhoneBookLineOutcome outcome =
                    InsertPhoneBookLine(m_writer, platform::Cp1251ToUtf8(line), m_delimiter);
                if (outcome.result == PhoneBookLineResult::kInserted) {
                    name = outcome.name;
                }
            } catch (const CDBException&) {
            }
            break;
        }
        return name;
    }

    CDatabase& m_db;
    CBulkWriter& m_writer;
    CRecordsetEx m_lookup;
    std::vector<CReferenceFile> m_references;
    char m_delimiter;
};

std::string Count(std::string_view what, int value) {
    return std::string(what) + " " + std::to_string(value);
}

std::string Counts(const char* title, int read, int stored, int alreadyPresent, int notStored) {
    std::string text =
        std::string(title) + ": " + Count("считано", read) + ", " + Count("сохранено", stored);
    if (alreadyPresent != 0) {
        text += ", " + Count("уже были в базе", alreadyPresent);
    }
    if (notStored != 0) {
        text += ", " + Count("не сохранено", notStored);
    }
    return text + ".\n";
}

std::string PhoneText(const std::string& phone) {
    return phone.empty() ? std::string("без номера") : phone;
}

std::string DatabaseFailure(const std::string& error) {
    return "Ошибка базы данных: " + error +
           "\nЧасть записей, сосчитанных как сохранённые, могла не попасть в базу.\n";
}

}  // namespace

CallLogReading ReadCallLogs(CDatabase& db, IDeviceLists& device,
                            const platform::ProfileFile& profile, IProgress& progress) {
    CallLogReading reading;
    std::optional<CBulkWriter> writer;
    try {
        writer.emplace(db);
    } catch (const CDBException& e) {
        reading.databaseError = e.Error();
        return reading;
    }
    CCallLogImport import(db, *writer, profile);

    reading.deviceAnswered = device.WakeupDevice(true);
    if (reading.deviceAnswered) {
        const struct {
            ListStep step;
            std::string_view table;
            CallListReading& list;
        } lists[] = {
            {&IDeviceLists::GetOutcomeBook, st::kOutgoingCalls, reading.outgoing},
            {&IDeviceLists::GetIncomeBook, st::kIncomingCalls, reading.incoming},
        };
        for (const auto& list : lists) {
            const bool whole = ReadList(
                device, list.step, progress,
                [&](const PHBOOKRECORD& record) { import.Store(record, list.table, list.list); });
            list.list.incomplete = !whole;
        }
    }
    EndReading(device, *writer, reading.databaseError);
    return reading;
}

bool HasProblems(const CallLogReading& reading) {
    return !reading.deviceAnswered || !reading.databaseError.empty() ||
           reading.outgoing.incomplete || reading.incoming.incomplete ||
           reading.outgoing.notStored != 0 || reading.incoming.notStored != 0;
}

std::string CallLogReadingMessage(const CallLogReading& reading) {
    std::string text;
    if (!reading.deviceAnswered) {
        text = "Устройство не отвечает: данные о звонках не считаны.\n";
    } else {
        const struct {
            const char* title;
            const char* kind;
            const char* cutOff;
            const CallListReading& list;
        } lists[] = {
            {"Исходящие звонки", "исходящий",
             "Исходящие звонки считаны не полностью: устройство перестало отвечать.\n",
             reading.outgoing},
            {"Входящие звонки", "входящий",
             "Входящие звонки считаны не полностью: устройство перестало отвечать.\n",
             reading.incoming},
        };
        for (const auto& list : lists) {
            text += Counts(list.title, list.list.read, list.list.stored, list.list.alreadyPresent,
                           list.list.notStored);
        }
        for (const auto& list : lists) {
            if (list.list.incomplete) {
                text += list.cutOff;
            }
        }
        if (reading.outgoing.notStored + reading.incoming.notStored != 0) {
            text += "Не сохранены звонки:\n";
            for (const auto& list : lists) {
                for (const NotStoredCall& call : list.list.notStoredCalls) {
                    text += std::string("  ") + list.kind + " " + PhoneText(call.phone) + ", " +
                            call.when + " — " + call.reason + "\n";
                }
            }
        }
    }
    if (!reading.databaseError.empty()) {
        text += DatabaseFailure(reading.databaseError);
    }
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

PhoneBookReading ReadDevicePhoneBook(CDatabase& db, IDeviceLists& device, IProgress& progress) {
    PhoneBookReading reading;
    std::optional<CBulkWriter> writer;
    try {
        writer.emplace(db);
    } catch (const CDBException& e) {
        reading.databaseError = e.Error();
        return reading;
    }

    reading.deviceAnswered = device.WakeupDevice(true);
    if (reading.deviceAnswered) {
        const bool whole = ReadList(
            device, &IDeviceLists::GetPhoneBook, progress, [&](const PHBOOKRECORD& record) {
                ++reading.read;
                const std::string phone = PhoneOf(record);
                const std::string name = "Abonent" + std::to_string(unsigned{record.posInBook});
                PhoneBookLineOutcome outcome;
                try {
                    outcome = InsertPhoneBookLine(*writer, phone + "|" + name + "|", '|');
                } catch (const CDBException& e) {
                    outcome.result = PhoneBookLineResult::kDatabaseError;
                    outcome.error = e.Error();
                }
                switch (outcome.result) {
                    case PhoneBookLineResult::kInserted:
                        ++reading.stored;
                        return;
                    case PhoneBookLineResult::kAlreadyPresent:
                        ++reading.alreadyPresent;
                        return;
                    default:
                        break;
                }
                std::string reason(DescribeLineResult(outcome.result));
                if (outcome.result == PhoneBookLineResult::kDatabaseError &&
                    !outcome.error.empty()) {
                    reason = kDatabaseError + outcome.error;
                }
                reading.notStoredEntries.push_back({phone, record.posInBook, std::move(reason)});
                ++reading.notStored;
            });
        reading.incomplete = !whole;
    }
    EndReading(device, *writer, reading.databaseError);
    return reading;
}

std::string PhoneBookReadingProblem(const PhoneBookReading& reading) {
    std::string text;
    if (!reading.deviceAnswered) {
        text = "Устройство не отвечает: записная книжка не считана.\n";
    } else if (reading.incomplete || reading.notStored != 0) {
        text = Counts("Записная книжка", reading.read, reading.stored, reading.alreadyPresent,
                      reading.notStored);
        if (reading.incomplete) {
            text += "Записная книжка считана не полностью: устройство перестало отвечать.\n";
        }
        if (reading.notStored != 0) {
            text += "Не сохранены записи:\n";
            for (const NotStoredEntry& entry : reading.notStoredEntries) {
                text += "  " + std::to_string(entry.position) + ": " + PhoneText(entry.phone) +
                        " — " + entry.reason + "\n";
            }
        }
    }
    if (!reading.databaseError.empty()) {
        text += DatabaseFailure(reading.databaseError);
    }
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

}  // namespace fonedesk
