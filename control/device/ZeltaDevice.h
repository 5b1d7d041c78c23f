#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "control/device/Device.h"

namespace fonerix {

// The flash models (first family, 57600 bit/s). CZeltaDevice serves type 5; CZelta6Device and
// CZelta7Device differ only in their flash geometry and features. Lists, settings copies and
// voice messages live in NAND flash, every byte stored three times.
class CZeltaDevice : public CDevice {
  public:
    // The settings record every settings copy holds.
    static constexpr size_t kSettingsSize = 33;

    explicit CZeltaDevice(std::unique_ptr<SerialLink> port = nullptr);
    // Sends the set to sleep.
    ~CZeltaDevice() override;

    bool LookForDevice(DEVICEINFO& info, uint8_t port) override;
    bool DialNumber(const std::u16string& number) override;
    bool GetPhoneBook(PHBOOKRECORD& record) override;
    bool GetOutcomeBook(PHBOOKRECORD& record) override;
    bool GetIncomeBook(PHBOOKRECORD& record) override;
    bool SetDeviceTime(DATE date) override;
    DATE GetDeviceTime() override;
    void SetAlarmTime(DATE date) override;
    DATE GetAlarmTime() override;
    int16_t GetAlarmActivity() override;
    void SetAlarmActivity(int16_t value) override;
    std::u16string GetDeviceBuffer() override;
    bool SetDeviceBuffer(const std::u16string& number) override;
    int16_t GetNumLength() override;
    void SetNumLength(int16_t value) override;
    int16_t GetSkipBells() override;
    void SetSkipBells(int16_t value) override;
    int16_t GetBellMelody() override;
    void SetBellMelody(int16_t value) override;
    int16_t GetBellVolume() override;
    void SetBellVolume(int16_t value) override;
    int16_t GetSoundVolume() override;
    void SetSoundVolume(int16_t value) override;
    int16_t GetUtCallup() override;
    // Also kept in the settings record (byte 2), once the register took the value.
    void SetUtCallup(int16_t value) override;
    int16_t GetUtLineFree() override;
    // Also kept in the settings record (byte 3), once the register took the value.
    void SetUtLineFree(int16_t value) override;
    int16_t GetUtCurrent() override;
    int16_t GetStateRegister(int16_t selector) override;
    void SetStateRegister(int16_t selector, int16_t value) override;
    int16_t GetConfigRegister() override;
    void SetConfigRegister(int16_t value) override;
    int16_t GetDeviceMode() override;
    void SetDeviceMode(int16_t value) override;
    int16_t GetDeviceRang() override;
    void SetDeviceRang(int16_t value) override;
    int16_t GetSndRecordTime() override;
    void SetSndRecordTime(int16_t value) override;
    bool GetCallsStatistic(CALLSTATISTIC& stat) override;
    bool GetAutodetParams(AUTODETPARAMS* current, AUTODETPARAMS* parallel) override;
    bool SetAutodetParams(const AUTODETPARAMS* current, const AUTODETPARAMS* parallel) override;

    // Refuses, without an exchange, an address outside the class's pages and blocks.
    bool ReadFlash(const FlashAddress& address, uint8_t* buffer) override;
    // The newest settings copy: 33 bytes, zeroed first and left zeroed on failure.
    virtual bool ReadSettingsBlock(uint8_t* record);
    // Appends `record` as a new settings copy on the next free page of the settings block; a
    // full block is erased and starts again at page 0. Bytes 0..1 are always written as the
    // settings tag, so that the copy is found again.
    virtual bool WriteSettingsBlock(const uint8_t* record);

    // The list readers' positions are the readers', shared by every object of the class, so an
    // enumeration survives a new discovery. This puts the class's three readers back to their
    // first record.
    static void ResetReaders();

    // Where one list reader stands in its flash area.
    struct FlashReader {
        bool started = false;
        uint16_t block = 0;  // low byte of the block; 256 once the area's last block 255 is done
        uint8_t page = 0;
        uint8_t column = 0;
        int foundInBlock = 0;   // phone book: entries found in the current block
        int blocksVisited = 0;  // phone book: block pairs done
    };
    struct FlashReaders {
        FlashReader outgoing, incoming, book;
    };

  protected:
    // How a flash generation lays out its pages.
    struct FlashGeometry {
        uint8_t lastPage;  // highest page byte of a block
        bool bounded;      // ReadFlash refuses pages and blocks beyond the next two
        uint8_t maxReadPage;
        uint8_t maxReadBlockHigh;
        uint8_t firstRecordPage;  // records: the first page, the step, their columns
        uint8_t recordPageStep;
        std::array<uint8_t, 2> columns;
        uint8_t columnCount;
        uint8_t recordsPerBlock;
        uint8_t positionBlocks;  // posInBook counts the block modulo this
        bool pageColumnAddress;  // nandAdress: C + P * 1024 + ... (else the 512-byte page form)
        uint16_t settingsFirstBlock;
        uint16_t settingsLastBlock;
        uint8_t settingsPageStep;
        uint8_t settingsLastIndex;       // copies on pages 0, S, ..., this * S
        bool rewakeBeforeSettingsWrite;  // else a pause after the write
    };
    virtual const FlashGeometry& Geometry() const;
    virtual FlashReaders& Readers() const;
    // The two-digit year of a call-log entry.
    virtual uint8_t EntryYear(const uint8_t* entry) const;

    // The tag of a page: decoded byte 1 of its first six raw bytes when byte 0 is 0; else 0.
    uint8_t PageTag(uint16_t block, uint8_t page);
    // Loads the map of flash areas, once per object (again on the next list call while the map
    // page cannot be found).
    void LoadFlashMap();
    // Reads one 32-byte record (96 raw bytes) and decodes it.
    bool ReadRecord(uint16_t block, uint8_t page, uint8_t column, uint8_t* entry);

    // The map of flash areas (bytes 0..13 used) and the area-selection flags of the settings.
    std::array<uint8_t, 25> map_{};
    bool mapLoaded_ = false;
    uint8_t areaFlags_ = 0;

  private:
    enum class Log { kOutgoing, kIncoming };
    bool ReadLog(Log log, PHBOOKRECORD& record);
    // The block holding the settings copies, and the index (1..N+1) of the first untagged page.
    bool FindSettings(uint16_t& block, int& firstUntagged);
    // Moves `reader` to the next record slot; true when that left the block.
    bool Advance(FlashReader& reader) const;
    uint32_t NandAddress(const FlashReader& at, uint8_t high) const;
};

// The number of a decoded 32-byte list entry: the digit count at byte 7, the digit codes from
// byte 8. Log and phone-book entries hold at most 20 digits (the voice handle follows them);
// the type-7 list entries use the record to its end, 24 digits.
std::u16string EntryNumber(const uint8_t* entry, uint8_t maxDigits = 20);

}  // namespace fonerix
