// The second family's lists and small stores in device memory, as the set keeps them:
//
//   0x0000  9 bytes   call-time statistics (big-endian minutes, then the billing month)
//   0x0009  15 bytes  the memory map: for each list its start address, the index of its last
//                     record in use and its record size; the set keeps its own write index of
//                     each log in the map's spare bytes 0 and 5
//   0x0018  13 bytes  caller-ID query parameters of the line
//   0x0040            outgoing log, 100 records of 12 bytes
//   0x0500            incoming log, 100 records of 11 bytes
//   0x0A00            phone book, 200 records of 10 bytes
//
// Digits are nibble-packed: the first digit code in the high nibble of the count byte, the
// others two to a byte, low nibble first. The logs keep no month or year, the incoming log no
// duration, and a number has at most 15 digits (the count is a nibble).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/ListEntries.h"
#include "sim/MemoryStore.h"

namespace fonerix::sim {

inline constexpr std::uint16_t kStatisticsAddress = 0;
inline constexpr std::uint16_t kMemoryMapAddress = 9;
inline constexpr std::uint16_t kCallerIdAddress = 24;
inline constexpr std::size_t kMaxMemoryDigits = 15;

enum class MemoryList { kOutgoing, kIncoming, kBook };

struct MemoryListPlan {
    std::uint16_t start;
    std::uint8_t record_size;
    unsigned capacity;
};

MemoryListPlan MemoryPlanOf(MemoryList list);

class MemorySide {
  public:
    explicit MemorySide(DeviceMemory& memory) : m_memory(memory) {}

    // A fresh set: statistics, caller-ID parameters and the map with empty lists.
    void Format(const CallStatistics& statistics, const CallerIdParameters& caller_id);

    void PutStatistics(const CallStatistics& statistics);
    void PutCallerId(const CallerIdParameters& caller_id);

    // Appends a call at the log's write index and moves it on, round the log once it is full,
    // so that the oldest call makes room.
    void AppendCall(const CallEntry& call);
    void PutBookEntry(const BookEntry& entry);

    struct Found {
        unsigned index;  // 0-based record index
        std::uint16_t address;
        std::vector<std::uint8_t> bytes;
    };
    // Records in use, in index order, up to the last index of the map.
    std::vector<Found> Records(MemoryList list) const;
    // The number of a record of the list, from its nibbles.
    static std::string NumberOf(MemoryList list, const std::vector<std::uint8_t>& bytes);

  private:
    void PutBytes(std::uint16_t address, const std::vector<std::uint8_t>& bytes);
    void NoteInUse(MemoryList list, unsigned index);

    DeviceMemory& m_memory;
};

}  // namespace fonerix::sim
