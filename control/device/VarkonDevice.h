#pragma once

#include <array>
#include <cstdint>

#include "control/device/Device.h"

namespace fonerix {

// The second family (types 1, 2 and 4, 115200 bit/s): lists in directly addressed memory, no
// flash, no voice messages.
class CVarkonDevice : public CDevice {
  public:
    explicit CVarkonDevice(std::unique_ptr<SerialLink> port = nullptr);
    // Sends the set to sleep.
    ~CVarkonDevice() override;

    bool LookForDevice(DEVICEINFO& info, uint8_t port) override;
    bool DialNumber(const std::u16string& number) override;
    bool GetPhoneBook(PHBOOKRECORD& record) override;
    bool GetOutcomeBook(PHBOOKRECORD& record) override;
    bool GetIncomeBook(PHBOOKRECORD& record) override;
    bool SetDeviceTime(DATE date) override;
    DATE GetDeviceTime() override;
    void SetAlarmTime(DATE date) override;
    DATE GetAlarmTime() override;
    std::u16string GetDeviceBuffer() override;
    bool SetDeviceBuffer(const std::u16string& number) override;
    int16_t GetStateRegister(int16_t selector) override;
    void SetStateRegister(int16_t selector, int16_t value) override;
    bool GetCallsStatistic(CALLSTATISTIC& stat) override;
    // Only `current` is used: the family has no parameters of its own for the parallel set.
    bool GetAutodetParams(AUTODETPARAMS* current, AUTODETPARAMS* parallel) override;
    bool SetAutodetParams(const AUTODETPARAMS* current, const AUTODETPARAMS* parallel) override;

    // The list readers' positions are the readers', shared by every object of the class, so an
    // enumeration survives a new discovery. This puts all three back to their first record.
    static void ResetReaders();

    // The local date the call logs' months and years are inferred from; taken from the clock
    // at construction.
    void SetRecordedDate(uint8_t year, uint8_t month, uint8_t day);
    // The month and year of a log entry of `day`: the latest month, not after the recorded date,
    // that has such a day. False for a day no month has.
    bool InferMonth(uint8_t day, uint8_t& month, uint8_t& year) const;

    // One list reader's place: the next record's index and the chunk of records read so far.
    struct MemoryReader {
        int index = 0;
        int chunks = 0;
        // A chunk of records, with room for the last record's bytes past the 250 read.
        std::array<uint8_t, 250 + 16> buffer{};
    };

  protected:
    const SettingTable& Settings() const override;

  private:
    enum class List { kOutgoing, kIncoming, kBook };
    bool ReadList(List list, PHBOOKRECORD& record);
    bool LoadMemoryMap();
    int16_t StateRegisterOf(int16_t selector) const;

    std::array<uint8_t, 15> m_map{};
    bool m_mapLoaded = false;
    uint8_t m_year = 0;
    uint8_t m_month = 1;
    uint8_t m_day = 1;
};

}  // namespace fonerix
