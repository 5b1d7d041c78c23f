// A set of tables standing in for the control: each Get* hands out the next record of its list,
// with its number as a fresh BSTR that the reader must free, and false at the end. On request
// the set stops answering after a number of steps, as a set unplugged in the middle does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "client/data/DeviceLists.h"
#include "client/data/Progress.h"

namespace fonedesk::test {

struct FakeRecord {
    std::optional<std::string> phone;  // nullopt: a null BSTR
    int day = 1;
    int month = 1;
    int year = 26;
    int hour = 0;
    int minute = 0;
    std::uint8_t delay = 0;
    std::uint8_t parallel = 0;
    std::uint8_t fixed = 0;
    std::uint32_t address = 0;
    std::uint16_t message = 0;
    std::uint8_t position = 0;  // phone book
    bool inUse = true;
};

// A call of `phone` at the given day, month, two-digit year, hour and minute.
FakeRecord Call(std::string phone, int day, int month, int year, int hour, int minute,
                std::uint32_t address = 0);
// A phone-book entry of `phone` at `position`.
FakeRecord Entry(std::string phone, int position);
// A step that gives a record not in use (an empty slot), still with a number to free.
FakeRecord EmptySlot(std::string phone = "5550000");

class CFakeSet : public IDeviceLists {
  public:
    std::vector<FakeRecord> outgoing;
    std::vector<FakeRecord> incoming;
    std::vector<FakeRecord> book;
    bool answersWakeup = true;
    // The set answers this many list steps (all lists together), then nothing; -1: always.
    int answeredSteps = -1;

    int wakeups = 0;
    bool lastWritePermission = false;
    int sleeps = 0;
    int steps = 0;

    bool WakeupDevice(bool writePermission) override;
    bool SleepDevice() override;
    bool GetPhoneBook(fonerix::PHBOOKRECORD* record) override;
    bool GetIncomeBook(fonerix::PHBOOKRECORD* record) override;
    bool GetOutcomeBook(fonerix::PHBOOKRECORD* record) override;
    short GetNumLength() override;

  private:
    bool Silent() const { return answeredSteps >= 0 && steps >= answeredSteps; }
    bool Step(const std::vector<FakeRecord>& list, std::size_t& next,
              fonerix::PHBOOKRECORD* record);

    std::size_t m_nextOutgoing = 0;
    std::size_t m_nextIncoming = 0;
    std::size_t m_nextBook = 0;
};

// Counts the events the reader lets the window handle.
class CCountingProgress : public IProgress {
  public:
    int events = 0;
    void SetProgressText(std::string_view) override {}
    void SetProgressRange(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessOneEvent() override { ++events; }
};

}  // namespace fonedesk::test
