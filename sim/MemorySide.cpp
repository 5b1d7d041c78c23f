#include "sim/MemorySide.h"

#include <stdexcept>

#include "sim/PhoneDigits.h"

namespace fonerix::sim {

namespace {

// Map bytes of each list: start address high and low, last index, record size; and where the
// set keeps a log's write index.
struct MapBytes {
    std::uint16_t start_high;
    std::uint16_t last_index;
    std::uint16_t record_size;
    std::optional<std::uint16_t> write_index;
};

MapBytes MapBytesOf(MemoryList list) {
    const auto at = [](unsigned offset) {
        return static_cast<std::uint16_t>(kMemoryMapAddress + offset);
    };
    switch (list) {
        case MemoryList::kOutgoing:
            return {at(1), at(3), at(4), at(0)};
        case MemoryList::kIncoming:
            return {at(6), at(8), at(9), at(5)};
        case MemoryList::kBook:
            break;
    }
    return {at(11), at(13), at(14), std::nullopt};
}

// Digit count and codes: count in the low nibble of `count_at`, the first code in its high
// nibble, the others from the next byte, two to a byte, low nibble first.
void PutNibbles(std::vector<std::uint8_t>& record, std::size_t count_at, const std::string& number,
                std::size_t max_digits) {
    const DigitCodesResult digits = DigitCodesOf(number);
    if (digits.bad_position || digits.codes.empty() || digits.codes.size() > max_digits) {
        throw std::invalid_argument("the number '" + number + "' cannot be stored: 1 to " +
                                    std::to_string(max_digits) + " digits");
    }
    const auto& codes = digits.codes;
    record[count_at] = static_cast<std::uint8_t>(codes[0] << 4 | codes.size());
    for (std::size_t i = 1; i < codes.size(); ++i) {
        const std::size_t at = count_at + 1 + (i - 1) / 2;
        record[at] |= static_cast<std::uint8_t>((i - 1) % 2 == 0 ? codes[i] : codes[i] << 4);
    }
}

std::size_t CountByteOf(MemoryList list) {
    return list == MemoryList::kBook ? 1 : 3;
}

}  // namespace

MemoryListPlan MemoryPlanOf(MemoryList list) {
    switch (list) {
        case MemoryList::kOutgoing:
            return {0x0040, 12, 100};
        case MemoryList::kIncoming:
            return {0x0500, 11, 100};
        case MemoryList::kBook:
            break;
    }
    return {0x0A00, 10, 200};
}

void MemorySide::PutBytes(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        m_memory.Write(static_cast<std::uint16_t>(address + i), bytes[i]);
    }
}

void MemorySide::Format(const CallStatistics& statistics, const CallerIdParameters& caller_id) {
    PutStatistics(statistics);
    PutCallerId(caller_id);
    for (const MemoryList list :
         {MemoryList::kOutgoing, MemoryList::kIncoming, MemoryList::kBook}) {
        const MemoryListPlan plan = MemoryPlanOf(list);
        const MapBytes map = MapBytesOf(list);
        m_memory.Write(map.start_high, static_cast<std::uint8_t>(plan.start >> 8));
        m_memory.Write(static_cast<std::uint16_t>(map.start_high + 1),
                       static_cast<std::uint8_t>(plan.start));
        m_memory.Write(map.last_index, 0);
        m_memory.Write(map.record_size, plan.record_size);
        if (map.write_index) {
            m_memory.Write(*map.write_index, 0);
        }
        PutBytes(plan.start, std::vector<std::uint8_t>(plan.capacity * plan.record_size, 0));
    }
}

void MemorySide::PutStatistics(const CallStatistics& s) {
    const auto high = [](std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); };
    const auto low = [](std::uint16_t value) { return static_cast<std::uint8_t>(value); };
    PutBytes(kStatisticsAddress,
             {high(s.current_local), low(s.current_local), high(s.current_long),
              low(s.current_long), high(s.previous_local), low(s.previous_local),
              high(s.previous_long), low(s.previous_long), s.bill_month});
}

void MemorySide::PutCallerId(const CallerIdParameters& p) {
    // The query count lives in byte 5 and again in the low nibble of byte 1, beside the
    // waveform flags.
    const std::uint8_t queries = p.query_form & 0x0F;
    std::vector<std::uint8_t> bytes(13, 0);
    bytes[0] = static_cast<std::uint8_t>(p.query_time / 2);
    bytes[1] = p.query_form;
    bytes[2] = static_cast<std::uint8_t>((1000 - p.first_delay) / 10);
    bytes[3] = p.min_digits;
    bytes[4] = static_cast<std::uint8_t>((1000 - p.resolution_time) / 10);
    bytes[5] = queries;
    PutBytes(kCallerIdAddress, bytes);
}

void MemorySide::NoteInUse(MemoryList list, unsigned index) {
    const MapBytes map = MapBytesOf(list);
    if (index > m_memory.Read(map.last_index)) {
        m_memory.Write(map.last_index, static_cast<std::uint8_t>(index));
    }
}

void MemorySide::AppendCall(const CallEntry& call) {
    const MemoryList list =
        call.log == CallLog::kOutgoing ? MemoryList::kOutgoing : MemoryList::kIncoming;
    const MemoryListPlan plan = MemoryPlanOf(list);
    const MapBytes map = MapBytesOf(list);
    unsigned index = m_memory.Read(*map.write_index);
    if (index >= plan.capacity) {
        index = 0;
    }
    std::vector<std::uint8_t> record(plan.record_size, 0);
    record[0] = static_cast<std::uint8_t>(call.minute);
    record[1] = static_cast<std::uint8_t>(call.hour);
    record[2] = static_cast<std::uint8_t>(call.day);
    PutNibbles(record, CountByteOf(list), call.number, kMaxMemoryDigits);
    if (list == MemoryList::kOutgoing) {
        record[11] = call.duration;
    }
    PutBytes(static_cast<std::uint16_t>(plan.start + index * plan.record_size), record);
    NoteInUse(list, index);
    m_memory.Write(*map.write_index, static_cast<std::uint8_t>((index + 1) % plan.capacity));
}

void MemorySide::PutBookEntry(const BookEntry& entry) {
    const MemoryListPlan plan = MemoryPlanOf(MemoryList::kBook);
    if (entry.position == 0 || entry.position > plan.capacity) {
        throw std::invalid_argument("phone-book position " + std::to_string(entry.position) +
                                    " is outside 1.." + std::to_string(plan.capacity));
    }
    if (entry.rank > 3) {
        throw std::invalid_argument("this set keeps a rank of 0 to 3, not " +
                                    std::to_string(entry.rank));
    }
    const unsigned index = entry.position - 1;
    std::vector<std::uint8_t> record(plan.record_size, 0);
    record[0] = static_cast<std::uint8_t>(entry.rank << 2);
    PutNibbles(record, CountByteOf(MemoryList::kBook), entry.number, kMaxMemoryDigits);
    PutBytes(static_cast<std::uint16_t>(plan.start + index * plan.record_size), record);
    NoteInUse(MemoryList::kBook, index);
}

std::vector<MemorySide::Found> MemorySide::Records(MemoryList list) const {
    const MapBytes map = MapBytesOf(list);
    const std::uint16_t start = static_cast<std::uint16_t>(m_memory.Read(map.start_high) << 8 |
                                                           m_memory.Read(map.start_high + 1));
    const unsigned last = m_memory.Read(map.last_index);
    const unsigned size = m_memory.Read(map.record_size);
    std::vector<Found> found;
    for (unsigned index = 0; index <= last && size > 0; ++index) {
        const auto address = static_cast<std::uint16_t>(start + index * size);
        std::vector<std::uint8_t> bytes(size);
        for (unsigned i = 0; i < size; ++i) {
            bytes[i] = m_memory.Read(static_cast<std::uint16_t>(address + i));
        }
        if (size > CountByteOf(list) && (bytes[CountByteOf(list)] & 0x0F) != 0) {
            found.push_back({index, address, std::move(bytes)});
        }
    }
    return found;
}

std::string MemorySide::NumberOf(MemoryList list, const std::vector<std::uint8_t>& bytes) {
    const std::size_t count_at = CountByteOf(list);
    const unsigned count = bytes[count_at] & 0x0F;
    std::vector<std::uint8_t> codes{static_cast<std::uint8_t>(bytes[count_at] >> 4)};
    for (unsigned i = 1; i < count; ++i) {
        const std::size_t at = count_at + 1 + (i - 1) / 2;
        const std::uint8_t byte = at < bytes.size() ? bytes[at] : 0;
        codes.push_back((i - 1) % 2 == 0 ? (byte & 0x0F) : static_cast<std::uint8_t>(byte >> 4));
    }
    return TextOfDigitCodes(codes);
}

}  // namespace fonerix::sim
