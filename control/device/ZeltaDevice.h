#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "control/device/Device.h"
#include "control/voice/WavFormat.h"

namespace fonerix {

class VoiceDecoder;
class VoiceEncoder;
class VoiceWavReader;
class WavWriter;

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
    std::u16string GetDeviceBuffer() override;
    bool SetDeviceBuffer(const std::u16string& number) override;
    // UtCallup and UtLineFree are also kept in the settings record (bytes 2 and 3), once the
    // register took the value.
    bool SetSetting(Setting setting, int16_t value) override;
    int16_t GetStateRegister(int16_t selector) override;
    void SetStateRegister(int16_t selector, int16_t value) override;
    bool GetCallsStatistic(CALLSTATISTIC& stat) override;
    bool GetAutodetParams(AUTODETPARAMS* current, AUTODETPARAMS* parallel) override;
    bool SetAutodetParams(const AUTODETPARAMS* current, const AUTODETPARAMS* parallel) override;

    // Voice messages: chains of whole flash blocks, the free ones chained from the settings
    // record. Every walk along a chain stops at a block it has met before, so that a chain that
    // loops on a damaged set cannot hang an operation.
    //
    // Downloads into a new WAV file that is valid, with sizes that count the samples in it,
    // however far the transfer got; false when the file cannot be created, the first block is
    // not a message block, or the transfer broke (the file then holds what was read).
    bool GetSoundMessage(int16_t handle, const std::u16string& fileName) override;
    // Uploads a WAV file as a new message taken from the free chain and returns its handle. A
    // file the set cannot play, or one longer than the free chain holds, is refused before
    // anything is written. Each block is erased and linked afresh before it is filled, and the
    // settings record naming the new free-chain head is written last, so that a transfer that
    // breaks leaves the free chain whole.
    bool SetSoundMessage(int16_t& handle, const std::u16string& fileName) override;
    // Puts the message's blocks in front of the free chain. Refused, with nothing changed, for a
    // chain that loops or holds a block nothing was recorded into (a free block).
    bool DelSoundMessage(int16_t handle) override;
    // Up to four handles: the two special messages, the free-chain head and the further handle
    // the set keeps. -1 for a null table, a count below 1 or an unreadable settings record.
    int16_t GetSoundHandles(int16_t* table, int16_t count) override;
    // Stores entry 0 (and entry 1 when count > 1) as the special messages.
    bool SetSoundHandles(const int16_t* table, int16_t count) override;
    // Whole seconds the free chain can still record.
    int32_t GetFreeSoundSpace() override;

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
    const SettingTable& Settings() const override;

    // How a generation keeps its voice messages.
    struct VoiceLayout {
        uint32_t rate;  // of the downloaded file
        SampleRateWindow window;
        uint32_t samplesPerBlock;
        uint32_t secondsTimesFour;  // recording time of one block, in quarter seconds
        bool (*isHandle)(uint16_t block);
        uint32_t voiceBlocks;  // blocks a valid handle can name: the bound of every walk
        // A new message's handle: a free-chain head whose low byte is below `lowestLow` starts
        // at `lowReplacement` in the same 256 blocks instead.
        uint8_t lowestLow;
        uint8_t lowReplacement;
    };
    // A block's page-0 header and link.
    struct VoiceHead {
        std::optional<uint16_t> next;  // nothing at the end of the chain
        bool recorded = false;         // something was recorded into it since it was freed
        bool endsMessage = false;      // recorded page-0 flags mark a message's end here
    };
    virtual const VoiceLayout& Voice() const;
    // False when the read fails or the block is not a voice block.
    virtual bool ReadVoiceHead(uint16_t block, VoiceHead& head);
    // Appends the block's samples up to the page the message ends on, and gives its header.
    // False when a read or the file fails, or the block is not a voice block.
    virtual bool ReadVoiceBlock(uint16_t block, VoiceDecoder& decoder, WavWriter& out,
                                VoiceHead& head, bool& ended);
    // Fills an erased block from `in`, up to the end of the samples.
    virtual bool WriteVoiceBlock(uint16_t block, VoiceWavReader& in, VoiceEncoder& encoder);
    // Erases the block and writes its header with a link to `next` (nothing: end of chain).
    virtual bool ResetVoiceBlock(uint16_t block, std::optional<uint16_t> next);

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
    std::array<uint8_t, 25> m_map{};
    bool m_mapLoaded = false;
    uint8_t m_areaFlags = 0;

  private:
    // The blocks of the chain from `first`, with their headers, up to `limit` blocks. True when
    // the chain ended (or the limit was reached) with every block read; false when a read
    // failed, a block was not a voice block or came round again (the chain loops).
    bool WalkVoiceChain(uint16_t first, std::vector<uint16_t>& chain, std::vector<VoiceHead>& heads,
                        uint32_t limit = UINT32_MAX);

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
