#include "tests/client/data/lists/FakeSet.h"

#include <utility>

#include "platform/automation/Bstr.h"

namespace fonedesk::test {

FakeRecord Call(std::string phone, int day, int month, int year, int hour, int minute,
                std::uint32_t address) {
    FakeRecord record;
    record.phone = std::move(phone);
    record.day = day;
    record.month = month;
    record.year = year;
    record.hour = hour;
    record.minute = minute;
    record.address = address;
    return record;
}

FakeRecord Entry(std::string phone, int position) {
    FakeRecord record;
    record.phone = std::move(phone);
    record.position = static_cast<std::uint8_t>(position);
    return record;
}

FakeRecord EmptySlot(std::string phone) {
    FakeRecord record;
    record.phone = std::move(phone);
    record.inUse = false;
    return record;
}

bool CFakeSet::WakeupDevice(bool writePermission) {
    ++wakeups;
    lastWritePermission = writePermission;
    return answersWakeup && !Silent();
}

bool CFakeSet::SleepDevice() {
    ++sleeps;
    return !Silent();
}

bool CFakeSet::GetPhoneBook(fonerix::PHBOOKRECORD* record) {
    return Step(book, m_nextBook, record);
}

bool CFakeSet::GetIncomeBook(fonerix::PHBOOKRECORD* record) {
    return Step(incoming, m_nextIncoming, record);
}

bool CFakeSet::GetOutcomeBook(fonerix::PHBOOKRECORD* record) {
    return Step(outgoing, m_nextOutgoing, record);
}

short CFakeSet::GetNumLength() {
    return Silent() ? -1 : 7;
}

bool CFakeSet::Step(const std::vector<FakeRecord>& list, std::size_t& next,
                    fonerix::PHBOOKRECORD* record) {
    if (Silent()) {
        return false;
    }
    ++steps;
    if (next == list.size()) {
        next = 0;  // the control rewinds its reader at the end
        return false;
    }
    const FakeRecord& r = list[next++];
    *record = {};
    record->inUse = r.inUse ? 1 : 0;
    record->Phone = r.phone ? fonerix::BstrFromUtf8(*r.phone) : nullptr;
    record->Min = static_cast<std::uint8_t>(r.minute);
    record->Hour = static_cast<std::uint8_t>(r.hour);
    record->Date = static_cast<std::uint8_t>(r.day);
    record->Month = static_cast<std::uint8_t>(r.month);
    record->Year = static_cast<std::uint8_t>(r.year);
    record->posInBook = r.position;
    record->Delay = r.delay;
    record->isParall = r.parallel;
    record->isFlop = r.fixed;
    record->nandAdress = r.address;
    record->nandMessg = r.message;
    return true;
}

}  // namespace fonedesk::test
