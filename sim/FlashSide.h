// The flash models' lists and settings as the set itself keeps them: it formats its flash,
// appends settings copies page by page, appends calls to its logs (growing into a log's spare
// block, then going round), keeps its phone book in two halves and, on types 7 and 8, the
// redirection number and the auto-dial list. Reading back is what the set would show on its own
// display; nothing here borrows from the host's readers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/FlashLayout.h"
#include "sim/FlashStore.h"
#include "sim/ListEntries.h"

namespace fonerix::sim {

inline constexpr std::size_t kRecordBytes = 32;    // a list record, decoded
inline constexpr std::size_t kSettingsBytes = 33;  // a settings copy, decoded
inline constexpr std::size_t kMapBytes = 25;       // the memory map, decoded

// Record kinds (decoded byte 1).
inline constexpr std::uint8_t kKindBook = 2;  // also the redirection and auto-dial entries
inline constexpr std::uint8_t kKindOutgoing = 4;
inline constexpr std::uint8_t kKindIncoming = 8;

// Page tags (decoded bytes 0 and 1 of a page).
inline constexpr std::uint8_t kMapTag = 0x80;
inline constexpr std::uint8_t kSettingsTag = 0x40;

// Settings-record bytes.
inline constexpr std::size_t kSettingsCallup = 2;
inline constexpr std::size_t kSettingsLineFree = 3;
inline constexpr std::size_t kSettingsCurrentCallerId = 4;
inline constexpr std::size_t kSettingsParallelCallerId = 9;
inline constexpr std::size_t kSettingsFreeChain = 14;
inline constexpr std::size_t kSettingsSpecialMessages = 16;
inline constexpr std::size_t kSettingsAreaFlags = 20;  // bit 0 incoming, bit 1 outgoing
inline constexpr std::size_t kSettingsStatistics = 21;

// The column of the decoded map after the page tag.
inline constexpr std::uint8_t kMapColumn = 6;

// The type-7 list area: the redirection number's page and the auto-dial entries' pages.
inline constexpr std::uint8_t kRedirectionPage = 1;
inline constexpr std::uint8_t kFirstAutoDialPage = 11;
inline constexpr std::size_t kAutoDialEntries = 11;
inline constexpr std::uint8_t kListColumn = 172;

inline constexpr std::size_t kMaxFlashDigits = 20;

using Record = std::array<std::uint8_t, kRecordBytes>;
using SettingsRecord = std::array<std::uint8_t, kSettingsBytes>;
using MapBytes = std::array<std::uint8_t, kMapBytes>;

// A settings copy with the given values; every voice handle 0, both area flags clear.
SettingsRecord MakeSettings(std::uint8_t callup, std::uint8_t line_free,
                            const CallerIdParameters& current, const CallerIdParameters& parallel,
                            const CallStatistics& statistics);
// The five caller-ID bytes the set keeps, and the parameters they stand for.
std::array<std::uint8_t, 5> CallerIdBytes(const CallerIdParameters& parameters);
CallerIdParameters CallerIdOf(const std::uint8_t* bytes);

Record CallRecord(const CallEntry& call);
Record BookRecord(const BookEntry& entry);
Record NumberRecord(const std::string& number);  // a redirection or auto-dial entry

class FlashSide {
  public:
    FlashSide(FlashStore& flash, const FlashPlan& plan) : m_flash(flash), m_plan(plan) {}

    const FlashPlan& Plan() const { return m_plan; }

    // A fresh set: the map page, the first settings copy and, on types 7 and 8, an empty
    // redirection entry (the list area always has one, so that the host finds it to rewrite).
    void Format(const SettingsRecord& settings);

    // The map of where this set keeps its areas, and the map page that says so (its block is
    // erased first: the map page is all the block holds).
    MapBytes AreaMap() const;
    void WriteMap(const MapBytes& map);

    // The newest settings copy: on the first page-0-tagged block of the settings range, the
    // last tagged page of the run from page 0.
    struct SettingsCopy {
        FlashLocation at;
        SettingsRecord record;
    };
    std::optional<SettingsCopy> CurrentSettings() const;
    // Appends a copy on the next page; a full block is erased and starts again at page 0, so
    // that a tagged page is never written over.
    void AppendSettings(const SettingsRecord& settings);

    // Appends a call to its log: the first empty slot in block order. The first record in the
    // spare block sets the log's area flag in a new settings copy. When the last block of the
    // log (its spare included) fills up, the block after it in the round is erased, so that the
    // oldest records make room and an empty slot always follows the newest record.
    void AppendCall(const CallEntry& call);

    // Puts an entry at its position in both halves; `first_half` false leaves the first half
    // without it (as after a rewrite that did not finish).
    void PutBookEntry(const BookEntry& entry, bool first_half = true);

    // Rewrites the list area: the redirection number on page 1 (an empty entry for none), the
    // auto-dial entries from page 11 on; slots without an entry stay erased.
    void PutLists(const std::string& redirection, const std::vector<std::string>& autodial);

    struct Found {
        FlashLocation at;
        Record record;
    };
    // Valid records of a log in block order, up to its spare block once the log uses it.
    std::vector<Found> LogRecords(CallLog log) const;
    // Phone-book entries by position, from the first half or, for a block of it that holds
    // none, from its partner; with their positions (1-based).
    std::vector<std::pair<unsigned, Found>> BookRecords() const;
    std::optional<Found> Redirection() const;
    std::vector<Found> AutoDial() const;

    // The decoded record at a position, if its triples agree.
    std::optional<Record> ReadRecord(const FlashLocation& at) const;

  private:
    void Write(const FlashLocation& at, std::span<const std::uint8_t> decoded);
    bool SlotErased(const FlashLocation& at) const;
    bool BlockErased(std::uint16_t block) const;
    std::uint8_t PageTag(std::uint16_t block, std::uint8_t page) const;
    std::optional<std::uint16_t> SettingsBlock() const;

    FlashStore& m_flash;
    FlashPlan m_plan;
};

}  // namespace fonerix::sim
