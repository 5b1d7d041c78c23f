#include "sim/FlashSide.h"

#include <algorithm>
#include <stdexcept>

#include "sim/PhoneDigits.h"
#include "sim/Triples.h"

namespace fonerix::sim {

namespace {

constexpr std::uint8_t kValid = 0;
constexpr std::size_t kDigitCountAt = 7;
constexpr std::size_t kDigitsAt = 8;
constexpr std::size_t kVoiceAt = 28;
constexpr std::size_t kDurationAt = 30;
constexpr std::size_t kFlagsAt = 31;
constexpr std::uint8_t kParallelFlag = 0x80;
constexpr std::uint8_t kFlopFlag = 0x40;

std::uint8_t Byte(unsigned value) {
    return static_cast<std::uint8_t>(value);
}

void PutWord(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void PutNumber(Record& record, const std::string& number) {
    const DigitCodesResult digits = DigitCodesOf(number);
    if (digits.bad_position || digits.codes.size() > kMaxFlashDigits) {
        throw std::invalid_argument("the number '" + number + "' cannot be stored");
    }
    record[kDigitCountAt] = Byte(static_cast<unsigned>(digits.codes.size()));
    std::copy(digits.codes.begin(), digits.codes.end(), record.begin() + kDigitsAt);
}

std::uint8_t AreaFlag(CallLog log) {
    return log == CallLog::kIncoming ? 0x01 : 0x02;
}

}  // namespace

std::array<std::uint8_t, 5> CallerIdBytes(const CallerIdParameters& p) {
    return {Byte(p.query_time / 2), p.query_form, Byte((1000 - p.first_delay) / 10), p.min_digits,
            Byte((1000 - p.resolution_time) / 10)};
}

CallerIdParameters CallerIdOf(const std::uint8_t* bytes) {
    return {bytes[0] * 2u, bytes[1], 1000u - bytes[2] * 10u, bytes[3], 1000u - bytes[4] * 10u};
}

SettingsRecord MakeSettings(std::uint8_t callup, std::uint8_t line_free,
                            const CallerIdParameters& current, const CallerIdParameters& parallel,
                            const CallStatistics& statistics) {
    SettingsRecord record{};
    record[0] = kValid;
    record[1] = kSettingsTag;
    record[kSettingsCallup] = callup;
    record[kSettingsLineFree] = line_free;
    const auto current_bytes = CallerIdBytes(current);
    const auto parallel_bytes = CallerIdBytes(parallel);
    std::copy(current_bytes.begin(), current_bytes.end(),
              record.begin() + kSettingsCurrentCallerId);
    std::copy(parallel_bytes.begin(), parallel_bytes.end(),
              record.begin() + kSettingsParallelCallerId);
    std::uint8_t* stats = record.data() + kSettingsStatistics;
    stats[0] = statistics.bill_month;
    PutWord(stats + 1, statistics.current_local);
    PutWord(stats + 3, statistics.current_long);
    PutWord(stats + 5, statistics.previous_local);
    PutWord(stats + 7, statistics.previous_long);
    return record;
}

Record CallRecord(const CallEntry& call) {
    Record record{};
    record[0] = kValid;
    record[1] = call.log == CallLog::kOutgoing ? kKindOutgoing : kKindIncoming;
    record[2] = Byte(static_cast<unsigned>(call.minute));
    record[3] = Byte(static_cast<unsigned>(call.hour));
    record[4] = Byte(static_cast<unsigned>(call.day));
    record[5] = Byte(static_cast<unsigned>(call.month));
    // Every generation writes the year; the later ones' hosts work it out instead.
    record[6] = Byte(static_cast<unsigned>(call.year % 100));
    PutNumber(record, call.number);
    PutWord(record.data() + kVoiceAt, call.voice);
    record[kDurationAt] = call.duration;
    record[kFlagsAt] = Byte((call.parallel ? kParallelFlag : 0u) | (call.flop ? kFlopFlag : 0u));
    return record;
}

Record BookRecord(const BookEntry& entry) {
    Record record{};
    record[0] = kValid;
    record[1] = kKindBook;
    record[2] = entry.rank;
    PutNumber(record, entry.number);
    PutWord(record.data() + kVoiceAt, entry.voice);
    return record;
}

Record NumberRecord(const std::string& number) {
    Record record{};
    record[0] = kValid;
    record[1] = kKindBook;
    PutNumber(record, number);
    return record;
}

void FlashSide::Write(const FlashLocation& at, std::span<const std::uint8_t> decoded) {
    m_flash.Program(at, EncodeTriples(decoded));
}

std::optional<Record> FlashSide::ReadRecord(const FlashLocation& at) const {
    std::array<std::uint8_t, kRecordBytes * 3> raw{};
    m_flash.Read(at, raw);
    const auto decoded = DecodeTriples(raw);
    if (!decoded) {
        return std::nullopt;
    }
    Record record{};
    std::copy(decoded->begin(), decoded->end(), record.begin());
    return record;
}

bool FlashSide::SlotErased(const FlashLocation& at) const {
    std::array<std::uint8_t, 3> raw{};
    m_flash.Read(at, raw);
    return raw == std::array<std::uint8_t, 3>{0xFF, 0xFF, 0xFF};
}

bool FlashSide::BlockErased(std::uint16_t block) const {
    const auto& pages = m_flash.Pages();
    const auto next = pages.lower_bound(FlashStore::PageKey{block, 0});
    return next == pages.end() || next->first.block != block;
}

std::uint8_t FlashSide::PageTag(std::uint16_t block, std::uint8_t page) const {
    std::array<std::uint8_t, 6> raw{};
    m_flash.Read(FlashLocation{block, page, 0}, raw);
    const auto decoded = DecodeTriples(raw);
    return decoded && (*decoded)[0] == kValid ? (*decoded)[1] : 0;
}

MapBytes FlashSide::AreaMap() const {
    MapBytes map{};
    const auto put = [&map](std::size_t at, const BlockSpan& span, bool alternative) {
        map[at] = span.high;
        map[at + 1] = span.first;
        map[at + 2] = span.last;
        if (alternative) {
            map[at + 3] = span.alternative_last;
        }
    };
    put(0, m_plan.book, false);
    if (m_plan.has_list) {
        put(3, m_plan.list, false);
    }
    put(6, m_plan.incoming, true);
    put(10, m_plan.outgoing, true);
    return map;
}

void FlashSide::WriteMap(const MapBytes& map) {
    std::array<std::uint8_t, 2 + kMapBytes> page{kValid, kMapTag};
    std::copy(map.begin(), map.end(), page.begin() + 2);
    m_flash.EraseBlock(m_plan.map_block);
    Write(FlashLocation{m_plan.map_block, 0, 0}, page);
}

void FlashSide::Format(const SettingsRecord& settings) {
    WriteMap(AreaMap());
    AppendSettings(settings);
    if (m_plan.has_list) {
        PutLists({}, {});
    }
}

std::optional<std::uint16_t> FlashSide::SettingsBlock() const {
    for (std::uint16_t block = m_plan.settings_first; block <= m_plan.settings_last; ++block) {
        if (PageTag(block, 0) == kSettingsTag) {
            return block;
        }
    }
    return std::nullopt;
}

std::optional<FlashSide::SettingsCopy> FlashSide::CurrentSettings() const {
    const auto block = SettingsBlock();
    if (!block) {
        return std::nullopt;
    }
    unsigned copy = 0;
    while (copy + 1 < m_plan.SettingsCopies() &&
           PageTag(*block, m_plan.SettingsCopy(*block, copy + 1).page) == kSettingsTag) {
        ++copy;
    }
    const FlashLocation at = m_plan.SettingsCopy(*block, copy);
    std::array<std::uint8_t, kSettingsBytes * 3> raw{};
    m_flash.Read(at, raw);
    const auto decoded = DecodeTriples(raw);
    if (!decoded) {
        return std::nullopt;
    }
    SettingsCopy current{at, {}};
    std::copy(decoded->begin(), decoded->end(), current.record.begin());
    return current;
}

void FlashSide::AppendSettings(const SettingsRecord& settings) {
    std::uint16_t block = m_plan.settings_block;
    unsigned copy = 0;
    if (const auto current = CurrentSettings()) {
        block = current->at.block;
        copy = current->at.page / m_plan.settings_step + 1u;
        if (copy == m_plan.SettingsCopies()) {
            m_flash.EraseBlock(block);
            copy = 0;
        }
    }
    Write(m_plan.SettingsCopy(block, copy), settings);
}

void FlashSide::AppendCall(const CallEntry& call) {
    const BlockSpan& span = call.log == CallLog::kOutgoing ? m_plan.outgoing : m_plan.incoming;
    const unsigned per_block = m_plan.records_per_block;
    const unsigned slots = (span.alternative_last - span.first + 1u) * per_block;
    unsigned slot = 0;
    while (slot < slots &&
           !SlotErased(m_plan.Slot(span.Block(span.first + slot / per_block), slot % per_block))) {
        ++slot;
    }
    if (slot == slots) {
        // Only a set whose flash was filled by hand gets here: make room as the round would.
        m_flash.EraseBlock(span.Block(span.first));
        slot = 0;
    }
    const unsigned low = span.first + slot / per_block;
    if (low > span.last) {
        const auto current = CurrentSettings();
        if (current && (current->record[kSettingsAreaFlags] & AreaFlag(call.log)) == 0) {
            SettingsRecord settings = current->record;
            settings[kSettingsAreaFlags] |= AreaFlag(call.log);
            AppendSettings(settings);
        }
    }
    Write(m_plan.Slot(span.Block(low), slot % per_block), CallRecord(call));
    if (slot % per_block == per_block - 1u) {
        const unsigned next = low == span.alternative_last ? span.first : low + 1u;
        if (!BlockErased(span.Block(next))) {
            m_flash.EraseBlock(span.Block(next));
        }
    }
}

void FlashSide::PutBookEntry(const BookEntry& entry, bool first_half) {
    const unsigned half = m_plan.book.Count() / 2;
    const unsigned index = entry.position - 1;
    if (entry.position == 0 || index >= half * m_plan.records_per_block) {
        throw std::invalid_argument("phone-book position " + std::to_string(entry.position) +
                                    " is outside 1.." +
                                    std::to_string(half * m_plan.records_per_block));
    }
    const unsigned low = m_plan.book.first + index / m_plan.records_per_block;
    const unsigned slot = index % m_plan.records_per_block;
    const Record record = BookRecord(entry);
    if (first_half) {
        Write(m_plan.Slot(m_plan.book.Block(low), slot), record);
    }
    Write(m_plan.Slot(m_plan.book.Block(low + half), slot), record);
}

void FlashSide::PutLists(const std::string& redirection, const std::vector<std::string>& autodial) {
    if (autodial.size() > kAutoDialEntries) {
        throw std::invalid_argument("the auto-dial list holds at most " +
                                    std::to_string(kAutoDialEntries) + " numbers");
    }
    for (unsigned low = m_plan.list.first; low <= m_plan.list.last; ++low) {
        m_flash.EraseBlock(m_plan.list.Block(low));
    }
    const std::uint16_t block = m_plan.list.Block(m_plan.list.first);
    Write(FlashLocation{block, kRedirectionPage, kListColumn}, NumberRecord(redirection));
    for (std::size_t i = 0; i < autodial.size(); ++i) {
        Write(FlashLocation{block, static_cast<std::uint8_t>(kFirstAutoDialPage + 2 * i),
                            kListColumn},
              NumberRecord(autodial[i]));
    }
}

std::vector<FlashSide::Found> FlashSide::LogRecords(CallLog log) const {
    const BlockSpan& span = log == CallLog::kOutgoing ? m_plan.outgoing : m_plan.incoming;
    const std::uint8_t kind = log == CallLog::kOutgoing ? kKindOutgoing : kKindIncoming;
    const auto settings = CurrentSettings();
    const bool spare = settings && (settings->record[kSettingsAreaFlags] & AreaFlag(log)) != 0;
    const unsigned last = spare ? span.alternative_last : span.last;
    std::vector<Found> found;
    for (unsigned low = span.first; low <= last; ++low) {
        for (unsigned slot = 0; slot < m_plan.records_per_block; ++slot) {
            const FlashLocation at = m_plan.Slot(span.Block(low), slot);
            const auto record = ReadRecord(at);
            if (record && (*record)[0] == kValid && (*record)[1] == kind) {
                found.push_back({at, *record});
            }
        }
    }
    return found;
}

std::vector<std::pair<unsigned, FlashSide::Found>> FlashSide::BookRecords() const {
    const unsigned half = m_plan.book.Count() / 2;
    std::vector<std::pair<unsigned, Found>> found;
    for (unsigned d = 0; d < half; ++d) {
        for (const unsigned low : {m_plan.book.first + d, m_plan.book.first + d + half}) {
            bool any = false;
            for (unsigned slot = 0; slot < m_plan.records_per_block; ++slot) {
                const FlashLocation at = m_plan.Slot(m_plan.book.Block(low), slot);
                const auto record = ReadRecord(at);
                if (record && (*record)[0] == kValid && (*record)[1] == kKindBook) {
                    found.push_back({d * m_plan.records_per_block + slot + 1, Found{at, *record}});
                    any = true;
                }
            }
            if (any) {
                break;  // the partner is only a copy
            }
        }
    }
    return found;
}

std::optional<FlashSide::Found> FlashSide::Redirection() const {
    if (!m_plan.has_list) {
        return std::nullopt;
    }
    for (unsigned low = m_plan.list.first; low <= m_plan.list.last; ++low) {
        const FlashLocation at{m_plan.list.Block(low), kRedirectionPage, kListColumn};
        const auto record = ReadRecord(at);
        if (record && (*record)[0] == kValid && (*record)[1] == kKindBook) {
            return Found{at, *record};
        }
    }
    return std::nullopt;
}

std::vector<FlashSide::Found> FlashSide::AutoDial() const {
    std::vector<Found> found;
    if (!m_plan.has_list) {
        return found;
    }
    for (unsigned low = m_plan.list.first; low <= m_plan.list.last && found.empty(); ++low) {
        for (std::size_t i = 0; i < kAutoDialEntries; ++i) {
            const FlashLocation at{m_plan.list.Block(low),
                                   static_cast<std::uint8_t>(kFirstAutoDialPage + 2 * i),
                                   kListColumn};
            const auto record = ReadRecord(at);
            if (record && (*record)[0] == kValid && (*record)[1] == kKindBook) {
                found.push_back({at, *record});
            }
        }
    }
    return found;
}

}  // namespace fonerix::sim
